#pragma once

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <cstdint>
#include <functional>
#include <optional>

#include "ui/track_view.h"

namespace kvs {

// Shows a view model's bar on a Qt bar without signalling back to the view.
void ApplyScrollBarState(QAbstractSlider& bar, const ScrollBarState& state, int singleStep = 1);

// What a bar's QAbstractSlider::SliderAction asks of the view model; the
// position counts only for a drag.
struct BarRequest {
    ScrollAction action = ScrollAction::LineBack;
    std::uint32_t position = 0;
};
std::optional<BarRequest> BarRequestOf(const QAbstractSlider& bar, int sliderAction);

// Shows both bars of a view model that scrolls both ways on its scroll area.
template <typename View>
void ApplyScrollBars(QAbstractScrollArea& area, const View& view) {
    ApplyScrollBarState(*area.horizontalScrollBar(), view.HorizontalBar());
    ApplyScrollBarState(*area.verticalScrollBar(), view.VerticalBar());
}

// The area's bars only report what the user did: each action goes to
// scroll, and the view model behind it decides where the view goes.
using BarScroll = std::function<void(bool horizontal, ScrollAction action, std::uint32_t position)>;
void ForwardBarActions(QAbstractScrollArea& area, BarScroll scroll);

// The same for a view model that scrolls both ways; its bars then show
// where it went.
template <typename View>
void ForwardScrollBars(QAbstractScrollArea& area, View& view) {
    ForwardBarActions(area,
                      [&area, &view](bool horizontal, ScrollAction action, std::uint32_t position) {
                          if (horizontal)
                              view.ScrollHorizontal(action, position);
                          else
                              view.ScrollVertical(action, position);
                          ApplyScrollBars(area, view);
                      });
}

}  // namespace kvs
