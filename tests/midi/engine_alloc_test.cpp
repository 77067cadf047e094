#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "engine_test_support.h"

// The replacements below pair malloc with free on purpose.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Counts every operator new while a test asks for it; the timer callback
// must not allocate at all.
namespace {
std::atomic<bool> gCounting{false};
std::atomic<std::uint64_t> gAllocations{0};

void* Allocate(std::size_t n) {
    if (gCounting) ++gAllocations;
    return std::malloc(n == 0 ? 1 : n);
}
}  // namespace

void* operator new(std::size_t n) {
    if (void* p = Allocate(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    if (void* p = Allocate(n)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

// The song model grows its arrays with realloc, which operator new never
// sees: count the C allocator too where no sanitizer owns it.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && defined(__GLIBC__)
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* malloc(std::size_t n) {
    if (gCounting) ++gAllocations;
    return __libc_malloc(n);
}
void* calloc(std::size_t n, std::size_t size) {
    if (gCounting) ++gAllocations;
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t n) {
    if (gCounting) ++gAllocations;
    return __libc_realloc(p, n);
}
}
#endif

namespace kvs::test {
namespace {

TEST(EngineAllocation, TimerPeriodsOfADenseSongAllocateNothing) {
    EngineRig rig;
    rig.options.settings.metronome = true;
    rig.options.settings.midiClock = true;
    rig.options.settings.playCount = 1;
    rig.Apply();
    constexpr std::uint32_t kBeats = 16;
    for (std::uint16_t ch = 0; ch < 16; ++ch) {
        Track& t = rig.AddTrack(ch, ch % 3);
        for (std::uint32_t beat = 0; beat < kBeats; ++beat) {
            for (std::uint32_t step = 0; step < 192; step += 8) {
                const std::uint32_t tick = beat * 192 + step;
                const std::uint8_t key = static_cast<std::uint8_t>(36 + (step / 8 + ch) % 48);
                t.AddEvent(tick, PackMessage(0x90, key, 90));
                t.AddEvent(tick + 4, PackMessage(0x80, key, 0));
                t.AddEvent(tick + 1, PackMessage(0xB0, 64, step % 16 == 0 ? 127 : 0));
                t.AddEvent(tick + 2, PackMessage(0xE0, 0, static_cast<std::uint8_t>(step / 2)));
            }
            if (ch == 0) {
                t.AddEvent(beat * 192 + 7, ((100 + beat * 20) << 8) | EVT_TEMPO);
                if (beat % 4 == 0) t.AddEvent(beat * 192, ((0x0200u + 3 + beat % 3) << 8) | 0x60);
            }
            if (ch == 1) t.AddSysexEvent(beat * 192 + 50, {0xF0, 0x7E, 0x01, 0xF7});
        }
    }
    rig.song.loop = 1;
    rig.song.markers[kMarkerLeft] = 2;
    rig.song.markers[kMarkerRight] = 10;
    rig.engine.StartPlay(0);
    rig.Fire(10);

    gAllocations = 0;
    gCounting = true;
    std::uint64_t fired = rig.Fire(4000);
    rig.engine.SetTempo(300);  // requests carried out by the callback
    rig.engine.Relocate(3);
    fired += rig.Fire(4000);
    gCounting = false;

    EXPECT_EQ(fired, 8000u);
    EXPECT_EQ(rig.engine.State(), EngineState::Play);
    EXPECT_GT(rig.sysex.kicks, 10u);
    EXPECT_EQ(gAllocations.load(), 0u);
    rig.engine.StopEngine();
}

}  // namespace
}  // namespace kvs::test
