#include "midi/backends/backend_choice.h"

#include <cctype>
#include <cstdlib>

#include "midi/backends/backend_probe.h"
#include "midi/backends/fluid_synth_layer.h"
#include "midi/backends/rtmidi_layer.h"
#include "midi/backends/virtual_midi.h"

namespace kvs {

std::optional<BackendKind> ParseBackendOverride(const char* value) {
    if (!value) return std::nullopt;
    std::string lower;
    for (const char* p = value; *p; ++p) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    }
    if (lower == "alsa") return BackendKind::Alsa;
    if (lower == "jack") return BackendKind::Jack;
    if (lower == "virtual") return BackendKind::Virtual;
    if (lower == "none") return BackendKind::None;
    return std::nullopt;
}

BackendKind ChooseBackend(const char* overrideValue, const std::function<bool()>& alsaOpens,
                          const std::function<bool()>& jackRuns) {
    if (auto kind = ParseBackendOverride(overrideValue)) return *kind;
    if (alsaOpens && alsaOpens()) return BackendKind::Alsa;
    if (jackRuns && jackRuns()) return BackendKind::Jack;
    return BackendKind::None;
}

std::string_view BackendName(BackendKind kind) {
    switch (kind) {
        case BackendKind::Alsa:
            return "alsa";
        case BackendKind::Jack:
            return "jack";
        case BackendKind::Virtual:
            return "virtual";
        case BackendKind::None:
            break;
    }
    return "none";
}

std::unique_ptr<VirtualMidiLayer> MakeVirtualLayer() {
    return std::make_unique<VirtualMidiLayer>(
        std::vector<std::string>{std::string(kVirtualInName)},
        std::vector<std::string>{std::string(kVirtualOutName)});
}

SynthCompositeLayer::SynthCompositeLayer(std::unique_ptr<MidiDeviceLayer> base,
                                         std::string soundFontSetting)
    : base_(std::move(base)), soundFont_(std::move(soundFontSetting)) {}

std::vector<std::string> SynthCompositeLayer::OutputNames() const {
    std::vector<std::string> names = base_->OutputNames();
    names.emplace_back(kSynthDeviceName);
    return names;
}

std::unique_ptr<MidiOutputPort> SynthCompositeLayer::OpenOutput(std::uint32_t index,
                                                                std::string* error) {
    std::size_t baseCount = base_->OutputNames().size();
    if (index < baseCount) return base_->OpenOutput(index, error);
    if (index == baseCount) return OpenSynthOutput(soundFont_, error);
    if (error) *error = "no such device";
    return nullptr;
}

BackendChoice CreateDeviceLayer(const std::string& soundFontSetting) {
    QuietSystemAudioMessages();
    BackendChoice choice;
    const char* value = std::getenv("KVS_MIDI");
    if (value && *value && !ParseBackendOverride(value)) {
        choice.note = std::string("KVS_MIDI=") + value +
                      " is not one of alsa, jack, virtual, none; choosing by itself";
    }
    // The ALSA layer is built by the probe and kept when chosen.
    std::unique_ptr<MidiDeviceLayer> base;
    std::string alsaError;
    auto alsaOpens = [&] {
        // Without the device RtMidi would only print its failure and throw.
        if (!AlsaSequencerPresent()) {
            alsaError = "no ALSA sequencer device";
            return false;
        }
        base = RtMidiLayer::Create(RtMidiLayer::Api::Alsa, &alsaError);
        return base != nullptr;
    };
    BackendKind kind = ChooseBackend(value, alsaOpens, JackServerRunning);
    std::string error;
    switch (kind) {
        case BackendKind::Alsa:
            if (!base) base = RtMidiLayer::Create(RtMidiLayer::Api::Alsa, &alsaError);
            if (!base) choice.note = "the ALSA sequencer cannot be opened: " + alsaError;
            break;
        case BackendKind::Jack:
            if (!JackServerRunning()) {
                choice.note = "no JACK server is running";
            } else {
                base = RtMidiLayer::Create(RtMidiLayer::Api::Jack, &error);
                if (!base) choice.note = "JACK cannot be used: " + error;
            }
            break;
        case BackendKind::Virtual: {
            auto layer = MakeVirtualLayer();
            choice.virtualLayer = layer.get();
            base = std::move(layer);
            break;
        }
        case BackendKind::None:
            break;
    }
    if (!base) {
        base = VirtualMidiLayer::None();
        kind = BackendKind::None;
    }
    choice.kind = kind;
    choice.layer = std::make_unique<SynthCompositeLayer>(std::move(base), soundFontSetting);
    const char* log = std::getenv("KVS_MIDI_LOG");
    if (choice.virtualLayer && log && *log)
        choice.log = std::make_unique<VirtualMidiLog>(*choice.virtualLayer, log);
    return choice;
}

}  // namespace kvs
