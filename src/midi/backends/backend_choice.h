#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "midi/backends/virtual_midi.h"
#include "midi/backends/virtual_midi_log.h"
#include "midi/device_layer.h"

namespace kvs {

enum class BackendKind { Alsa, Jack, Virtual, None };

// The value of KVS_MIDI: "alsa", "jack", "virtual" or "none" (any case);
// nothing for unset, empty or unknown values.
std::optional<BackendKind> ParseBackendOverride(const char* value);

// The override when given; else the ALSA sequencer when it can be opened,
// else JACK when a server runs, else none. The probes run only when needed.
BackendKind ChooseBackend(const char* overrideValue, const std::function<bool()>& alsaOpens,
                          const std::function<bool()>& jackRuns);

std::string_view BackendName(BackendKind kind);

// A layer's devices followed by one more MIDI OUT device, the built-in
// synthesizer "KVS Synth", opened on the system's audio output.
class SynthCompositeLayer : public MidiDeviceLayer {
  public:
    SynthCompositeLayer(std::unique_ptr<MidiDeviceLayer> base, std::string soundFontSetting);

    std::string Name() const override { return base_->Name(); }
    std::vector<std::string> InputNames() const override { return base_->InputNames(); }
    std::vector<std::string> OutputNames() const override;
    std::unique_ptr<MidiOutputPort> OpenOutput(std::uint32_t index, std::string* error) override;
    std::unique_ptr<MidiInputPort> OpenInput(std::uint32_t index, MidiInputSink& sink,
                                             std::string* error) override {
        return base_->OpenInput(index, sink, error);
    }

    MidiDeviceLayer& Base() { return *base_; }

  private:
    std::unique_ptr<MidiDeviceLayer> base_;
    std::string soundFont_;
};

// The one virtual output every track plays to under KVS_MIDI=virtual (and
// kvs-cli play --midi virtual), with one virtual input.
inline constexpr std::string_view kVirtualOutName = "KVS Virtual Out";
inline constexpr std::string_view kVirtualInName = "KVS Virtual In";
std::unique_ptr<VirtualMidiLayer> MakeVirtualLayer();

struct BackendChoice {
    std::unique_ptr<SynthCompositeLayer> layer;  // never null
    // Why the layer is not the one asked for or expected; empty when it is.
    std::string note;
    BackendKind kind = BackendKind::None;  // what the layer is (None also after a failure)
    // The virtual devices inside layer (their outputs come first); null
    // unless kind is Virtual.
    VirtualMidiLayer* virtualLayer = nullptr;
    // With KVS_MIDI_LOG=FILE under a virtual layer: what the virtual outputs
    // are sent goes there. Declared after layer, so it goes first.
    std::unique_ptr<VirtualMidiLog> log;
};

// The device layer for this run, chosen from KVS_MIDI and what the system
// offers; KVS_MIDI_LOG names the log of a virtual layer. A backend that was asked for but fails
// leaves "none" (with the built-in synthesizer) and says why in note.
BackendChoice CreateDeviceLayer(const std::string& soundFontSetting);

}  // namespace kvs
