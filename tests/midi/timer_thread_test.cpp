#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "midi/timer_manual.h"
#include "midi/timer_thread.h"

namespace kvs {
namespace {

using Clock = std::chrono::steady_clock;

TEST(ThreadTimer, CallCountFollowsTheWallClockThroughAStall) {
    ThreadTimer timer;
    std::atomic<std::uint32_t> calls{0};
    const auto start = Clock::now();
    ASSERT_TRUE(timer.Start([&] {
        // One slow period, as a preempted thread would have: the periods it
        // covers are made up at once.
        if (++calls == 20) std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    timer.Stop();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    const auto expected = static_cast<std::int64_t>(elapsed / 3000);
    EXPECT_LE(calls.load(), expected + 1);
    EXPECT_GE(calls.load(), expected - 8);
    EXPECT_FALSE(timer.Running());
    const std::uint32_t after = calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(calls.load(), after);
}

TEST(ThreadTimer, CallbackStopsItsOwnTimerAndTheTimerRestarts) {
    ThreadTimer timer;
    std::atomic<std::uint32_t> calls{0};
    ASSERT_TRUE(timer.Start([&] {
        if (++calls == 5) timer.Stop();
    }));
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (timer.Running() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(timer.Running());
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    EXPECT_EQ(calls.load(), 5u);

    std::atomic<std::uint32_t> second{0};
    ASSERT_TRUE(timer.Start([&] { ++second; }));
    // A loaded machine may start the thread late: wait for it, not for a fixed time.
    const auto restarted = Clock::now() + std::chrono::seconds(2);
    while (second.load() == 0 && Clock::now() < restarted)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    timer.Stop();
    EXPECT_GT(second.load(), 0u);
    EXPECT_EQ(calls.load(), 5u);
}

TEST(TestTimers, ManualAndOfflineTimersRunOnTheCallersThreadUntilStopped) {
    ManualTimer manual;
    std::uint32_t calls = 0;
    EXPECT_EQ(manual.Fire(3), 0u);  // not started
    manual.Start([&] {
        if (++calls == 4) manual.Stop();
    });
    EXPECT_EQ(manual.Fire(10), 4u);
    EXPECT_FALSE(manual.Running());

    OfflineClock offline;
    std::uint32_t periods = 0;
    std::uint32_t rendered = 0;
    offline.Start([&] {
        if (++periods == 50) offline.Stop();
    });
    EXPECT_EQ(offline.Run(1000, [&] { ++rendered; }), 50u);
    EXPECT_EQ(rendered, 50u);
}

}  // namespace
}  // namespace kvs
