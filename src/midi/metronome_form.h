#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"

namespace kvs {

// An enabled MIDI OUT device as the port list shows it.
struct MetronomePort {
    std::uint32_t port = 0;
    std::string friendlyName;
};

// The Metronome dialog: count-in beats and the two click notes. Values are
// taken without range limits (the engine clamps what it sends); text that is
// not a number falls back to a fixed value.
class MetronomeForm {
  public:
    struct ClickFields {
        std::string channel;
        std::int32_t portIndex = -1;  // into Ports(); -1 keeps the stored port
        std::string key;              // a note name or a number
        std::string velocity;
    };
    enum class Focus { None, FirstKey, FirstVelocity, OtherKey, OtherVelocity, Elsewhere };

    MetronomeForm(const EngineSettings& settings, std::vector<MetronomePort> ports);

    const std::vector<MetronomePort>& Ports() const { return ports_; }

    std::string playCount;
    std::string recCount;
    ClickFields first;
    ClickFields other;

    void SetFocus(Focus focus) { focus_ = focus; }
    // An incoming note on fills the key and velocity of the click whose key or
    // velocity field has the focus.
    void OnNoteOn(std::uint32_t key, std::uint32_t velocity);
    // Writes the fields into settings (the other settings are kept).
    void Ok(EngineSettings& settings) const;

  private:
    MetronomeClick Read(const ClickFields& fields, const MetronomeClick& stored,
                        std::uint32_t defaultVelocity) const;

    std::vector<MetronomePort> ports_;
    MetronomeClick storedFirst_;
    MetronomeClick storedOther_;
    Focus focus_ = Focus::None;
};

}  // namespace kvs
