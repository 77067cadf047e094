#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

#include "engine_test_support.h"
#include "midi/timer_thread.h"

namespace kvs::test {
namespace {

// Replays what was sent and reports whether any note was left on: a note
// off for a note not on is harmless, a note on never ended is not.
bool AllNotesEnded(const std::vector<SentMessage>& sent) {
    std::array<int, 4 * 16 * 128> on{};
    for (const SentMessage& m : sent) {
        if (m.port >= 4) continue;
        const std::uint32_t slot = m.port * 2048 + Channel(m.message) * 128 + Data1(m.message);
        if (IsSoundingNoteOn(m.message)) ++on[slot];
        if (IsNoteEnd(m.message) && on[slot] > 0) --on[slot];
    }
    for (int n : on)
        if (n != 0) return false;
    return true;
}

TEST(EngineThreads, MuteSoloAndRelocationFromAnotherThreadWhileTheRealTimerPlays) {
    BasicEngineRig<ThreadTimer> rig;
    rig.options.settings.metronome = true;
    rig.options.settings.midiClock = true;
    rig.Apply();
    Engine& engine = rig.engine;
    Song& song = rig.song;
    for (std::uint16_t ch = 0; ch < 4; ++ch) {
        Track& t = rig.AddTrack(ch, ch % 2);
        for (std::uint32_t beat = 0; beat < 64; ++beat) {
            for (std::uint32_t step = 0; step < 192; step += 24) {
                const std::uint8_t key = static_cast<std::uint8_t>(40 + step / 24 + ch);
                t.AddEvent(beat * 192 + step, PackMessage(0x90, key, 100));
                t.AddEvent(beat * 192 + step + 12, PackMessage(0x80, key, 0));
            }
        }
    }
    song.loop = 1;
    song.markers[kMarkerLeft] = 1;
    song.markers[kMarkerRight] = 3;
    engine.SetTempo(480);
    engine.StartPlay(1);

    std::atomic<bool> done{false};
    std::thread window([&] {
        std::uint32_t i = 0;
        while (!done) {
            engine.SetTrackMuted(i % 4, (i / 4) % 2 == 0);
            engine.SetSoloTrack(i % 7 == 0 ? static_cast<std::int32_t>(i % 4) : -1);
            if (i % 5 == 0) engine.Relocate(i % 3);
            if (i % 11 == 0) engine.SetTempo(200 + i % 200);
            {
                auto lock = engine.LockSong();
                song.GetTrack(3)->properties.port = i % 2;
            }
            (void)engine.Position();
            ++i;
            std::this_thread::sleep_for(std::chrono::microseconds(700));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    done = true;
    window.join();
    // Drain what the window thread would have seen, as it would.
    std::uint32_t beats = 0;
    for (const Notification& n : rig.Posted()) {
        if (n.id == ENGINE_NOTIFY && n.code == kNotifyBeat) ++beats;
        if (n.id == kCommandPlayStop) ADD_FAILURE() << "a looped song ended";
    }
    engine.StopEngine();
    EXPECT_EQ(engine.State(), EngineState::Stop);
    EXPECT_FALSE(rig.timer.Running());
    EXPECT_GT(beats, 0u);  // a loaded machine may run few periods
    const auto sent = rig.Sent();
    EXPECT_GT(sent.size(), 0u);
    EXPECT_TRUE(AllNotesEnded(sent));
}

}  // namespace
}  // namespace kvs::test
