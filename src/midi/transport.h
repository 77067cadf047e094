#pragma once

#include <atomic>
#include <cstdint>

#include "midi/timer.h"
#include "model/event.h"

namespace kvs {

// Ticks reached after periodCount periods at tempo beats per minute:
// 192 ticks per beat over 60,000 ms is tempo * 2 / 625 ticks per millisecond.
// The product is 64 bits wide, so a song never wraps without a re-base (in
// 32 bits it would after 74 minutes at 480 beats per minute).
constexpr std::uint32_t ElapsedTicks(std::uint32_t tempo, std::uint32_t periodCount) {
    return static_cast<std::uint32_t>(std::uint64_t{tempo} * TIMER_PERIOD_MS * periodCount * 2 /
                                      625);
}

// The position bookkeeping. Each word is atomic because the window thread
// reads it for display while the timer thread owns it; words that must change
// together are changed only by the timer thread while it runs.
struct Transport {
    std::atomic<std::uint32_t> position{0};
    std::atomic<std::uint32_t> baseTick{0};
    std::atomic<std::uint32_t> periodCount{0};
    std::atomic<std::uint32_t> lastTick{0xFFFFFFFF};
    std::atomic<std::uint32_t> songEndTick{0};
    std::atomic<std::uint32_t> tempo{100};
    std::atomic<std::uint32_t> sigNumerator{4};
    std::atomic<std::uint32_t> sigDenominatorExp{2};
    std::atomic<std::uint32_t> sigStartTick{0};
    // The part of a tick reached at the last tempo change but not yet
    // counted, in 625ths of a tick at the current tempo. Dropping it at every
    // change would make a song with many tempo events fall ever further behind.
    std::atomic<std::uint32_t> tickFraction{0};

    // Ticks past baseTick, in 625ths of a tick.
    std::uint64_t ElapsedParts() const {
        return std::uint64_t{tempo} * TIMER_PERIOD_MS * periodCount * 2 + tickFraction;
    }
    std::uint32_t Target() const {
        return baseTick + static_cast<std::uint32_t>(ElapsedParts() / 625);
    }
};

}  // namespace kvs
