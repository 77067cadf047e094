#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "midi/midi_device_table.h"

namespace kvs {

inline constexpr std::string_view kPortsTitle = "Ports";
inline constexpr std::string_view kPortsListLabel = "MIDI &devices";
inline constexpr std::string_view kPortsInHeading = "MIDI IN devices";
inline constexpr std::string_view kPortsOutHeading = "MIDI OUT devices";
inline constexpr std::string_view kPortsNameLabel = "&Friendly name:";
inline constexpr std::string_view kPortsUseLabel = "&Use this port";
// What the name edit accepts: what a friendly name keeps.
inline constexpr std::size_t kFriendlyNameEditLimit = kDeviceNameMax;

// The Ports dialog: friendly names and use-this-port flags of every device,
// edited on working copies that reach the table only on OK. The user
// interface host sets the input-suspended flag around it.
class PortsForm {
  public:
    struct Line {
        std::string text;  // a heading, or "\t" and the device's system name
        bool heading = false;
        MidiDeviceKind kind = MidiDeviceKind::In;
        std::uint32_t index = 0;  // of the device, on a device line
    };

    explicit PortsForm(MidiDeviceTable& table);

    const std::vector<Line>& Lines() const { return lines_; }
    int Selection() const { return selection_; }  // -1: none
    // Keeps the edits of the device shown so far, then shows the device of
    // line (a heading, -1 or a line beyond the list shows none).
    void Select(int line);

    // The name edit and the check box; disabled and empty while no device
    // is shown.
    bool ControlsEnabled() const { return ShownDevice() != nullptr; }
    const std::string& NameText() const { return nameText_; }
    void SetNameText(std::string_view text);
    bool UseChecked() const { return useChecked_; }
    void SetUseChecked(bool checked);

    const std::vector<MidiDeviceInfo>& WorkingInputs() const { return inputs_; }
    const std::vector<MidiDeviceInfo>& WorkingOutputs() const { return outputs_; }

    // True when the dialog closes: the copies went into the table and the
    // devices were closed and opened again. Refused (false, with the error
    // shown) while no output is enabled. The engine must be stopped.
    bool Ok(MidiErrorReporter& errors);

  private:
    MidiDeviceInfo* ShownDevice();
    const MidiDeviceInfo* ShownDevice() const;
    void StoreControls();

    MidiDeviceTable& table_;
    std::vector<MidiDeviceInfo> inputs_;
    std::vector<MidiDeviceInfo> outputs_;
    std::vector<Line> lines_;
    int selection_ = -1;
    std::string nameText_;
    bool useChecked_ = false;
};

}  // namespace kvs
