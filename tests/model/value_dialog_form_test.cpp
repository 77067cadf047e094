#include "model/value_dialog_form.h"

#include <gtest/gtest.h>

namespace kvs {
namespace {

constexpr PromptText kTitle{"tools_tmgld_title", "Time Glide"};
constexpr PromptText kLabel{"tools_tmgld_tmgld", "&Glide by:"};

TEST(ValueDialogForm, RefusesBadTextAndStopsReadingAtTheFirstUnreadableField) {
    ValueDialog d;
    d.SetUp(kTitle, 3);
    d.SetField(0, 0, -24384, 24384, FieldKind::Duration, 10042, kLabel);
    d.SetField(1, 100, 1, 1000, FieldKind::Integer, 0, kLabel);
    d.SetField(2, 0, -100, 100, FieldKind::Integer, 0, kLabel);
    ValueDialogForm form(d);
    form.SetText(0, "-3.096");
    form.SetText(1, "5x");
    form.SetText(2, "50");
    EXPECT_FALSE(form.Ok());
    EXPECT_EQ(d.fields[0].value, -672);
    EXPECT_EQ(d.fields[1].value, 100);
    EXPECT_EQ(d.fields[2].value, 0);

    form.SetText(1, "8");
    for (const char* text : {"1.192", "128.000"}) {  // ticks above 191; 24576 ticks
        form.SetText(0, text);
        EXPECT_FALSE(form.Ok()) << text;
    }
    form.SetText(0, "0");
    form.SetText(1, "4294967297");  // 2^32 + 1 is refused, not wrapped to 1
    EXPECT_FALSE(form.Ok());
}

TEST(ValueDialogForm, IncomingNoteFillsOnlyAFocusedNoteField) {
    ValueDialog d;
    d.SetUp(kTitle, 2);
    d.SetField(0, 0, 0, 127, FieldKind::NoteName, 0, kLabel);
    d.SetField(1, 5, 0, 127, FieldKind::Integer, 0, kLabel);
    ValueDialogForm form(d);
    form.MidiIn(0x403D90);  // no focus
    EXPECT_EQ(form.Text(0), "C-1");
    form.SetFocus(1);
    form.MidiIn(0x403D90);
    EXPECT_EQ(form.Text(1), "5");
    form.SetFocus(0);
    form.MidiIn(0x403DB0);  // a controller is ignored
    EXPECT_EQ(form.Text(0), "C-1");
    form.MidiIn(0x003D91);  // any velocity, any channel
    EXPECT_EQ(form.Text(0), "C#4");
}

TEST(ListDialogForm, PreselectsThePortAndFallsBackToTheDefault) {
    ValueDialog d;
    d.SetUp({"trk_setallports_title", "Set All Ports"}, 1);
    d.SetField(0, 3, 0, 0, FieldKind::Integer, 0, {"trk_setallports_select", "&Select port:"});
    ListDialogForm form(d, {{"Synth", 1}, {"Drums", 3}}, 7);
    EXPECT_EQ(form.Selection(), 1);
    form.Select(0);
    EXPECT_EQ(form.Ok(), 1u);
    form.Select(5);  // nothing picked
    EXPECT_EQ(form.Ok(), 7u);
    EXPECT_EQ(d.fields[0].value, 7);
}

}  // namespace
}  // namespace kvs
