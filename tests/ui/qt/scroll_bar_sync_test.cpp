#include "ui/qt/scroll_bar_sync.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <tuple>
#include <vector>

namespace kvs {
namespace {

TEST(ScrollBarSync, BarHoldsAPositionPastTheLastPage) {
    QScrollBar bar(Qt::Horizontal);
    int moves = 0;
    QObject::connect(&bar, &QScrollBar::valueChanged, [&moves] { ++moves; });
    ApplyScrollBarState(bar, ScrollBarState{0, 99, 10, 95, true});
    EXPECT_EQ(bar.maximum(), 95);  // the thumb's last regular place is 90
    EXPECT_EQ(bar.value(), 95);
    EXPECT_EQ(bar.pageStep(), 10);
    EXPECT_EQ(bar.singleStep(), 1);
    EXPECT_EQ(moves, 0);  // never echoed back to the view

    ApplyScrollBarState(bar, ScrollBarState{0, 99, 10, 5, false}, 10);
    EXPECT_EQ(bar.maximum(), 90);
    EXPECT_EQ(bar.singleStep(), 10);
    EXPECT_FALSE(bar.isEnabled());
}

TEST(ScrollBarSync, BarActionsReachTheViewModel) {
    QAbstractScrollArea area;
    area.verticalScrollBar()->setRange(0, 100);
    std::vector<std::tuple<bool, ScrollAction, std::uint32_t>> seen;
    ForwardBarActions(area, [&seen](bool horizontal, ScrollAction action, std::uint32_t position) {
        seen.emplace_back(horizontal, action, position);
    });
    area.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    area.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    area.verticalScrollBar()->setSliderPosition(40);  // a drag
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(std::get<0>(seen[0]), false);
    EXPECT_EQ(std::get<1>(seen[0]), ScrollAction::PageForward);
    EXPECT_EQ(std::get<0>(seen[1]), true);
    EXPECT_EQ(std::get<1>(seen[1]), ScrollAction::LineBack);
    EXPECT_EQ(seen[2], std::tuple(false, ScrollAction::Drag, 40u));
}

}  // namespace
}  // namespace kvs
