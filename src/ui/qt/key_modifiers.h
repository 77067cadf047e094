#pragma once

class QInputEvent;

namespace kvs {

// The modifier keys held, as the view models take them.
struct KeyModifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};
KeyModifiers ModifiersOf(const QInputEvent& event);

// The letter ('A'..'Z') or digit a key stands for, whatever the modifiers; 0 for any other key.
char LetterOrDigitOf(int key);

}  // namespace kvs
