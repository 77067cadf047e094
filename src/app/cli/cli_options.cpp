#include "app/cli/cli_options.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace kvs {
namespace {

struct CommandShape {
    std::string_view name;
    std::size_t fileCount;
    bool takesType;
    bool takesTest;
    bool takesPlay;
    bool takesRender;
};

constexpr CommandShape kCommands[] = {
    {"info", 1, false, false, false, false},   {"dump", 1, false, false, false, false},
    {"convert", 2, true, false, false, false}, {"settings", 0, false, false, false, false},
    {"prompts", 0, false, true, false, false}, {"ports", 0, false, false, false, false},
    {"play", 1, false, false, true, false},    {"render", 2, false, false, false, true},
};

// Beats whose first tick still fits a tick count.
constexpr unsigned long kMaxBeat = 0xFFFFFFFFul / 192;

std::string FileCountError(const std::string& command, std::size_t count) {
    if (count == 0) return command + " takes no file";
    return command + (count == 1 ? " takes one file" : " takes two files");
}

std::optional<unsigned long> ParseUnsigned(std::string_view text, unsigned long max) {
    unsigned long value = 0;
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, value);
    if (text.empty() || res.ec != std::errc{} || res.ptr != end || value > max) return std::nullopt;
    return value;
}

std::optional<SaveType> ParseSaveType(std::string_view text) {
    if (text == "full") return SaveType::Full;
    if (text == "1") return SaveType::Type1;
    if (text == "0") return SaveType::Type0;
    if (text == "syx") return SaveType::Sysex;
    return std::nullopt;
}

std::optional<std::vector<std::string>> SplitPortNames(std::string_view text) {
    std::vector<std::string> names;
    if (text.empty()) return names;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view name = text.substr(0, comma);
        // An empty name would silently shift every later port by one.
        if (name.empty()) return std::nullopt;
        names.emplace_back(name);
        if (comma == std::string_view::npos) return names;
        text.remove_prefix(comma + 1);
    }
}

bool IsPlayOption(std::string_view name) {
    return name == "--port" || name == "--from" || name == "--loop" || name == "--count-in" ||
           name == "--midi" || name == "--log";
}

bool IsRenderOption(std::string_view name) {
    return name == "--soundfont" || name == "--rate";
}

bool IsValueOption(std::string_view name) {
    return name == "--scan-init" || name == "--default-port" || name == "--out-ports" ||
           name == "--type" || IsPlayOption(name) || IsRenderOption(name);
}

bool ParseLoop(std::string_view value, CliOptions& o) {
    const std::size_t colon = value.find(':');
    if (colon == std::string_view::npos) return false;
    const auto left = ParseUnsigned(value.substr(0, colon), kMaxBeat);
    const auto right = ParseUnsigned(value.substr(colon + 1), kMaxBeat);
    if (!left || !right || *left >= *right) return false;
    o.loopLeft = static_cast<std::uint32_t>(*left);
    o.loopRight = static_cast<std::uint32_t>(*right);
    return true;
}

// The options of play and render; false with error set when the value is bad.
bool ApplyPlayOption(std::string_view name, std::string_view value, CliOptions& o,
                     std::string& error) {
    if (name == "--port") {
        if (value.empty()) {
            error = "--port takes a port number or a device name";
            return false;
        }
        o.port = std::string(value);
    } else if (name == "--from") {
        const auto v = ParseUnsigned(value, kMaxBeat);
        if (!v) {
            error = "--from takes a beat number";
            return false;
        }
        o.fromBeat = static_cast<std::uint32_t>(*v);
    } else if (name == "--loop") {
        if (!ParseLoop(value, o)) {
            error = "--loop takes LEFT:RIGHT, two beat numbers with LEFT below RIGHT";
            return false;
        }
    } else if (name == "--count-in") {
        const auto v = ParseUnsigned(value, 999);
        if (!v) {
            error = "--count-in takes a number of beats from 0 to 999";
            return false;
        }
        o.countIn = static_cast<std::uint32_t>(*v);
    } else if (name == "--midi") {
        if (value != "virtual") {
            error = "--midi takes virtual";
            return false;
        }
        o.virtualMidi = true;
    } else if (name == "--log") {
        if (value.empty()) {
            error = "--log needs a file name";
            return false;
        }
        o.log = std::string(value);
    } else if (name == "--soundfont") {
        o.soundFont = std::string(value);
    } else {
        const auto v = ParseUnsigned(value, 96000);
        if (!v || *v < 8000) {
            error = "--rate takes a sample rate from 8000 to 96000";
            return false;
        }
        o.sampleRate = static_cast<int>(*v);
    }
    return true;
}

