#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include <RtMidi.h>

#include <chrono>
#include <thread>

#include "engine_test_support.h"
#include "jack_test_support.h"
#include "midi/backends/rtmidi_layer.h"
#include "midi/midi_device_table.h"
#include "midi/output_commands.h"
#include "midi/sysex_queue.h"
#include "midi_test_support.h"

// The replacements below pair malloc with free on purpose.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// Counts every allocation of the thread that asks for it (standing in for
// the timer thread); the timer callback must not allocate at all.
namespace {
thread_local bool gCounting = false;
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

// What the timer thread does with SysEx events and notes, through the real
// queue to a real JACK port.
TEST(EngineAllocation, SysexAndNotesToAJackPortAllocateNothingOnTheSendingThread) {
    JackServer server;
    if (!server.Up()) GTEST_SKIP() << "JACK skipped: " << server.Why();
    struct Heard {
        std::atomic<std::uint32_t> sysex{0};
        std::atomic<std::uint32_t> notes{0};
        static void Callback(double, std::vector<unsigned char>* m, void* user) {
            auto* self = static_cast<Heard*>(user);
            if (!m->empty() && m->front() == 0xF0) ++self->sysex;
            if (!m->empty() && (m->front() & 0xF0) == 0x90) ++self->notes;
        }
    } heard;
    RtMidiIn listener(RtMidi::UNIX_JACK, "kvs-test-listener");
    listener.ignoreTypes(false, false, false);
    listener.setCallback(&Heard::Callback, &heard);
    listener.openVirtualPort("in");
    std::string error;
    std::unique_ptr<RtMidiLayer> layer = RtMidiLayer::Create(RtMidiLayer::Api::Jack, &error);
    ASSERT_NE(layer, nullptr) << error;
    MidiDeviceTable devices(*layer);
    devices.EnumerateMidiDevices();
    std::uint32_t port = devices.OutCount();
    for (std::uint32_t i = 0; i < devices.InCount(); ++i)
        devices.SetEnabled(MidiDeviceKind::In, i, false);
    for (std::uint32_t i = 0; i < devices.OutCount(); ++i) {
        const bool ours = devices.Outputs()[i].systemName == "kvs-test-listener:in";
        devices.SetEnabled(MidiDeviceKind::Out, i, ours);
        if (ours) port = i;
    }
    ASSERT_LT(port, devices.OutCount());
    RecordingErrors errors;
    ASSERT_TRUE(devices.OpenMidiDevices(errors));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    FifoNotifier notifier;
    SysexQueue queue(devices, notifier);
    ASSERT_TRUE(queue.Reserve(256));
    const SysexBlock block{std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}};
    const auto pump = [&] {
        while (auto n = notifier.Take())
            if (n->id == SYSEX_DONE) queue.SysexSent();
    };

    constexpr std::uint32_t kEvents = 200;
    gAllocations = 0;
    for (std::uint32_t i = 0; i < kEvents; ++i) {
        gCounting = true;
        queue.QueueSysex(block, port);
        queue.KickSysex();
        devices.SendShort(0x403C90, port);
        devices.SendShort(0x403C80, port);
        gCounting = false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        pump();
    }
    // More than the device's last cycles take: the rest waits and is paced.
    constexpr std::uint32_t kBurst = 2000;
    gCounting = true;
    for (std::uint32_t i = 0; i < kBurst; ++i) {
        devices.SendShort(0x403C90, port);
        devices.SendShort(0x403C80, port);
    }
    gCounting = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((queue.Size() != 0 || heard.notes < kEvents + kBurst) &&
           std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        pump();
    }
    EXPECT_EQ(gAllocations.load(), 0u);
    // Every message left the port; JACK itself may lose a cycle's MIDI on a
    // busy machine, so what the listener heard only shows the path works.
    EXPECT_EQ(queue.Size(), 0u);
    EXPECT_EQ(devices.DroppedOutput(), 0u);
    EXPECT_GT(heard.sysex.load(), 0u);
    EXPECT_GT(heard.notes.load(), 0u);
    devices.CloseMidiDevices();
}

}  // namespace
}  // namespace kvs::test
