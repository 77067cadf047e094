#include <utility>
#include <vector>

#include "midi/key_commands_form.h"
#include "midi/metronome_form.h"
#include "midi/midi_assignment_form.h"
#include "midi/ports_form.h"
#include "ui/application.h"

namespace kvs {

bool Application::MetronomeDialog() {
    std::vector<MetronomePort> ports;
    const std::vector<MidiDeviceInfo>& outputs = table_->Outputs();
    for (std::uint32_t i = 0; i < outputs.size(); ++i)
        if (outputs[i].enabled) ports.push_back({i, outputs[i].friendlyName});
    MetronomeForm form(settings_.engine, std::move(ports));
    if (!host_.RunMetronome(form)) return false;
    form.Ok(settings_.engine);
    return true;
}

bool Application::KeyCommandsDialog() {
    KeyCommandsForm form(settings_.keyCommands);
    if (!host_.RunKeyCommands(form)) return false;
    form.Ok(settings_.keyCommands, keyCommands_);
    return true;
}

bool Application::MidiAssignDialog() {
    MidiAssignForm form(settings_.midiAssign);
    if (!host_.RunMidiAssignments(form)) return false;
    form.Ok(settings_.midiAssign, assignment_);
    return true;
}

bool Application::PortsDialog() {
    // The form reopens the devices itself when its OK is taken; what shows
    // port names is refreshed by the caller.
    PortsForm form(*table_);
    if (!host_.RunPorts(form)) return false;
    // A key held through the reopening lost its note off on the way.
    ThruNotesOff();
    return true;
}

}  // namespace kvs
