// Clipboard and beat edits over one long track.
#include <benchmark/benchmark.h>

#include <memory>

#include "model/edit_session.h"
#include "model/track_copy.h"

namespace {

constexpr std::uint32_t kBeats = 100000;
constexpr std::uint32_t kNotesPerBeat = 5;  // 10 events a beat: 1,000,000 in all

// Five overlapping notes a beat, the last one ending in the next beat.
std::unique_ptr<kvs::Track> MakeLongTrack() {
    auto track = std::make_unique<kvs::Track>();
    for (std::uint32_t beat = 0; beat < kBeats; ++beat) {
        const kvs::Tick base = beat * kvs::TICKS_PER_BEAT;
        for (std::uint32_t n = 0; n < kNotesPerBeat; ++n) {
            const auto key = static_cast<std::uint8_t>(48 + n);
            track->AddEvent(base + n * 30, kvs::PackMessage(0x90, key, 100));
            track->AddEvent(base + n * 30 + 120, kvs::PackMessage(0x80, key, 64));
        }
    }
    for (std::uint32_t beat = 0; beat < track->BeatCount(); ++beat)
        track->Bucket(beat)->Sort();
    return track;
}

const kvs::Track& LongTrack() {
    static const std::unique_ptr<kvs::Track> track = MakeLongTrack();
    return *track;
}

// A session whose only track is a copy of the long track.
struct Session {
    kvs::NullEngineLink engine;
    kvs::PlainBeatSelection selection;
    kvs::NoAsk ask;
    kvs::EditSession session{engine, selection, ask};

    Session() {
        session.GetSong().InsertTrack();
        session.GetSong().ReplaceTrack(0, LongTrack().Clone());
        session.SetCurrentTrack(0);
    }
};

void Report(benchmark::State& state) {
    state.counters["events"] = static_cast<double>(LongTrack().EventCount());
}

// The whole track onto the clipboard.
void BM_Copy(benchmark::State& state) {
    Session s;
    s.selection.Select(0, kBeats);
    for (auto _ : state) {
        if (s.session.Copy() != kvs::EditResult::Done) state.SkipWithError("copy failed");
    }
    Report(state);
}

// The whole track pasted into its own middle (undo copy included).
void BM_Paste(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<Session>();
        s->selection.Select(0, kBeats);
        s->session.Copy();
        s->selection.Select(kBeats / 2, kBeats / 2);
        state.ResumeTiming();
        if (s->session.Paste() != kvs::EditResult::Done) state.SkipWithError("paste failed");
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
    }
    Report(state);
}

// Half of the beats deleted from the middle (undo copy included).
void BM_DeleteBeats(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<Session>();
        s->selection.Select(kBeats / 4, kBeats / 4 * 3);
        state.ResumeTiming();
        if (s->session.DeleteBeats() != kvs::EditResult::Done) state.SkipWithError("delete failed");
        state.PauseTiming();
        s.reset();
        state.ResumeTiming();
    }
    Report(state);
}

// The long track merged over a copy of itself.
void BM_MergeTrack(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<kvs::Track> dest = LongTrack().Clone();
        state.ResumeTiming();
        if (!kvs::MergeTrack(*dest, LongTrack(), 0)) state.SkipWithError("merge failed");
        state.PauseTiming();
        dest.reset();
        state.ResumeTiming();
    }
    Report(state);
}

}  // namespace

BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paste)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteBeats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeTrack)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
