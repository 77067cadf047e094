#include "midi/backends/virtual_midi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "midi_test_support.h"

namespace kvs {
namespace {

TEST(VirtualMidi, NoInputArrivesAfterThePortIsClosed) {
    VirtualMidiLayer layer({"In"}, {});
    test::RecordingInput sink;
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
    const std::size_t atClose = sink.Got().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop = true;
    feeder.join();
    EXPECT_EQ(sink.Got().size(), atClose);
    EXPECT_EQ(static_cast<int>(atClose), delivered.load());
}

}  // namespace
}  // namespace kvs
