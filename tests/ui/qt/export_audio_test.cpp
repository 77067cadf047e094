// File > Export audio from the real window.
#include <QDialogButtonBox>
#include <QDir>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>

#include "midi/backends/fluid_synth_layer.h"
#include "ui/qt/dialog_test_support.h"
#include "ui/qt/export_audio_dialog.h"
#include "ui/qt/screenshot.h"
#include "ui/qt/window_test_support.h"

namespace kvs {
namespace {

class ExportAudioTest : public test::WindowTest {
  protected:
    // Fills the dialog, then hands the progress dialog to onProgress.
    void Export(const QString& target, int rate, std::function<void(QProgressDialog*)> onProgress,
                const QString& shot = {}) {
        test::OnNextModal([=, this](QWidget* modal) {
            auto* dialog = qobject_cast<ExportAudioDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->Target()->setText(target);
            dialog->SoundFont()->setText(QString::fromStdString(font_));
            dialog->Rate()->setCurrentIndex(dialog->Rate()->findData(rate));
            if (!shot.isEmpty()) test::SaveShot(dialog, shot);
            test::OnNextModal(
                [=](QWidget* next) {
                    auto* progress = qobject_cast<QProgressDialog*>(next);
                    ASSERT_NE(progress, nullptr);
                    onProgress(progress);
                },
                dialog);
            test::Press(dialog, QDialogButtonBox::AcceptRole);
        });
        Trigger(cmd::FileExportAudio);
    }

    QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::string font_ = ChooseSoundFont("");
};

#ifdef KVS_CLI_PATH
TEST_F(ExportAudioTest, TheWindowWritesWhatKvsCliRenderWritesAndRemembersItsChoice) {
    if (font_.empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    Open("minuet.mid");
    const QString target = home_.filePath("minuet.wav");
    // The audio file is named after the song.
    RunDialog<ExportAudioDialog>(
        cmd::FileExportAudio, [&](ExportAudioDialog& d) { EXPECT_EQ(d.Target()->text(), target); });
    EXPECT_FALSE(QFile::exists(target));

    Export(
        target, 22050, [](QProgressDialog* p) { test::SaveShot(p, "export-progress"); },
        "export-audio");
    ASSERT_TRUE(QFile::exists(target));

    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KVS_HOME", home_.path());
    cli.setProcessEnvironment(env);
    const QString cliTarget = home_.filePath("cli.wav");
    cli.start(QStringLiteral(KVS_CLI_PATH),
              {"render", home_.filePath("minuet.mid"), cliTarget, "--soundfont",
               QString::fromStdString(font_), "--rate", "22050"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QByteArray wav = Read(target);
    EXPECT_GT(wav.size(), 44 + 22050 * 4 * 40);
    EXPECT_TRUE(wav == Read(cliTarget));

    // The sound font and the rate are kept for the next export.
    const QString ini = IniAfterExit();
    EXPECT_TRUE(ini.contains("ExportRate=22050")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("ExportSoundFont=" + QString::fromStdString(font_)));
    EXPECT_TRUE(ini.contains("TipOfDayStartup=0"));
}
#endif

TEST_F(ExportAudioTest, CancelLeavesNoFileAndTheOldOneAsItWas) {
    if (font_.empty()) GTEST_SKIP() << "no General MIDI sound font installed";
    Open("minuet.mid");
    const QString target = home_.filePath("old.wav");
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("keep me");
    old.close();
    bool cancelled = false;
    Export(target, 44100, [&](QProgressDialog* progress) {
        auto* cancel = progress->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        cancelled = progress->value() < 1000;
        cancel->click();
    });
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(Read(target), QByteArray("keep me"));
    const QString fresh = home_.filePath("fresh.wav");
    Export(fresh, 44100,
           [](QProgressDialog* progress) { progress->findChild<QPushButton*>()->click(); });
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_TRUE(QDir(home_.path()).entryList({".kvs-*"}, QDir::Hidden | QDir::Files).isEmpty());
}

}  // namespace
}  // namespace kvs
