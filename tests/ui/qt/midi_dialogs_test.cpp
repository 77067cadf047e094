#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMessageBox>
#include <QSpinBox>
#include <QTest>
#include <algorithm>
#include <functional>

#include "midi/engine.h"
#include "model/song.h"
#include "model/value_format.h"
#include "ui/qt/key_commands_dialog.h"
#include "ui/qt/list_dialog_box.h"
#include "ui/qt/metronome_dialog.h"
#include "ui/qt/midi_assign_dialog.h"
#include "ui/qt/ports_dialog.h"
#include "ui/qt/screenshot.h"
#include "ui/qt/value_dialog_box.h"
#include "ui/qt/window_test_support.h"

namespace kvs {
namespace {

constexpr std::uint32_t NoteOn(std::uint32_t key, std::uint32_t velocity) {
    return 0x90 | (key << 8) | (velocity << 16);
}

QString Note(int key) {
    return QString::fromStdString(FormatNoteName(key));
}

class MidiDialogsTest : public test::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        LoadHelp();
        Open("minuet.mid");  // played notes go nowhere without a current track
    }
    // Played on the "Keys" device.
    void Play(std::uint32_t message) { ASSERT_TRUE(layer_->Input(0).FeedShort(message)); }
    bool SynthGot(std::function<bool(std::uint32_t)> match) {
        return std::ranges::any_of(SynthShort(), match);
    }
    // The settings reach kvs.ini when the program ends.
    void ExpectIni(std::initializer_list<const char*> lines) {
        const QString ini = IniAfterExit();
        for (const char* line : lines)
            EXPECT_TRUE(ini.contains(QString(line) + "\n")) << line;
    }
};

TEST_F(MidiDialogsTest, MetronomeFillsFocusedClickFromPlayedNoteAndStoresOnOkOnly) {
    RunDialog<MetronomeDialog>(cmd::OptMetronome,
                               [](MetronomeDialog& d) { d.PlayCount()->setText("7"); });
    EXPECT_EQ(App().CurrentSettings().engine.playCount, 0u);

    RunDialog<MetronomeDialog>(cmd::OptMetronome, [this](MetronomeDialog& d) {
        test::SaveShot(&d, "metronome");
        EXPECT_EQ(d.Key(true)->text(), Note(37));
        EXPECT_TRUE(d.Key(false)->whatsThis().contains(u"MIDI keyboard"));
        d.PlayCount()->setText("2");
        d.Channel(true)->setText("9");
        d.Key(false)->setFocus();
        Play(NoteOn(64, 90));
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.Velocity(false)->text() == u"90"; }, 2000));
        EXPECT_EQ(d.Key(false)->text(), Note(64));
        EXPECT_EQ(d.Key(true)->text(), Note(37));
        EXPECT_EQ(d.Channel(true)->text(), u"9");  // what was typed stays
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    const EngineSettings& e = App().CurrentSettings().engine;
    EXPECT_EQ(e.playCount, 2u);
    EXPECT_EQ(e.firstBeat.channel, 9u);
    EXPECT_EQ(e.otherBeats.key, 64u);
    EXPECT_EQ(e.otherBeats.velocity, 90u);

    ExpectIni(
        {"playcount=2", "metfstchan=9", "metothkey=64", "metothvel=90", "metfstport=Synth_out"});
}

TEST_F(MidiDialogsTest, KeyCommandsLearnPlayedKeyAndRunOnceAccepted) {
    RunDialog<KeyCommandsDialog>(cmd::OptKeyCommands, [this](KeyCommandsDialog& d) {
        test::SaveShot(&d, "key-commands");
        EXPECT_EQ(d.Keys()->currentRow(), 0);
        EXPECT_EQ(d.Keys()->count(), 88);
        d.Keys()->setFocus();
        Play(NoteOn(60, 100));
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.Keys()->currentRow() == 60 - 21; }, 2000));
        d.Commands()->setCurrentRow(1);  // Play/stop
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    EXPECT_EQ(App().MidiKeys().Action(60), 1u);

    RunDialog<KeyCommandsDialog>(cmd::OptKeyCommands, [](KeyCommandsDialog& d) {
        d.Keys()->setCurrentRow(61 - 21);
        d.Commands()->setCurrentRow(2);
    });
    EXPECT_EQ(App().MidiKeys().Action(61), 0u);

    // With the dialog closed, input is no longer suspended: the key plays.
    Play(NoteOn(60, 100));
    EXPECT_TRUE(QTest::qWaitFor([&] { return App().GetEngine().Busy(); }, 2000));
    Trigger(cmd::PlayStop);

    ExpectIni({"K60=1", "K61=0"});
}

