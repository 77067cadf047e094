#pragma once

#include <QMouseEvent>
#include <QRect>
#include <QWheelEvent>
#include <QWidget>
#include <cstdint>

#include "ui/track_view.h"

namespace kvs {

// What the painted grids (track, note and control views) share in how they
// take the mouse and the wheel.

inline QRect ToQRect(const CellRect& r) {
    return {r.x, r.y, r.width, r.height};
}

// The most beats a piano roll or control view shows at once.
inline constexpr std::uint32_t kMaxZoomBeats = 64;

// Wheel notches turned so far, whole ones only: a touchpad sends fractions
// that add up. Sideways for a tilted wheel or Shift.
struct WheelTurn {
    int notches = 0;
    bool sideways = false;
};
WheelTurn TakeWheelTurn(const QWheelEvent& event, int& remainder);

// Ctrl+wheel: each notch away halves the beats shown, each notch back
// doubles them, within 1 to kMaxZoomBeats.
std::uint32_t ZoomedBeats(std::uint32_t beats, int notches);

// The wheel scrolls the view's lines: the system's lines a notch down,
// one column a notch sideways.
template <typename View>
void ScrollByWheel(View& view, const WheelTurn& turn, int linesPerNotch) {
    const int steps =
        (turn.notches < 0 ? -turn.notches : turn.notches) * (turn.sideways ? 1 : linesPerNotch);
    const ScrollAction action =
        turn.notches > 0 ? ScrollAction::LineBack : ScrollAction::LineForward;
    for (int i = 0; i < steps; ++i) {
        if (turn.sideways)
            view.ScrollHorizontal(action);
        else
            view.ScrollVertical(action);
    }
}

// A left or right press takes the focus and places the view's caret; other
// buttons go on to the parent.
template <typename View>
void PressIntoView(QWidget& widget, QMouseEvent* event, View& view) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
        event->ignore();
        return;
    }
    widget.setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    view.MouseDown(at.x(), at.y());
    event->accept();
}

}  // namespace kvs
