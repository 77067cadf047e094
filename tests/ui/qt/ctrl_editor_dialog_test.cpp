// The control editor opened from the main window with Ctrl+J.
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "cli_dump.h"
#include "dialog_test_support.h"
#include "screenshot.h"
#include "ui/commands.h"
#include "ui/qt/ctrl_editor_dialog.h"
#include "ui/qt/ctrl_view_widget.h"
#include "ui/qt/value_dialog_box.h"
#include "window_test_support.h"

namespace kvs {
namespace {

using test::OnNextModal;

class CtrlEditorDialogTest : public test::WindowTest {
  protected:
    const Track& Track0() { return *App().GetSong().GetTrack(0); }
};

// Answers the next value dialog with text.
void AnswerValue(QWidget* skip, const QString& text) {
    OnNextModal(
        [text](QWidget* w) {
            auto* box = qobject_cast<ValueDialogBox*>(w);
            ASSERT_NE(box, nullptr);
            box->Field(0)->setText(text);
            QTest::keyClick(box->Field(0), Qt::Key_Return);
        },
        skip);
}

TEST_F(CtrlEditorDialogTest, RampOfVolumeSavedAndUndoneInOneStep) {
    LoadHelp();
    Open("minuet.mid");
    ASSERT_EQ(App().CurrentTrack(), 0);
    const std::string before = test::EventLines(Track0());
    RunDialog<CtrlEditorDialog>(cmd::EditControllers, [&](CtrlEditorDialog& d) {
        QWidget* view = d.ViewWidget();
        // The window takes the focus when the system activates it.
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == view; }, 2000));
        EXPECT_TRUE(view->whatsThis().contains(u"Ctrl+Up"));
        EXPECT_TRUE(d.Button(CtrlCommand::Close)->whatsThis().contains(u"Undo"));
        // N chooses the Num parameter, Enter edits it: controller 7.
        QTest::keyClick(view, Qt::Key_N);
        AnswerValue(&d, "7");
        QTest::keyClick(view, Qt::Key_Return);
        EXPECT_EQ(d.ViewWidget()->View().Type(), 7u);
        // A rising ramp, one event per snap step.
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(view, Qt::Key_Insert);
            QTest::keyClick(view, Qt::Key_Right);
            QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
        }
        // On an event the editor modifies it.
        QTest::keyClick(view, Qt::Key_Left);
        EXPECT_EQ(d.StatusPart(4)->text(), "Mod");
        // The middle one raised by a big step of its value.
        QTest::keyClick(view, Qt::Key_Left);
        QTest::keyClick(view, Qt::Key_Left);
        QTest::keyClick(view, Qt::Key_V);
        QTest::keyClick(view, Qt::Key_F8);
        EXPECT_EQ(d.StatusPart(3)->text(), "Val: 30");
        EXPECT_EQ(d.StatusPart(0)->text(), "Start: 0.096");
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == view; }, 2000));
        test::SaveShot(&d, "control-editor");
        // A click at the very top places the caret at the highest value.
        CtrlViewWidget* widget = d.ViewWidget();
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {},
                          QPoint(widget->View().Margin() + 1, 0));
        EXPECT_EQ(widget->View().CursorValue(), 127);
        EXPECT_EQ(widget->View().Cursor(), 0u);
        d.Button(CtrlCommand::Close)->click();
    });
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_NE(App().GetSong().modified, 0u);

    App().Execute(cmd::FileSave);
    const QString dump = test::CliDump(home_.filePath("minuet.mid"));
    for (const char* line :
         {"  0 000007B0", "  48 000707B0", "  96 001E07B0", "  144 001507B0", "  192 001C07B0"})
        EXPECT_TRUE(dump.contains(QLatin1String(line))) << line << "\n" << dump.toStdString();

    Trigger(cmd::EditUndo);
    EXPECT_EQ(test::EventLines(Track0()), before);
}

}  // namespace
}  // namespace kvs
