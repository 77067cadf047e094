#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/device_layer.h"

namespace kvs {

class JackCycleClock;

// The system's MIDI devices through RtMidi, for one named API. RtMidi
// throws; nothing here does.
class RtMidiLayer : public MidiDeviceLayer {
  public:
    enum class Api { Alsa, Jack };

    // Null (with the reason in error) when the API cannot be used at all,
    // e.g. the ALSA sequencer cannot be opened.
    static std::unique_ptr<RtMidiLayer> Create(Api api, std::string* error);

    std::string Name() const override;
    std::vector<std::string> InputNames() const override { return inputNames_; }
    std::vector<std::string> OutputNames() const override { return outputNames_; }
    std::unique_ptr<MidiOutputPort> OpenOutput(std::uint32_t index, std::string* error) override;
    std::unique_ptr<MidiInputPort> OpenInput(std::uint32_t index, MidiInputSink& sink,
                                             std::string* error) override;

  private:
    explicit RtMidiLayer(Api api) : api_(api) {}

    Api api_;
    // Names as the system reported them at enumeration, to find the same
    // device again when it is opened even if the numbering moved.
    std::vector<std::string> rawInputNames_;
    std::vector<std::string> rawOutputNames_;
    std::vector<std::string> inputNames_;
    std::vector<std::string> outputNames_;
    // Paces JACK output; opened with the first output port.
    std::shared_ptr<JackCycleClock> clock_;
};

// The client name this program shows in the system's MIDI graph.
inline constexpr const char* kRtMidiClientName = "Kavelsong";

}  // namespace kvs
