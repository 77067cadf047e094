// The track view's cost per full repaint: the rows built by the view model
// alone, and the widget painting them offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "model/song.h"
#include "ui/qt/track_view_widget.h"
#include "ui/track_view.h"

namespace {

constexpr std::uint32_t kTracks = 128;
constexpr std::uint32_t kBeats = 2000;

// Every track busy: a note on and off in most beats, a controller in every fifth.
void FillSong(kvs::Song& song) {
    for (std::uint32_t t = 0; t < kTracks; ++t) {
        song.InsertTrack();
        kvs::Track& track = *song.GetTrack(t);
        for (std::uint32_t b = 0; b < kBeats; ++b) {
            if ((b + t) % 7 == 0) continue;
            track.AddEvent(b * 192, 0x403C90);
            track.AddEvent(b * 192 + 96, 0x3C80);
            if (b % 5 == 0) track.AddEvent(b * 192 + 10, 0x4007B0);
        }
    }
}

struct Fixture {
    Fixture() {
        FillSong(song);
        view.SetFontMetrics(8, 16);
        view.SetClientSize(8 * kvs::TrackView::kMaxColumns, 16 * kTracks);
        view.SetSong(&song);
    }
    kvs::Song song;
    kvs::TrackView view;
};

void BM_TrackViewBuildRows(benchmark::State& state) {
    Fixture f;
    f.view.SetZoom(static_cast<std::uint32_t>(state.range(0)));
    char row[kvs::TrackView::kMaxColumns];
    for (auto _ : state) {
        for (std::uint32_t r = 0; r < kTracks; ++r)
            benchmark::DoNotOptimize(f.view.BuildRow(r, row));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TrackViewBuildRows)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

// 128 rows x 200 columns on screen, with a selection over all tracks.
void BM_TrackViewPaint(benchmark::State& state) {
    Fixture f;
    kvs::TrackViewWidget widget(f.view);
    f.view.SetZoom(static_cast<std::uint32_t>(state.range(0)));
    const int width = static_cast<int>(f.view.CharWidth() * kvs::TrackView::kMaxColumns);
    const int height = static_cast<int>(f.view.RowHeight() * kTracks);
    widget.show();  // a hidden widget hears of its size only when shown
    widget.resize(widget.size() - widget.viewport()->size() + QSize(width, height));
    f.view.SelectTracks(0, kvs::TrackView::kAll);
    f.view.Select(40, 120);
    if (f.view.ColumnCount() < kvs::TrackView::kMaxColumns || f.view.VisibleRowCount() < kTracks)
        state.SkipWithError("the widget does not show 128 x 200 cells");
    QImage image(widget.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        widget.viewport()->render(&image);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_TrackViewPaint)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
