#include "app/cli/cli.h"

#include <optional>
#include <string>

#include "app/cli/apply_command.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_session.h"
#include "app/cli/convert_command.h"
#include "app/cli/edit_command.h"
#include "app/cli/play_command.h"
#include "app/cli/record_command.h"
#include "app/cli/render_command.h"
#include "app/cli/session_commands.h"
#include "app/cli/song_dump.h"
#include "app/cli/song_info.h"
#include "files/file_result.h"
#include "files/song_file.h"
#include "model/song.h"

namespace kvs {
namespace {

constexpr const char* kSynopsis =
    "usage: kvs-cli info FILE [options]\n"
    "       kvs-cli dump FILE [options]\n"
    "       kvs-cli convert IN OUT [--type full|1|0|syx] [options]\n"
    "       kvs-cli settings\n"
    "       kvs-cli prompts --test\n"
    "       kvs-cli ports\n"
    "       kvs-cli play FILE [--port N|NAME] [--from BEAT] [--loop LEFT:RIGHT] [--metronome]\n"
    "                    [--count-in N] [--clock] [--midi virtual [--log LOGFILE]]\n"
    "       kvs-cli render FILE OUT.wav [--soundfont SF2] [--rate HZ]\n"
    "       kvs-cli edit IN OUT STEP... [options]\n"
    "       kvs-cli apply IN OUT --tool NAME[:VALUES] [--track N|--all-tracks]\n"
    "                     [--beats FIRST:END] [options]\n"
    "       kvs-cli apply --list\n"
    "       kvs-cli record OUT.mid --in NAME --port NAME [--from BEAT] [--punch LEFT:RIGHT]\n"
    "                      [--loop LEFT:RIGHT] [--metronome] [--count-in N] [--thru]\n"
    "                      [--append IN.mid]\n"
    "       kvs-cli --help\n";

constexpr const char* kHelp =
    "commands:\n"
    "  info     summary of the song and its tracks\n"
    "  dump     every setting and event of the song as text\n"
    "  convert  load IN and save it as OUT\n"
    "  settings the data folder and every setting in effect\n"
    "  prompts  --test: check the language file, listing what it lacks in newkvs.lng\n"
    "  ports    the MIDI IN and OUT devices, opened as the program opens them\n"
    "  play     play the song in real time to one MIDI OUT port until its end or Ctrl-C\n"
    "  render   render the song through the built-in synthesizer into a WAV file\n"
    "  edit     load IN, apply the edit steps in order to it, save it as OUT (full form);\n"
    "           the first track is current at the start. Steps: track=N (from 1),\n"
    "           select=ANCHOR:CARET (beats), zoom=N, cut, copy, paste, paste-multiple=N,\n"
    "           merge, merge-multiple=N, delete, clear, insert, undo, mute, solo,\n"
    "           insert-track, delete-track, move-track=N, sort-tracks,\n"
    "           set-marker=left|right|0-19 (at the caret), song-name=TEXT, track-name=TEXT,\n"
    "           channel=N (1-16, 0 none), program=N, bank=N, volume=N, pan=N, reverb=N,\n"
    "           chorus=N (-1 unsets). A refused step exits 1 without saving.\n"
    "  apply    load IN, run one tool over it, save it as OUT (full form). VALUES are\n"
    "           the tool's fields in order, comma-separated, as its dialog reads them;\n"
    "           --track N (from 1, default 1) or --all-tracks (unmuted tracks),\n"
    "           --beats FIRST:END the beats (default: whole tracks). --list shows\n"
    "           every tool with its fields. Invalid values exit 1.\n"
    "\n"
    "options (each overrides its setting in kvs.ini for this run):\n"
    "  --scan-init 0|1|2|3    take initial track settings from: 0 time 0,\n"
    "                         1 before the first note, 2 anywhere, 3 nowhere\n"
    "  --default-port N       port of new tracks and of unknown port names\n"
    "  --autoclean            clean up every track while loading (--no-autoclean: don't)\n"
    "  --out-ports A,B,...    MIDI OUT names in port order, to resolve and save port names\n"
    "                         (default: the MIDI OUT devices and port aliases)\n"
    "  --type full|1|0|syx    convert to: full format 1 (default), plain format 1,\n"
    "                         format 0, or raw system exclusive\n"
    "\n"
    "play and render:\n"
    "  --port N|NAME          play every track to this port (number, name or alias;\n"
    "                         default: the default port of the settings)\n"
    "  --from BEAT            start at this beat\n"
    "  --loop LEFT:RIGHT      repeat the beats LEFT to RIGHT-1\n"
    "  --metronome, --clock   send metronome clicks, MIDI clock\n"
    "  --count-in N           beats of count-in before the music\n"
    "  --midi virtual         play to a virtual output instead of a device\n"
    "  --log LOGFILE          with --midi virtual: one line per message sent, as\n"
    "                         milliseconds since start, port, bytes in hex\n"
    "  --soundfont SF2        render with this sound font (default: the installed one)\n"
    "  --rate HZ              render at this sample rate (default 44100)\n"
    "\n"
    "exit status: 0 success, 1 usage error, 2 a file could not be loaded or saved,\n"
    "             or the MIDI port or sound font could not be opened\n";

int RunInfo(const CliOptions& options, const LoadOptions& load, std::ostream& out,
            std::ostream& err) {
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, load);
    if (loaded != kResultOk) {
        err << ResultMessage(loaded) << "\n";
        return kExitFileError;
    }
    PrintSongInfo(song, out);
    return kExitOk;
}

int RunDump(const CliOptions& options, const LoadOptions& load, std::ostream& out,
            std::ostream& err) {
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, load);
    // What was read before a fault is shown too: it tells where the file broke.
    DumpSong(song, out);
    if (loaded != kResultOk) {
        out.flush();
        err << ResultMessage(loaded) << "\n";
        return kExitFileError;
    }
    return kExitOk;
}

int RunCommand(const CliOptions& options, CliSession& session, std::ostream& out,
               std::ostream& err) {
    const std::string& c = options.command;
    if (c == "settings") return RunSettings(session, out);
    if (c == "prompts") return RunPromptsTest(session, out, err);
    if (c == "ports") return RunPorts(session, out, err);
    if (c == "play") return RunPlay(options, session, out, err);
    if (c == "render") return RunRender(options, session, out, err);
    const LoadOptions load = session.LoadOptionsFor(options);
    if (c == "info") return RunInfo(options, load, out, err);
    if (c == "dump") return RunDump(options, load, out, err);
    return RunConvert(options, load, session.OutPortNames(options), err);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (IsEditCommand(args)) return RunEdit(args, out, err);
    if (IsApplyCommand(args)) return RunApply(args, out, err);
    if (IsRecordCommand(args)) return RunRecord(args, out, err);
    std::string error;
    const std::optional<CliOptions> options = ParseCliOptions(args, error);
    if (!options) {
        err << "kvs-cli: " << error << "\n" << kSynopsis;
        return kExitUsage;
    }
    if (options->help) {
        out << kSynopsis << "\n" << kHelp;
        return kExitOk;
    }
    CliSession session(err);
    int status = RunCommand(*options, session, out, err);
    const ResultCode saved = session.Finish();
    if (saved != kResultOk) {
        err << "kvs-cli: " << session.Paths().settings << ": " << ResultMessage(saved) << "\n";
        if (status == kExitOk) status = kExitFileError;
    }
    return status;
}

}  // namespace kvs
