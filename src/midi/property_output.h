#pragma once

#include <cstdint>

#include "midi/engine_output.h"
#include "model/property_fields.h"

namespace kvs {

class Engine;

// Live sending of the property dialogs: messages to the device outputs,
// tempo to the engine.
class LivePropertyOutput final : public PropertyOutput {
  public:
    // engine may be null (no live tempo then).
    LivePropertyOutput(ShortMessageSink& out, Engine* engine) : out_(out), engine_(engine) {}
    void SendShort(std::uint32_t message, std::uint32_t port) override {
        out_.SendShort(message, port);
    }
    void SetTempo(std::uint32_t bpm) override;

  private:
    ShortMessageSink& out_;
    Engine* engine_;
};

}  // namespace kvs
