#include "app/cli/apply_command.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "app/cli/cli.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"
#include "files/file_result.h"
#include "files/song_file.h"
#include "model/edit_session.h"
#include "tools/note_transform_tool.h"
#include "tools/run_tool.h"

namespace kvs {
namespace {

struct ApplyArgs {
    std::vector<std::string> files;
    std::vector<std::string> loadOptions;  // for the common parser
    std::string tool;
    std::string values;
    bool hasValues = false;
    bool list = false;
    bool allTracks = false;
    std::uint32_t track = 1;
    bool hasTrack = false;
    std::uint32_t firstBeat = 0;
    std::uint32_t endBeat = 0;
};

std::optional<std::uint32_t> ParseNumber(std::string_view text, std::uint32_t min,
                                         std::uint32_t max) {
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, value);
    if (text.empty() || res.ec != std::errc{} || res.ptr != end || value < min || value > max)
        return std::nullopt;
    return value;
}

bool IsLoadOption(std::string_view name, bool& takesValue) {
    takesValue = name == "--scan-init" || name == "--default-port" || name == "--out-ports";
    return takesValue || name == "--autoclean" || name == "--no-autoclean";
}

bool TakesValue(std::string_view name) {
    bool loadValue = false;
    return name == "--tool" || name == "--track" || name == "--beats" ||
           (IsLoadOption(name, loadValue) && loadValue);
}

// Reads one of apply's own options; false with error set.
bool ReadOption(std::string_view name, const std::string& value, ApplyArgs& a, std::string& error) {
    if (name == "--tool") {
        const std::size_t colon = value.find(':');
        a.tool = value.substr(0, colon);
        a.hasValues = colon != std::string::npos;
        if (a.hasValues) a.values = value.substr(colon + 1);
        return true;
    }
    if (name == "--track") {
        const auto n = ParseNumber(value, 1, 0xFFFF);
        if (!n) error = "--track takes a track number from 1";
        a.track = n.value_or(1);
        a.hasTrack = true;
        return n.has_value();
    }
    const std::size_t colon = value.find(':');
    const auto first = ParseNumber(std::string_view(value).substr(0, colon), 0, kMaxTrackBeats);
    const auto end =
        colon == std::string::npos
            ? std::nullopt
            : ParseNumber(std::string_view(value).substr(colon + 1), 0, kMaxTrackBeats);
    if (!first || !end || *first > *end) {
        error = "--beats takes FIRST:END, two beat numbers with FIRST not after END";
        return false;
    }
    a.firstBeat = *first;
    a.endBeat = *end;
    return true;
}

std::optional<ApplyArgs> SplitArgs(const std::vector<std::string>& args, std::string& error) {
    ApplyArgs a;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            a.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        if (name == "--list" || name == "--all-tracks") {
            (name == "--list" ? a.list : a.allTracks) = true;
            continue;
        }
        bool loadValue = false;
        if (IsLoadOption(name, loadValue)) {
            a.loadOptions.push_back(arg);
            if (loadValue && eq == std::string::npos && i + 1 < args.size())
                a.loadOptions.push_back(args[++i]);
            continue;
        }
        if (!TakesValue(name)) {
            error = "apply does not take " + arg;
            return std::nullopt;
        }
        std::string value;
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = name + " needs a value";
            return std::nullopt;
        }
        if (!ReadOption(name, value, a, error)) return std::nullopt;
    }
    if (!a.files.empty() && a.files[0] == "apply") a.files.erase(a.files.begin());
    return a;
}

std::vector<std::string> SplitValues(const std::string& values) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = values.find(',', start);
        out.push_back(values.substr(start, comma - start));
        if (comma == std::string::npos) return out;
        start = comma + 1;
    }
}

// A label as text: without its mnemonic and colon.
std::string Plain(std::string_view label) {
    std::string out;
    for (char c : label)
        if (c != '&') out += c;
    if (!out.empty() && out.back() == ':') out.pop_back();
    return out;
}

std::string_view KindName(FieldKind kind) {
    switch (kind) {
        case FieldKind::NoteName:
            return "note";
        case FieldKind::Duration:
            return "beats.ticks";
        case FieldKind::Integer:
            break;
    }
    return "integer";
}

void PrintList(std::ostream& out) {
    for (const Tool& tool : Tools().All()) {
        out << tool.name << ": "
            << (tool.title.key.empty() ? Plain(tool.menu.text) : std::string(tool.title.text))
            << " (" << (tool.allTracks ? "all tracks" : "current track only")
            << (tool.wholeTracks ? ", whole tracks" : "") << (tool.undo ? ", undo" : "") << ")";
        if (!tool.Available()) out << " - not available yet";
        out << "\n";
        if (tool.dialog == ToolDialog::Own) out << "    values: " << tool.ownValues << "\n";
        for (std::uint32_t i = 0; i < tool.fieldCount; ++i) {
            const ToolField& f = tool.fields[i];
            auto show = [&](std::int32_t v) {
                return ValueDialogForm::Show({v, 0, 0, f.kind, 0, {}});
            };
            out << "    " << i + 1 << ". " << Plain(f.label.text) << " (" << KindName(f.kind)
                << "): initial " << show(f.initial) << ", range " << show(f.min) << " to "
                << show(f.max) << "\n";
        }
    }
}

