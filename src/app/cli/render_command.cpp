#include "app/cli/render_command.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/cli.h"
#include "app/cli/wav_file.h"
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

// Audio of whole timer periods, streamed to the file. A period is rarely a
// whole number of frames (132.3 at 44,100 Hz), so the fraction is carried and
// the sound never drifts from the song's timing.
class PeriodRenderer {
  public:
    PeriodRenderer(OfflineSynth& synth, WavWriter& wav)
        : synth_(synth),
          wav_(wav),
          period_((std::size_t(synth.SampleRate()) * TIMER_PERIOD_MS / 1000 + 1) * 2) {}

    // False (nothing rendered) when the audio would not fit a WAV file or
    // cannot be written; error says which.
    bool RenderPeriod() {
        carry_ += std::uint64_t(synth_.SampleRate()) * TIMER_PERIOD_MS;
        const std::uint64_t frames = carry_ / 1000;
        carry_ %= 1000;
        if (!wav_.Fits(frames)) return false;
        const std::span<std::int16_t> room(period_.data(), frames * 2);
        (void)synth_.Render(room, frames);
        last_ = room;
        error_ = wav_.Write(room);
        return error_ == kResultOk;
    }
    // Whether the last period stayed under -90 dBFS: the dither of 16-bit
    // output never stops, so exact silence never comes.
    bool LastQuiet() const {
        return std::all_of(last_.begin(), last_.end(),
                           [](std::int16_t s) { return s >= -kQuietLevel && s <= kQuietLevel; });
    }
    ResultCode Error() const { return error_; }

  private:
    // 1/32768 is -90.3 dBFS.
    static constexpr std::int16_t kQuietLevel = 1;

    OfflineSynth& synth_;
    WavWriter& wav_;
    std::vector<std::int16_t> period_;  // room for the longest period
    std::span<std::int16_t> last_;
    std::uint64_t carry_ = 0;
    ResultCode error_ = kResultOk;
};

constexpr std::uint32_t kMaxTailMs = 5000;
constexpr std::uint32_t kQuietEndsTailMs = 100;

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
        session.ReportFileError(options.files[0], loaded);
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

    const std::string& path = options.files[1];
    WavWriter wav;
    if (const ResultCode opened = wav.Open(path, static_cast<std::uint32_t>(rate));
        opened != kResultOk) {
        session.ReportFileError(path, opened);
        return kExitFileError;
    }
    SynthSink sink(*synth);
    SynthSysex sysex(*synth);
    OfflineClock clock;
    FifoNotifier notifier;
    PeriodRenderer renderer(*synth, wav);
    bool stopped = false;
    bool tooLong = false;
    {
        Engine engine(clock, sink, notifier, &sysex);
        engine.SetSong(&song);
        engine.SetOptions(RenderEngineOptions(session.CurrentSettings()));
        engine.StartPlay(0);
        clock.Run(UINT64_MAX, [&] {
            if (!renderer.RenderPeriod()) {
                stopped = true;
                tooLong = renderer.Error() == kResultOk;
                clock.Stop();
            }
        });
        // The song end posts Play/stop; stopping releases what still sounds.
        engine.StopEngine();
    }
    // The released notes fade out; the file ends once they are quiet.
    std::uint32_t quietMs = 0;
    for (std::uint32_t ms = 0; !stopped && ms < kMaxTailMs && quietMs < kQuietEndsTailMs;
         ms += TIMER_PERIOD_MS) {
        stopped = !renderer.RenderPeriod();
        quietMs = renderer.LastQuiet() ? quietMs + TIMER_PERIOD_MS : 0;
    }
    if (renderer.Error() != kResultOk) {
        session.ReportFileError(path, renderer.Error());
        return kExitFileError;
    }
    if (tooLong) {
        err << "kvs-cli: the song is too long for a WAV file\n";
        return kExitFileError;
    }
    if (const ResultCode written = wav.Finish(); written != kResultOk) {
        session.ReportFileError(path, written);
        return kExitFileError;
    }
    const std::uint64_t ms = wav.Frames() * 1000 / static_cast<std::uint64_t>(rate);
    out << path << ": " << ms / 1000 << "." << (ms % 1000) / 100 << " s at " << rate << " Hz\n";
    return kExitOk;
}

}  // namespace kvs
