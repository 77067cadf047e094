// Unsaved changes survive a killed program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "midi/backends/backend_choice.h"
#include "midi/backends/virtual_midi.h"
#include "midi/timer_manual.h"
#include "ui/commands.h"
#include "ui/qt/main_window.h"
#include "ui/qt/window_test_support.h"

#ifdef KVS_APP_PATH
namespace kvs {
namespace {

// An X server of the test's own, so that keys can be typed into the real
// program from outside.
class XServer {
  public:
    XServer() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
            QStandardPaths::findExecutable("xdotool").isEmpty())
            return;
        server_.start("Xvfb",
                      {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (!server_.waitForReadyRead(10000)) return;
        display_ = ":" + QString::fromLatin1(server_.readLine().trimmed());
    }
    ~XServer() {
        server_.terminate();
        server_.waitForFinished(5000);
    }
    const QString& Display() const { return display_; }

    // xdotool's exit status and what it printed.
    bool Tool(const QStringList& args, QString* out = nullptr) const {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display_);
        tool.setProcessEnvironment(env);
        tool.start("xdotool", args);
        if (!tool.waitForFinished(20000)) {
            tool.kill();
            tool.waitForFinished();
            return false;
        }
        if (out) *out = QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
        return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    }

  private:
    QProcess server_;
    QString display_;
};

TEST(Recovery, AnEditSurvivesAKilledProgramAndIsOfferedAtTheNextStart) {
    XServer x;
    if (x.Display().isEmpty()) GTEST_SKIP() << "no Xvfb and xdotool";
    QTemporaryDir home;
    const QString minuet = home.filePath("minuet.mid");
    ASSERT_TRUE(QFile::copy(test::kMinuet, minuet));
    QFile ini(home.filePath("kvs.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    // Without a sound card the built-in synth's error box would wait for a user.
    ini.write("[OPTIONS]\nTipOfDayStartup=0\n[ports]\nKVS Synth_out_enable=0\n");
    ini.close();

    QProcess kvs;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KVS_HOME", home.path());
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("KVS_MIDI", "virtual");
    env.insert("KVS_RECOVERY_MS", "200");
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", x.Display());
    kvs.setProcessEnvironment(env);
    kvs.start(KVS_APP_PATH, {minuet});
    ASSERT_TRUE(kvs.waitForStarted());
    QString window;
    ASSERT_TRUE(x.Tool({"search", "--sync", "--onlyvisible", "--name", "^minuet.mid - Kavelsong$"},
                       &window));
    window = window.section(u'\n', 0, 0);
    const QString copy = home.filePath("recovery.mid");
    // Unchanged, nothing is copied.
    QTest::qWait(600);
    EXPECT_FALSE(QFile::exists(copy));
    // Track > Insert adds a fourth track.
    ASSERT_TRUE(x.Tool({"windowfocus", "--sync", window}));
    ASSERT_TRUE(x.Tool({"key", "--clearmodifiers", "ctrl+Insert"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(copy); }, 10000));
    QTest::qWait(300);  // a copy being written is renamed in place whole
    kvs.kill();         // SIGKILL: no exit sequence at all
    ASSERT_TRUE(kvs.waitForFinished(10000));
    ASSERT_TRUE(QFile::exists(copy));

    // The next start offers the copy; Yes is the default button.
    Application::Options options;
    options.layer =
        std::make_unique<VirtualMidiLayer>(std::vector<std::string>{std::string(kVirtualInName)},
                                           std::vector<std::string>{std::string(kVirtualOutName)});
    options.timer = std::make_unique<ManualTimer>();
    options.dataFolder = home.path().toStdString();
    auto again = std::make_unique<MainWindow>(std::move(options));
    QString asked;
    // Owned here, so it cannot outlive this test and answer a later box.
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        answer.stop();
        asked = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    answer.start();
    again->StartUp();
    EXPECT_EQ(asked, "Recover unsaved changes to minuet.mid?");
    Application& app = again->App();
    EXPECT_EQ(app.TrackCount(), 4u);
    EXPECT_NE(app.GetSong().modified, 0u);
    EXPECT_EQ(app.WindowTitle(), "minuet.mid - Kavelsong");
    // The user's file was never touched; a normal save removes the copy.
    EXPECT_TRUE(QFile::exists(copy));
    again->Action(cmd::FileSave)->trigger();
    EXPECT_FALSE(QFile::exists(copy));
    again.reset();
}

}  // namespace
}  // namespace kvs
#endif
