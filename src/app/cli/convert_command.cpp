#include "app/cli/convert_command.h"

#include "app/cli/cli.h"
#include "files/song_file.h"
#include "model/song.h"

namespace kvs {

int RunConvert(const CliOptions& options, CliSession& session) {
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, session.LoadOptionsFor(options));
    if (loaded != kResultOk) {
        session.ReportFileError(options.files[0], loaded);
        return kExitFileError;
    }
    const ResultCode saved =
        SaveSongFile(options.files[1], song, options.saveType, session.OutPortNames(options));
    if (saved != kResultOk) {
        session.ReportFileError(options.files[1], saved);
        return kExitFileError;
    }
    return kExitOk;
}

}  // namespace kvs
