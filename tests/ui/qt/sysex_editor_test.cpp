#include <gtest/gtest.h>

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "cli_dump.h"
#include "midi/recorder.h"
#include "midi/sysex_queue.h"
#include "ui/commands.h"
#include "ui/qt/dialog_test_support.h"
#include "ui/qt/event_list_dialog.h"
#include "ui/qt/screenshot.h"
#include "ui/qt/sysex_editor_dialog.h"
#include "ui/qt/syx_view_widget.h"
#include "ui/qt/window_test_support.h"

namespace kvs {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SysexEditorTest : public test::WindowTest {
  protected:
    // A SysEx event F0 F7 at the end of the first track's beat 1; its index.
    std::uint32_t AddSysex(Track& track) {
        EXPECT_TRUE(track.AddSysexEvent(TICKS_PER_BEAT + 10, {0xF0, 0xF7}));
        return track.Bucket(1)->Count() - 1;
    }
    const Bytes& Block(const Track& track, std::uint32_t index) {
        const std::uint32_t message = (*track.Bucket(1))[index].message;
        return track.Sysex().Find(SysexId(message))->bytes;
    }
    std::vector<Bytes> LongSent() {
        std::vector<Bytes> all;
        for (const RecordedMidiMessage& m : layer_->Output(0).Snapshot())
            if (m.isLong) all.push_back(m.bytes);
        return all;
    }
};

TEST_F(SysexEditorTest, TypedBytesAreSentToTheTracksPortAndStoredOnOk) {
    LoadHelp();
    Open("minuet.mid");
    Track* track = App().Session().GetSong().GetTrack(0);
    ASSERT_NE(track, nullptr);
    track->properties.port = 0;  // "Synth"
    const std::uint32_t index = AddSysex(*track);
    const Bytes typed{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_FALSE(window_->EditSysexEvent(*track, 1, index + 1));  // no such event: nothing opens

    bool suspended = false;
    std::vector<Bytes> sent;
    const auto open = [&] { EXPECT_TRUE(window_->EditSysexEvent(*track, 1, index)); };
    RunDialog<SysexEditorDialog>(open, [&](SysexEditorDialog& d) {
        EXPECT_TRUE(d.SendButton()->isEnabled());
        suspended = App().GetRecorder().InputSuspended();
        SyxViewWidget* hex = d.HexView();
        EXPECT_EQ(d.focusWidget(), hex);  // every key is the hex view's
        EXPECT_TRUE(hex->whatsThis().contains(u"F7"));
        auto* box = d.findChild<QDialogButtonBox*>();
        for (QAbstractButton* b : box->buttons())  // OK, Cancel, Send and Help
            EXPECT_FALSE(b->whatsThis().isEmpty()) << b->text().toStdString();

        QTest::keyClick(hex, Qt::Key_Delete);  // the F0 F7 it opened with
        QTest::keyClick(hex, Qt::Key_Delete);
        QTest::keyClicks(hex, "F07E7F0901f7");
        EXPECT_EQ(Bytes(hex->View().Contents().begin(), hex->View().Contents().end()), typed);
        QTest::keyClick(hex, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "f0 7e 7f 09 01 f7");
        test::SaveShot(&d, "sysex-editor");

        layer_->Output(0).Clear();
        QTest::mouseClick(d.SendButton(), Qt::LeftButton);
        sent = LongSent();
        EXPECT_EQ(App().Queue().Size(), 0u);
        QTest::keyClick(hex, Qt::Key_Return);
    });

    EXPECT_TRUE(suspended);
    EXPECT_FALSE(App().GetRecorder().InputSuspended());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], typed);
    EXPECT_EQ(Block(*track, index), typed);
}

// Reached the way a user reaches it, from the event list: the edit is saved,
// and one Undo after the list closes takes it back.
TEST_F(SysexEditorTest, AnEditFromTheEventListIsSavedAndOneUndoTakesItBack) {
    Open("minuet.mid");
    Track& track = *App().Session().GetSong().GetTrack(0);
    const std::uint32_t index = AddSysex(track);
    RunDialog<EventListDialog>(cmd::EditEvents, [&](EventListDialog& list) {
        QTest::keyClick(list.List(), Qt::Key_PageDown);  // beat 1
        const QString sysex = ToQString(App().Prompts().Text(prompt::midievent_sysex));
        const QList<QTreeWidgetItem*> rows = list.List()->findItems(sysex, Qt::MatchExactly, 1);
        ASSERT_EQ(rows.size(), 1);
        list.List()->setCurrentItem(rows[0]);
        test::OnNextModal(
            [](QWidget* modal) {
                auto* editor = qobject_cast<SysexEditorDialog*>(modal);
                ASSERT_NE(editor, nullptr);
                SyxViewWidget* hex = editor->HexView();
                QTest::keyClick(hex, Qt::Key_Delete);
                QTest::keyClick(hex, Qt::Key_Delete);
                QTest::keyClicks(hex, "F07E7F0901F7");
                QTest::keyClick(hex, Qt::Key_Return);
            },
            &list);
        QTest::keyClick(list.List(), Qt::Key_N);
        list.activateWindow();
        QTest::keyClick(list.List(), Qt::Key_Escape);
    });
    EXPECT_EQ(Block(track, index), (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));

    ASSERT_EQ(App().Execute(cmd::FileSave), 1);
    const QString dump = test::CliDump(home_.filePath("minuet.mid"));
    EXPECT_TRUE(dump.contains("sysex F0 7E 7F 09 01 F7", Qt::CaseInsensitive))
        << dump.left(600).toStdString();

    Trigger(cmd::EditUndo);  // puts the copy taken at opening in the track's place
    EXPECT_EQ(Block(*App().Session().GetSong().GetTrack(0), index), (Bytes{0xF0, 0xF7}));
}

}  // namespace
}  // namespace kvs
