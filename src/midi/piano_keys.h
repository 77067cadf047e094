#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "config/packed_settings.h"

namespace kvs {

// What the piano keys tell their host: a message to play (note on, note
// off or the sustain pedal, always on channel 1), a range moved by a digit
// key, a velocity chosen by a velocity key.
class PianoKeyListener {
  public:
    virtual ~PianoKeyListener() = default;
    virtual void PlayMessage(std::uint32_t message) = 0;
    virtual void RangeChanged(int lowKey, int highKey) = 0;
    virtual void VelocityChanged(int velocity) = 0;
};

// Right and bottom are exclusive.
struct KeyRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const KeyRect&) const = default;
};

struct PianoKeyShape {
    int key = 0;
    bool black = false;
    KeyRect rect;
};

bool IsBlackKey(int key);

// The drawn piano keyboard without its widget: range, geometry, hit testing
// and what the mouse, the computer keys and the focus do. Keys are the
// toolkit's key codes (osk_key_codes.h).
class PianoKeys {
  public:
    static constexpr std::size_t kMaxLayoutKeys = OskLayoutSettings::kMaxKeys;
    static constexpr int kNone = -1;

    explicit PianoKeys(PianoKeyListener& listener);

    // Kept within 0-127. A digit key moves the whole span and may push its
    // top past 127: those keys are shown but never play.
    void SetRange(int lowKey, int highKey);
    void SetVelocity(int velocity);  // kept within 1-127
    // At most kMaxLayoutKeys are taken; kNone entries hold a place and match
    // no key.
    void SetLayout(std::span<const std::uint32_t> keyCodes);
    void SetBaseKey(int baseKey);  // kept within 0-11
    // The stored layout: virtual keys turned into key codes, and its base key.
    void SetLayout(const OskLayoutSettings& layout);
    void Resize(int width, int height);

    int LowKey() const { return lowKey_; }
    int HighKey() const { return highKey_; }
    int Velocity() const { return velocity_; }
    int BaseKey() const { return baseKey_; }
    int WhiteCount() const { return whiteCount_; }
    int WhiteWidth() const { return whiteWidth_; }
    int MouseKey() const { return mouseKey_; }
    bool MouseCaptured() const { return captured_; }
    bool SustainHeld() const { return sustainHeld_; }
    bool Focused() const { return focused_; }
    // Held down now, by the mouse or a computer key.
    bool Sounding(int key) const;
    std::span<const std::uint32_t> Layout() const { return {layout_.data(), layoutCount_}; }

    // White keys first, then the black keys drawn over them.
    std::vector<PianoKeyShape> Shapes() const;
    // The key under a point of the client area; kNone for none. The upper
    // half finds only black keys, the lower half only white ones.
    int HitTest(int x, int y) const;

    // True when the widget should take the focus and capture the mouse.
    bool MouseDown(int x, int y);
    void MouseUp();
    void KeyDown(std::uint32_t key, bool autoRepeat);
    void KeyUp(std::uint32_t key, bool autoRepeat);
    void FocusIn();
    void FocusOut();

    // Keys the widget asks its dialog for: the arrows and every character.
    static bool WantsKey(std::uint32_t key);

  private:
    int WhiteKeyAt(int index) const;  // kNone past the range
    void Recount();
    void Play(std::uint32_t status, int key, int data2);

    PianoKeyListener& listener_;
    int lowKey_ = 36;
    int highKey_ = 96;
    int mouseKey_ = kNone;
    int velocity_ = 80;
    std::array<std::uint32_t, kMaxLayoutKeys> layout_{};
    std::size_t layoutCount_ = 0;
    int baseKey_ = 0;
    std::array<int, kMaxLayoutKeys> heldKeys_;
    bool sustainHeld_ = false;
    int whiteCount_ = 0;
    int whiteWidth_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool focused_ = false;
    bool captured_ = false;
};

}  // namespace kvs
