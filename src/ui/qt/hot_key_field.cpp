#include "ui/qt/hot_key_field.h"

#include <QKeyEvent>
#include <QKeySequence>

#include "midi/osk_key_codes.h"

namespace kvs {

HotKeyField::HotKeyField(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    // Read-only fields hide the caret; this one still takes keys.
    setFocusPolicy(Qt::StrongFocus);
}

void HotKeyField::SetKey(std::uint32_t key) {
    setText(key == keycode::kNone ? QString()
                                  : QKeySequence(QKeyCombination(static_cast<Qt::Key>(key)))
                                        .toString(QKeySequence::NativeText));
}

bool HotKeyField::event(QEvent* event) {
    // Every plain key belongs to the field, even one a shortcut would take;
    // combinations (Shift+F1 for help, Alt for mnemonics) still reach theirs.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void HotKeyField::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->ignore();
            return;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            emit Captured(keycode::kNone, false);
            return;
        default:
            break;
    }
    if (event->isAutoRepeat()) return;
    // The form refuses combinations and modifier keys alone.
    const bool withModifiers = (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                                      Qt::AltModifier | Qt::MetaModifier)) != 0;
    emit Captured(static_cast<std::uint32_t>(key), withModifiers);
}

}  // namespace kvs