// Options given to a command that has no use for them are usage errors.
bool CheckCommandOptions(const CommandShape& shape, const CliOptions& o, bool playGiven,
                         bool renderGiven, std::string& error) {
    if (playGiven && !shape.takesPlay) {
        error =
            "--port, --from, --loop, --metronome, --count-in, --clock, --midi and --log "
            "apply to play only";
        return false;
    }
    if (renderGiven && !shape.takesRender) {
        error = "--soundfont and --rate apply to render only";
        return false;
    }
    if (!o.log.empty() && !o.virtualMidi) {
        error = "--log needs --midi virtual";
        return false;
    }
    return true;
}

// Applies one option with its value; false with error set when it is bad.
bool ApplyValueOption(std::string_view name, std::string_view value, CliOptions& o, bool& typeGiven,
                      std::string& error) {
    if (name == "--scan-init") {
        const auto v = ParseUnsigned(value, 3);
        if (!v) {
            error = "--scan-init takes 0, 1, 2 or 3";
            return false;
        }
        o.scanInit = static_cast<int>(*v);
    } else if (name == "--default-port") {
        const auto v = ParseUnsigned(value, std::numeric_limits<std::uint16_t>::max());
        if (!v) {
            error = "--default-port takes a port number from 0 to 65535";
            return false;
        }
        o.defaultPort = static_cast<std::uint16_t>(*v);
    } else if (name == "--out-ports") {
        auto names = SplitPortNames(value);
        if (!names) {
            error = "--out-ports takes port names separated by single commas";
            return false;
        }
        o.outPorts = std::move(*names);
    } else if (IsPlayOption(name) || IsRenderOption(name)) {
        return ApplyPlayOption(name, value, o, error);
    } else {
        const auto type = ParseSaveType(value);
        if (!type) {
            error = "--type takes full, 1, 0 or syx";
            return false;
        }
        o.saveType = *type;
        typeGiven = true;
    }
    return true;
}

}  // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args,
                                          std::string& error) {
    CliOptions o;
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            o.help = true;
            return o;
        }
    }

    std::vector<std::string> positional;
    bool typeGiven = false;
    bool playGiven = false;
    bool renderGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            positional.emplace_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a == "--autoclean" || a == "--no-autoclean") {
            o.autoclean = a == "--autoclean";
            continue;
        }
        if (a == "--test") {
            o.test = true;
            continue;
        }
        if (a == "--metronome" || a == "--clock") {
            (a == "--metronome" ? o.metronome : o.clock) = true;
            playGiven = true;
            continue;
        }
        const std::size_t eq = a.find('=');
        const std::string_view name = a.substr(0, eq);
        if (!IsValueOption(name)) {
            error = "unknown option " + std::string(a);
            return std::nullopt;
        }
        playGiven = playGiven || IsPlayOption(name);
        renderGiven = renderGiven || IsRenderOption(name);
        std::string_view value;
        if (eq != std::string_view::npos) {
            value = a.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = std::string(name) + " needs a value";
            return std::nullopt;
        }
        if (!ApplyValueOption(name, value, o, typeGiven, error)) return std::nullopt;
    }

    if (positional.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    o.command = positional.front();
    o.files.assign(positional.begin() + 1, positional.end());
    for (const CommandShape& shape : kCommands) {
        if (shape.name != o.command) continue;
        if (o.files.size() != shape.fileCount) {
            error = FileCountError(o.command, shape.fileCount);
            return std::nullopt;
        }
        if (typeGiven && !shape.takesType) {
            error = "--type applies to convert only";
            return std::nullopt;
        }
        if (o.test != shape.takesTest) {
            error =
                shape.takesTest ? o.command + " needs --test" : "--test applies to prompts only";
            return std::nullopt;
        }
        if (!CheckCommandOptions(shape, o, playGiven, renderGiven, error)) return std::nullopt;
        return o;
    }
    error = "unknown command " + o.command;
    return std::nullopt;
}

std::optional<std::uint16_t> FindOutPort(const std::vector<std::string>& outPorts,
                                         std::string_view name) {
    const std::size_t n = std::min<std::size_t>(outPorts.size(), 0x10000);
    for (std::size_t i = 0; i < n; ++i) {
        if (outPorts[i] == name) return static_cast<std::uint16_t>(i);
    }
    return std::nullopt;
}

LoadOptions MakeLoadOptions(const CliOptions& options) {
    LoadOptions load;
    load.scanInit = options.scanInit.value_or(load.scanInit);
    load.defaultPort = options.defaultPort.value_or(load.defaultPort);
    load.autoclean = options.autoclean.value_or(load.autoclean);
    load.resolvePort = [ports = options.outPorts](std::string_view name) {
        return FindOutPort(ports, name);
    };
    return load;
}

}  // namespace kvs
