#include "ui/qt/marker_keys.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include "ui/commands.h"

namespace kvs {
namespace {

// X11 (evdev) keycodes of the digit row: 10 is "1" ... 18 is "9", 19 is "0".
std::optional<int> DigitFromScanCode(quint32 code) {
    if (code < 10 || code > 19) return std::nullopt;
    return code == 19 ? 0 : static_cast<int>(code) - 9;
}

// Without a keycode (other platforms, synthetic events), the characters
// Shift gives the digit row on a US layout.
std::optional<int> DigitFromKey(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return key - Qt::Key_0;
    static constexpr int kShifted[10] = {Qt::Key_ParenRight,  Qt::Key_Exclam,    Qt::Key_At,
                                         Qt::Key_NumberSign,  Qt::Key_Dollar,    Qt::Key_Percent,
                                         Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,
                                         Qt::Key_ParenLeft};
    for (int digit = 0; digit < 10; ++digit) {
        if (kShifted[digit] == key) return digit;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> MarkerCommandForKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::KeypadModifier))
        return std::nullopt;
    std::optional<int> digit;
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        digit = DigitFromScanCode(event.nativeScanCode());
    if (!digit) digit = DigitFromKey(event.key());
    if (!digit) return std::nullopt;
    const std::uint32_t slot = 2 + static_cast<std::uint32_t>(*digit);
    return (mods & Qt::ShiftModifier) ? cmd::SetMarkFirst + slot : cmd::GoMarkFirst + slot;
}

}  // namespace kvs
