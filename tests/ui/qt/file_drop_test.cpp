// Song files dropped on the main window.
#include <QAbstractButton>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>

#include "ui/qt/dialog_test_support.h"
#include "ui/qt/file_drop.h"
#include "ui/qt/status_bar.h"
#include "ui/qt/window_test_support.h"

namespace kvs {
namespace {

class FileDropTest : public test::WindowTest {
  protected:
    // Drags the files over the window and drops them; whether it was taken.
    bool Drop(const QStringList& names) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& name : names)
            urls << QUrl::fromLocalFile(home_.filePath(name));
        data.setUrls(urls);
        const QPoint at = window_->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &drop);
        QCoreApplication::processEvents();
        return drop.isAccepted();
    }
    // Answers the next message box with the button of role, and tells its text.
    void Answer(QMessageBox::ButtonRole role, QString* text = nullptr) {
        test::OnNextModal([role, text](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            if (text) *text = box->text();
            for (QAbstractButton* b : box->buttons())
                if (box->buttonRole(b) == role) return b->click();
            box->reject();
        });
    }
};

TEST_F(FileDropTest, ASongFileOpensAsOpenWouldAskingToSaveFirst) {
    QFile other(home_.filePath("notes.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    EXPECT_FALSE(Drop({"notes.txt"}));

    Open("a & b.mid");
    Trigger(cmd::TrackInsert);
    ASSERT_EQ(App().TrackCount(), 4u);
    // Cancel keeps the changed song.
    QString asked;
    Answer(QMessageBox::RejectRole, &asked);
    EXPECT_TRUE(Drop({"notes.txt", "minuet.mid"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !asked.isEmpty(); }, 2000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(asked.contains(u"a & b.mid")) << asked.toStdString();
    EXPECT_EQ(App().TrackCount(), 4u);
    EXPECT_TRUE(window_->windowTitle().startsWith(u"a & b.mid"));

    Answer(QMessageBox::NoRole);
    EXPECT_TRUE(Drop({"minuet.mid"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return App().TrackCount() == 3; }, 2000));
    EXPECT_EQ(window_->windowTitle(), "minuet.mid - Kavelsong");
    EXPECT_EQ(App().GetSong().modified, 0u);
}

TEST_F(FileDropTest, ADropWhileRecordingIsRefused) {
    Open("minuet.mid");
    Trigger(cmd::Record);
    timer_->Fire(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Status().Text(2) == u"Rec"; }, 2000));
    QString told;
    Answer(QMessageBox::AcceptRole, &told);
    EXPECT_TRUE(Drop({"a & b.mid"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !told.isEmpty(); }, 2000));
    EXPECT_EQ(told, "Cannot accept command line");
    EXPECT_EQ(window_->windowTitle(), "minuet.mid - Kavelsong");
    EXPECT_TRUE(IsRecording(App().GetEngine().State()));
    Answer(QMessageBox::NoRole);  // the take is not kept
    Trigger(cmd::PlayStop);
}

}  // namespace
}  // namespace kvs
