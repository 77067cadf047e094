#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/settings.h"

namespace kvs {

// File > Export audio: where the sound goes, the sound font it is played
// with and the sample rate. The sound font and rate are remembered; the
// file name follows the song's.
class ExportAudioForm {
  public:
    static constexpr std::array<std::uint32_t, 5> kRates = {22050, 32000, 44100, 48000, 96000};
    static constexpr std::uint32_t kMinRate = 8000;
    static constexpr std::uint32_t kMaxRate = 192000;

    enum class Problem { None, NoTarget, TargetIsSong, NoSoundFont, BadRate };

    // songPath may be empty (an untitled song); folder is where an untitled
    // song's audio goes.
    ExportAudioForm(const AudioExportSettings& settings, const std::string& songPath,
                    const std::string& folder);

    std::string target;
    // Shown as the file that will be used; empty only when none is installed.
    std::string soundFont;
    std::uint32_t rate = 44100;

    // What stands in the way of OK.
    Problem Check() const;
    // The target with ".wav" added to a name without an extension.
    std::string TargetPath() const;
    void Store(AudioExportSettings& settings) const;

    // The dialog's texts. The prompt table has none for this dialog, so they
    // are English whatever the language file.
    static std::string_view ProblemText(Problem problem);

  private:
    std::string songPath_;
};

}  // namespace kvs
