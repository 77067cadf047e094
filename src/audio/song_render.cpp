#include "audio/song_render.h"

#include <algorithm>
#include <span>
#include <vector>

#include "audio/flac_writer.h"
#include "files/wav_file.h"
#include "midi/backends/fluid_synth_layer.h"
#include "midi/engine.h"
#include "midi/notifier.h"
#include "midi/timer_manual.h"
#include "model/song.h"
#include "model/sysex_table.h"
#include "model/time_map.h"

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
    PeriodRenderer(OfflineSynth& synth, AudioFileWriter& wav)
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
    AudioFileWriter& wav_;
    std::vector<std::int16_t> period_;  // room for the longest period
    std::span<std::int16_t> last_;
    std::uint64_t carry_ = 0;
    ResultCode error_ = kResultOk;
};

constexpr std::uint32_t kMaxTailMs = 5000;
constexpr std::uint32_t kQuietEndsTailMs = 100;

}  // namespace

struct SongRender::Parts {
    Parts(std::unique_ptr<OfflineSynth> s, std::unique_ptr<AudioFileWriter> w)
        : synth(std::move(s)),
          file(std::move(w)),
          sink(*synth),
          sysex(*synth),
          renderer(*synth, *file) {}

    std::unique_ptr<OfflineSynth> synth;
    std::unique_ptr<AudioFileWriter> file;
    SynthSink sink;
    SynthSysex sysex;
    OfflineClock clock;
    FifoNotifier notifier;
    PeriodRenderer renderer;
    std::unique_ptr<Engine> engine;  // while the song plays
    std::uint32_t tailMs = 0;
    std::uint32_t quietMs = 0;
    std::uint64_t expectedFrames = 0;
};

SongRender::SongRender(Song& song, Options options)
    : song_(song), options_(std::move(options)), savedLoop_(song.loop) {
    song_.loop = 0;
}

SongRender::~SongRender() {
    // The engine lets go of the song before the loop comes back.
    parts_.reset();
    song_.loop = savedLoop_;
}

bool SongRender::Open(const std::string& path) {
    std::unique_ptr<OfflineSynth> synth =
        OfflineSynth::Create(options_.soundFont, options_.sampleRate, &soundFontError_);
    if (!synth) {
        (void)Fail(Failure::SoundFont);
        return false;
    }
    std::unique_ptr<AudioFileWriter> file;
    if (IsFlacPath(path))
        file = std::make_unique<FlacWriter>();
    else
        file = std::make_unique<WavWriter>();
    auto parts = std::make_unique<Parts>(std::move(synth), std::move(file));
    fileError_ = parts->file->Open(path, static_cast<std::uint32_t>(options_.sampleRate));
    if (fileError_ != kResultOk) {
        (void)Fail(Failure::File);
        return false;
    }
    const std::uint64_t songMs = TicksToMs(song_, song_.SongLengthBeats() * TICKS_PER_BEAT);
    parts->expectedFrames = songMs * static_cast<std::uint64_t>(options_.sampleRate) / 1000;

    EngineOptions eo;
    eo.settings = options_.engine;
    // A render is the song alone, from its first tick.
    eo.settings.metronome = false;
    eo.settings.midiClock = false;
    eo.settings.playCount = 0;
    eo.settings.initDelay = 0;
    eo.settings.synchroStart = false;
    parts->engine =
        std::make_unique<Engine>(parts->clock, parts->sink, parts->notifier, &parts->sysex);
    parts->engine->SetSong(&song_);
    parts->engine->SetOptions(eo);
    parts->engine->StartPlay(0);
    parts_ = std::move(parts);
    status_ = Status::Running;
    return true;
}

SongRender::Status SongRender::Fail(Failure failure) {
    failure_ = failure;
    status_ = Status::Failed;
    // Drops the unfinished file.
    parts_.reset();
    return status_;
}

SongRender::Status SongRender::Step(std::uint32_t periods) {
    if (status_ != Status::Running) return status_;
    Parts& p = *parts_;
    bool stopped = false;
    if (p.engine) {
        p.clock.Run(periods, [&] {
            if (!p.renderer.RenderPeriod()) {
                stopped = true;
                p.clock.Stop();
            }
        });
        if (p.clock.Running()) return status_;
        // The song end posts Play/stop; stopping releases what still sounds.
        p.engine->StopEngine();
        p.engine.reset();
    } else {
        // The released notes fade out; the file ends once they are quiet.
        for (std::uint32_t n = 0;
             n < periods && p.tailMs < kMaxTailMs && p.quietMs < kQuietEndsTailMs;
             ++n, p.tailMs += TIMER_PERIOD_MS) {
            if (!p.renderer.RenderPeriod()) {
                stopped = true;
                break;
            }
            p.quietMs = p.renderer.LastQuiet() ? p.quietMs + TIMER_PERIOD_MS : 0;
        }
        if (!stopped && p.tailMs < kMaxTailMs && p.quietMs < kQuietEndsTailMs) return status_;
    }
    if (p.renderer.Error() != kResultOk) {
        fileError_ = p.renderer.Error();
        return Fail(Failure::File);
    }
    if (stopped) return Fail(Failure::TooLong);
    if (!p.engine && (p.tailMs >= kMaxTailMs || p.quietMs >= kQuietEndsTailMs)) {
        fileError_ = p.file->Finish();
        if (fileError_ != kResultOk) return Fail(Failure::File);
        status_ = Status::Done;
    }
    return status_;
}

SongRender::Status SongRender::Run() {
    while (Step(1u << 16) == Status::Running) {
    }
    return status_;
}

std::uint32_t SongRender::Permille() const {
    if (status_ == Status::Done) return 1000;
    if (!parts_ || parts_->expectedFrames == 0) return 0;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(999, parts_->file->Frames() * 1000 / parts_->expectedFrames));
}

std::uint64_t SongRender::Frames() const {
    return parts_ ? parts_->file->Frames() : 0;
}

}  // namespace kvs
