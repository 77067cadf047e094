#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "midi/device_layer.h"

namespace kvs {

// The built-in synthesizer's MIDI OUT device name.
inline constexpr const char* kSynthDeviceName = "KVS Synth";

inline constexpr const char* kTimGmSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
inline constexpr const char* kFluidR3SoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

// The sound font to load: setting when it names one, else FluidR3 when
// installed, else TimGM6mb. Empty when none of them exists.
std::string ChooseSoundFont(const std::string& setting);

// Opens the built-in synthesizer on the system's audio output. Null with
// the reason in error when no sound font loads or no audio output opens.
std::unique_ptr<MidiOutputPort> OpenSynthOutput(const std::string& soundFontSetting,
                                                std::string* error);

// A synthesizer without an audio driver: the caller applies messages and
// renders audio between them, as fast as the machine allows. Rendering the
// same messages at the same frame positions gives the same samples.
class OfflineSynth {
  public:
    static std::unique_ptr<OfflineSynth> Create(const std::string& soundFontSetting, int sampleRate,
                                                std::string* error);
    ~OfflineSynth();
    OfflineSynth(const OfflineSynth&) = delete;
    OfflineSynth& operator=(const OfflineSynth&) = delete;

    void SendShort(std::uint32_t message);
    // A whole SysEx message, F0 ... F7.
    void SendLong(std::span<const std::uint8_t> bytes);
    // Renders frames of 16-bit stereo into out (interleaved left, right);
    // false when out is shorter than 2 * frames.
    bool Render(std::span<std::int16_t> out, std::size_t frames);
    int SampleRate() const { return sampleRate_; }

    struct Parts;

  private:
    OfflineSynth() = default;
    std::unique_ptr<Parts> parts_;
    int sampleRate_ = 0;
};

}  // namespace kvs
