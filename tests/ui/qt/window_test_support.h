#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "dialog_test_support.h"
#include "midi/backends/virtual_midi.h"
#include "midi/timer_manual.h"
#include "ui/command_line.h"
#include "ui/qt/main_window.h"

namespace kvs::test {

inline const QString kMinuet = kDataDir + "/examples/minuet.mid";

// The real main window over virtual MIDI devices ("Keys" in, "Synth" out), a
// manual timer and a data folder of its own holding minuet.mid.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(QFile::copy(kMinuet, home_.filePath("minuet.mid")));
        ASSERT_TRUE(QFile::copy(kMinuet, home_.filePath("a & b.mid")));
        QFile ini(home_.filePath("kvs.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[OPTIONS]\nTipOfDayStartup=0\n");
        ini.close();
        Application::Options options;
        auto layer = std::make_unique<VirtualMidiLayer>(std::vector<std::string>{"Keys"},
                                                        std::vector<std::string>{"Synth"});
        layer_ = layer.get();
        options.layer = std::move(layer);
        auto timer = std::make_unique<ManualTimer>();
        timer_ = timer.get();
        options.timer = std::move(timer);
        options.dataFolder = home_.path().toStdString();
        window_ = std::make_unique<MainWindow>(std::move(options));
        window_->show();
        window_->StartUp();
        // Window shortcuts fire only in the active window.
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }

    void Open(const QString& name) {
        const std::vector<std::string> words{name.toStdString()};
        window_->RunCommandLine(ParseCommandLine(words, home_.path().toStdString()));
        QCoreApplication::processEvents();
    }
    Application& App() { return window_->App(); }
    // Runs a command the way a chosen menu item does.
    void Trigger(std::uint32_t id) { window_->Action(id)->trigger(); }
    // The help texts behind What's This.
    void LoadHelp() { window_->SetHelpFolder(kDataDir); }

    // Runs open (a command, keys); act gets the Dialog it opens, which is
    // cancelled if act leaves it open.
    template <class Dialog>
    void RunDialog(const std::function<void()>& open, const std::function<void(Dialog&)>& act) {
        bool opened = false;
        OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<Dialog*>(modal);
            opened = dialog != nullptr;
            if (opened) {
                act(*dialog);
            } else {
                ADD_FAILURE() << "unexpected " << modal->metaObject()->className();
            }
            auto* still = qobject_cast<QDialog*>(modal);
            if (still != nullptr && still->isVisible()) still->reject();
        });
        open();
        EXPECT_TRUE(opened);
    }
    template <class Dialog>
    void RunDialog(std::uint32_t command, const std::function<void(Dialog&)>& act) {
        RunDialog<Dialog>([&] { Trigger(command); }, act);
    }

    // kvs.ini as the program leaves it when its window closes.
    QString IniAfterExit() {
        EXPECT_TRUE(window_->close());
        QFile ini(home_.filePath("kvs.ini"));
        EXPECT_TRUE(ini.open(QIODevice::ReadOnly));
        return QString::fromUtf8(ini.readAll());
    }
    // The short messages "Synth" was sent.
    std::vector<std::uint32_t> SynthShort() {
        std::vector<std::uint32_t> sent;
        for (const RecordedMidiMessage& m : layer_->Output(0).Snapshot())
            if (!m.isLong) sent.push_back(m.shortMessage);
        return sent;
    }

    QTemporaryDir home_;
    VirtualMidiLayer* layer_ = nullptr;
    ManualTimer* timer_ = nullptr;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace kvs::test
