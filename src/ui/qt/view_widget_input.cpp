#include "ui/qt/view_widget_input.h"

#include <algorithm>
#include <cstdlib>

#include "ui/qt/key_modifiers.h"

namespace kvs {

WheelTurn TakeWheelTurn(const QWheelEvent& event, int& remainder) {
    const QPoint delta = event.angleDelta();
    WheelTurn turn;
    turn.sideways = delta.x() != 0 || ModifiersOf(event).shift;
    remainder += turn.sideways && delta.x() != 0 ? delta.x() : delta.y();
    turn.notches = remainder / 120;
    remainder -= turn.notches * 120;
    return turn;
}

std::uint32_t ZoomedBeats(std::uint32_t beats, int notches) {
    for (int i = 0; i < std::abs(notches); ++i)
        beats = notches > 0 ? std::max<std::uint32_t>(beats / 2, 1)
                            : std::min<std::uint32_t>(beats * 2, kMaxZoomBeats);
    return beats;
}

}  // namespace kvs
