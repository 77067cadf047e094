#include "app/cli/convert_command.h"

#include "app/cli/cli.h"
#include "files/file_result.h"
#include "files/song_file.h"
#include "model/song.h"

namespace kvs {

int RunConvert(const CliOptions& options, const LoadOptions& load,
               const std::vector<std::string>& outPorts, std::ostream& err) {
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, load);
    if (loaded != kResultOk) {
        err << ResultMessage(loaded) << "\n";
        return kExitFileError;
    }
    const ResultCode saved = SaveSongFile(options.files[1], song, options.saveType, outPorts);
    if (saved != kResultOk) {
        err << ResultMessage(saved) << "\n";
        return kExitFileError;
    }
    return kExitOk;
}

}  // namespace kvs
