#include "midi/ports_form.h"

#include <gtest/gtest.h>

#include "midi/backends/virtual_midi.h"
#include "midi_test_support.h"

namespace kvs {
namespace {

using test::RecordingErrors;

struct PortsFormFixture : ::testing::Test {
    PortsFormFixture() : layer({"Keys In"}, {"Synth A", "Synth B"}), table(layer) {
        table.EnumerateMidiDevices();
        table.OpenMidiDevices(errors);
    }
    VirtualMidiLayer layer;
    MidiDeviceTable table;
    RecordingErrors errors;
};

TEST(PortsFormLines, HeadingsPrecedeTheirDevicesAndEmptyKindsHaveNone) {
    VirtualMidiLayer layer({}, {"Out 1", "Out 2"});
    MidiDeviceTable table(layer);
    table.EnumerateMidiDevices();
    PortsForm form(table);
    std::vector<std::string> texts;
    for (const auto& line : form.Lines())
        texts.push_back(line.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"MIDI OUT devices", "\tOut 1", "\tOut 2"}));
}

TEST_F(PortsFormFixture, ControlsFollowTheSelectionAndKeepEditsPerDevice) {
    PortsForm form(table);
    EXPECT_EQ(form.Selection(), -1);
    EXPECT_FALSE(form.ControlsEnabled());
    form.SetNameText("ignored");  // disabled controls take nothing
    EXPECT_EQ(form.NameText(), "");

    form.Select(3);  // Synth A
    ASSERT_TRUE(form.ControlsEnabled());
    EXPECT_EQ(form.NameText(), "Synth A");
    EXPECT_TRUE(form.UseChecked());
    form.SetNameText("Lead " + std::string(40, 'x'));
    EXPECT_EQ(form.NameText().size(), kFriendlyNameEditLimit);
    form.SetUseChecked(false);

    form.Select(2);  // a heading: stores, then empties and disables
    EXPECT_FALSE(form.ControlsEnabled());
    EXPECT_EQ(form.NameText(), "");
    EXPECT_FALSE(form.UseChecked());
    EXPECT_EQ(form.WorkingOutputs()[0].friendlyName, "Lead " + std::string(26, 'x'));
    EXPECT_FALSE(form.WorkingOutputs()[0].enabled);

    form.Select(3);
    EXPECT_EQ(form.NameText(), "Lead " + std::string(26, 'x'));
    EXPECT_FALSE(form.UseChecked());
    // Without OK the edits reach only the working copy.
    EXPECT_EQ(table.Outputs()[0].friendlyName, "Synth A");
    EXPECT_TRUE(table.Outputs()[0].enabled);
}

TEST_F(PortsFormFixture, OkWithOnlyInputsEnabledIsRefused) {
    PortsForm form(table);
    form.Select(3);
    form.SetUseChecked(false);
    form.Select(4);
    form.SetUseChecked(false);  // stored by OK itself, without a selection change
    EXPECT_FALSE(form.Ok(errors));
    EXPECT_EQ(errors.shown, (std::vector<std::string>{"You must enable at least one port"}));
    EXPECT_TRUE(table.Outputs()[0].enabled);
    EXPECT_EQ(layer.Output(0).OpenCount(), 1u);  // nothing reopened
}

TEST_F(PortsFormFixture, OkStoresTheCopiesAndReopensTheDevices) {
    PortsForm form(table);
    form.Select(1);  // Keys In
    form.SetNameText("Controller");
    form.Select(4);  // Synth B
    form.SetNameText("Strings");
    form.SetUseChecked(false);
    ASSERT_TRUE(form.Ok(errors));
    EXPECT_TRUE(errors.shown.empty());
    EXPECT_EQ(table.Inputs()[0].friendlyName, "Controller");
    EXPECT_EQ(table.Outputs()[1].friendlyName, "Strings");
    EXPECT_FALSE(table.Outputs()[1].enabled);
    EXPECT_TRUE(table.IsOpen(MidiDeviceKind::Out, 0));
    EXPECT_FALSE(table.IsOpen(MidiDeviceKind::Out, 1));
    EXPECT_FALSE(layer.Output(1).IsOpen());
    EXPECT_EQ(layer.Output(0).OpenCount(), 2u);
}

TEST_F(PortsFormFixture, OkReportsDevicesThatCouldNotBeOpened) {
    layer.Output(1).SetFailOpen(true);
    ASSERT_TRUE(PortsForm(table).Ok(errors));
    EXPECT_EQ(errors.shown, (std::vector<std::string>{"Could not open MIDI OUT device: Synth B",
                                                      "Not all MIDI devices could be opened"}));
}

}  // namespace
}  // namespace kvs
