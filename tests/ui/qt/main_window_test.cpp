#include "ui/qt/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "midi/engine.h"
#include "model/song.h"
#include "ui/hand_over.h"
#include "ui/qt/hand_over_server.h"
#include "ui/qt/status_bar.h"
#include "ui/qt/track_list.h"
#include "ui/qt/track_view_widget.h"
#include "ui/qt/window_test_support.h"

namespace kvs {
namespace {

struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

using MainWindowTest = test::WindowTest;

TEST_F(MainWindowTest, FileFromCommandLineFillsListAndViewRowByRowAligned) {
    Open("minuet.mid");
    EXPECT_EQ(window_->windowTitle(), "minuet.mid - Kavelsong");
    TrackList& list = window_->List();
    const Song& song = App().GetSong();
    ASSERT_EQ(list.count(), 3);
    ASSERT_EQ(App().View().VisibleRowCount() >= 3, true);
    TrackViewWidget& view = window_->ViewWidget();
    const int rowHeight = list.RowHeight();
    EXPECT_EQ(static_cast<int>(App().View().RowHeight()), rowHeight);
    for (int t = 0; t < 3; ++t) {
        const QStringList columns = list.item(t)->text().split(u'\t');
        ASSERT_EQ(columns.size(), 3);
        EXPECT_EQ(columns[1].toStdString(), std::string(song.GetTrack(t)->properties.name.View()));
        EXPECT_TRUE(columns[2].startsWith(QString::number(t + 1) + u':'));
        // The view's glyphs are the song's, and row t of both sits at one height.
        const std::string glyphs = App().View().RowText(t);
        ASSERT_FALSE(glyphs.empty());
        EXPECT_EQ(glyphs[0], TrackView::Glyph(*song.GetTrack(t), 0, App().View().Zoom()));
        const QPoint listRow =
            list.viewport()->mapTo(window_.get(), list.visualItemRect(list.item(t)).topLeft());
        const QPoint viewRow = view.viewport()->mapTo(window_.get(), QPoint(0, t * rowHeight));
        EXPECT_EQ(listRow.y(), viewRow.y()) << "row " << t;
    }
    EXPECT_EQ(App().View().RowText(3), "");
    EXPECT_EQ(window_->Status().Text(0), "Track 1");
}

TEST_F(MainWindowTest, SpacePlaysCaretFollowsAndMenusFollowTheEngine) {
    Open("minuet.mid");
    QAction* insertTrack = window_->Action(cmd::TrackInsert);
    EXPECT_TRUE(insertTrack->isEnabled());
    QTest::keyClick(&window_->List(), Qt::Key_Space);
    // The engine leaves its start delay on the first periods; the state
    // change reaches the window through its wake-up descriptor.
    timer_->Fire(2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window_->Status().Text(2) == u"Play"; }, 2000));
    EXPECT_FALSE(insertTrack->isEnabled());

    // Two beats at 120 bpm are 1 s, about 334 periods of 3 ms.
    timer_->Fire(700);
    EXPECT_TRUE(QTest::qWaitFor([&] { return App().View().Caret() >= 2; }, 2000));
    EXPECT_EQ(App().View().Anchor(), App().View().Caret());

    QTest::keyClick(&window_->List(), Qt::Key_Space);
    EXPECT_EQ(window_->Status().Text(2), QString());
    EXPECT_TRUE(insertTrack->isEnabled());
    EXPECT_GT(layer_->Output(0).MessageCount(), 0u);

    // Minimising while playing stops the engine and keeps the window in view.
    QTest::keyClick(&window_->List(), Qt::Key_Space);
    timer_->Fire(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Status().Text(2) == u"Play"; }, 2000));
    window_->showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window_->isMinimized(); }, 2000));
    EXPECT_EQ(window_->Status().Text(2), QString());
}

