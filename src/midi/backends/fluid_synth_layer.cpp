#include "midi/backends/fluid_synth_layer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "midi/backends/backend_probe.h"
#include "midi/backends/long_send_slots.h"

namespace kvs {

namespace {

void SilenceFluidLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
            fluid_set_log_function(level, nullptr, nullptr);
        }
    });
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

void ApplyShort(fluid_synth_t* synth, std::uint32_t message) {
    int status = static_cast<int>(message & 0xFF);
    int channel = status & 0x0F;
    int d1 = static_cast<int>((message >> 8) & 0x7F);
    int d2 = static_cast<int>((message >> 16) & 0x7F);
    switch (status & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(synth, channel, d1);
            break;
        case 0x90:
            fluid_synth_noteon(synth, channel, d1, d2);  // velocity 0 ends the note
            break;
        case 0xA0:
            fluid_synth_key_pressure(synth, channel, d1, d2);
            break;
        case 0xB0:
            fluid_synth_cc(synth, channel, d1, d2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth, channel, d1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth, channel, d1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth, channel, d1 | (d2 << 7));
            break;
        default:
            if (status == 0xFF) fluid_synth_system_reset(synth);
            break;
    }
}

void ApplyLong(fluid_synth_t* synth, std::span<const std::uint8_t> bytes) {
    // The synthesizer takes the body between F0 and F7; pieces of a SysEx
    // split across several sends mean nothing to it.
    if (bytes.size() < 2 || bytes.front() != 0xF0) return;
    std::size_t length = bytes.size() - 1;
    if (bytes.back() == 0xF7) --length;
    if (length == 0 || length > INT_MAX) return;
    fluid_synth_sysex(synth, reinterpret_cast<const char*>(bytes.data() + 1),
                      static_cast<int>(length), nullptr, nullptr, nullptr, 0);
}

}  // namespace

struct OfflineSynth::Parts {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    // Offline only: the synth's float output before it becomes 16-bit, and
    // a dither of our own. The synth's own 16-bit output dithers from the
    // C library's rand(), whose state anything in the process may move, so
    // the same song would not always give the same samples.
    std::vector<float> mix;
    std::minstd_rand noise{1};
    std::array<float, 2> lastNoise{};

    Parts() = default;
    Parts(const Parts&) = delete;
    Parts& operator=(const Parts&) = delete;
    ~Parts() {
        // The driver calls into the synth, which reads the settings.
        if (driver) delete_fluid_audio_driver(driver);
        if (synth) delete_fluid_synth(synth);
        if (settings) delete_fluid_settings(settings);
    }

    // Settings and a synth with the sound font loaded; no audio yet.
    bool Build(const std::string& soundFontSetting, int sampleRate, std::string* error) {
        SilenceFluidLog();
        std::string soundFont = ChooseSoundFont(soundFontSetting);
        if (soundFont.empty()) {
            SetError(error, soundFontSetting.empty() ? "no General MIDI sound font is installed"
                                                     : "sound font not found: " + soundFontSetting);
            return false;
        }
        settings = new_fluid_settings();
        if (!settings) {
            SetError(error, "the synthesizer could not be set up");
            return false;
        }
        fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
        // One rendering thread keeps offline output the same on every run.
        fluid_settings_setint(settings, "synth.cpu-cores", 1);
        synth = new_fluid_synth(settings);
        if (!synth) {
            SetError(error, "the synthesizer could not be set up");
            return false;
        }
        if (fluid_synth_sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED) {
            SetError(error, "the sound font could not be loaded: " + soundFont);
            return false;
        }
        return true;
    }

    // Tries the system's sound servers before the bare devices; JACK only
    // where a server already runs, since its driver would start one.
    bool StartAudio(std::string* error) {
        std::vector<const char*> drivers = {"pipewire", "pulseaudio", "alsa"};
        if (JackServerRunning()) drivers.push_back("jack");
        fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
        fluid_settings_setstr(settings, "audio.jack.id", kSynthDeviceName);
        for (const char* name : drivers) {
            if (fluid_settings_setstr(settings, "audio.driver", name) != FLUID_OK) continue;
            driver = new_fluid_audio_driver(settings, synth);
            if (driver) return true;
        }
        SetError(error, "no audio output could be opened");
        return false;
    }
};

