#include "app/cli/cli_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>
#include <memory>

#include "model/track.h"

namespace kvs {
namespace {

struct CommandText {
    std::string_view name;
    std::string_view usage;
    std::string_view help;
};

constexpr CommandText kCommands[] = {
    {"info", "kvs-cli info FILE [load options]\n",
     "  info     summary of the song and its tracks\n"},
    {"dump", "kvs-cli dump FILE [load options]\n",
     "  dump     every setting and event of the song as text\n"},
    {"convert", "kvs-cli convert IN OUT [--type full|1|0|syx] [load options]\n",
     "  convert  load IN and save it as OUT\n"
     "    --type full|1|0|syx  convert to: full format 1 (default), plain format 1,\n"
     "                         format 0, or raw system exclusive\n"},
    {"settings", "kvs-cli settings\n", "  settings the data folder and every setting in effect\n"},
    {"prompts", "kvs-cli prompts --test\n",
     "  prompts  --test: check the language file, listing what it lacks in newkvs.lng\n"},
    {"ports", "kvs-cli ports\n",
     "  ports    the MIDI IN and OUT devices, opened as the program opens them\n"},
    {"play",
     "kvs-cli play FILE [--port N|NAME] [--from BEAT] [--loop LEFT:RIGHT] [--metronome]\n"
     "                   [--count-in N] [--clock] [--midi virtual [--log LOGFILE]]\n",
     "  play     play the song in real time to one MIDI OUT port until its end or Ctrl-C\n"
     "    --port N|NAME        play every track to this port (number, name or alias;\n"
     "                         default: the default port of the settings)\n"
     "    --from BEAT          start at this beat\n"
     "    --loop LEFT:RIGHT    repeat the beats LEFT to RIGHT-1\n"
     "    --metronome          send metronome clicks\n"
     "    --clock              send MIDI clock\n"
     "    --count-in N         beats of count-in before the music (0-999)\n"
     "    --midi virtual       play to the virtual output instead of a device\n"
     "    --log LOGFILE        with --midi virtual: one line per message sent, as\n"
     "                         milliseconds since start, port, bytes in hex\n"},
    {"render", "kvs-cli render FILE OUT.wav [--soundfont SF2] [--rate HZ]\n",
     "  render   render the song through the built-in synthesizer into a WAV file\n"
     "           (FLAC when OUT ends in .flac)\n"
     "    --soundfont SF2      render with this sound font (default: the installed one)\n"
     "    --rate HZ            render at this sample rate (default 44100)\n"},
    {"edit", "kvs-cli edit IN OUT STEP... [load options]\n",
     "  edit     load IN, apply the edit steps in order to it, save it as OUT (full form);\n"
     "           the first track is current at the start. Steps: track=N (from 1),\n"
     "           select=ANCHOR:CARET (beats), zoom=N, cut, copy, paste, paste-multiple=N,\n"
     "           merge, merge-multiple=N, delete, clear, insert, undo, mute, solo,\n"
     "           insert-track, delete-track, move-track=N, sort-tracks,\n"
     "           set-marker=left|right|0-19 (at the caret), song-name=TEXT, track-name=TEXT,\n"
     "           channel=N (1-16, 0 none), program=N, bank=N, volume=N, pan=N, reverb=N,\n"
     "           chorus=N (-1 unsets). A refused step exits 1 without saving.\n"},
    {"apply",
     "kvs-cli apply IN OUT --tool NAME[:VALUES] [--track N|--all-tracks]\n"
     "                    [--beats FIRST:END] [load options]\n"
     "       kvs-cli apply --list\n",
     "  apply    load IN, run one tool over it, save it as OUT (full form). VALUES are\n"
     "           the tool's fields in order, comma-separated, as its dialog reads them;\n"
     "           --track N (from 1, default 1) or --all-tracks (unmuted tracks),\n"
     "           --beats FIRST:END the beats (default: whole tracks). --list shows\n"
     "           every tool with its fields. Invalid values exit 1.\n"},
    {"record",
     "kvs-cli record OUT.mid --in NAME --port NAME [--from BEAT] [--punch LEFT:RIGHT]\n"
     "                     [--loop LEFT:RIGHT] [--metronome] [--count-in N] [--thru]\n"
     "                     [--append IN.mid] [load options]\n",
     "  record   record from a MIDI IN device into a new track until Ctrl-C or a\n"
     "           Play/stop or Record key command, then save OUT.mid\n"
     "    --in N|NAME          the MIDI IN device (number, name or system name)\n"
     "    --port N|NAME        the MIDI OUT port of the new track, thru and clicks\n"
     "    --from BEAT          start at this beat\n"
     "    --punch LEFT:RIGHT   record only the beats LEFT to RIGHT-1\n"
     "    --loop LEFT:RIGHT    repeat the beats LEFT to RIGHT-1 while recording\n"
     "    --metronome          send metronome clicks\n"
     "    --count-in N         beats of count-in before recording (0-999)\n"
     "    --thru               echo the input to the port\n"
     "    --append IN.mid      add the new track to this song\n"},
};

constexpr std::string_view kLoadOptionsHelp =
    "load options (each overrides its setting in kvs.ini for this run):\n"
    "  --scan-init 0|1|2|3    take initial track settings from: 0 time 0,\n"
    "                         1 before the first note, 2 anywhere, 3 nowhere\n"
    "  --default-port N       port of new tracks and of unknown port names\n"
    "  --autoclean            clean up every track while loading (--no-autoclean: don't)\n"
    "  --out-ports A,B,...    MIDI OUT names in port order, to resolve and save port names\n"
    "                         (default: the MIDI OUT devices and port aliases)\n";

constexpr std::string_view kExitHelp =
    "exit status: 0 success, 1 usage error, 2 a file could not be loaded or saved,\n"
    "             or the MIDI port or sound font could not be opened\n";

const CommandText* FindCommand(std::string_view name) {
    for (const CommandText& c : kCommands)
        if (c.name == name) return &c;
    return nullptr;
}

std::optional<unsigned long> ParseUnsigned(std::string_view text, unsigned long max) {
    unsigned long value = 0;
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, value);
    if (text.empty() || res.ec != std::errc{} || res.ptr != end || value > max) return std::nullopt;
    return value;
}

// Two beat numbers "A:B" up to the track limit, A below B (or not above it
// when equal is allowed).
std::optional<BeatRange> ParseRange(std::string_view text, bool allowEmpty) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto left = ParseUnsigned(text.substr(0, colon), kMaxTrackBeats);
    const auto right = ParseUnsigned(text.substr(colon + 1), kMaxTrackBeats);
    if (!left || !right || *left > *right || (*left == *right && !allowEmpty)) return std::nullopt;
    return BeatRange{static_cast<std::uint32_t>(*left), static_cast<std::uint32_t>(*right)};
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

// A value option is read as text and checked here, so that each has its own
// message; `check` returns false when the value is bad.
struct ValueOption {
    CLI::Option* option;
    std::string text;
    std::string message;
    std::function<bool(const std::string&)> check;
};

class Parser {
  public:
    explicit Parser(CliOptions& o) : o_(o) {
        app_.set_help_flag();
        app_.require_subcommand(1);
        app_.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        AddLoadOptions(app_);
        for (const CommandText& c : kCommands) {
            CLI::App* sub = app_.add_subcommand(std::string(c.name));
            sub->set_help_flag();
            // The load options may follow the command too.
            sub->fallthrough();
            sub->add_option("files", o_.files);
            subs_.push_back(sub);
        }
        AddCommandOptions();
    }

