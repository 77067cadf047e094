#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "midi/backends/virtual_midi.h"
#include "midi/timer_manual.h"
#include "ui/command_line.h"
#include "ui/qt/main_window.h"

namespace kvs::test {

inline const QString kMinuet = QStringLiteral(KVS_TEST_DATA_DIR "/../../data/examples/minuet.mid");

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

    QTemporaryDir home_;
    VirtualMidiLayer* layer_ = nullptr;
    ManualTimer* timer_ = nullptr;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace kvs::test
