#include "ui/qt/track_view_widget.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTest>
#include <utility>
#include <vector>

#include "model/song.h"

namespace kvs {
namespace {

// Stands in for the main window: receives what the view passes on.
struct KeyCatcher : QWidget {
    std::vector<std::pair<int, Qt::KeyboardModifiers>> keys;
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_Shift && event->key() != Qt::Key_Control)
            keys.emplace_back(event->key(), event->modifiers());
    }
};

void AddTracks(Song& song, int count, std::uint32_t beats, std::uint32_t noteBeat) {
    for (int i = 0; i < count; ++i) {
        song.InsertTrack();
        Track& track = *song.GetTrack(song.TrackCount() - 1);
        track.EnsureBeats(beats);
        track.AddEvent(noteBeat * 192, 0x403C90);
    }
}

class TrackViewWidgetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        widget = new TrackViewWidget(view, &window);
        window.resize(420, 220);
        widget->setGeometry(0, 0, 420, 220);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        widget->setFocus();
    }
    QImage Paint() { return widget->viewport()->grab().toImage(); }
    QPoint Cell(int column, int row) const {
        return QPoint(column * static_cast<int>(view.CharWidth()) + 1,
                      row * static_cast<int>(view.RowHeight()) + 1);
    }

    Song song;
    TrackView view;
    KeyCatcher window;
    TrackViewWidget* widget = nullptr;
};

TEST_F(TrackViewWidgetTest, KeysClicksAndScrollBarsDriveTheView) {
    AddTracks(song, 3, 400, 0);
    view.SetSong(&song);
    QTest::keyClick(widget, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(widget, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(widget, Qt::Key_Down);
    EXPECT_EQ(view.Anchor(), 0u);
    EXPECT_EQ(view.Caret(), 2u);
    EXPECT_EQ(view.CursorTrack(), 1u);

    QTest::keyClick(widget, Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_A);
    ASSERT_EQ(window.keys.size(), 2u);
    EXPECT_EQ(window.keys[0],
              std::make_pair(int{Qt::Key_Delete}, Qt::KeyboardModifiers(Qt::ControlModifier)));
    EXPECT_EQ(window.keys[1].first, Qt::Key_A);

    QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, Cell(5, 2));
    EXPECT_EQ(view.CursorTrack(), 2u);
    EXPECT_EQ(view.Caret(), 5u);
    EXPECT_EQ(view.Anchor(), 5u);

    QScrollBar* bar = widget->horizontalScrollBar();
    EXPECT_TRUE(bar->isEnabled());
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view.FirstBeat(), view.ColumnCount());
    EXPECT_EQ(static_cast<std::uint32_t>(bar->value()), view.FirstBeat());
    EXPECT_EQ(view.Caret(), view.FirstBeat());  // pulled along into view
    EXPECT_FALSE(widget->verticalScrollBar()->isEnabled());
}

TEST_F(TrackViewWidgetTest, PaintsGlyphsInTheirColumnsAndTheSelectionHighlighted) {
    widget->clearFocus();  // no caret in the pictures
    AddTracks(song, 2, 20, 0);
    view.SetSong(&song);
    const QImage first = Paint();
    Song other;
    AddTracks(other, 2, 20, 6);
    view.SetSong(&other);
    const QImage second = Paint();
    EXPECT_NE(first, second);

    // The note of the second song is drawn in column 6 and nowhere before it.
    const auto inked = [&](const QImage& image, int column) {
        const QColor base = widget->palette().color(QPalette::Base);
        const int w = static_cast<int>(view.CharWidth()), h = static_cast<int>(view.RowHeight());
        for (int y = 0; y < h; ++y)
            for (int x = column * w; x < (column + 1) * w; ++x)
                if (image.pixelColor(x, y) != base) return true;
        return false;
    };
    EXPECT_TRUE(inked(first, 0));
    EXPECT_FALSE(inked(second, 0));
    EXPECT_TRUE(inked(second, 6));

    view.Select(2, 4);
    const QPoint lit = Cell(3, 0);
    EXPECT_EQ(Paint().pixelColor(lit), widget->palette().color(QPalette::Highlight));
}

}  // namespace
}  // namespace kvs
