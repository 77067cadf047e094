// The note editor opened from the real window with Ctrl+K and driven with
// its keys, mouse and MIDI input.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "cli_dump.h"
#include "model/song.h"
#include "ui/qt/note_editor_dialog.h"
#include "ui/qt/note_view_widget.h"
#include "ui/qt/screenshot.h"
#include "ui/qt/window_test_support.h"

namespace kvs {
namespace {

// Whether the dump-style event lines hold "tick message".
bool Has(const std::string& lines, const char* line) {
    return ("\n" + lines).find("\n" + std::string(line) + "\n") != std::string::npos;
}

class NoteEditorDialogTest : public test::WindowTest {
  protected:
    // Opens the editor with Ctrl+K on the first track and runs act inside it.
    void Edit(std::function<void(NoteEditorDialog&, NoteView&)> act) {
        App().SelectTrackFromList(0);
        RunDialog<NoteEditorDialog>(
            [&] { QTest::keyClick(window_.get(), Qt::Key_K, Qt::ControlModifier); },
            [&](NoteEditorDialog& d) { act(d, d.ViewWidget()->View()); });
    }
    std::string Flute() { return test::EventLines(*App().GetSong().GetTrack(0)); }
};

void Keys(QWidget* view, std::initializer_list<int> keys, Qt::KeyboardModifiers mods = {}) {
    for (const int key : keys)
        QTest::keyClick(view, static_cast<Qt::Key>(key), mods);
}

TEST_F(NoteEditorDialogTest, KeyboardEditsAreSavedAndOneUndoRestoresTheTrack) {
    LoadHelp();
    Open("minuet.mid");
    const std::string before = Flute();
    // The flute's first note: B4 (71), ticks 0-176, velocity 92.
    ASSERT_TRUE(Has(before, "0 005C4790"));

    Edit([&](NoteEditorDialog& dialog, NoteView& view) {
        QWidget* keys = dialog.ViewWidget();
        EXPECT_EQ(dialog.focusWidget(), keys);
        EXPECT_TRUE(keys->whatsThis().contains(u"Alt+Left"));
        EXPECT_TRUE(dialog.Button(0)->whatsThis().contains(u"Undo"));  // not Cancel's text
        EXPECT_EQ(view.BeatsVisible(), 3u);                            // one bar of 3/2
        EXPECT_EQ(view.Cursor(), 0u);
        EXPECT_EQ(view.CursorKey(), 60u);
        EXPECT_EQ(dialog.StatusPart(5)->text(), "Ins");

        // Two notes of C4 from the memo (length 48): at 0 and at 48.
        Keys(keys, {Qt::Key_Insert, Qt::Key_Right, Qt::Key_Insert});
        EXPECT_EQ(dialog.StatusPart(5)->text(), "Mod");
        EXPECT_EQ(dialog.StatusPart(0)->text(), "Start: 0.048");
        test::SaveShot(&dialog, "note-editor");

        // Lengthening the first over the second is refused.
        Keys(keys, {Qt::Key_Left, Qt::Key_L, Qt::Key_F6});
        EXPECT_EQ(dialog.Beeps(), 1);
        EXPECT_EQ(dialog.StatusPart(4)->text(), "Length: 0.048");

        // The second moves a snap later, then the first may grow up to it.
        Keys(keys, {Qt::Key_Right, Qt::Key_S, Qt::Key_F6, Qt::Key_L, Qt::Key_F6});
        EXPECT_EQ(view.Cursor(), 96u);
        Keys(keys, {Qt::Key_Home, Qt::Key_F6});
        EXPECT_EQ(dialog.StatusPart(4)->text(), "Length: 0.096");
        EXPECT_EQ(dialog.Beeps(), 1);

        // Up to the flute's B4 under the caret, and delete it.
        Keys(keys, {Qt::Key_Up}, Qt::ControlModifier);
        EXPECT_EQ(view.CursorKey(), 72u);
        Keys(keys, {Qt::Key_Down});
        EXPECT_EQ(dialog.StatusPart(2)->text(), "Key: 71");
        Keys(keys, {Qt::Key_Delete});
        EXPECT_EQ(dialog.StatusPart(5)->text(), "Ins");
        dialog.Button(0)->click();  // Close
        EXPECT_FALSE(dialog.isVisible());
    });

    const std::string edited = Flute();
    for (const char* line : {"0 00503C90", "95 00503C80", "96 00503C90", "191 00503C80"})
        EXPECT_TRUE(Has(edited, line)) << line;
    EXPECT_FALSE(Has(edited, "0 005C4790"));
    EXPECT_EQ(std::ranges::count(edited, '\n'), std::ranges::count(before, '\n') + 2);
    EXPECT_NE(App().GetSong().modified, 0u);

    // Saved, the file holds the edited notes.
    ASSERT_EQ(App().Execute(cmd::FileSave), 1);
    const std::string saved = test::CliDump(home_.filePath("minuet.mid"))
                                  .section("\ntrack 1 ", 0, 0)
                                  .replace("\n  ", "\n")
                                  .toStdString();
    for (const char* line : {"0 00503C90", "95 00503C80", "96 00503C90", "191 00503C80"})
        EXPECT_TRUE(Has(saved, line)) << line;
    EXPECT_FALSE(Has(saved, "0 005C4790"));

    Trigger(cmd::EditUndo);
    EXPECT_EQ(Flute(), before);
}

TEST_F(NoteEditorDialogTest, MouseInsertsAndWheelZoomsAndInputIsTheRecordersAfter) {
    Open("minuet.mid");
    Edit([&](NoteEditorDialog& dialog, NoteView& view) {
        NoteViewWidget* widget = dialog.ViewWidget();

        // A click snaps the caret; a double click inserts there.
        const int y = view.KeyY(view.TopKey()) + 2;
        const int third = view.Margin() + (widget->viewport()->width() - view.Margin()) / 3;
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, QPoint(third, y));
        EXPECT_EQ(view.CursorKey(), view.TopKey());
        EXPECT_EQ(view.Cursor(), 192u);  // a third of three beats
        QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, QPoint(third, y));
        EXPECT_EQ(dialog.StatusPart(5)->text(), "Mod");

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
    Open("minuet.mid");
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
                field->setText("0.001");
                QTest::keyClick(box, Qt::Key_Return);
            },
            &dialog);
        Keys(keys, {Qt::Key_Return});
        EXPECT_EQ(dialog.Beeps(), 1);
        EXPECT_EQ(dialog.StatusPart(4)->text(), "Length: 0.048");
        // The nested dialog handed MIDI input back to the editor. (Offscreen,
        // no window is active again after a dialog closed.)
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_TRUE(layer_->Input(0).FeedShort(0x503E90));
        EXPECT_TRUE(QTest::qWaitFor([&] { return view.CursorKey() == 62; }));
        EXPECT_EQ(dialog.StatusPart(2)->text(), "Key: 62");
        EXPECT_EQ(view.CursorKey(), 62u);

        // Back on the new note: the view's menu deletes it.
        Keys(keys, {Qt::Key_Down, Qt::Key_Down});
        EXPECT_EQ(dialog.StatusPart(5)->text(), "Mod");
        QMenu* menu = dialog.ContextMenu();
        ASSERT_EQ(menu->actions().size(), 12);
        menu->actions()[1]->trigger();  // Delete
        EXPECT_EQ(dialog.StatusPart(5)->text(), "Ins");
    });
    EXPECT_FALSE(Has(Flute(), "0 00503C90"));
}

}  // namespace
}  // namespace kvs
