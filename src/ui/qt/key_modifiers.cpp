#include "ui/qt/key_modifiers.h"

#include <QInputEvent>

namespace kvs {

KeyModifiers ModifiersOf(const QInputEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    return {(mods & Qt::ShiftModifier) != 0, (mods & Qt::ControlModifier) != 0,
            (mods & Qt::AltModifier) != 0};
}

char LetterOrDigitOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<char>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<char>('0' + (key - Qt::Key_0));
    return 0;
}

}  // namespace kvs
