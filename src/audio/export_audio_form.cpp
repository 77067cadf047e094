#include "audio/export_audio_form.h"

#include <sys/stat.h>

#include "midi/backends/fluid_synth_layer.h"

namespace kvs {
namespace {

std::size_t NameStart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

ExportAudioForm::ExportAudioForm(const AudioExportSettings& settings, const std::string& songPath,
                                 const std::string& folder)
    // A remembered file that has gone shows as it is, so that OK can say so.
    : soundFont(settings.soundFont.empty() ? ChooseSoundFont("") : settings.soundFont),
      rate(settings.rate),
      songPath_(songPath) {
    if (songPath.empty()) {
        target = (folder.empty() || folder == "." ? std::string() : folder + "/") + "untitled.wav";
    } else {
        const std::size_t dot = songPath.rfind('.');
        target = (dot != std::string::npos && dot > NameStart(songPath) ? songPath.substr(0, dot)
                                                                        : songPath) +
                 ".wav";
    }
}

std::string ExportAudioForm::TargetPath() const {
    const std::size_t start = NameStart(target);
    if (start == target.size()) return target;
    return target.find('.', start) == std::string::npos ? target + ".wav" : target;
}

ExportAudioForm::Problem ExportAudioForm::Check() const {
    if (target.empty() || NameStart(target) == target.size()) return Problem::NoTarget;
    // Writing the sound over the song would lose the song.
    if (!songPath_.empty() && SameFile(TargetPath(), songPath_)) return Problem::TargetIsSong;
    if (soundFont.empty() ? ChooseSoundFont("").empty() : !IsRegularFile(soundFont))
        return Problem::NoSoundFont;
    if (rate < kMinRate || rate > kMaxRate) return Problem::BadRate;
    return Problem::None;
}

void ExportAudioForm::Store(AudioExportSettings& settings) const {
    settings.soundFont = soundFont;
    settings.rate = rate;
}

std::string_view ExportAudioForm::ProblemText(Problem problem) {
    switch (problem) {
        case Problem::None:
            break;
        case Problem::NoTarget:
            return "Enter the name of the audio file.";
        case Problem::TargetIsSong:
            return "The audio file cannot replace the song itself.";
        case Problem::NoSoundFont:
            return "The sound font file cannot be found.";
        case Problem::BadRate:
            return "The sample rate must be between 8000 and 192000 Hz.";
    }
    return {};
}

}  // namespace kvs
