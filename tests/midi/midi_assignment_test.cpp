#include "midi/midi_assignment.h"

#include <gtest/gtest.h>

#include "midi/midi_assignment_form.h"
#include "model/event.h"
#include "model/value_message.h"

namespace kvs {
namespace {

std::uint32_t Bend(std::int32_t value, std::uint32_t channel = 0) {
    return BuildValueMessage(channel, kValuePitchBend, value);
}
std::uint32_t Ctrl(std::uint32_t number, std::int32_t value, std::uint32_t channel = 0) {
    return BuildValueMessage(channel, number, value);
}

TEST(MidiAssignment, NotesAndControllersChangeWithinMidiRangeWhateverTheSettingsHold) {
    MidiAssignSettings s;
    s.keyTranspose = 12;
    s.velocityPercent = 50;
    s.velocityOffset = 10;
    s.controllerFrom = 1;
    s.controllerTo = 11;
    MidiAssignment a;
    a.Set(s);
    EXPECT_EQ(a.Apply(PackMessage(0x92, 120, 100)), PackMessage(0x92, 127, 60));
    EXPECT_EQ(a.Apply(PackMessage(0x92, 60, 1)), PackMessage(0x92, 72, 10));
    EXPECT_EQ(a.Apply(PackMessage(0x82, 120, 33)), PackMessage(0x82, 127, 33));
    // A velocity-0 note on leaves as a note off with velocity 64.
    EXPECT_EQ(a.Apply(PackMessage(0x95, 60, 0)), PackMessage(0x85, 72, 64));
    EXPECT_EQ(a.Apply(Ctrl(1, 77, 3)), Ctrl(11, 77, 3));
    EXPECT_EQ(a.Apply(Ctrl(2, 77, 3)), Ctrl(2, 77, 3));
    EXPECT_EQ(a.Apply(PackMessage(0xC0, 1)), PackMessage(0xC0, 1));

    s.keyTranspose = -36;
    s.velocityPercent = 0;
    s.velocityOffset = -20;
    a.Set(s);
    EXPECT_EQ(a.Apply(PackMessage(0x90, 20, 127)), PackMessage(0x90, 0, 1));
    // Sums do not overflow, and no status byte lands where a data byte belongs.
    s.keyTranspose = s.velocityPercent = s.velocityOffset = 2147483647;
    s.controllerTo = 300;
    s.bendUpTarget = 131;  // tempo is no bend target
    s.bendUpMax = 9;
    a.Set(s);
    EXPECT_EQ(a.Apply(PackMessage(0x90, 100, 127)), PackMessage(0x90, 127, 127));
    EXPECT_EQ(a.Get().controllerTo, 127);
    EXPECT_EQ(a.Get().bendUpTarget, kBendTargetPitchBend);
    EXPECT_EQ(a.Get().bendUpMax, 2);
}

TEST(MidiAssignment, BendUpHalfDrivesAControllerAndCrossingsResetTheSideLeft) {
    MidiAssignSettings s;
    s.bendUpTarget = 1;
    MidiAssignment a;
    a.Set(s);
    EXPECT_EQ(a.Apply(Bend(8191, 2)), Ctrl(1, 127, 2));
    EXPECT_EQ(a.Apply(Bend(4096)), Ctrl(1, 63, 0));
    EXPECT_EQ(a.Apply(Bend(0)), Ctrl(1, 0));  // back to centre: the minimum
    EXPECT_EQ(a.Apply(Bend(0)), Bend(0));     // centred again: passes
    // Straight from up to down: the up side is reset, the down position is
    // dropped, and the next down message follows the down settings.
    EXPECT_EQ(a.Apply(Bend(4096)), Ctrl(1, 63));
    EXPECT_EQ(a.Apply(Bend(-4096)), Ctrl(1, 0));
    EXPECT_EQ(a.Apply(Bend(-4096)), Bend(-4096));
    // And from down back to up: the unassigned down half returns to centre.
    EXPECT_EQ(a.Apply(Bend(2000)), Bend(0));
    EXPECT_EQ(a.Apply(Bend(2000)), Ctrl(1, (127 * 2000) / 8191));
}

TEST(MidiAssignment, BendDownHalfMovesFromMinTowardsMax) {
    MidiAssignSettings s;
    s.bendDownTarget = kBendTargetAftertouch;
    s.bendDownMin = 1;  // Halfway
    s.bendDownMax = 2;
    MidiAssignment a;
    a.Set(s);
    // The lowest position counts as -8191, so the full swing reaches the
    // maximum exactly.
    EXPECT_EQ(a.Apply(Bend(-8192, 4)), PackMessage(0xD4, 127));
    EXPECT_EQ(a.Apply(Bend(-4096)), PackMessage(0xD0, 64 + (63 * 4096) / 8191));
    EXPECT_EQ(a.Apply(Bend(0)), PackMessage(0xD0, 64));
    s.bendDownMin = 2;  // falling: Max below Min
    s.bendDownMax = 0;
    a.Set(s);
    EXPECT_EQ(a.Apply(Bend(-8191)), PackMessage(0xD0, 0));
    // Levels left over from an earlier target do not touch a plain bend half.
    MidiAssignSettings plain;
    plain.bendUpMin = 2;
    MidiAssignment b;
    b.Set(plain);
    EXPECT_EQ(b.Apply(Bend(3000)), Bend(3000));
}

// OK and Cancel are the dialog's own test; these are the unreadable edits.
TEST(MidiAssignForm, OkClampsOrDefaultsTheEdits) {
    MidiAssignSettings stored;
    MidiAssignForm form(stored);
    form.SetText(MidiAssignForm::kTranspose, "-99");
    form.SetText(MidiAssignForm::kPercent, "x");
    form.SetText(MidiAssignForm::kOffset, "-127");  // the whole range fits
    form.SetText(MidiAssignForm::kControllerFrom, "");
    form.SetText(MidiAssignForm::kControllerTo, "1234");  // cut to "123"
    MidiAssignment live;
    form.Ok(stored, live);
    MidiAssignSettings expected;
    expected.keyTranspose = -36;
    expected.velocityOffset = -127;
    expected.controllerTo = 123;
    EXPECT_EQ(stored, expected);

    form.SetText(MidiAssignForm::kPercent, "398");
    form.Spin(MidiAssignForm::kPercent, 5);
    EXPECT_EQ(form.Text(MidiAssignForm::kPercent), "400");
    form.SetText(MidiAssignForm::kControllerTo, "abc");
    form.Spin(MidiAssignForm::kControllerTo, -1);
    EXPECT_EQ(form.Text(MidiAssignForm::kControllerTo), "0");
}

}  // namespace
}  // namespace kvs
