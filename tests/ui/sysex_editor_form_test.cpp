#include "ui/sysex_editor_form.h"

#include <gtest/gtest.h>

#include "midi/backends/virtual_midi.h"
#include "midi/midi_test_support.h"
#include "midi/sysex_queue.h"
#include "model/edit_test_support.h"

namespace kvs {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A track with a note at beat 0 and a SysEx event after it, over one
// virtual output.
struct Rig {
    VirtualMidiLayer layer{{}, {"Synth"}};
    MidiDeviceTable devices{layer};
    FifoNotifier notifier;
    SysexQueue queue{devices, notifier};
    test::RecordingLink link;
    PromptTable prompts;
    Track track;

    explicit Rig(Bytes block = {0xF0, 0x43, 0x10, 0xF7}) {
        devices.EnumerateMidiDevices();
        test::RecordingErrors errors;
        EXPECT_TRUE(devices.OpenMidiDevices(errors));
        EXPECT_TRUE(track.AddEvent(5, 0x403C90));
        EXPECT_TRUE(track.AddSysexEvent(10, std::move(block)));
    }
    std::unique_ptr<SysexEditorForm> Open(std::uint32_t beat = 0, std::uint32_t index = 1) {
        return SysexEditorForm::Open(track, beat, index, link, queue, prompts, true);
    }
    const Bytes& Block() {
        return track.Sysex().Find(SysexId((*track.Bucket(0))[1].message))->bytes;
    }
    void Retype(SysexEditorForm& form, std::string_view digits) {
        form.View().SetContents({});
        for (char c : digits)
            form.View().Char(static_cast<unsigned char>(c));
    }
};

TEST(SysexEditorForm, OpensOnlyOnASysexEventWithItsBlock) {
    Rig rig;
    EXPECT_EQ(rig.Open(0, 0), nullptr);  // the note
    EXPECT_EQ(rig.Open(0, 2), nullptr);
    EXPECT_EQ(rig.Open(7, 0), nullptr);
    auto form = rig.Open();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Bytes(form->View().Contents().begin(), form->View().Contents().end()),
              (Bytes{0xF0, 0x43, 0x10, 0xF7}));
    EXPECT_FALSE(form->ReadOnly());
    rig.track.Sysex().Clear();
    EXPECT_EQ(rig.Open(), nullptr);
}

TEST(SysexEditorForm, OkStoresOnlyAValidMessage) {
    Rig rig;
    auto form = rig.Open();
    const std::string bad(rig.prompts.Text(prompt::error_badsysex));
    for (std::string_view digits : {"F04390F7", "F04310", "F7", "", "434310F7"}) {
        rig.Retype(*form, digits);
        EXPECT_EQ(form->Accept(), bad) << digits;
    }
    EXPECT_EQ(rig.Block(), (Bytes{0xF0, 0x43, 0x10, 0xF7}));
    EXPECT_EQ(rig.link.locks, 0);

    rig.Retype(*form, "F0437F01F7");
    EXPECT_EQ(form->Accept(), std::nullopt);
    EXPECT_TRUE(form->Changed());
    EXPECT_EQ(rig.Block(), (Bytes{0xF0, 0x43, 0x7F, 0x01, 0xF7}));
    EXPECT_EQ(rig.link.locks, 1);  // stored under the song lock

    auto again = rig.Open();
    EXPECT_EQ(again->Accept(), std::nullopt);
    EXPECT_FALSE(again->Changed());
}

TEST(SysexEditorForm, SendHandsACopyToTheTracksPortAndWaitsForTheQueue) {
    Rig rig;
    rig.layer.Output(0).SetLongCompletion(VirtualOutputDevice::LongCompletion::Held);
    auto form = rig.Open();
    rig.Retype(*form, "F0");
    EXPECT_EQ(form->StartSend(), std::string(rig.prompts.Text(prompt::error_badsysex)));
    EXPECT_FALSE(form->Sending());

    rig.Retype(*form, "F07E7F0901");  // sent as it is, unchecked
    EXPECT_EQ(form->StartSend(), std::nullopt);
    EXPECT_TRUE(form->Sending());
    rig.Retype(*form, "F7");  // editing on does not touch what is on its way
    EXPECT_FALSE(form->SendFinished());
    ASSERT_TRUE(rig.layer.Output(0).ReleaseLong());
    EXPECT_FALSE(form->SendFinished());  // until the window hears SYSEX_DONE
    for (const Notification& n : rig.notifier.TakeAll())
        if (n.id == SYSEX_DONE) rig.queue.SysexSent();
    EXPECT_TRUE(form->SendFinished());
    EXPECT_FALSE(form->Sending());
    const auto sent = rig.layer.Output(0).Snapshot();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01}));
    EXPECT_EQ(rig.Block(), (Bytes{0xF0, 0x43, 0x10, 0xF7}));  // Send stores nothing

    auto closed = SysexEditorForm::Open(rig.track, 0, 1, rig.link, rig.queue, rig.prompts, false);
    EXPECT_FALSE(closed->SendEnabled());
    EXPECT_EQ(closed->StartSend(), std::nullopt);
    EXPECT_FALSE(closed->Sending());
}

TEST(SysexEditorForm, ABlockLongerThanTheEditorOpensReadOnlyAndIsKept) {
    Bytes huge(SyxView::kCapacity + 10, 0x55);
    huge.front() = 0xF0;
    huge.back() = 0xF7;
    Rig rig(huge);
    auto form = rig.Open();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->ReadOnly());
    EXPECT_NE(form->Note().find("32778"), std::string::npos);
    EXPECT_EQ(form->View().Length(), SyxView::kCapacity);
    form->View().KeyDown(SyxKey::Delete, false);
    form->View().PasteText("12");
    EXPECT_EQ(form->View().Contents()[0], 0xF0);
    EXPECT_EQ(form->Accept(), std::nullopt);
    EXPECT_FALSE(form->Changed());
    EXPECT_EQ(rig.Block(), huge);

    // Send sends the whole message, not the part on show.
    ASSERT_EQ(form->StartSend(), std::nullopt);
    for (const Notification& n : rig.notifier.TakeAll())
        if (n.id == SYSEX_DONE) rig.queue.SysexSent();
    EXPECT_TRUE(form->SendFinished());
    const auto sent = rig.layer.Output(0).Snapshot();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, huge);
}

}  // namespace
}  // namespace kvs
