#include "midi/sysex_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine_test_support.h"
#include "midi/backends/virtual_midi.h"
#include "midi/engine_edit_link.h"
#include "midi/output_commands.h"
#include "midi_test_support.h"
#include "model/beat_selection.h"
#include "model/edit_session.h"

namespace kvs::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Completion = QueueRig::Completion;

// The engine queues a tick's events in order (its own test); the queue sends
// one at a time, the next only once the window thread has the report.
TEST(SysexQueue, MessagesOnTwoPortsGoOutOneAfterAnother) {
    QueueRig rig(Completion::Held);
    const SysexBlock a{{0xF0, 0x01, 0xF7}}, b{{0xF0, 0x02, 0x02, 0xF7}}, c{{0xF0, 0x03, 0xF7}};
    rig.queue.QueueSysex(a, 0);
    rig.queue.QueueSysex(b, 0);
    rig.queue.QueueSysex(c, 1);
    rig.queue.KickSysex();
    rig.queue.KickSysex();
    EXPECT_EQ(rig.LongSent(0), std::vector<Bytes>{a.bytes});
    EXPECT_TRUE(rig.LongSent(1).empty());
    EXPECT_EQ(rig.Pump(), 0);

    ASSERT_TRUE(rig.layer.Output(0).ReleaseLong());
    EXPECT_EQ(rig.LongSent(0).size(), 1u);  // the report alone starts nothing
    EXPECT_EQ(rig.Pump(), 1);
    EXPECT_EQ(rig.LongSent(0), (std::vector<Bytes>{a.bytes, b.bytes}));
    ASSERT_TRUE(rig.layer.Output(0).ReleaseLong());
    EXPECT_EQ(rig.Pump(), 1);
    EXPECT_EQ(rig.LongSent(1), std::vector<Bytes>{c.bytes});
    ASSERT_TRUE(rig.layer.Output(1).ReleaseLong());
    EXPECT_EQ(rig.Pump(), 1);
    EXPECT_EQ(rig.queue.Size(), 0u);
    EXPECT_FALSE(rig.queue.Busy());
}

TEST(SysexQueue, PortsThatCannotSendAreSkippedInsteadOfBlockingTheQueue) {
    QueueRig rig;
    const SysexBlock block{{0xF0, 0x11, 0xF7}};
    // To every open output, one after another.
    rig.queue.SendSysexAll(block);
    EXPECT_EQ(rig.LongSent(0).size(), 1u);
    EXPECT_TRUE(rig.LongSent(1).empty());
    EXPECT_EQ(rig.Pump(), 2);
    EXPECT_EQ(rig.LongSent(1).size(), 1u);

    rig.devices.SetEnabled(MidiDeviceKind::Out, 1, false);
    rig.devices.CloseMidiDevices();
    rig.queue.SendSysexAll(block);  // no outputs: nothing queued
    EXPECT_EQ(rig.queue.Size(), 0u);
    RecordingErrors errors;
    rig.devices.OpenMidiDevices(errors);
    rig.queue.QueueSysex(block, 1);  // closed
    rig.queue.QueueSysex(block, 7);  // no such port
    rig.queue.QueueSysex(block, 0);
    rig.queue.KickSysex();
    EXPECT_EQ(rig.LongSent(0).size(), 2u);
    EXPECT_EQ(rig.Pump(), 1);
    EXPECT_EQ(rig.queue.Size(), 0u);

    // A stray report while idle changes nothing.
    rig.queue.SysexSent();
    EXPECT_EQ(rig.queue.Size(), 0u);
    EXPECT_FALSE(rig.queue.Busy());
}

TEST(SysexQueue, FullQueueDropsAndCountsUntilReserved) {
    QueueRig rig(Completion::Held);
    const SysexBlock block{{0xF0, 0x33, 0xF7}};
    for (std::size_t i = 0; i < SysexQueue::kDefaultCapacity + 2; ++i)
        rig.queue.QueueSysex(block, 0);
    EXPECT_EQ(rig.queue.Size(), SysexQueue::kDefaultCapacity);
    EXPECT_EQ(rig.queue.Dropped(), 2u);

    // The order across growth is the threaded test's.
    ASSERT_TRUE(rig.queue.Reserve(1000));
    rig.queue.QueueSysex(block, 0);
    EXPECT_EQ(rig.queue.Dropped(), 2u);
    EXPECT_EQ(rig.queue.Size(), SysexQueue::kDefaultCapacity + 1);
}

TEST(SysexQueue, WaitReturnsOnceEverythingWasReportedAndDropWaitingKeepsTheOneInFlight) {
    QueueRig rig(Completion::Held);
    const SysexBlock block{{0xF0, 0x55, 0xF7}};
    rig.queue.QueueSysex(block, 0);
    rig.queue.QueueSysex(block, 1);
    rig.queue.KickSysex();
    int rounds = 0;
    rig.queue.WaitSysexDone(
        [&] {
            ++rounds;
            rig.layer.Output(0).ReleaseLong();
            rig.layer.Output(1).ReleaseLong();
            rig.Pump();
        },
        std::chrono::milliseconds(1));
    EXPECT_EQ(rig.queue.Size(), 0u);
    EXPECT_EQ(rounds, 2);

    rig.queue.QueueSysex(block, 0);
    rig.queue.QueueSysex(block, 1);
    rig.queue.KickSysex();
    rig.queue.DropWaiting();
    EXPECT_EQ(rig.queue.Size(), 1u);
    ASSERT_TRUE(rig.layer.Output(0).ReleaseLong());
    EXPECT_EQ(rig.Pump(), 1);
    EXPECT_EQ(rig.queue.Size(), 0u);
    EXPECT_EQ(rig.layer.Output(1).HeldLongCount(), 0u);
}

