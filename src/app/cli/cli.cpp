#include "app/cli/cli.h"

#include <optional>
#include <string>

#include "app/cli/cli_options.h"
#include "app/cli/convert_command.h"
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
    "       kvs-cli --help\n";

constexpr const char* kHelp =
    "commands:\n"
    "  info     summary of the song and its tracks\n"
    "  dump     every setting and event of the song as text\n"
    "  convert  load IN and save it as OUT\n"
    "\n"
    "options:\n"
    "  --scan-init 0|1|2|3    take initial track settings from: 0 time 0 (default),\n"
    "                         1 before the first note, 2 anywhere, 3 nowhere\n"
    "  --default-port N       port of new tracks and of unknown port names (default 0)\n"
    "  --autoclean            clean up every track while loading\n"
    "  --out-ports A,B,...    MIDI OUT names in port order, to resolve and save port names\n"
    "  --type full|1|0|syx    convert to: full format 1 (default), plain format 1,\n"
    "                         format 0, or raw system exclusive\n"
    "\n"
    "exit status: 0 success, 1 usage error, 2 the file could not be loaded or saved\n";

int RunInfo(const CliOptions& options, std::ostream& out, std::ostream& err) {
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, MakeLoadOptions(options));
    if (loaded != kResultOk) {
        err << ResultMessage(loaded) << "\n";
        return kExitFileError;
    }
    PrintSongInfo(song, out);
    return kExitOk;
}

int RunDump(const CliOptions& options, std::ostream& out, std::ostream& err) {
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, MakeLoadOptions(options));
    // What was read before a fault is shown too: it tells where the file broke.
    DumpSong(song, out);
    if (loaded != kResultOk) {
        out.flush();
        err << ResultMessage(loaded) << "\n";
        return kExitFileError;
    }
    return kExitOk;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
    if (options->command == "info") return RunInfo(*options, out, err);
    if (options->command == "dump") return RunDump(*options, out, err);
    return RunConvert(*options, err);
}

}  // namespace kvs