TEST_F(MainWindowTest, KeysDeleteTracksMoveFocusAndSetMarks) {
    Open("minuet.mid");
    TrackList& list = window_->List();
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(App().CurrentTrack(), 1);
    // The view repaints too, or it would go on showing the deleted row.
    QCoreApplication::processEvents();
    PaintCounter painted;
    window_->ViewWidget().viewport()->installEventFilter(&painted);
    QTest::keyClick(&list, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(App().TrackCount(), 2u);
    EXPECT_EQ(list.count(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return painted.count > 0; }, 1000));
    EXPECT_TRUE(window_->windowTitle().startsWith(u"minuet.mid"));

    // Delete with nothing selected removes one column of beats, once.
    const std::uint32_t before = App().GetSong().GetTrack(App().CurrentTrack())->BeatCount();
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(App().GetSong().GetTrack(App().CurrentTrack())->BeatCount(),
              before - App().View().Zoom());

    QTest::keyClick(&list, Qt::Key_Tab);
    EXPECT_TRUE(window_->ViewWidget().hasFocus());
    EXPECT_EQ(App().Focus(), FocusedChild::TrackView);
    QAction* cut = window_->Action(cmd::EditCut);
    EXPECT_FALSE(cut->isEnabled());
    QTest::keyClick(&window_->ViewWidget(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_TRUE(cut->isEnabled()) << "a selection enables Cut";
    QTest::keyClick(&window_->ViewWidget(), Qt::Key_Right);
    EXPECT_FALSE(cut->isEnabled());
    const std::uint32_t caret = App().View().Caret();
    // Shift+0 as a US layout reports it: ")".
    QTest::keyClick(&window_->ViewWidget(), Qt::Key_ParenRight, Qt::ShiftModifier);
    QTest::keyClick(&window_->ViewWidget(), Qt::Key_Home);
    QTest::keyClick(&window_->ViewWidget(), Qt::Key_0);
    EXPECT_EQ(App().View().Caret(), caret);
    QTest::keyClick(&window_->ViewWidget(), Qt::Key_Tab);
    EXPECT_TRUE(list.hasFocus());

    // A right click selects the row under the mouse, then the menu opens.
    bool menuShown = false;
    QTimer::singleShot(100, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            menuShown = popup == window_->TrackListMenu();
            popup->close();
        }
    });
    const QPoint row0 = list.visualItemRect(list.item(0)).center();
    QTest::mousePress(list.viewport(), Qt::RightButton, {}, row0);
    // The platform follows a right press with a context menu event.
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, row0, list.viewport()->mapToGlobal(row0));
    QApplication::sendEvent(list.viewport(), &menuEvent);
    EXPECT_TRUE(menuShown);
    EXPECT_EQ(App().CurrentTrack(), 0);
}

TEST_F(MainWindowTest, RecentFilesShowAndReopen) {
    Open("a & b.mid");
    Open("minuet.mid");
    QMenu* file = window_->menuBar()->actions().front()->menu();
    emit file->aboutToShow();
    QStringList recent;
    for (QAction* a : file->actions()) {
        if (a->text().startsWith(u'&') && a->text().at(1).isDigit()) recent << a->text();
    }
    ASSERT_GE(recent.size(), 2);
    EXPECT_EQ(recent[0], "&1 minuet.mid");
    EXPECT_EQ(recent[1], "&2 a && b.mid");
    for (QAction* a : file->actions()) {
        if (a->text() == recent[1]) a->trigger();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(window_->windowTitle(), "a & b.mid - Kavelsong");
}

TEST_F(MainWindowTest, CloseAsksToSaveAndCancelKeepsEverything) {
    Open("minuet.mid");
    QTest::keyClick(&window_->List(), Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(App().TrackCount(), 2u);
    test::OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(App().TrackCount(), 2u);
    EXPECT_NE(App().GetSong().modified, 0u);
}

TEST_F(MainWindowTest, HelpContentsThatCannotOpenSaysSo) {
    // The data folder here holds no help pages.
    RunDialog<QMessageBox>(cmd::HelpContents, [](QMessageBox&) {});
}

#ifdef KVS_APP_PATH
TEST_F(MainWindowTest, SecondStartHandsItsFileOver) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    HandOverServer server;
    ASSERT_TRUE(server.Listen(QString::fromStdString(HandOverSocketPath())));
    QObject::connect(&server, &HandOverServer::Received, window_.get(),
                     [this](const QByteArray& b) {
                         const auto message = DecodeHandOver(b.toStdString());
                         if (message)
                             window_->ReceiveHandOver(message->words, message->workingFolder);
                     });
    QProcess second;
    second.setWorkingDirectory(home_.path());
    second.start(KVS_APP_PATH, {"minuet.mid"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return App().TrackCount() == 3; }, 5000));
    EXPECT_EQ(window_->windowTitle(), "minuet.mid - Kavelsong");
    qunsetenv("XDG_RUNTIME_DIR");
}
#endif

}  // namespace
}  // namespace kvs
