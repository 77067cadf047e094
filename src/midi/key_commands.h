#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "config/settings.h"
#include "model/form_prompts.h"

namespace kvs {

class Notifier;

// One thing a MIDI key can be told to do: its label and the main-window
// command it posts (0 for none).
struct KeyCommandAction {
    PromptText label;
    std::uint32_t command = 0;
};

inline constexpr std::size_t kKeyCommandActionCount = kKeyCommandLastAction + 1;
extern const std::array<KeyCommandAction, kKeyCommandActionCount> kKeyCommandActions;

// The command of an action number; 0 for no action or a number beyond the
// table.
std::uint32_t KeyCommandId(std::uint32_t action);

// The live key-command map and switch, read by the MIDI input thread while
// the window thread may replace them. Each word is atomic; a reader can see
// a map half replaced, which only matters for the one key being pressed.
class KeyCommands {
  public:
    KeyCommands();

    // Keys outside 21-108 and action numbers beyond the table become 0.
    void SetMap(const KeyCommandMap& map);
    KeyCommandMap Map() const;
    std::uint32_t Action(std::uint32_t key) const;

    void SetEnabled(bool on) { enabled_.store(on, std::memory_order_relaxed); }
    bool Enabled() const { return enabled_.load(std::memory_order_relaxed); }

  private:
    std::array<std::atomic<std::uint8_t>, 128> map_;
    std::atomic<bool> enabled_{true};
};

// True when message was taken as a key command (its key has an action): a
// note on posts the action's command, a note off is swallowed. Neither may
// go on to thru, dialogs or recording. Nothing is taken while input is
// suspended or key commands are off. Allocates nothing and never blocks.
bool KeyCommandFilter(std::uint32_t message, const KeyCommands& commands, bool inputSuspended,
                      Notifier& notifier);

}  // namespace kvs
