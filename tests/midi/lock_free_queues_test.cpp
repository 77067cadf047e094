#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "midi/notifier.h"
#include "midi/short_send_gate.h"

namespace kvs {
namespace {

TEST(FifoNotifier, DropsAndCountsWhenFullAndWorksAgainAfterDraining) {
    FifoNotifier tiny(0);  // too small to work: taken as 2
    for (std::uint32_t round = 0; round < 3; ++round) {
        for (std::uint32_t i = 0; i < 3; ++i)
            tiny.Post(ENGINE_NOTIFY, i);
        EXPECT_EQ(tiny.TakeAll(),
                  (std::vector<Notification>{{ENGINE_NOTIFY, 0}, {ENGINE_NOTIFY, 1}}));
        EXPECT_FALSE(tiny.Take().has_value());
    }
    EXPECT_EQ(tiny.Dropped(), 3u);
}

// Several posting threads, one draining: every post arrives once or is
// counted as dropped, and each thread's posts stay in order.
TEST(FifoNotifier, ManyPostersOneReaderLoseNothingUncountedAndKeepEachPostersOrder) {
    constexpr std::uint32_t kThreads = 4;
    constexpr std::uint32_t kEach = 20000;
    FifoNotifier notifier(256);
    std::atomic<std::uint32_t> running{kThreads};
    std::vector<std::thread> posters;
    for (std::uint32_t t = 0; t < kThreads; ++t) {
        posters.emplace_back([&, t] {
            for (std::uint32_t i = 0; i < kEach; ++i)
                notifier.Post(t, i);
            running.fetch_sub(1);
        });
    }
    std::vector<std::int64_t> last(kThreads, -1);
    std::size_t received = 0;
    bool ordered = true;
    for (;;) {
        const bool done = running.load() == 0;
        while (auto n = notifier.Take()) {
            ordered = ordered && n->id<kThreads&& static_cast<std::int64_t>(n->code)> last[n->id];
            if (n->id < kThreads) last[n->id] = n->code;
            ++received;
        }
        if (done) break;
    }
    for (std::thread& t : posters)
        t.join();
    EXPECT_TRUE(ordered);
    EXPECT_EQ(received + notifier.Dropped(), std::size_t{kThreads} * kEach);
}

// A device that must never see two senders at once.
struct ExclusiveDevice {
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::vector<std::uint32_t> received;
    void operator()(std::uint32_t message) {
        if (inside.fetch_add(1) != 0) overlapped = true;
        received.push_back(message);
        inside.fetch_sub(1);
    }
};

TEST(ShortSendGate, MessagesSentWhileTheGateIsHeldGoOutInOrderBeforeTheHoldersNext) {
    ShortSendGate gate(4);
    ExclusiveDevice device;
    device.received.reserve(64);
    auto deliver = [&](std::uint32_t m) { device(m); };
    std::atomic<bool> holding{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        gate.Hold(
            [&] {
                holding = true;
                while (!release)
                    std::this_thread::yield();
                device(100);  // the holder's own long work
            },
            deliver);
    });
    while (!holding)
        std::this_thread::yield();
    // None of these waits, though the gate is taken; the ring holds four.
    for (std::uint32_t m = 1; m <= 6; ++m)
        gate.Send(m, deliver);
    EXPECT_EQ(gate.Dropped(), 2u);
    release = true;
    holder.join();
    EXPECT_EQ(device.received, (std::vector<std::uint32_t>{100, 1, 2, 3, 4}));
    gate.Send(7, deliver);
    EXPECT_EQ(device.received.back(), 7u);
    EXPECT_FALSE(device.overlapped);
}

TEST(ShortSendGate, ConcurrentSendersAreSerialisedAndNothingIsLeftBehind) {
    constexpr std::uint32_t kThreads = 3;
    constexpr std::uint32_t kEach = 30000;
    ShortSendGate gate(1 << 16);
    ExclusiveDevice device;
    device.received.reserve(kThreads * kEach + 16);
    auto deliver = [&](std::uint32_t m) { device(m); };
    std::vector<std::thread> senders;
    for (std::uint32_t t = 0; t < kThreads; ++t) {
        senders.emplace_back([&, t] {
            for (std::uint32_t i = 0; i < kEach; ++i)
                gate.Send((t << 24) | i, deliver);
        });
    }
    for (std::thread& t : senders)
        t.join();
    EXPECT_FALSE(device.overlapped);
    EXPECT_EQ(gate.Dropped(), 0u);
    // The last sender to let go delivered whatever was still waiting.
    ASSERT_EQ(device.received.size(), std::size_t{kThreads} * kEach);
    std::vector<std::int64_t> last(kThreads, -1);
    for (std::uint32_t m : device.received) {
        const std::uint32_t t = m >> 24;
        ASSERT_LT(t, kThreads);
        ASSERT_GT(static_cast<std::int64_t>(m & 0xFFFFFF), last[t]);
        last[t] = m & 0xFFFFFF;
    }
}

TEST(ShortSendGate, AHolderLetsGoWhileAnotherThreadFloodsTheRing) {
    ShortSendGate gate(16);
    std::atomic<std::uint64_t> pushed{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> gaveUp{false};
    // Each delivery by the holder lasts until the flood has sent one more:
    // the ring never runs empty while the flood goes on.
    const std::thread::id holder = std::this_thread::get_id();
    auto deliver = [&](std::uint32_t) {
        if (std::this_thread::get_id() != holder) return;
        const std::uint64_t seen = pushed;
        while (pushed == seen && !stop && !gaveUp)
            std::this_thread::yield();
    };
    std::atomic<bool> holding{false};
    std::thread flood([&] {
        while (!holding)
            std::this_thread::yield();
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        for (std::uint32_t i = 0; !stop && !gaveUp; ++i) {
            gate.Send(i, deliver);
            ++pushed;
            if (std::chrono::steady_clock::now() > until) gaveUp = true;
        }
    });
    gate.Hold(
        [&] {
            holding = true;
            while (gate.Dropped() == 0 && !gaveUp)
                std::this_thread::yield();
        },
        deliver);
    EXPECT_FALSE(gaveUp) << "the holder kept delivering until the flood stopped";
    stop = true;
    flood.join();
}

}  // namespace
}  // namespace kvs
