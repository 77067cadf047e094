#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/property_fields.h"
#include "model/track.h"
#include "model/value_dialog_form.h"

namespace kvs {

// The Track Properties dialog: the track's initial properties record.
class TrackPropertiesForm {
  public:
    static constexpr std::size_t kNameChars = 63;
    static constexpr std::size_t kChannelChars = 2;
    static constexpr std::int32_t kMaxChannel = 16;  // shown from 1; 0 for none

    // instruments and output may be null. midiInDialogs: the "MIDI in
    // dialogs" setting, which allows live sending.
    TrackPropertiesForm(const TrackProperties& properties, std::vector<OutputPort> enabledPorts,
                        const InstrumentSource* instruments, PropertyOutput* output,
                        bool midiInDialogs);

    const std::string& Name() const { return name_; }
    void SetName(std::string_view text);

    const std::string& ChannelText() const { return channelText_; }
    void SetChannelText(std::string_view text);
    // Clamps a changed channel to 0-16 (not a number: 0); the instrument
    // list follows it.
    void LeaveChannel();
    void SpinChannel(int steps);

    const std::vector<OutputPort>& Ports() const { return ports_; }
    int PortIndex() const { return portIndex_; }  // -1: none
    void SelectPort(int index);

    PropertyFieldSet& Fields() { return fields_; }
    const PropertyFieldSet& Fields() const { return fields_; }
    void MidiIn(std::uint32_t message) { fields_.MidiIn(message); }

    // The edited record; what the dialog does not show (muted) is kept.
    TrackProperties Ok() const;

  private:
    std::uint32_t SelectedPort() const;
    std::uint16_t SelectedChannel() const;
    void Retarget();

    TrackProperties original_;
    std::vector<OutputPort> ports_;
    PropertyFieldSet fields_;
    std::string name_;
    std::string channelText_;
    bool channelChanged_ = false;
    int portIndex_ = -1;
};

}  // namespace kvs
