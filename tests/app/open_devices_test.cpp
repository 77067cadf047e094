#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <sstream>
#include <thread>

#include "app/cli/open_devices.h"
#include "app/cli/stream_errors.h"
#include "midi/backends/virtual_midi.h"

namespace kvs {
namespace {

// Counts what reaches it, and what reaches it after its owner said it is gone.
struct CountingSink : MidiInputSink {
    void OnShortMessage(std::uint32_t, std::uint32_t) override {
        // A slow callback, so that closing meets one in progress.
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (gone.load()) ++late;
        ++received;
    }
    void OnSysexBuffer(std::uint32_t, std::span<const std::uint8_t>) override {}
    std::atomic<bool> gone{false};
    std::atomic<int> received{0};
    std::atomic<int> late{0};
};

TEST(OpenDevices, OpensOnlyWhatIsUsedAndNoInputArrivesOnceItIsGone) {
    VirtualMidiLayer layer({"In A", "In B"}, {"Out A", "Out B"});
    MidiDeviceTable table(layer);
    table.EnumerateMidiDevices();
    std::ostringstream err;
    StreamErrors errors(err);
    CountingSink sink;
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        while (!stop.load())
            (void)layer.Input(1).FeedShort(0x403C90);
    });
    {
        OpenDevices devices(table, 1, 1, errors);
        EXPECT_TRUE(devices.IsOpen(MidiDeviceKind::Out) && devices.IsOpen(MidiDeviceKind::In));
        EXPECT_FALSE(layer.Output(0).IsOpen() || layer.Input(0).IsOpen());
        devices.SetInputSink(&sink);
        while (sink.received.load() < 100)
            std::this_thread::yield();
    }
    sink.gone = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stop = true;
    feeder.join();
    EXPECT_EQ(sink.late.load(), 0);
    EXPECT_FALSE(layer.Input(1).IsOpen());
    // The enable flags the user set are kept.
    EXPECT_TRUE(table.Inputs()[0].enabled && table.Outputs()[0].enabled);
    EXPECT_TRUE(err.str().empty()) << err.str();
}

}  // namespace
}  // namespace kvs
