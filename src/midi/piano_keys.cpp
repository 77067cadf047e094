#include "midi/piano_keys.h"

#include <algorithm>
#include <string_view>

#include "midi/osk_key_codes.h"

namespace kvs {
namespace {

constexpr std::uint32_t kNoteOff = 0x80;
constexpr std::uint32_t kNoteOn = 0x90;
constexpr std::uint32_t kController = 0xB0;
constexpr int kSustain = 64;
// Z X C V B N M , choose velocities 15, 31, ... 127.
constexpr std::string_view kVelocityKeys = "ZXCVBNM,";

int FloorDiv(int a, int b) {
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

bool IsBlackKey(int key) {
    const int pitch = ((key % 12) + 12) % 12;
    return pitch == 1 || pitch == 3 || pitch == 6 || pitch == 8 || pitch == 10;
}

PianoKeys::PianoKeys(PianoKeyListener& listener) : listener_(listener) {
    heldKeys_.fill(kNone);
    SetLayout(OskLayoutSettings{});
    Recount();
}

void PianoKeys::SetRange(int lowKey, int highKey) {
    lowKey_ = std::clamp(lowKey, 0, 127);
    highKey_ = std::clamp(highKey, lowKey_, 127);
    Recount();
}

void PianoKeys::SetVelocity(int velocity) {
    velocity_ = std::clamp(velocity, 1, 127);
}

void PianoKeys::SetLayout(std::span<const std::uint32_t> keyCodes) {
    layoutCount_ = std::min(keyCodes.size(), kMaxLayoutKeys);
    layout_.fill(keycode::kNone);
    std::copy_n(keyCodes.begin(), layoutCount_, layout_.begin());
}

void PianoKeys::SetBaseKey(int baseKey) {
    baseKey_ = std::clamp(baseKey, 0, 11);
}

void PianoKeys::SetLayout(const OskLayoutSettings& layout) {
    std::array<std::uint32_t, kMaxLayoutKeys> codes{};
    const std::size_t n = std::min(layout.keys.size(), kMaxLayoutKeys);
    for (std::size_t i = 0; i < n; ++i)
        codes[i] = KeyCodeFromVirtualKey(layout.keys[i]);
    SetLayout(std::span<const std::uint32_t>(codes.data(), n));
    SetBaseKey(layout.baseKey);
}

void PianoKeys::Resize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    Recount();
}

void PianoKeys::Recount() {
    whiteCount_ = 0;
    for (int key = lowKey_; key <= highKey_; ++key)
        if (!IsBlackKey(key)) ++whiteCount_;
    // A range of one black key has no white key to divide the width by.
    whiteWidth_ = whiteCount_ > 0 ? width_ / whiteCount_ : 0;
}

int PianoKeys::WhiteKeyAt(int index) const {
    if (index < 0) return kNone;
    for (int key = lowKey_; key <= highKey_; ++key)
        if (!IsBlackKey(key) && index-- == 0) return key;
    return kNone;
}

std::vector<PianoKeyShape> PianoKeys::Shapes() const {
    std::vector<PianoKeyShape> whites;
    std::vector<PianoKeyShape> blacks;
    const int w = whiteWidth_;
    int j = -1;  // the white key last passed
    for (int key = lowKey_; key <= highKey_; ++key) {
        if (IsBlackKey(key)) {
            const int left = j * w + 2 * w / 3;
            blacks.push_back({key, true, {left, 0, left + 2 * w / 3, height_ / 2}});
        } else {
            ++j;
            whites.push_back({key, false, {j * w, 0, (j + 1) * w - 2, height_}});
        }
    }
    whites.insert(whites.end(), blacks.begin(), blacks.end());
    return whites;
}

bool PianoKeys::Sounding(int key) const {
    if (key == kNone) return false;
    return key == mouseKey_ ||
           std::find(heldKeys_.begin(), heldKeys_.end(), key) != heldKeys_.end();
}

int PianoKeys::HitTest(int x, int y) const {
    const int w = whiteWidth_;
    if (w <= 0 || x < 0 || y < 0 || y >= height_) return kNone;
    int key = kNone;
    if (y < height_ / 2) {
        // Floor division: the left half of the first white key must not
        // count as lying past white key 0.
        const int j = FloorDiv(x - w / 2, w);
        const int before = j < 0 ? lowKey_ - 1 : WhiteKeyAt(j);
        if (j < -1 || (j >= 0 && before == kNone)) return kNone;
        const int next = before + 1;
        if (next >= lowKey_ && next <= highKey_ && IsBlackKey(next)) key = next;
    } else {
        key = WhiteKeyAt(x / w);
    }
    return key > 127 ? kNone : key;
}

void PianoKeys::Play(std::uint32_t status, int key, int data2) {
    listener_.PlayMessage(status | (static_cast<std::uint32_t>(key) << 8) |
                          (static_cast<std::uint32_t>(data2) << 16));
}

bool PianoKeys::MouseDown(int x, int y) {
    const int key = HitTest(x, y);
    if (key == kNone) return false;
    // A press without its release (the release went elsewhere) must not
    // leave the earlier note sounding.
    if (mouseKey_ != kNone) Play(kNoteOff, mouseKey_, velocity_);
    Play(kNoteOn, key, velocity_);
    mouseKey_ = key;
    captured_ = true;
    return true;
}

void PianoKeys::MouseUp() {
    if (mouseKey_ != kNone) Play(kNoteOff, mouseKey_, velocity_);
    mouseKey_ = kNone;
    captured_ = false;
}

void PianoKeys::KeyDown(std::uint32_t key, bool autoRepeat) {
    if (autoRepeat) return;
    key = UnshiftedKeyCode(key);
    if (key == keycode::kShift) {
        Play(kController, kSustain, 127);
        sustainHeld_ = true;
    }
    for (std::size_t i = 0; i < layoutCount_; ++i) {
        if (key == keycode::kNone || layout_[i] != key) continue;
        const int note = lowKey_ + baseKey_ + static_cast<int>(i);
        if (note > highKey_ || note > 127) continue;
        if (heldKeys_[i] != kNone) Play(kNoteOff, heldKeys_[i], velocity_);
        heldKeys_[i] = note;
        Play(kNoteOn, note, velocity_);
    }
    if (const std::size_t v = kVelocityKeys.find(static_cast<char>(key));
        key < 0x80 && v != std::string_view::npos) {
        velocity_ = static_cast<int>(v) * 16 + 15;
        listener_.VelocityChanged(velocity_);
    }
    if (key >= keycode::k0 && key <= keycode::k7) {
        const int low = static_cast<int>(key - keycode::k0) * 12 + 12;
        highKey_ += low - lowKey_;
        lowKey_ = low;
        Recount();
        listener_.RangeChanged(lowKey_, highKey_);
    }
}

void PianoKeys::KeyUp(std::uint32_t key, bool autoRepeat) {
    if (autoRepeat) return;
    key = UnshiftedKeyCode(key);
    // Only a pedal this keyboard put down is lifted: a Shift+Tab into the
    // keyboard must not record a stray pedal release.
    if (key == keycode::kShift && sustainHeld_) {
        Play(kController, kSustain, 0);
        sustainHeld_ = false;
    }
    for (std::size_t i = 0; i < layoutCount_; ++i) {
        if (key == keycode::kNone || layout_[i] != key || heldKeys_[i] == kNone) continue;
        Play(kNoteOff, heldKeys_[i], velocity_);
        heldKeys_[i] = kNone;
    }
}

void PianoKeys::FocusIn() {
    focused_ = true;
    // The mouse note stays: a click takes the focus after playing it.
    heldKeys_.fill(kNone);
    sustainHeld_ = false;
}

void PianoKeys::FocusOut() {
    focused_ = false;
    for (int& note : heldKeys_) {
        if (note != kNone) Play(kNoteOff, note, velocity_);
        note = kNone;
    }
    MouseUp();
    if (sustainHeld_) Play(kController, kSustain, 0);
    sustainHeld_ = false;
}

bool PianoKeys::WantsKey(std::uint32_t key) {
    return key < keycode::kEscape || key == keycode::kLeft || key == keycode::kRight ||
           key == keycode::kUp || key == keycode::kDown;
}

}  // namespace kvs
