#include "ui/qt/scroll_bar_sync.h"

#include <QAbstractSlider>
#include <QSignalBlocker>
#include <algorithm>

namespace kvs {

void ApplyScrollBarState(QAbstractSlider& bar, const ScrollBarState& state, int singleStep) {
    const QSignalBlocker blocker(&bar);
    // Qt's maximum is the thumb's last position; the view may sit past it.
    const std::int64_t last = std::int64_t{state.max} - state.page + 1;
    const auto maximum = static_cast<int>(std::clamp<std::int64_t>(
        std::max<std::int64_t>(last, state.position), state.min, 0x7FFFFFFF));
    bar.setRange(static_cast<int>(state.min), maximum);
    bar.setPageStep(static_cast<int>(std::max<std::uint32_t>(state.page, 1)));
    bar.setSingleStep(singleStep);
    bar.setValue(static_cast<int>(std::min<std::uint32_t>(state.position, 0x7FFFFFFF)));
    bar.setEnabled(state.enabled);
}

std::optional<BarRequest> BarRequestOf(const QAbstractSlider& bar, int sliderAction) {
    switch (sliderAction) {
        case QAbstractSlider::SliderSingleStepSub:
            return BarRequest{ScrollAction::LineBack};
        case QAbstractSlider::SliderSingleStepAdd:
            return BarRequest{ScrollAction::LineForward};
        case QAbstractSlider::SliderPageStepSub:
            return BarRequest{ScrollAction::PageBack};
        case QAbstractSlider::SliderPageStepAdd:
            return BarRequest{ScrollAction::PageForward};
        case QAbstractSlider::SliderToMinimum:
        case QAbstractSlider::SliderToMaximum:
        case QAbstractSlider::SliderMove:
            return BarRequest{ScrollAction::Drag,
                              static_cast<std::uint32_t>(std::max(bar.sliderPosition(), 0))};
        default:
            return std::nullopt;
    }
}

void ForwardBarActions(QAbstractScrollArea& area, BarScroll scroll) {
    const auto forward = [&area, scroll](bool horizontal, int sliderAction) {
        const QScrollBar& bar =
            horizontal ? *area.horizontalScrollBar() : *area.verticalScrollBar();
        if (const auto request = BarRequestOf(bar, sliderAction))
            scroll(horizontal, request->action, request->position);
    };
    QObject::connect(area.horizontalScrollBar(), &QAbstractSlider::actionTriggered, &area,
                     [forward](int action) { forward(true, action); });
    QObject::connect(area.verticalScrollBar(), &QAbstractSlider::actionTriggered, &area,
                     [forward](int action) { forward(false, action); });
}

}  // namespace kvs
