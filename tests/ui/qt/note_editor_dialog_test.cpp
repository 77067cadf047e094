// The note editor opened from the real window with Ctrl+K and driven with
// its keys, mouse and MIDI input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <utility>
#include <vector>

#include "model/song.h"
#include "ui/qt/dialog_test_support.h"
#include "ui/qt/note_editor_dialog.h"
#include "ui/qt/note_view_widget.h"
#include "ui/qt/screenshot.h"
#include "ui/qt/window_test_support.h"

namespace kvs {
namespace {

using Events = std::vector<std::pair<std::uint32_t, std::uint32_t>>;  // tick, message

Events EventsOf(const Track& track) {
    Events events;
    for (std::uint32_t b = 0; b < track.BeatCount(); ++b)
        for (const Event& e : *track.Bucket(b))
            events.emplace_back(b * TICKS_PER_BEAT + e.offset, e.message);
    return events;
}

bool Has(const Events& events, std::uint32_t tick, std::uint32_t message) {
    for (const auto& e : events)
        if (e == std::pair{tick, message}) return true;
    return false;
}

class NoteEditorDialogTest : public test::WindowTest {
  protected:
    // Opens the editor with Ctrl+K on the first track and runs act inside it.
    void Edit(std::function<void(NoteEditorDialog&, NoteView&)> act) {
        App().SelectTrackFromList(0);
        bool ran = false;
        test::OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<NoteEditorDialog*>(modal);
            ran = dialog != nullptr;
            if (dialog != nullptr) act(*dialog, dialog->ViewWidget()->View());
            if (modal->isVisible()) QTest::keyClick(modal, Qt::Key_Escape);
        });
        QTest::keyClick(window_.get(), Qt::Key_K, Qt::ControlModifier);
        EXPECT_TRUE(ran) << "no note editor opened";
    }
    const Track& Flute() { return *App().GetSong().GetTrack(0); }
};

void Keys(QWidget* view, std::initializer_list<int> keys, Qt::KeyboardModifiers mods = {}) {
    for (const int key : keys)
        QTest::keyClick(view, static_cast<Qt::Key>(key), mods);
}

TEST_F(NoteEditorDialogTest, KeyboardEditsAreSavedAndOneUndoRestoresTheTrack) {
    window_->SetHelpFolder(QStringLiteral(KVS_TEST_DATA_DIR "/../../data"));
    Open(QStringLiteral("minuet.mid"));
    const Events before = EventsOf(Flute());
    // The flute's first note: B4 (71), ticks 0-176, velocity 92.
    ASSERT_TRUE(Has(before, 0, 0x5C4790));

    Edit([&](NoteEditorDialog& dialog, NoteView& view) {
        QWidget* keys = dialog.ViewWidget();
        EXPECT_EQ(dialog.focusWidget(), keys);
        EXPECT_TRUE(keys->whatsThis().contains(u"Alt+Left"));
        EXPECT_TRUE(dialog.Button(0)->whatsThis().contains(u"Undo"));  // not Cancel's text
        EXPECT_EQ(view.BeatsVisible(), 3u);                            // one bar of 3/2
        EXPECT_EQ(view.Cursor(), 0u);
        EXPECT_EQ(view.CursorKey(), 60u);
        EXPECT_EQ(dialog.StatusPart(5)->text(), QStringLiteral("Ins"));

        // Two notes of C4 from the memo (length 48): at 0 and at 48.
        Keys(keys, {Qt::Key_Insert, Qt::Key_Right, Qt::Key_Insert});
        EXPECT_EQ(dialog.StatusPart(5)->text(), QStringLiteral("Mod"));
        EXPECT_EQ(dialog.StatusPart(0)->text(), QStringLiteral("Start: 0.048"));
        test::SaveShot(&dialog, QStringLiteral("note-editor"));

        // Lengthening the first over the second is refused.
        Keys(keys, {Qt::Key_Left, Qt::Key_L, Qt::Key_F6});
        EXPECT_EQ(dialog.Beeps(), 1);
        EXPECT_EQ(dialog.StatusPart(4)->text(), QStringLiteral("Length: 0.048"));

        // The second moves a snap later, then the first may grow up to it.
        Keys(keys, {Qt::Key_Right, Qt::Key_S, Qt::Key_F6, Qt::Key_L, Qt::Key_F6});
        EXPECT_EQ(view.Cursor(), 96u);
        Keys(keys, {Qt::Key_Home, Qt::Key_F6});
        EXPECT_EQ(dialog.StatusPart(4)->text(), QStringLiteral("Length: 0.096"));
        EXPECT_EQ(dialog.Beeps(), 1);

        // Up to the flute's B4 under the caret, and delete it.
        Keys(keys, {Qt::Key_Up}, Qt::ControlModifier);
        EXPECT_EQ(view.CursorKey(), 72u);
        Keys(keys, {Qt::Key_Down});
        EXPECT_EQ(dialog.StatusPart(2)->text(), QStringLiteral("Key: 71"));
        Keys(keys, {Qt::Key_Delete});
        EXPECT_EQ(dialog.StatusPart(5)->text(), QStringLiteral("Ins"));
        dialog.Button(0)->click();  // Close
        EXPECT_FALSE(dialog.isVisible());
    });

    const Events edited = EventsOf(Flute());
    EXPECT_TRUE(Has(edited, 0, 0x503C90));
    EXPECT_TRUE(Has(edited, 95, 0x503C80));
    EXPECT_TRUE(Has(edited, 96, 0x503C90));
    EXPECT_TRUE(Has(edited, 191, 0x503C80));
    EXPECT_FALSE(Has(edited, 0, 0x5C4790));
    EXPECT_EQ(edited.size(), before.size() + 2);
    EXPECT_NE(App().GetSong().modified, 0u);

    // Saved, the file holds the edited notes.
    ASSERT_EQ(App().Execute(cmd::FileSave), 1);
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KVS_HOME"), home_.path());
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(KVS_CLI_PATH), {QStringLiteral("dump"), home_.filePath("minuet.mid")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QString dump = QString::fromUtf8(cli.readAllStandardOutput());
    const QString flute = dump.section(QStringLiteral("\ntrack 1 "), 0, 0);
    for (const char* line :
         {"\n  0 00503C90\n", "\n  95 00503C80\n", "\n  96 00503C90\n", "\n  191 00503C80\n"})
        EXPECT_TRUE(flute.contains(QLatin1String(line))) << line << flute.left(400).toStdString();
    EXPECT_FALSE(flute.contains(QLatin1String("\n  0 005C4790\n")));

    Trigger(cmd::EditUndo);
    EXPECT_EQ(EventsOf(Flute()), before);
}

TEST_F(NoteEditorDialogTest, MidiInputMovesTheCaretKeyAndMouseInserts) {
    Open(QStringLiteral("minuet.mid"));
    Edit([&](NoteEditorDialog& dialog, NoteView& view) {
        NoteViewWidget* widget = dialog.ViewWidget();
        // A key played on the keyboard becomes the key of the next note.
        ASSERT_TRUE(layer_->Input(0).FeedShort(0x503E90));
        EXPECT_TRUE(QTest::qWaitFor([&] { return view.CursorKey() == 62; }));
        EXPECT_EQ(dialog.StatusPart(2)->text(), QStringLiteral("Key: 62"));

        // A click snaps the caret; a double click inserts there.
        const int y = view.KeyY(view.TopKey()) + 2;
        const int third = view.Margin() + (widget->viewport()->width() - view.Margin()) / 3;
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, QPoint(third, y));
        EXPECT_EQ(view.CursorKey(), view.TopKey());
        EXPECT_EQ(view.Cursor(), 192u);  // a third of three beats
        QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, QPoint(third, y));
        EXPECT_EQ(dialog.StatusPart(5)->text(), QStringLiteral("Mod"));

        // Ctrl+wheel shows fewer beats.
        QWheelEvent wheel(QPointF(third, y), widget->viewport()->mapToGlobal(QPoint(third, y)),
                          QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget->viewport(), &wheel);
        EXPECT_EQ(view.BeatsVisible(), 1u);
    });
    // Once closed, input is the recorder's again.
    EXPECT_FALSE(App().GetRecorder().InputSuspended());
    EXPECT_EQ(App().GetRecorder().MidiInDialog(), 0u);
}

