#include "model/track_properties_form.h"

#include <algorithm>
#include <optional>

#include "model/form_number.h"

namespace kvs {

TrackPropertiesForm::TrackPropertiesForm(const TrackProperties& properties,
                                         std::vector<OutputPort> enabledPorts,
                                         const InstrumentSource* instruments,
                                         PropertyOutput* output, bool midiInDialogs)
    : original_(properties),
      ports_(std::move(enabledPorts)),
      fields_(instruments, output, midiInDialogs),
      name_(properties.name.View()) {
    channelText_ =
        std::to_string(properties.channel > 15 ? 0 : std::uint32_t{properties.channel} + 1);
    for (std::size_t i = 0; i < ports_.size(); ++i) {
        if (ports_[i].port == properties.port) {
            portIndex_ = static_cast<int>(i);
            break;
        }
    }
    fields_.Load(PropertyValues{properties.program, properties.bank, properties.volume,
                                properties.pan, properties.reverb, properties.chorus});
    Retarget();
}

void TrackPropertiesForm::SetName(std::string_view text) {
    name_ = std::string(CutField(text, kNameChars));
}

void TrackPropertiesForm::SetChannelText(std::string_view text) {
    std::string cut(CutField(text, kChannelChars));
    if (cut != channelText_) channelChanged_ = true;
    channelText_ = std::move(cut);
}

void TrackPropertiesForm::LeaveChannel() {
    if (!channelChanged_) return;
    channelChanged_ = false;
    const std::optional<std::int64_t> n = ReadSignedField(channelText_);
    channelText_ = std::to_string(std::clamp<std::int64_t>(n.value_or(0), 0, kMaxChannel));
    Retarget();
}

void TrackPropertiesForm::SpinChannel(int steps) {
    const std::int64_t now = ReadSignedField(channelText_).value_or(0);
    SetChannelText(std::to_string(std::clamp<std::int64_t>(now + steps, 0, kMaxChannel)));
    LeaveChannel();
}

void TrackPropertiesForm::SelectPort(int index) {
    portIndex_ = index >= 0 && static_cast<std::size_t>(index) < ports_.size() ? index : -1;
    Retarget();
}

std::uint32_t TrackPropertiesForm::SelectedPort() const {
    return portIndex_ >= 0 ? ports_[static_cast<std::size_t>(portIndex_)].port : original_.port;
}

std::uint16_t TrackPropertiesForm::SelectedChannel() const {
    const std::optional<std::int64_t> n = ReadUnsignedField(channelText_);
    if (!n || *n == 0) return kNoChannel;
    return static_cast<std::uint16_t>(std::min<std::int64_t>(*n, kMaxChannel) - 1);
}

// The instruments and the live messages are those of the port and channel
// the dialog shows, so that a sound is never sent to another synthesizer.
void TrackPropertiesForm::Retarget() {
    fields_.SetTarget(SelectedPort(), SelectedChannel());
}

TrackProperties TrackPropertiesForm::Ok() const {
    TrackProperties p = original_;
    p.name.Set(name_);
    p.channel = SelectedChannel();
    p.port = static_cast<std::uint16_t>(SelectedPort());
    const PropertyValues v = fields_.Values();
    p.program = v.program;
    p.bank = v.bank;
    p.volume = v.volume;
    p.pan = v.pan;
    p.reverb = v.reverb;
    p.chorus = v.chorus;
    return p;
}

}  // namespace kvs