namespace {

// done runs on this port's own thread, after SendLong has returned, so a
// caller never sees its completion inside its own call. The completion is
// handed over in a slot reserved at open: no lock, no allocation.
class SynthOutputPort : public MidiOutputPort {
  public:
    explicit SynthOutputPort(std::unique_ptr<OfflineSynth::Parts> parts)
        : parts_(std::move(parts)), worker_([this] { Work(); }) {}

    ~SynthOutputPort() override {
        slots_.Stop();
        worker_.join();
    }

    void SendShort(std::uint32_t message) override { ApplyShort(parts_->synth, message); }

    bool SendLong(std::span<const std::uint8_t> bytes, std::function<void()> done) override {
        if (bytes.empty() || slots_.Stopping()) return false;
        std::uint32_t slot = 0;
        if (!slots_.Acquire(&slot)) return false;
        // Applied at once, so it keeps its place among the short messages
        // and the bytes are not used after this call.
        ApplyLong(parts_->synth, bytes);
        slots_.At(slot).done = std::move(done);
        slots_.Publish(slot);
        return true;
    }

  private:
    static constexpr std::size_t kLongSlots = 16;

    void Work() {
        std::uint32_t slot = 0;
        while (slots_.Next(&slot)) {
            std::function<void()> done = std::move(slots_.At(slot).done);
            slots_.Release(slot);
            if (done) done();
        }
    }

    std::unique_ptr<OfflineSynth::Parts> parts_;
    LongSendSlots slots_{kLongSlots};
    std::thread worker_;
};

}  // namespace

std::string ChooseSoundFont(const std::string& setting) {
    if (!setting.empty()) return FileExists(setting) ? setting : std::string();
    for (const char* path : {kFluidR3SoundFont, kTimGmSoundFont}) {
        if (FileExists(path)) return path;
    }
    return {};
}

std::unique_ptr<MidiOutputPort> OpenSynthOutput(const std::string& soundFontSetting,
                                                std::string* error) {
    QuietSystemAudioMessages();
    auto parts = std::make_unique<OfflineSynth::Parts>();
    if (!parts->Build(soundFontSetting, 44100, error) || !parts->StartAudio(error)) {
        return nullptr;
    }
    return std::make_unique<SynthOutputPort>(std::move(parts));
}

std::unique_ptr<OfflineSynth> OfflineSynth::Create(const std::string& soundFontSetting,
                                                   int sampleRate, std::string* error) {
    if (sampleRate < 8000 || sampleRate > 96000) {
        SetError(error, "the sample rate must be between 8000 and 96000");
        return nullptr;
    }
    auto parts = std::make_unique<Parts>();
    if (!parts->Build(soundFontSetting, sampleRate, error)) return nullptr;
    std::unique_ptr<OfflineSynth> synth(new OfflineSynth());
    synth->parts_ = std::move(parts);
    synth->sampleRate_ = sampleRate;
    return synth;
}

OfflineSynth::~OfflineSynth() = default;

void OfflineSynth::SendShort(std::uint32_t message) {
    ApplyShort(parts_->synth, message);
}

void OfflineSynth::SendLong(std::span<const std::uint8_t> bytes) {
    ApplyLong(parts_->synth, bytes);
}

bool OfflineSynth::Render(std::span<std::int16_t> out, std::size_t frames) {
    if (frames > INT_MAX / 2 || out.size() / 2 < frames) return false;
    if (frames == 0) return true;
    Parts& p = *parts_;
    p.mix.resize(frames * 2);
    if (fluid_synth_write_float(p.synth, static_cast<int>(frames), p.mix.data(), 0, 2, p.mix.data(),
                                1, 2) != FLUID_OK)
        return false;
    // High-passed triangular dither of one step, as the synth's own output.
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    for (std::size_t i = 0; i < frames * 2; ++i) {
        float& last = p.lastNoise[i % 2];
        const float noise = uniform(p.noise);
        const float value = std::nearbyint(p.mix[i] * 32766.0f + noise - last);
        last = noise;
        out[i] = static_cast<std::int16_t>(std::clamp(value, -32768.0f, 32767.0f));
    }
    return true;
}

}  // namespace kvs
