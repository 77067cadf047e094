#include "midi/ports_form.h"

#include <gtest/gtest.h>

#include "midi/backends/virtual_midi.h"
#include "midi_test_support.h"

namespace kvs {
namespace {

// The dialog's own test drives selection, refusal and reopening; these are
// the bounds and the failure report it cannot see.
TEST(PortsForm, NamesAreCutEditsStoredByOkAloneAndOpenFailuresReported) {
    VirtualMidiLayer layer({"Keys In"}, {"Synth A", "Synth B"});
    MidiDeviceTable table(layer);
    table.EnumerateMidiDevices();
    test::RecordingErrors errors;
    table.OpenMidiDevices(errors);
    PortsForm form(table);
    form.SetNameText("ignored");  // nothing selected: disabled controls take nothing
    EXPECT_EQ(form.NameText(), "");
    form.Select(3);  // Synth A
    form.SetNameText("Lead " + std::string(40, 'x'));
    EXPECT_EQ(form.NameText().size(), kFriendlyNameEditLimit);
    form.Select(4);
    form.SetUseChecked(false);  // stored by OK itself, without a selection change
    layer.Output(0).SetFailOpen(true);
    ASSERT_TRUE(form.Ok(errors));
    EXPECT_EQ(table.Outputs()[0].friendlyName, "Lead " + std::string(26, 'x'));
    EXPECT_FALSE(table.Outputs()[1].enabled);
    EXPECT_EQ(errors.shown, (std::vector<std::string>{"Could not open MIDI OUT device: " +
                                                          table.Outputs()[0].friendlyName,
                                                      "Not all MIDI devices could be opened"}));
}

}  // namespace
}  // namespace kvs
