#pragma once

#include <cstdint>
#include <optional>

#include "ui/track_view.h"

class QAbstractSlider;

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

}  // namespace kvs