    bool Parse(const std::vector<std::string>& args, std::string& error) {
        // CLI11 takes the words last first.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        try {
            app_.parse(reversed);
        } catch (const CLI::ArgumentMismatch& e) {
            // "--port: 1 required TEXT missing"
            const std::string what = e.what();
            error = what.substr(0, what.find(':')) + " needs a value";
            return false;
        } catch (const CLI::ExtrasError& e) {
            // "The following argument was not expected: --bogus"
            const std::string what = e.what();
            error = "unknown option or extra argument" + what.substr(what.find(':') + 1);
            return false;
        } catch (const CLI::ParseError& e) {
            error = e.what();
            return false;
        }
        for (CLI::App* sub : subs_)
            if (sub->parsed()) o_.command = sub->get_name();
        for (const std::unique_ptr<ValueOption>& v : values_) {
            if (v->option->count() == 0) continue;
            if (!v->check(v->text)) {
                error = v->message;
                return false;
            }
        }
        return true;
    }

  private:
    CLI::App* Sub(std::string_view name) {
        for (CLI::App* sub : subs_)
            if (sub->get_name() == name) return sub;
        return nullptr;
    }

    void Value(CLI::App& app, const std::string& name, std::string message,
               std::function<bool(const std::string&)> check) {
        auto v = std::make_unique<ValueOption>();
        v->message = std::move(message);
        v->check = std::move(check);
        v->option = app.add_option(name, v->text);
        values_.push_back(std::move(v));
    }

