#include "app/cli/render_command.h"

#include <cstdint>
#include <string>

#include "app/cli/cli.h"
#include "audio/song_render.h"
#include "files/song_file.h"
#include "model/song.h"

namespace kvs {

int RunRender(const CliOptions& options, CliSession& session, std::ostream& out,
              std::ostream& err) {
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, session.LoadOptionsFor(options));
    if (loaded != kResultOk) {
        session.ReportFileError(options.files[0], loaded);
        return kExitFileError;
    }
    SongRender::Options ro;
    ro.soundFont = options.soundFont;
    ro.sampleRate = options.sampleRate.value_or(44100);
    ro.engine = session.CurrentSettings().engine;
    SongRender render(song, ro);
    const std::string& path = options.files[1];
    if (render.Open(path)) (void)render.Run();
    switch (render.Error()) {
        case SongRender::Failure::None:
            break;
        case SongRender::Failure::SoundFont:
            err << "kvs-cli: cannot load the sound font"
                << (options.soundFont.empty() ? std::string() : " " + options.soundFont) << ": "
                << render.SoundFontError() << "\n";
            return kExitFileError;
        case SongRender::Failure::File:
            session.ReportFileError(path, render.FileError());
            return kExitFileError;
        case SongRender::Failure::TooLong:
            err << "kvs-cli: the song is too long for a WAV file\n";
            return kExitFileError;
    }
    const int rate = render.SampleRate();
    const std::uint64_t ms = render.Frames() * 1000 / static_cast<std::uint64_t>(rate);
    out << path << ": " << ms / 1000 << "." << (ms % 1000) / 100 << " s at " << rate << " Hz\n";
    return kExitOk;
}

}  // namespace kvs
