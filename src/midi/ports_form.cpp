#include "midi/ports_form.h"

#include <algorithm>
#include <utility>

namespace kvs {

namespace {

void AddSection(std::vector<PortsForm::Line>& lines, std::string_view heading,
                const std::vector<MidiDeviceInfo>& devices, MidiDeviceKind kind) {
    if (devices.empty()) return;
    lines.push_back({std::string(heading), true, kind, 0});
    for (std::uint32_t i = 0; i < devices.size(); ++i)
        lines.push_back({"\t" + devices[i].systemName, false, kind, i});
}

}  // namespace

PortsForm::PortsForm(MidiDeviceTable& table)
    : table_(table), inputs_(table.Inputs()), outputs_(table.Outputs()) {
    AddSection(lines_, kPortsInHeading, inputs_, MidiDeviceKind::In);
    AddSection(lines_, kPortsOutHeading, outputs_, MidiDeviceKind::Out);
}

MidiDeviceInfo* PortsForm::ShownDevice() {
    return const_cast<MidiDeviceInfo*>(std::as_const(*this).ShownDevice());
}

const MidiDeviceInfo* PortsForm::ShownDevice() const {
    if (selection_ < 0) return nullptr;
    const Line& line = lines_[static_cast<std::size_t>(selection_)];
    if (line.heading) return nullptr;
    return &(line.kind == MidiDeviceKind::In ? inputs_ : outputs_)[line.index];
}

void PortsForm::StoreControls() {
    if (MidiDeviceInfo* d = ShownDevice()) {
        d->friendlyName = CutDeviceName(nameText_);
        d->enabled = useChecked_;
    }
}

void PortsForm::Select(int line) {
    StoreControls();
    selection_ = line >= 0 && static_cast<std::size_t>(line) < lines_.size() ? line : -1;
    if (const MidiDeviceInfo* d = ShownDevice()) {
        nameText_ = d->friendlyName;
        useChecked_ = d->enabled;
    } else {
        nameText_.clear();
        useChecked_ = false;
    }
}

void PortsForm::SetNameText(std::string_view text) {
    if (ControlsEnabled()) nameText_ = CutDeviceName(text, kFriendlyNameEditLimit);
}

void PortsForm::SetUseChecked(bool checked) {
    if (ControlsEnabled()) useChecked_ = checked;
}

bool PortsForm::Ok(MidiErrorReporter& errors) {
    StoreControls();
    const bool anyOutput = std::any_of(outputs_.begin(), outputs_.end(),
                                       [](const MidiDeviceInfo& d) { return d.enabled; });
    if (!anyOutput) {
        errors.ShowError(std::string(table_.Prompt(prompt::error_enablemidi)));
        return false;
    }
    for (std::uint32_t i = 0; i < inputs_.size(); ++i) {
        table_.SetFriendlyName(MidiDeviceKind::In, i, inputs_[i].friendlyName);
        table_.SetEnabled(MidiDeviceKind::In, i, inputs_[i].enabled);
    }
    for (std::uint32_t i = 0; i < outputs_.size(); ++i) {
        table_.SetFriendlyName(MidiDeviceKind::Out, i, outputs_[i].friendlyName);
        table_.SetEnabled(MidiDeviceKind::Out, i, outputs_[i].enabled);
    }
    table_.CloseMidiDevices();
    if (!table_.OpenMidiDevices(errors))
        errors.ShowError(std::string(table_.Prompt(prompt::error_openallmidi)));
    return true;
}

}  // namespace kvs
