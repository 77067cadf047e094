#include <gtest/gtest.h>

#include <algorithm>

#include "engine_test_support.h"
#include "midi/transport.h"

namespace kvs::test {
namespace {

constexpr std::uint32_t kClickOther = 0x502599;  // channel 10, key 37, velocity 80
constexpr std::uint32_t kClickFirst = 0x642599;  // velocity 100

TEST(EngineTiming, PositionIsComputedFromPeriodsWithoutWrapOrDrift) {
    // 120 bpm: 625 periods of 3 ms are 1.875 s, exactly 3.75 beats.
    EXPECT_EQ(ElapsedTicks(120, 625), 720u);
    EXPECT_EQ(ElapsedTicks(120, 1), 1u);
    // 10 bpm: 0.096 ticks a period, the first tick after eleven periods.
    EXPECT_EQ(ElapsedTicks(10, 10), 0u);
    EXPECT_EQ(ElapsedTicks(10, 11), 1u);
    EXPECT_EQ(ElapsedTicks(10, 625), 60u);
    // 80 minutes at 480 bpm overflow a 32-bit product; the position must not.
    const std::uint32_t periods = 80u * 60u * 1000u / 3u;
    EXPECT_EQ(ElapsedTicks(480, periods), 480u * 80u * 192u);

    EngineRig rig;
    Track& t = rig.AddTrack(0);
    t.AddEvent(192 + 719, NoteOn(0, 60));
    t.AddEvent(192 + 720, NoteOn(0, 61));
    t.AddEvent(2000, NoteOn(0, 62));
    rig.engine.SetTempo(120);
    rig.engine.StartPlay(1);
    rig.Fire(1);  // a count-in of 0 beats ends in the first period
    ASSERT_EQ(rig.engine.State(), EngineState::Play);
    rig.Fire(627);
    const auto sent = OnlyKind(rig.Sent(), 0x90);
    ASSERT_EQ(sent.size(), 2u);
    // Play period p reaches tick 192 + p * 720 / 625.
    EXPECT_EQ(sent[0].message, NoteOn(0, 60));
    EXPECT_EQ(sent[0].period, 1u + 625u);  // 624 * 720 / 625 = 718 is one tick short
    EXPECT_EQ(sent[1].message, NoteOn(0, 61));
    EXPECT_EQ(sent[1].period, 1u + 625u);
    EXPECT_EQ(rig.engine.GetTransport().periodCount, 627u);
}

TEST(EngineTiming, TempoChangesRebaseFromThePositionReached) {
    EngineRig rig;
    Track& t = rig.AddTrack(0);
    t.AddEvent(292, (60u << 8) | EVT_TEMPO);
    rig.engine.SetTempo(120);
    rig.engine.StartPlay(1);
    std::uint32_t rebasedAt = 0;
    for (int i = 0; i < 200 && rig.engine.Tempo() != 60; ++i) {
        rig.Fire(1);
        rebasedAt = rig.engine.Position();
    }
    ASSERT_EQ(rig.engine.Tempo(), 60u);
    // The period that sent tick 292 reached at most one period's ticks beyond it.
    EXPECT_GE(rebasedAt, 292u);
    EXPECT_LE(rebasedAt, 294u);
    EXPECT_EQ(rig.engine.GetTransport().baseTick, rebasedAt);
    rig.Fire(100);
    // The part of a tick reached before the change is kept: at most one more.
    EXPECT_GE(rig.engine.Position(), rebasedAt + ElapsedTicks(60, 100));
    EXPECT_LE(rig.engine.Position(), rebasedAt + ElapsedTicks(60, 100) + 1);

    // A tempo from a dialog while playing waits for the next period.
    const std::uint32_t before = rig.engine.Position();
    rig.engine.SetTempo(240);
    EXPECT_EQ(rig.engine.Tempo(), 60u);
    rig.Fire(1);
    EXPECT_EQ(rig.engine.Tempo(), 240u);
    EXPECT_EQ(rig.engine.GetTransport().baseTick, before + ElapsedTicks(60, 1));
    // No tempo is no change.
    rig.engine.SetTempo(0);
    rig.Fire(1);
    EXPECT_EQ(rig.engine.Tempo(), 240u);
    // Starting again in the middle keeps the last tempo.
    rig.engine.StopEngine();
    rig.song.tempo = 90;
    t.AddEvent(8 * 192, NoteOn(0, 60));
    rig.engine.StartPlay(8);
    rig.Fire(2);
    EXPECT_EQ(rig.engine.Tempo(), 240u);
}

// A tempo event on every beat must not leave the song behind its tempo map.
TEST(EngineTiming, ManyTempoChangesKeepToTheTempoMap) {
    EngineRig rig;
    Track& t = rig.AddTrack(0);
    double idealMs = 60000.0 / 120;  // beat 1
    for (std::uint32_t beat = 2; beat <= 200; ++beat) {
        const std::uint32_t bpm = beat % 2 != 0 ? 90 : 120;
        t.AddEvent(beat * 192, (bpm << 8) | EVT_TEMPO);
        idealMs += 60000.0 / bpm;
    }
    t.AddEvent(300 * 192, NoteOn(0, 60));
    rig.engine.SetTempo(120);
    rig.engine.StartPlay(1);
    rig.Fire(1);
    ASSERT_EQ(rig.engine.State(), EngineState::Play);
    std::uint32_t periods = 0;
    while (rig.engine.Position() < 201 * 192 && periods < 100000) {
        rig.Fire(1);
        ++periods;
    }
    // Dropping the part of a tick at each change would lose about 300 ms here.
    EXPECT_NEAR(periods * 3.0, idealMs, 12.0);
}

TEST(EngineTiming, DelayThenCountInThenTheSongFromTickZero) {
    EngineRig rig;
    rig.options.settings.initDelay = 500;
    rig.options.settings.playCount = 4;
    rig.options.settings.metronome = true;
    rig.Apply();
    rig.song.tempo = 120;
    Track& t = rig.AddTrack(0);
    t.properties.program = 5;
    t.properties.volume = 100;
    t.AddEvent(0, NoteOn(0, 60));
    t.AddEvent(2000, NoteOn(0, 61));

    rig.engine.StartPlay(0);
    EXPECT_EQ(rig.engine.State(), EngineState::PlayDelay);
    EXPECT_EQ(Messages(rig.Sent()), (std::vector<std::uint32_t>{0x05C0, 0x6407B0, 0xD0, 0x4000E0}));
    EXPECT_EQ(rig.Posted(), (std::vector<Notification>{{ENGINE_NOTIFY, kNotifyStateChanged}}));
    EXPECT_EQ(rig.engine.Tempo(), 120u);

    rig.Fire(166);  // 3 * 166 = 498 < 500
    EXPECT_EQ(rig.engine.State(), EngineState::PlayDelay);
    rig.Fire(1);
    EXPECT_EQ(rig.engine.State(), EngineState::PlayCount);
    EXPECT_TRUE(rig.Sent().empty());

    // Four beats of count-in: 768 ticks, reached after 667 periods at 120 bpm.
    rig.Fire(667);
    EXPECT_EQ(rig.engine.State(), EngineState::PlayCount);
    rig.Fire(1);
    EXPECT_EQ(rig.engine.State(), EngineState::Play);
    rig.Fire(2);
    const auto sent = rig.Sent();
    const auto ons = Messages(OnlyKind(sent, 0x90));
    EXPECT_EQ(ons, (std::vector<std::uint32_t>{kClickOther, kClickOther, kClickOther, kClickOther,
                                               kClickFirst, NoteOn(0, 60)}));
    EXPECT_EQ(std::count(sent.begin(), sent.end(), SentMessage{NoteOn(0, 60), 0}), 1);
    EXPECT_EQ(sent.back().period, 166u + 1u + 668u);
}

// The clock's rate and its start after the count-in are the command-line
// player's test.
TEST(EngineTiming, SilentCountInLastsItsBeats) {
    EngineRig rig;
    rig.options.settings.playCount = 2;
    rig.Apply();
    Track& t = rig.AddTrack(0);
    t.AddEvent(192, NoteOn(0, 60));
    t.AddEvent(40 * 192, NoteOn(0, 61));
    rig.engine.SetTempo(120);
    rig.engine.StartPlay(1);
    // 384 ticks need 334 periods (333 * 720 / 625 = 383.6).
    rig.Fire(334);
    EXPECT_EQ(rig.engine.State(), EngineState::PlayCount);
    EXPECT_TRUE(rig.Sent().empty());
    rig.Fire(1);
    EXPECT_EQ(rig.engine.State(), EngineState::Play);
    rig.Fire(1);
    EXPECT_EQ(rig.Sent(), (std::vector<SentMessage>{{NoteOn(0, 60), 0}}));
}

std::vector<std::uint32_t> ClickVelocities(EngineRig& rig, std::uint64_t periods) {
    rig.engine.StartPlay(0);
    rig.Sent();
    rig.Fire(periods);
    std::vector<std::uint32_t> out;
    for (const SentMessage& m : OnlyKind(rig.Sent(), 0x90))
        if (Channel(m.message) == 9) out.push_back(Data2(m.message));
    return out;
}

TEST(EngineTiming, MetronomeFollowsSignatureEventsAndTheDenominatorAndClampsWhatItSends) {
    EngineRig rig;
    rig.options.settings.metronome = true;
    rig.Apply();
    rig.song.timeSigNumerator = 5;
    rig.song.tempo = 480;
    Track& t = rig.AddTrack(0);
    t.AddEvent(12 * 192, (0x0203u << 8) | EVT_TIMESIG);  // 3/4
    t.AddEvent(17 * 192, NoteOn(0, 60));
    // In 5/4 beat 10 opens a bar and beat 12 does not; the 3/4 event there
    // sounds the first-beat click after the other one, and bars of 3 follow.
    const auto velocities = ClickVelocities(rig, 2000);
    EXPECT_EQ(std::vector<std::uint32_t>(velocities.begin() + 10, velocities.end()),
              (std::vector<std::uint32_t>{100, 80, 80, 100, 80, 80, 100, 80, 80, 100}));

    EngineRig eighths;
    eighths.options.settings.metronome = true;
    eighths.options.settings.firstBeat = {0, 3, 200, 300};
    eighths.options.settings.otherBeats = {40, 2, 36, 90};
    eighths.Apply();
    eighths.song.timeSigNumerator = 2;
    eighths.song.timeSigDenominatorExp = 3;  // a click every 96 ticks
    eighths.song.tempo = 120;
    eighths.AddTrack(0).AddEvent(30 * 192, NoteOn(0, 60));
    eighths.engine.StartPlay(0);
    eighths.Sent();
    eighths.Fire(170);  // ticks 0 to 195
    EXPECT_EQ(eighths.Sent(),
              (std::vector<SentMessage>{{0x7F7F90, 3},
                                        {0x7F7F80, 3},  // channel 1, key and velocity 127
                                        {0x5A249F, 2},
                                        {0x5A248F, 2},  // tick 96: channel 16
                                        {0x7F7F90, 3}}));

    // A numerator of 0 (only a file can hold it) plays no clicks at all.
    EngineRig zero;
    zero.options.settings.metronome = true;
    zero.Apply();
    zero.song.timeSigNumerator = 0;
    zero.AddTrack(0).AddEvent(2 * 192, NoteOn(0, 60));
    EXPECT_TRUE(ClickVelocities(zero, 1000).empty());
}

}  // namespace
}  // namespace kvs::test