TEST_F(MidiDialogsTest, MidiAssignmentsReshapeThruOnceAccepted) {
    RunDialog<MidiAssignDialog>(cmd::OptMidiAssign, [](MidiAssignDialog& d) {
        d.Field(MidiAssignForm::kTranspose)->setValue(-5);
    });
    EXPECT_EQ(App().CurrentSettings().midiAssign, MidiAssignSettings{});

    RunDialog<MidiAssignDialog>(cmd::OptMidiAssign, [](MidiAssignDialog& d) {
        test::SaveShot(&d, "midi-assignments");
        EXPECT_FALSE(d.UpMax()->isEnabled());  // Pitchbend needs no levels
        d.UpTarget()->setCurrentIndex(1);
        EXPECT_TRUE(d.UpMax()->isEnabled());
        d.Field(MidiAssignForm::kTranspose)->setValue(12);
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    MidiAssignSettings expected;
    expected.keyTranspose = 12;
    expected.bendUpTarget = 1;
    EXPECT_EQ(App().CurrentSettings().midiAssign, expected);

    layer_->Output(0).Clear();
    Play(NoteOn(60, 100));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return SynthGot([](std::uint32_t m) { return (m & 0xF0) == 0x90; }); }, 2000));
    EXPECT_TRUE(SynthGot([](std::uint32_t m) { return (m & 0xFFF0) == NoteOn(72, 0); }));

    const std::string assign = "MidiAssign=" + FormatMidiAssign(expected);
    ExpectIni({assign.c_str()});
}

TEST_F(MidiDialogsTest, PortsRefuseNoOutputThenRenameAndReopenDevices) {
    RunDialog<PortsDialog>(cmd::OptPorts, [this](PortsDialog& d) {
        test::SaveShot(&d, "ports");
        ASSERT_EQ(d.Devices()->count(), 4);  // heading, Keys, heading, Synth
        EXPECT_FALSE(d.NameEdit()->isEnabled());
        d.Devices()->setCurrentRow(3);
        EXPECT_EQ(d.NameEdit()->text(), u"Synth");
        EXPECT_TRUE(d.UseBox()->isChecked());
        d.UseBox()->setChecked(false);
        QString error;
        test::OnNextModal(
            [&error](QWidget* box) {
                error = qobject_cast<QMessageBox*>(box)->text();
                qobject_cast<QDialog*>(box)->accept();
            },
            &d);
        test::Press(&d, QDialogButtonBox::AcceptRole);
        EXPECT_EQ(error, u"You must enable at least one port");
        EXPECT_TRUE(d.isVisible());

        d.UseBox()->setChecked(true);
        d.NameEdit()->setText("Piano");
        d.Devices()->setCurrentRow(1);
        d.UseBox()->setChecked(false);
        d.Devices()->setCurrentRow(2);  // a heading shows nothing
        EXPECT_FALSE(d.UseBox()->isEnabled());
        // A key held while the devices are reopened.
        Play(NoteOn(60, 100));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return SynthGot([](std::uint32_t m) { return (m & 0xFF00F0) == 0x640090; }); },
            2000));
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    EXPECT_TRUE(SynthGot([](std::uint32_t m) {
        return ((m & 0xF0) == 0x80 || (m & 0xFF00F0) == 0x90) && ((m >> 8) & 0xFF) == 60;
    }));
    EXPECT_EQ(App().Devices().Outputs()[0].friendlyName, "Piano");
    EXPECT_FALSE(layer_->Input(0).IsOpen());
    EXPECT_TRUE(layer_->Output(0).IsOpen());

    RunDialog<PortsDialog>(cmd::OptPorts, [](PortsDialog& d) {
        d.Devices()->setCurrentRow(3);
        d.NameEdit()->setText("Organ");
        d.Devices()->setCurrentRow(1);
    });
    EXPECT_EQ(App().Devices().Outputs()[0].friendlyName, "Piano");

    ExpectIni({"Synth_out_name=Piano", "Keys_in_enable=0"});
}

TEST_F(MidiDialogsTest, StepRecordAndSetAllPortsAskFromTheirMenus) {
    RunDialog<ValueDialogBox>(cmd::StepRecord, [](ValueDialogBox& d) {
        test::SaveShot(&d, "step-record");
        EXPECT_EQ(d.windowTitle(), u"Step Record");
    });
    EXPECT_EQ(App().GetEngine().State(), EngineState::Stop);
    RunDialog<ValueDialogBox>(
        cmd::StepRecord, [](ValueDialogBox& d) { test::Press(&d, QDialogButtonBox::AcceptRole); });
    ASSERT_EQ(App().GetEngine().State(), EngineState::StepRec);
    Song& song = App().Session().GetSong();
    const std::uint64_t events = song.GetTrack(0)->EventCount();
    Play(NoteOn(100, 70));
    Play(NoteOn(100, 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return App().GetEngine().Position() >= 48; }, 2000));
    RunDialog<QMessageBox>(cmd::PlayStop, [](QMessageBox& keep) {
        for (QAbstractButton* button : keep.buttons())
            if (keep.buttonRole(button) == QMessageBox::YesRole) button->click();
    });
    EXPECT_EQ(App().GetEngine().State(), EngineState::Stop);
    EXPECT_EQ(song.GetTrack(0)->EventCount(), events + 2);

    song.GetTrack(1)->properties.port = 3;
    RunDialog<ListDialogBox>(cmd::TrackSetAllPorts, [](ListDialogBox& d) {
        test::SaveShot(&d, "set-all-ports");
        EXPECT_EQ(d.windowTitle(), u"Set All Ports");
    });
    EXPECT_EQ(song.GetTrack(1)->properties.port, 3u);
    RunDialog<ListDialogBox>(cmd::TrackSetAllPorts, [](ListDialogBox& d) {
        test::Press(&d, QDialogButtonBox::AcceptRole);
    });
    for (std::uint32_t t = 0; t < song.TrackCount(); ++t)
        EXPECT_EQ(song.GetTrack(t)->properties.port, 0u) << "track " << t;
    EXPECT_NE(song.modified, 0u);
}

}  // namespace
}  // namespace kvs
