#include "midi/osk_key_codes.h"

#include <array>
#include <utility>

namespace kvs {
namespace {

using keycode::kF1;

// Virtual keys whose number differs from the key code.
constexpr std::array<std::pair<std::uint16_t, std::uint32_t>, 28> kVirtualKeys = {{
    {0x08, keycode::kBackspace},   {0x09, keycode::kTab},       {0x0D, keycode::kReturn},
    {0x10, keycode::kShift},       {0x11, keycode::kControl},   {0x12, keycode::kAlt},
    {0x1B, keycode::kEscape},      {0x21, keycode::kPageUp},    {0x22, keycode::kPageDown},
    {0x23, keycode::kEnd},         {0x24, keycode::kHome},      {0x25, keycode::kLeft},
    {0x26, keycode::kUp},          {0x27, keycode::kRight},     {0x28, keycode::kDown},
    {0x2D, keycode::kInsert},      {0x2E, keycode::kDelete},    {0xBA, keycode::kSemicolon},
    {0xBB, keycode::kEqual},       {0xBC, keycode::kComma},     {0xBD, keycode::kMinus},
    {0xBE, keycode::kPeriod},      {0xBF, keycode::kSlash},     {0xC0, keycode::kQuoteLeft},
    {0xDB, keycode::kBracketLeft}, {0xDC, keycode::kBackslash}, {0xDD, keycode::kBracketRight},
    {0xDE, keycode::kApostrophe},
}};

constexpr std::uint16_t kVkF1 = 0x70;
constexpr std::uint16_t kVkF12 = 0x7B;

// Shifted symbol, unshifted key, as a US keyboard prints them.
constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 21> kShifted = {{
    {')', '0'},  {'!', '1'}, {'@', '2'}, {'#', '3'}, {'$', '4'}, {'%', '5'}, {'^', '6'},
    {'&', '7'},  {'*', '8'}, {'(', '9'}, {':', ';'}, {'~', '`'}, {'{', '['}, {'}', ']'},
    {'"', '\''}, {'<', ','}, {'>', '.'}, {'?', '/'}, {'_', '-'}, {'+', '='}, {'|', '\\'},
}};

template <typename Table>
std::uint32_t FindCode(const Table& table, std::uint16_t vk) {
    for (const auto& [v, code] : table)
        if (v == vk) return code;
    return keycode::kNone;
}

template <typename Table>
std::uint16_t FindVirtual(const Table& table, std::uint32_t key) {
    for (const auto& [v, code] : table)
        if (code == key) return v;
    return 0;
}

}  // namespace

std::uint32_t KeyCodeFromVirtualKey(std::uint16_t vk) {
    if (vk == 0x20 || (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return vk;
    if (vk >= kVkF1 && vk <= kVkF12) return kF1 + (vk - kVkF1);
    return FindCode(kVirtualKeys, vk);
}

std::uint16_t VirtualKeyFromKeyCode(std::uint32_t key) {
    if (key == keycode::kSpace || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return static_cast<std::uint16_t>(key);
    if (key >= 'a' && key <= 'z') return static_cast<std::uint16_t>(key - 'a' + 'A');
    if (key >= kF1 && key <= keycode::kF12) return static_cast<std::uint16_t>(kVkF1 + (key - kF1));
    if (key == keycode::kEnter) return 0x0D;
    if (key == keycode::kBacktab) return 0x09;
    return FindVirtual(kVirtualKeys, key);
}

std::uint32_t UnshiftedKeyCode(std::uint32_t key) {
    for (const auto& [shifted, plain] : kShifted)
        if (shifted == key) return plain;
    if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
    return key;
}

bool IsModifierKeyCode(std::uint32_t key) {
    return key == keycode::kShift || key == keycode::kControl || key == keycode::kMeta ||
           key == keycode::kAlt || key == keycode::kAltGr;
}

}  // namespace kvs
