#include "midi/backends/virtual_midi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace kvs {
namespace {

struct CollectingSink : MidiInputSink {
    void OnShortMessage(std::uint32_t device, std::uint32_t message) override {
        std::lock_guard lock(mutex);
        shorts.emplace_back(device, message);
    }
    void OnSysexBuffer(std::uint32_t device, std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(mutex);
        (void)device;
        buffers.emplace_back(bytes.begin(), bytes.end());
    }
    std::mutex mutex;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> shorts;
    std::vector<std::vector<std::uint8_t>> buffers;
};

TEST(VirtualMidi, OutputRecordsInOrderAndHeldLongMessagesCompleteOneAtATime) {
    VirtualMidiLayer layer({}, {"Out A"});
    std::string error;
    auto port = layer.OpenOutput(0, &error);
    ASSERT_NE(port, nullptr);
    // Only one program may hold a device.
    EXPECT_EQ(layer.OpenOutput(0, &error), nullptr);
    EXPECT_FALSE(error.empty());

    const std::vector<std::uint8_t> sysex{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    std::vector<int> completed;
    port->SendShort(0x7F3C90);
    EXPECT_TRUE(port->SendLong(sysex, [&] { completed.push_back(0); }));
    port->SendShort(0x003C80);
    EXPECT_EQ(completed.size(), 1u);

    VirtualOutputDevice& device = layer.Output(0);
    device.SetLongCompletion(VirtualOutputDevice::LongCompletion::Held);
    port->SendLong(sysex, [&] { completed.push_back(1); });
    port->SendLong(sysex, [&] { completed.push_back(2); });
    EXPECT_EQ(device.HeldLongCount(), 2u);
    EXPECT_TRUE(device.ReleaseLong());
    EXPECT_EQ(completed, (std::vector<int>{0, 1}));
    EXPECT_TRUE(device.ReleaseLong());
    EXPECT_FALSE(device.ReleaseLong());
    EXPECT_EQ(completed, (std::vector<int>{0, 1, 2}));

    // What was sent stays readable after the port is closed.
    port.reset();
    EXPECT_FALSE(device.IsOpen());
    const auto got = device.Snapshot();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0].shortMessage, 0x7F3C90u);
    EXPECT_EQ(got[1].bytes, sysex);
    EXPECT_EQ(got[2].shortMessage, 0x003C80u);
}

TEST(VirtualMidi, NoInputArrivesAfterThePortIsClosed) {
    VirtualMidiLayer layer({"In"}, {});
    CollectingSink sink;
    auto port = layer.OpenInput(0, sink, nullptr);
    std::atomic<bool> stop{false};
    std::atomic<int> delivered{0};
    std::thread feeder([&] {
        while (!stop.load())
            if (layer.Input(0).FeedShort(0x90)) ++delivered;
    });
    while (delivered.load() < 100)
        std::this_thread::yield();
    port.reset();
    std::size_t atClose;
    {
        std::lock_guard lock(sink.mutex);
        atClose = sink.shorts.size();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop = true;
    feeder.join();
    std::lock_guard lock(sink.mutex);
    EXPECT_EQ(sink.shorts.size(), atClose);
    EXPECT_EQ(static_cast<int>(atClose), delivered.load());
}

}  // namespace
}  // namespace kvs