TEST_F(NoteEditorDialogTest, EnterEditsTheChosenParameterAndMenuAndStatusPartsAct) {
    Open(QStringLiteral("minuet.mid"));
    Edit([&](NoteEditorDialog& dialog, NoteView& view) {
        QWidget* keys = dialog.ViewWidget();
        Keys(keys, {Qt::Key_Insert});
        // A click on the length part, then Enter: the value dialog asks for
        // the length; 1 passes it and the editor refuses it.
        QTest::mouseClick(dialog.StatusPart(4), Qt::LeftButton);
        EXPECT_EQ(dialog.StatusPart(4)->frameShape(), QFrame::Panel);
        EXPECT_EQ(dialog.StatusPart(0)->frameShape(), QFrame::NoFrame);
        test::OnNextModal(
            [](QWidget* box) {
                auto* field = box->findChild<QLineEdit*>();
                ASSERT_NE(field, nullptr);
                field->setText(QStringLiteral("0.001"));
                QTest::keyClick(box, Qt::Key_Return);
            },
            &dialog);
        Keys(keys, {Qt::Key_Return});
        EXPECT_EQ(dialog.Beeps(), 1);
        EXPECT_EQ(dialog.StatusPart(4)->text(), QStringLiteral("Length: 0.048"));
        // The nested dialog handed MIDI input back to the editor. (Offscreen,
        // no window is active again after a dialog closed.)
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_TRUE(layer_->Input(0).FeedShort(0x503E90));
        EXPECT_TRUE(QTest::qWaitFor([&] { return view.CursorKey() == 62; }));
        EXPECT_EQ(dialog.StatusPart(2)->text(), QStringLiteral("Key: 62"));
        EXPECT_EQ(view.CursorKey(), 62u);

        // Back on the new note: the view's menu deletes it.
        Keys(keys, {Qt::Key_Down, Qt::Key_Down});
        EXPECT_EQ(dialog.StatusPart(5)->text(), QStringLiteral("Mod"));
        QMenu* menu = dialog.ContextMenu();
        ASSERT_EQ(menu->actions().size(), 12);
        menu->actions()[1]->trigger();  // Delete
        EXPECT_EQ(dialog.StatusPart(5)->text(), QStringLiteral("Ins"));
    });
    EXPECT_FALSE(Has(EventsOf(Flute()), 0, 0x503C90));
}

}  // namespace
}  // namespace kvs
