// The note editor's view on a track of 1,000,000 notes: opening it and
// building the first frame, and scrolling one page.
#include <benchmark/benchmark.h>

#include "dense_note_track.h"
#include "model/song.h"
#include "ui/note_view.h"

namespace {

constexpr std::uint32_t kBeats = kvs::bench::kDenseBeats;

void Fill(kvs::Song& song) {
    song.InsertTrack();
    kvs::bench::FillDenseNotes(*song.GetTrack(0));
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