// The window thread grows the queue while the timer thread fills it: the
// order holds across every growth and each message is sent or counted.
TEST(SysexQueue, GrowingWhileTheTimerThreadQueuesKeepsTheOrder) {
    QueueRig rig;
    rig.layer.Output(0).Reserve(5000, 50000);
    constexpr int kMessages = 3000;
    std::vector<SysexBlock> blocks;
    for (int i = 0; i < kMessages; ++i)
        blocks.push_back(SysexBlock{
            {0xF0, static_cast<std::uint8_t>(i >> 7), static_cast<std::uint8_t>(i & 0x7F), 0xF7}});
    std::atomic<bool> done{false};
    std::thread timer([&] {
        for (int i = 0; i < kMessages; ++i) {
            rig.queue.QueueSysex(blocks[static_cast<std::size_t>(i)], 0);
            rig.queue.KickSysex();
            if (i % 64 == 0) std::this_thread::yield();
        }
        done = true;
    });
    for (std::size_t room = 64; !done; room = std::min<std::size_t>(room * 2, 1 << 14)) {
        ASSERT_TRUE(rig.queue.Reserve(room));
        rig.Pump();
    }
    timer.join();
    while (rig.queue.Size() != 0)
        rig.Pump();
    const auto sent = rig.LongSent(0);
    EXPECT_EQ(sent.size() + rig.queue.Dropped(), std::size_t{kMessages});
    int previous = -1;
    for (const Bytes& b : sent) {
        ASSERT_EQ(b.size(), 4u);
        const int n = (b[1] << 7) | b[2];
        ASSERT_GT(n, previous);
        previous = n;
    }
}

// One output that reads a long message's bytes on its own thread, slowly, as
// a device that copies them out piece by piece would.
class SlowReadingLayer final : public MidiDeviceLayer {
  public:
    class Port final : public MidiOutputPort {
      public:
        ~Port() override {
            if (reader_.joinable()) reader_.join();
        }
        void SendShort(std::uint32_t) override {}
        bool SendLong(std::span<const std::uint8_t> bytes, std::function<void()> done) override {
            if (reader_.joinable()) reader_.join();
            reading = true;
            reader_ = std::thread([this, bytes, done = std::move(done)] {
                for (std::uint8_t b : bytes) {
                    sum += b;
                    std::this_thread::sleep_for(std::chrono::microseconds(100));
                }
                reading = false;
                done();
            });
            return true;
        }
        std::atomic<bool> reading{false};
        std::atomic<std::uint64_t> sum{0};

      private:
        std::thread reader_;
    };
    std::string Name() const override { return "slow"; }
    std::vector<std::string> InputNames() const override { return {}; }
    std::vector<std::string> OutputNames() const override { return {"slow"}; }
    std::unique_ptr<MidiOutputPort> OpenOutput(std::uint32_t, std::string*) override {
        auto port = std::make_unique<Port>();
        last = port.get();
        return port;
    }
    std::unique_ptr<MidiInputPort> OpenInput(std::uint32_t, MidiInputSink&, std::string*) override {
        return nullptr;
    }
    Port* last = nullptr;
};

TEST(SysexQueue, DeletingATrackWaitsUntilItsSysexInFlightIsNoLongerRead) {
    SlowReadingLayer layer;
    MidiDeviceTable devices(layer);
    devices.EnumerateMidiDevices();
    RecordingErrors errors;
    ASSERT_TRUE(devices.OpenMidiDevices(errors));
    FifoNotifier notifier;
    SysexQueue queue(devices, notifier);
    ManualTimer timer;
    DeviceTableSink sink(devices);
    Engine engine(timer, sink, notifier, &queue);
    EngineEditLink link(engine);
    PlainBeatSelection selection;
    NoAsk ask;
    EditSession session(link, selection, ask);
    ASSERT_EQ(session.InsertTrack(), EditResult::Done);
    ASSERT_EQ(session.SetCurrentTrack(0), EditResult::Done);
    Bytes bytes(2000, 0x11);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    ASSERT_TRUE(session.Current()->AddSysexEvent(0, bytes));
    const SysexBlock* block = session.Current()->Sysex().Find(1);
    ASSERT_NE(block, nullptr);
    queue.QueueSysex(*block, 0);
    queue.QueueSysex(*block, 0);  // waiting behind it
    queue.KickSysex();
    ASSERT_TRUE(layer.last->reading);

    EXPECT_EQ(session.DeleteTrack(), EditResult::Done);
    EXPECT_FALSE(layer.last->reading);
    EXPECT_EQ(queue.Size(), 1u);  // in flight until its report is handled
    // The reader posts its report just after it stops reading: wait for it,
    // or the queue could be gone while the reader still posts.
    for (int i = 0; i < 2000 && queue.Size() != 0; ++i) {
        if (auto n = notifier.Take(); n && n->id == SYSEX_DONE) queue.SysexSent();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(queue.Size(), 0u);
}

}  // namespace
}  // namespace kvs::test
