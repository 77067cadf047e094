#include "app/cli/render_command.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/cli.h"
#include "app/cli/wav_file.h"
#include "files/byte_writer.h"
#include "files/song_file.h"
#include "midi/backends/fluid_synth_layer.h"
#include "midi/engine.h"
#include "midi/notifier.h"
#include "midi/timer_manual.h"
#include "model/song.h"
#include "model/sysex_table.h"

namespace kvs {
namespace {

// Every port plays on the one synthesizer.
class SynthSink final : public ShortMessageSink {
  public:
    explicit SynthSink(OfflineSynth& synth) : synth_(synth) {}
    void SendShort(std::uint32_t message, std::uint32_t) override { synth_.SendShort(message); }
    void SendShortAll(std::uint32_t message) override { synth_.SendShort(message); }

  private:
    OfflineSynth& synth_;
};

// Offline there is no device to wait for: a block takes effect at once, in
// the period that reached it.
class SynthSysex final : public SysexOutput {
  public:
    explicit SynthSysex(OfflineSynth& synth) : synth_(synth) {}
    void QueueSysex(const SysexBlock& block, std::uint32_t) override {
        synth_.SendLong(block.bytes);
    }
    void KickSysex() override {}

  private:
    OfflineSynth& synth_;
};

// Audio of whole timer periods. A period is rarely a whole number of frames
// (132.3 at 44,100 Hz), so the fraction is carried and the sound never drifts
// from the song's timing.
class PeriodRenderer {
  public:
    explicit PeriodRenderer(OfflineSynth& synth) : synth_(synth) {}

    // False (nothing rendered) when the audio would not fit a WAV file.
    bool RenderPeriod() {
        carry_ += std::uint64_t(synth_.SampleRate()) * TIMER_PERIOD_MS;
        const std::uint64_t frames = carry_ / 1000;
        carry_ %= 1000;
        const std::uint64_t have = pcm_.size() / 2;
        if (have + frames > kMaxWavFrames) return false;
        pcm_.resize((have + frames) * 2);
        std::span<std::int16_t> room(pcm_.data() + have * 2, frames * 2);
        (void)synth_.Render(room, frames);
        last_ = room;
        return true;
    }
    // Whether the last period was all silence.
    bool LastSilent() const {
        return std::all_of(last_.begin(), last_.end(), [](std::int16_t s) { return s == 0; });
    }
    std::uint64_t Frames() const { return pcm_.size() / 2; }
    const std::vector<std::int16_t>& Samples() const { return pcm_; }

  private:
    OfflineSynth& synth_;
    std::vector<std::int16_t> pcm_;
    std::span<std::int16_t> last_;
    std::uint64_t carry_ = 0;
};

constexpr std::uint32_t kMaxTailMs = 5000;
constexpr std::uint32_t kSilenceEndsTailMs = 100;

EngineOptions RenderEngineOptions(const Settings& settings) {
    EngineOptions eo;
    eo.settings = settings.engine;
    // A render is the song alone, from its first tick.
    eo.settings.metronome = false;
    eo.settings.midiClock = false;
    eo.settings.playCount = 0;
    eo.settings.initDelay = 0;
    eo.settings.synchroStart = false;
    return eo;
}

}  // namespace

int RunRender(const CliOptions& options, CliSession& session, std::ostream& out,
              std::ostream& err) {
    Song song;
    const ResultCode loaded = LoadSongFile(options.files[0], song, session.LoadOptionsFor(options));
    if (loaded != kResultOk) {
        err << ResultMessage(loaded) << "\n";
        return kExitFileError;
    }
    // A loop would never reach the song end.
    song.loop = 0;

    const int rate = options.sampleRate.value_or(44100);
    std::string error;
    const std::unique_ptr<OfflineSynth> synth =
        OfflineSynth::Create(options.soundFont, rate, &error);
    if (!synth) {
        err << "kvs-cli: cannot load the sound font"
            << (options.soundFont.empty() ? std::string() : " " + options.soundFont) << ": "
            << error << "\n";
        return kExitFileError;
    }

    SynthSink sink(*synth);
    SynthSysex sysex(*synth);
    OfflineClock clock;
    FifoNotifier notifier;
    PeriodRenderer renderer(*synth);
    bool tooLong = false;
    {
        Engine engine(clock, sink, notifier, &sysex);
        engine.SetSong(&song);
        engine.SetOptions(RenderEngineOptions(session.CurrentSettings()));
        engine.StartPlay(0);
        clock.Run(UINT64_MAX, [&] {
            if (!renderer.RenderPeriod()) {
                tooLong = true;
                clock.Stop();
            }
        });
        // The song end posts Play/stop; stopping releases what still sounds.
        engine.StopEngine();
    }
    if (tooLong) {
        err << "kvs-cli: the song is too long for a WAV file\n";
        return kExitFileError;
    }
    // The released notes fade out; the file ends once they are silent.
    std::uint32_t silentMs = 0;
    for (std::uint32_t ms = 0; ms < kMaxTailMs && silentMs < kSilenceEndsTailMs;
         ms += TIMER_PERIOD_MS) {
        if (!renderer.RenderPeriod()) break;
        silentMs = renderer.LastSilent() ? silentMs + TIMER_PERIOD_MS : 0;
    }

    const std::vector<std::uint8_t> wav =
        BuildWav(renderer.Samples(), static_cast<std::uint32_t>(rate));
    const ResultCode written = WriteFileAtomically(options.files[1], wav);
    if (written != kResultOk) {
        err << "kvs-cli: " << options.files[1] << ": " << ResultMessage(written) << "\n";
        return kExitFileError;
    }
    const std::uint64_t ms = renderer.Frames() * 1000 / static_cast<std::uint64_t>(rate);
    out << options.files[1] << ": " << ms / 1000 << "." << (ms % 1000) / 100 << " s at " << rate
        << " Hz\n";
    return kExitOk;
}

}  // namespace kvs
