// The event list opened from the main window's Edit menu.
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "cli_dump.h"
#include "dialog_test_support.h"
#include "screenshot.h"
#include "ui/commands.h"
#include "ui/qt/choice_dialog_box.h"
#include "ui/qt/event_list_dialog.h"
#include "ui/qt/value_dialog_box.h"
#include "window_test_support.h"

namespace kvs {
namespace {

using test::OnNextModal;

class EventListDialogTest : public test::WindowTest {
  protected:
    const Track& Track0() { return *App().GetSong().GetTrack(0); }
};

TEST_F(EventListDialogTest, NoteShortenedSavedAndUndoneInOneStep) {
    LoadHelp();
    Open("minuet.mid");
    ASSERT_EQ(App().CurrentTrack(), 0);
    const std::string before = test::EventLines(Track0());
    RunDialog<EventListDialog>(cmd::EditEvents, [&](EventListDialog& d) {
        QTreeWidget* list = d.List();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == list; }, 2000));
        EXPECT_TRUE(list->whatsThis().contains(u"Page Up"));
        EXPECT_TRUE(d.Button(EventListCommand::Close)->whatsThis().contains(u"Undo"));
        // Beat 0 holds the first note, its end folded into its row.
        ASSERT_EQ(list->topLevelItemCount(), 1);
        QTreeWidgetItem* row = list->topLevelItem(0);
        EXPECT_EQ(row->text(1), "Note");
        EXPECT_EQ(row->text(3), "B4 (71)");
        EXPECT_EQ(row->text(5), "0.177");
        // L edits the length of the selected note.
        OnNextModal(
            [](QWidget* box) {
                auto* value = qobject_cast<ValueDialogBox*>(box);
                ASSERT_NE(value, nullptr);
                value->Field(0)->setText("0.096");
                QTest::keyClick(value->Field(0), Qt::Key_Return);
            },
            &d);
        QTest::keyClick(list, Qt::Key_L);
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(list->topLevelItem(0)->text(5), "0.096");
        EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
        // Page Down lists the next beat, Page Up comes back.
        QTest::keyClick(list, Qt::Key_PageDown);
        EXPECT_EQ(list->topLevelItem(0)->text(0), "1.000");
        QTest::keyClick(list, Qt::Key_PageUp);
        EXPECT_EQ(list->topLevelItem(0)->text(0), "0.000");
        test::SaveShot(&d, "event-list");
        QTest::keyClick(list, Qt::Key_Escape);
    });
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_NE(App().GetSong().modified, 0u);

    App().Execute(cmd::FileSave);
    const QString dump = test::CliDump(home_.filePath("minuet.mid"));
    EXPECT_TRUE(dump.contains(QLatin1String("  0 005C4790\n  95 00404780\n")))
        << dump.toStdString();
    EXPECT_FALSE(dump.contains(QLatin1String("  176 00404780")));

    Trigger(cmd::EditUndo);
    EXPECT_EQ(test::EventLines(Track0()), before);
}

// Insert asks for the kind in a drop-down list.
TEST_F(EventListDialogTest, InsertedProgramChangeJoinsTheBeat) {
    Open("minuet.mid");
    const std::string before = test::EventLines(Track0());
    RunDialog<EventListDialog>(cmd::EditEvents, [](EventListDialog& d) {
        OnNextModal(
            [](QWidget* box) {
                auto* choice = qobject_cast<ChoiceDialogBox*>(box);
                ASSERT_NE(choice, nullptr);
                EXPECT_EQ(choice->List()->currentText(), "Note");
                choice->List()->setCurrentIndex(3);
                QTest::keyClick(choice->List(), Qt::Key_Return);
            },
            &d);
        QTest::keyClick(d.List(), Qt::Key_Insert);
        QTreeWidget* list = d.List();
        ASSERT_EQ(list->topLevelItemCount(), 2);
        // The bucket is sorted: the program change goes before the note.
        EXPECT_EQ(list->topLevelItem(0)->text(1), "Program");
        EXPECT_EQ(list->topLevelItem(0)->text(2), "1");
        EXPECT_EQ(list->topLevelItem(1)->text(1), "Note");
    });
    EXPECT_NE(test::EventLines(Track0()).find("0 000000C0"), std::string::npos);
    Trigger(cmd::EditUndo);
    EXPECT_EQ(test::EventLines(Track0()), before);
}

// The menu key opens the row's menu; its Val3 item sets the velocity.
TEST_F(EventListDialogTest, VelocityFromTheContextMenu) {
    Open("minuet.mid");
    RunDialog<EventListDialog>(cmd::EditEvents, [&](EventListDialog& d) {
        QTreeWidget* list = d.List();
        QTimer::singleShot(20, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* action : menu->actions())
                if (action->text() == "Val3 (&Val)") action->trigger();
            menu->close();
        });
        OnNextModal(
            [](QWidget* box) {
                auto* value = qobject_cast<ValueDialogBox*>(box);
                ASSERT_NE(value, nullptr);
                EXPECT_EQ(value->Field(0)->text(), "92");
                value->Field(0)->setText("100");
                QTest::keyClick(value->Field(0), Qt::Key_Return);
            },
            &d);
        QTest::keyClick(list, Qt::Key_Menu);
        EXPECT_TRUE(QTest::qWaitFor([&] { return list->topLevelItem(0)->text(4) == "100"; }, 2000));
    });
    // The note's end takes the same velocity.
    const std::string lines = test::EventLines(*App().GetSong().GetTrack(0));
    EXPECT_EQ(lines.rfind("0 00644790\n176 00644780\n", 0), 0u) << lines.substr(0, 40);
}

}  // namespace
}  // namespace kvs