    void AddLoadOptions(CLI::App& app) {
        Value(app, "--scan-init", "--scan-init takes 0, 1, 2 or 3", [this](const std::string& t) {
            const auto v = ParseUnsigned(t, 3);
            if (v) o_.scanInit = static_cast<int>(*v);
            return v.has_value();
        });
        Value(app, "--default-port", "--default-port takes a port number from 0 to 65535",
              [this](const std::string& t) {
                  const auto v = ParseUnsigned(t, std::numeric_limits<std::uint16_t>::max());
                  if (v) o_.defaultPort = static_cast<std::uint16_t>(*v);
                  return v.has_value();
              });
        Value(app, "--out-ports", "--out-ports takes port names separated by single commas",
              [this](const std::string& t) {
                  auto names = SplitPortNames(t);
                  if (names) o_.outPorts = std::move(*names);
                  return names.has_value();
              });
        autoclean_ = app.add_flag("--autoclean,!--no-autoclean", autocleanValue_);
    }

    void AddBeatOptions(CLI::App& sub, bool record) {
        Value(sub, "--port", "--port takes a port number or a device name",
              [this](const std::string& t) {
                  o_.port = t;
                  return !t.empty();
              });
        Value(sub, "--from", "--from takes a beat number below " + std::to_string(kMaxTrackBeats),
              [this](const std::string& t) {
                  const auto v = ParseUnsigned(t, kMaxTrackBeats - 1);
                  if (v) o_.fromBeat = static_cast<std::uint32_t>(*v);
                  return v.has_value();
              });
        Value(sub, "--loop", "--loop takes LEFT:RIGHT, two beat numbers with LEFT below RIGHT",
              [this](const std::string& t) {
                  o_.loop = ParseRange(t, false);
                  return o_.loop.has_value();
              });
        Value(sub, "--count-in", "--count-in takes a number of beats from 0 to 999",
              [this](const std::string& t) {
                  const auto v = ParseUnsigned(t, 999);
                  if (v) o_.countIn = static_cast<std::uint32_t>(*v);
                  return v.has_value();
              });
        sub.add_flag("--metronome", o_.metronome);
        if (!record) return;
        sub.add_option("--in", o_.input)->required();
        sub.get_option("--port")->required();
        Value(sub, "--punch", "--punch takes LEFT:RIGHT, two beat numbers with LEFT below RIGHT",
              [this](const std::string& t) {
                  o_.punch = ParseRange(t, false);
                  return o_.punch.has_value();
              });
        sub.add_flag("--thru", o_.thru);
        sub.add_option("--append", o_.append);
    }

    void AddCommandOptions() {
        CLI::App& convert = *Sub("convert");
        Value(convert, "--type", "--type takes full, 1, 0 or syx", [this](const std::string& t) {
            const auto type = ParseSaveType(t);
            if (type) o_.saveType = *type;
            return type.has_value();
        });
        Sub("prompts")->add_flag("--test", o_.test);

        CLI::App& play = *Sub("play");
        AddBeatOptions(play, false);
        play.add_flag("--clock", o_.clock);
        Value(play, "--midi", "--midi takes virtual", [this](const std::string& t) {
            o_.virtualMidi = t == "virtual";
            return o_.virtualMidi;
        });
        Value(play, "--log", "--log needs a file name", [this](const std::string& t) {
            o_.log = t;
            return !t.empty();
        });
        AddBeatOptions(*Sub("record"), true);

        CLI::App& render = *Sub("render");
        render.add_option("--soundfont", o_.soundFont);
        Value(render, "--rate", "--rate takes a sample rate from 8000 to 96000",
              [this](const std::string& t) {
                  const auto v = ParseUnsigned(t, 96000);
                  if (v && *v >= 8000) o_.sampleRate = static_cast<int>(*v);
                  return o_.sampleRate.has_value();
              });

        CLI::App& apply = *Sub("apply");
        apply.add_flag("--list", o_.list);
        apply.add_flag("--all-tracks", o_.allTracks);
        Value(apply, "--tool", "--tool takes NAME[:VALUES]", [this](const std::string& t) {
            const std::size_t colon = t.find(':');
            o_.tool = t.substr(0, colon);
            if (colon != std::string::npos) o_.toolValues = t.substr(colon + 1);
            return !o_.tool.empty();
        });
        Value(apply, "--track", "--track takes a track number from 1",
              [this](const std::string& t) {
                  const auto v = ParseUnsigned(t, 0xFFFF);
                  if (v && *v >= 1) o_.track = static_cast<std::uint32_t>(*v);
                  return o_.track.has_value();
              });
        Value(apply, "--beats",
              "--beats takes FIRST:END, two beat numbers with FIRST not after END",
              [this](const std::string& t) {
                  o_.beats = ParseRange(t, true);
                  return o_.beats.has_value();
              });
    }

