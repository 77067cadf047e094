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

TEST(VirtualMidi, NoInputArrivesAfterThePortIsClosed) {
    VirtualMidiLayer layer({"In"}, {});
    CollectingSink sink;
    auto port = layer.OpenInput(0, sink, nullptr);
    // Only one program may hold a device.
    std::string error;
    EXPECT_EQ(layer.OpenInput(0, sink, &error), nullptr);
    EXPECT_FALSE(error.empty());
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
