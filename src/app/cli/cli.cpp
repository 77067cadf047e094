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
#include "files/song_file.h"
#include "model/song.h"

namespace kvs {
namespace {

int RunInfo(const CliOptions& options, CliSession& session, std::ostream& out) {
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, session.LoadOptionsFor(options));
    if (loaded != kResultOk) {
        session.ReportFileError(options.files[0], loaded);
        return kExitFileError;
    }
    PrintSongInfo(song, out);
    return kExitOk;
}

int RunDump(const CliOptions& options, CliSession& session, std::ostream& out) {
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, session.LoadOptionsFor(options));
    // What was read before a fault is shown too: it tells where the file broke.
    DumpSong(song, out);
    if (loaded != kResultOk) {
        out.flush();
        session.ReportFileError(options.files[0], loaded);
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
    if (c == "record") return RunRecord(options, session, out, err);
    if (c == "edit") return RunEdit(options, session, err);
    if (c == "apply") return RunApply(options, session, out, err);
    if (c == "info") return RunInfo(options, session, out);
    if (c == "dump") return RunDump(options, session, out);
    return RunConvert(options, session);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string error;
    const std::optional<CliOptions> options = ParseCliOptions(args, error);
    if (!options) {
        err << "kvs-cli: " << error << "\n" << UsageText(CommandWord(args));
        return kExitUsage;
    }
    if (options->help) {
        out << HelpText(options->command);
        return kExitOk;
    }
    CliSession session(err);
    int status = RunCommand(*options, session, out, err);
    const ResultCode saved = session.Finish();
    if (saved != kResultOk) {
        session.ReportFileError(session.Paths().settings, saved);
        if (status == kExitOk) status = kExitFileError;
    }
    return status;
}

}  // namespace kvs