// The tool's pass for the command line's values; nothing, with the message
// set, when they cannot be read.
std::optional<ToolPass> PassFor(const Tool& tool, const ApplyArgs& a, std::string& error) {
    const std::vector<std::string> texts =
        a.hasValues ? SplitValues(a.values) : std::vector<std::string>{};
    error = std::string(prompts::kInvalidValue.text);
    if (tool.dialog == ToolDialog::Own) {
        std::string why;
        std::optional<ToolPass> pass = tool.fromText(texts, why);
        if (!pass && !why.empty()) error = why;
        return pass;
    }
    if (texts.size() > tool.fieldCount) return std::nullopt;
    ValueDialog dialog = tool.NewDialog();
    ValueDialogForm form(dialog);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        // The edit box holds no more; a longer value would be cut, not read.
        if (texts[i].size() > ValueDialogForm::kEditChars) return std::nullopt;
        form.SetText(i, texts[i]);
    }
    if (!form.Ok()) return std::nullopt;
    return tool.fromValues(dialog);
}

int Usage(std::ostream& err, const std::string& error) {
    err << "kvs-cli: " << error << "\n"
        << "usage: kvs-cli apply IN OUT --tool NAME[:VALUES] [--track N|--all-tracks]\n"
        << "                     [--beats FIRST:END] [load options]\n"
        << "       kvs-cli apply --list\n";
    return kExitUsage;
}

int ApplyAndSave(const CliOptions& options, const ApplyArgs& a, const Tool& tool,
                 const ToolPass& pass, CliSession& cli, std::ostream& err) {
    PlainBeatSelection selection;
    NullEngineLink engine;
    NoAsk ask;
    EditSession session(engine, selection, ask);
    const LoadOptions load = cli.LoadOptionsFor(options);
    session.SetDefaultPort(load.defaultPort);
    const ResultCode loaded = LoadSongFile(options.files[0], session.GetSong(), load);
    if (loaded != kResultOk) {
        err << ResultMessage(loaded) << "\n";
        return kExitFileError;
    }
    if (session.SetCurrentTrack(static_cast<std::int32_t>(a.track) - 1) != EditResult::Done) {
        err << "kvs-cli: the song has no track " << a.track << "; nothing saved\n";
        return kExitUsage;
    }
    selection.Select(a.firstBeat, a.endBeat);
    if (ApplyTool(session, engine, a.allTracks, tool, pass, nullptr) != EditResult::Done) {
        err << "kvs-cli: " << tool.name << " could not run; nothing saved\n";
        return kExitUsage;
    }
    const ResultCode saved = SaveSongFile(options.files[1], session.GetSong(), SaveType::Full,
                                          cli.OutPortNames(options));
    if (saved != kResultOk) {
        err << ResultMessage(saved) << "\n";
        return kExitFileError;
    }
    return kExitOk;
}

}  // namespace

bool IsApplyCommand(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") return false;
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") return i + 1 < args.size() && args[i + 1] == "apply";
        if (a.size() < 2 || a[0] != '-') return a == "apply";
        if (TakesValue(a.substr(0, a.find('='))) && a.find('=') == std::string::npos) ++i;
    }
    return false;
}

int RunApply(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string error;
    const std::optional<ApplyArgs> a = SplitArgs(args, error);
    if (!a) return Usage(err, error);
    if (a->list) {
        if (!a->files.empty() || !a->tool.empty()) return Usage(err, "--list takes nothing else");
        PrintList(out);
        return kExitOk;
    }
    if (a->files.size() != 2) return Usage(err, "apply takes IN and OUT");
    if (a->tool.empty()) return Usage(err, "apply needs --tool NAME");
    if (a->allTracks && a->hasTrack)
        return Usage(err, "--track and --all-tracks exclude each other");
    const Tool* tool = Tools().Find(a->tool);
    if (tool == nullptr) return Usage(err, "unknown tool " + a->tool + " (see apply --list)");
    if (!tool->Available()) {
        err << "kvs-cli: " << tool->name << ": not available yet\n";
        return kExitUsage;
    }
    // The shared options are checked by the common parser, as for convert.
    std::vector<std::string> common = a->loadOptions;
    common.insert(common.end(), {"--", "convert", a->files[0], a->files[1]});
    const std::optional<CliOptions> options = ParseCliOptions(common, error);
    if (!options) return Usage(err, error);

    CliSession cli(err);
    if (tool->name == "note-transform") {
        std::vector<std::string> problems;
        LoadNoteTransformStore(cli.Paths().noteTransforms, cli.Paths().userTransforms,
                               cli.Prompts(), &problems);
        for (const std::string& problem : problems)
            err << "kvs-cli: " << problem << "\n";
    }
    int status = kExitUsage;
    const std::optional<ToolPass> pass = PassFor(*tool, *a, error);
    if (!pass || !*pass)
        err << "kvs-cli: " << tool->name << ": " << error << "\n";
    else
        status = ApplyAndSave(*options, *a, *tool, *pass, cli, err);
    const ResultCode settings = cli.Finish();
    if (settings != kResultOk) {
        err << "kvs-cli: " << cli.Paths().settings << ": " << ResultMessage(settings) << "\n";
        if (status == kExitOk) status = kExitFileError;
    }
    return status;
}

}  // namespace kvs
