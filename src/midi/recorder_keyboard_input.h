#pragma once

#include <cstdint>

#include "midi/onscreen_keyboard_form.h"
#include "midi/recorder.h"

namespace kvs {

// The on-screen keyboard plays into the same path as a MIDI keyboard, so its
// notes are echoed, filtered and recorded alike.
class RecorderKeyboardInput final : public KeyboardNoteInput {
  public:
    explicit RecorderKeyboardInput(Recorder& recorder) : recorder_(recorder) {}
    void KeyboardMessage(std::uint32_t message) override { recorder_.HandleShort(message); }

  private:
    Recorder& recorder_;
};

}  // namespace kvs
