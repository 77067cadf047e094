// The note editor's view on a track of 1,000,000 notes: opening it and
// building the first frame, and scrolling one page.
#include <benchmark/benchmark.h>

#include "model/song.h"
#include "ui/note_view.h"

namespace {

constexpr std::uint32_t kBeats = 100000;
constexpr std::uint32_t kNotesPerBeat = 10;  // 1,000,000 notes, 2,000,000 events

// Ten notes a beat over 40 keys, so that the walk back for notes still
// sounding never sees all 128 keys and goes on to beat 0: the worst case.
void Fill(kvs::Song& song) {
    song.InsertTrack();
    kvs::Track& track = *song.GetTrack(0);
    for (std::uint32_t beat = 0; beat < kBeats; ++beat) {
        const kvs::Tick base = beat * kvs::TICKS_PER_BEAT;
        for (std::uint32_t n = 0; n < kNotesPerBeat; ++n) {
            const auto key = static_cast<std::uint8_t>(40 + (beat * 3 + n * 4) % 40);
            track.AddEvent(base + n * 19, kvs::PackMessage(0x90, key, 100));
            track.AddEvent(base + n * 19 + 150, kvs::PackMessage(0x80, key, 64));
        }
    }
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        kvs::SortBucket(*track.Bucket(beat));
}

kvs::Song& LongSong() {
    static kvs::Song song;
    static const bool filled = (Fill(song), true);
    (void)filled;
    return song;
}

void SetUpView(kvs::NoteView& view) {
    view.SetFontMetrics(8, 16);
    view.SetClientSize(1200, 800);
}

// What opening the editor does, up to the data of the first painted frame.
void Open(benchmark::State& state) {
    kvs::Song& song = LongSong();
    const auto beat = static_cast<std::uint32_t>(state.range(0));
    kvs::NoteFrame frame;
    for (auto _ : state) {
        kvs::NoteView view;
        SetUpView(view);
        view.SetSong(&song);
        view.SetTrack(0);
        view.SetZoom(song.timeSigNumerator);
        view.SetCursor(std::int64_t{beat} * kvs::TICKS_PER_BEAT);
        view.SetSnap(48);
        view.BuildFrame(frame);
        benchmark::DoNotOptimize(frame.notes.data());
    }
}
BENCHMARK(Open)->Arg(0)->Arg(kBeats / 2)->Arg(kBeats - 4)->Unit(benchmark::kMillisecond);

void ScrollOnePage(benchmark::State& state) {
    kvs::Song& song = LongSong();
    kvs::NoteView view;
    SetUpView(view);
    view.SetSong(&song);
    view.SetZoom(4);
    view.SetCursor(std::int64_t{kBeats / 2} * kvs::TICKS_PER_BEAT);
    kvs::NoteFrame frame;
    bool forward = true;
    for (auto _ : state) {
        view.ScrollHorizontal(forward ? kvs::ScrollAction::PageForward
                                      : kvs::ScrollAction::PageBack);
        view.BuildFrame(frame);
        benchmark::DoNotOptimize(frame.notes.data());
        forward = !forward;
    }
}
BENCHMARK(ScrollOnePage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
