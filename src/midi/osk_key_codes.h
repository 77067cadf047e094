#pragma once

#include <cstdint>

namespace kvs {

// Computer keys are named by the window toolkit's key codes; the settings
// file keeps the Windows virtual-key numbers it always held. Letters and
// digits are the same number in both.
namespace keycode {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSpace = 0x20;
inline constexpr std::uint32_t kApostrophe = 0x27;
inline constexpr std::uint32_t kComma = 0x2C;
inline constexpr std::uint32_t kMinus = 0x2D;
inline constexpr std::uint32_t kPeriod = 0x2E;
inline constexpr std::uint32_t kSlash = 0x2F;
inline constexpr std::uint32_t k0 = 0x30;
inline constexpr std::uint32_t k7 = 0x37;
inline constexpr std::uint32_t k9 = 0x39;
inline constexpr std::uint32_t kSemicolon = 0x3B;
inline constexpr std::uint32_t kEqual = 0x3D;
inline constexpr std::uint32_t kA = 0x41;
inline constexpr std::uint32_t kZ = 0x5A;
inline constexpr std::uint32_t kBracketLeft = 0x5B;
inline constexpr std::uint32_t kBackslash = 0x5C;
inline constexpr std::uint32_t kBracketRight = 0x5D;
inline constexpr std::uint32_t kQuoteLeft = 0x60;
inline constexpr std::uint32_t kEscape = 0x01000000;
inline constexpr std::uint32_t kTab = 0x01000001;
inline constexpr std::uint32_t kBacktab = 0x01000002;
inline constexpr std::uint32_t kBackspace = 0x01000003;
inline constexpr std::uint32_t kReturn = 0x01000004;
inline constexpr std::uint32_t kEnter = 0x01000005;
inline constexpr std::uint32_t kInsert = 0x01000006;
inline constexpr std::uint32_t kDelete = 0x01000007;
inline constexpr std::uint32_t kHome = 0x01000010;
inline constexpr std::uint32_t kEnd = 0x01000011;
inline constexpr std::uint32_t kLeft = 0x01000012;
inline constexpr std::uint32_t kUp = 0x01000013;
inline constexpr std::uint32_t kRight = 0x01000014;
inline constexpr std::uint32_t kDown = 0x01000015;
inline constexpr std::uint32_t kPageUp = 0x01000016;
inline constexpr std::uint32_t kPageDown = 0x01000017;
inline constexpr std::uint32_t kShift = 0x01000020;
inline constexpr std::uint32_t kControl = 0x01000021;
inline constexpr std::uint32_t kMeta = 0x01000022;
inline constexpr std::uint32_t kAlt = 0x01000023;
inline constexpr std::uint32_t kAltGr = 0x01001103;
inline constexpr std::uint32_t kF1 = 0x01000030;
inline constexpr std::uint32_t kF12 = 0x0100003B;
}  // namespace keycode

// The key code of a Windows virtual key; kNone for one without an equivalent.
std::uint32_t KeyCodeFromVirtualKey(std::uint16_t vk);
// The virtual key of a key code; 0 for one without an equivalent.
std::uint16_t VirtualKeyFromKeyCode(std::uint32_t key);

// The toolkit names a symbol key by what it types, so with Shift held (the
// sustain pedal) ";" arrives as ":" and "5" as "%". This gives the unshifted
// key of a US keyboard, the one the layout names.
std::uint32_t UnshiftedKeyCode(std::uint32_t key);

// Shift, Control, Alt and the like: never a key of their own in the layout.
bool IsModifierKeyCode(std::uint32_t key);

}  // namespace kvs