  public:
    std::optional<bool> Autoclean() const {
        if (autoclean_->count() == 0) return std::nullopt;
        return autocleanValue_;
    }

  private:
    CliOptions& o_;
    CLI::App app_{"", "kvs-cli"};
    std::vector<CLI::App*> subs_;
    // Stable addresses: CLI11 writes into each text.
    std::vector<std::unique_ptr<ValueOption>> values_;
    CLI::Option* autoclean_ = nullptr;
    bool autocleanValue_ = false;
};

// The checks CLI11 cannot express: how many files each command takes and
// which options go together.
bool CheckCommand(const CliOptions& o, std::string& error) {
    const std::string& c = o.command;
    const std::size_t n = o.files.size();
    auto fail = [&error](std::string why) {
        error = std::move(why);
        return false;
    };
    if (c == "settings" || c == "ports" || c == "prompts") {
        if (n != 0) return fail(c + " takes no file");
        if (c == "prompts" && !o.test) return fail("prompts needs --test");
        return true;
    }
    if (c == "info" || c == "dump" || c == "play") {
        if (n != 1) return fail(c + " takes one file");
        if (!o.log.empty() && !o.virtualMidi) return fail("--log needs --midi virtual");
        return true;
    }
    if (c == "record") {
        if (n != 1) return fail("record takes one OUT file");
        if (o.punch && o.loop && *o.punch != *o.loop)
            return fail("--punch and --loop share the Left and Right markers");
        return true;
    }
    if (c == "edit") return n >= 3 || fail("edit takes IN, OUT and the steps");
    if (c == "apply") {
        if (o.list) {
            if (n != 0 || !o.tool.empty()) return fail("--list takes nothing else");
            return true;
        }
        if (n != 2) return fail("apply takes IN and OUT");
        if (o.tool.empty()) return fail("apply needs --tool NAME");
        if (o.allTracks && o.track) return fail("--track and --all-tracks exclude each other");
        return true;
    }
    return n == 2 || fail(c + " takes two files");
}

}  // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args,
                                          std::string& error) {
    CliOptions o;
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            o.help = true;
            o.command = CommandWord(args);
            return o;
        }
    }

    if (CommandWord(args).empty()) {
        const auto word = std::find_if(args.begin(), args.end(), [](const std::string& a) {
            return a.size() < 2 || a[0] != '-';
        });
        error = word == args.end() ? "no command given" : "unknown command " + *word;
        return std::nullopt;
    }
    Parser parser(o);
    if (!parser.Parse(args, error)) return std::nullopt;
    o.autoclean = parser.Autoclean();
    if (!CheckCommand(o, error)) return std::nullopt;
    return o;
}

std::string CommandWord(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") break;
        if (FindCommand(a)) return a;
    }
    return {};
}

std::string UsageText(std::string_view command) {
    std::string text = "usage: ";
    if (const CommandText* c = FindCommand(command)) return text + std::string(c->usage);
    bool first = true;
    for (const CommandText& c : kCommands) {
        text += first ? "" : "       ";
        text += c.usage;
        first = false;
    }
    return text + "       kvs-cli --help\n";
}

std::string HelpText(std::string_view command) {
    std::string text = UsageText(command) + "\n";
    const CommandText* only = FindCommand(command);
    if (only == nullptr) text += "commands:\n";
    for (const CommandText& c : kCommands)
        if (only == nullptr || only == &c) text += c.help;
    if (only == nullptr || (command != "settings" && command != "ports" && command != "prompts"))
        text += "\n" + std::string(kLoadOptionsHelp);
    return text + "\n" + std::string(kExitHelp);
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
