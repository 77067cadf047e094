#include "app/cli/open_devices.h"

#include <vector>

namespace kvs {

OpenDevices::OpenDevices(MidiDeviceTable& table, std::uint32_t out, std::optional<std::uint32_t> in,
                         MidiErrorReporter& errors)
    : table_(table), out_(out), in_(in) {
    std::vector<bool> outs;
    std::vector<bool> ins;
    for (const MidiDeviceInfo& d : table.Outputs())
        outs.push_back(d.enabled);
    for (const MidiDeviceInfo& d : table.Inputs())
        ins.push_back(d.enabled);
    for (std::uint32_t i = 0; i < outs.size(); ++i)
        table.SetEnabled(MidiDeviceKind::Out, i, i == out);
    for (std::uint32_t i = 0; i < ins.size(); ++i)
        table.SetEnabled(MidiDeviceKind::In, i, in && i == *in);
    (void)table.OpenMidiDevices(errors);
    for (std::uint32_t i = 0; i < outs.size(); ++i)
        table.SetEnabled(MidiDeviceKind::Out, i, outs[i]);
    for (std::uint32_t i = 0; i < ins.size(); ++i)
        table.SetEnabled(MidiDeviceKind::In, i, ins[i]);
}

OpenDevices::~OpenDevices() {
    table_.SetInputSink(nullptr);
    table_.CloseMidiDevices();
}

bool OpenDevices::IsOpen(MidiDeviceKind kind) const {
    if (kind == MidiDeviceKind::Out) return table_.IsOpen(kind, out_);
    return in_ && table_.IsOpen(kind, *in_);
}

}  // namespace kvs
