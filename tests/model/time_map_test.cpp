#include "model/time_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "model/song.h"
#include "model/track.h"

namespace kvs {
namespace {

constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();

std::uint32_t Tempo(std::uint32_t bpm) {
    return EVT_TEMPO | (bpm << 8);
}
std::uint32_t Signature(std::uint8_t num, std::uint8_t denExp) {
    return PackMessage(EVT_TIMESIG, num, denExp);
}

// A song with the given initial values and `tracks` empty tracks.
void InitSong(Song& song, std::uint32_t tempo, std::uint32_t num, std::uint32_t denExp,
              int tracks = 1) {
    song.tempo = tempo;
    song.timeSigNumerator = num;
    song.timeSigDenominatorExp = denExp;
    for (int i = 0; i < tracks; ++i)
        ASSERT_TRUE(song.InsertTrack());
}

TEST(TempoMap, TempoEventsOfTrackZeroCountFromTheirTickAndBadTemposAreSafe) {
    Song none;
    InitSong(none, 120, 4, 2, 0);  // no tracks at all
    EXPECT_EQ(TicksToMs(none, 192), 500u);
    EXPECT_EQ(MsToTicks(none, 60000), 23040u);

    Song song;
    InitSong(song, 120, 4, 2, 2);
    song.GetTrack(0)->AddEvent(0, Tempo(60));  // the very first event counts too
    song.GetTrack(0)->AddEvent(0, PackMessage(0x90, 60, 100));
    song.GetTrack(0)->AddEvent(1920, Tempo(240));
    song.GetTrack(1)->AddEvent(960, Tempo(30));  // other tracks do not count
    EXPECT_EQ(TicksToMs(song, 1920), 10000u);
    EXPECT_EQ(TicksToMs(song, 3840), 12500u);
    EXPECT_EQ(MsToTicks(song, 11000), 1920u + 768u);

    Song zero;
    InitSong(zero, 0, 4, 2);                    // falls back to 100 bpm
    zero.GetTrack(0)->AddEvent(384, Tempo(0));  // ignored
    EXPECT_EQ(TicksToMs(zero, 576), 1800u);
    EXPECT_EQ(MsToTicks(zero, 1800), 576u);

    // Extremes saturate instead of wrapping.
    zero.tempo = 1;
    EXPECT_EQ(TicksToMs(zero, kMax), kMax);
    zero.tempo = 0xFFFFFF;
    EXPECT_EQ(MsToTicks(zero, kMax), kMax);
}

// Two of the changes are appended out of order inside one beat, as a file may
// leave them: time must still never run backwards.
TEST(TempoMap, RoundTripLosesAtMostOneTickAcrossManyChanges) {
    Song song;
    InitSong(song, 97, 4, 2);
    const std::uint32_t bpms[] = {133, 61, 240, 77, 199, 101};
    for (std::uint32_t i = 0; i < 6; ++i) {
        song.GetTrack(0)->AddEvent(1000 + i * 733, Tempo(bpms[i]));
    }
    song.GetTrack(0)->AddEvent(9 * 1920 + 100, Tempo(60));
    song.GetTrack(0)->AddEvent(9 * 1920 + 50, Tempo(240));
    std::uint32_t previous = 0;
    for (Tick t = 0; t < 20000; t += 7) {
        const std::uint32_t ms = TicksToMs(song, t);
        EXPECT_GE(ms, previous) << "tick " << t;
        previous = ms;
        const Tick back = MsToTicks(song, ms);
        EXPECT_LE(back, t) << "tick " << t;
        EXPECT_GE(back + 1, t) << "tick " << t;
    }
}

TEST(MeterMap, SixEightChangeInsideABarOpensTheNextBar) {
    Song song;
    InitSong(song, 120, 4, 2);
    song.GetTrack(0)->AddEvent(0, Signature(3, 2));  // the very first event counts too
    song.GetTrack(0)->AddEvent(0, PackMessage(0xB0, 7, 100));
    song.GetTrack(0)->AddEvent(960, Signature(6, 3));
    const std::pair<Tick, BarBeat> cases[] = {{0, {1, 1}},   {576, {2, 1}},  {960, {2, 3}},
                                              {961, {3, 1}}, {1056, {3, 2}}, {1536, {4, 1}}};
    for (const auto& [tick, bb] : cases)
        EXPECT_EQ(TicksToBarBeat(song, tick), bb) << tick;
    EXPECT_EQ(BarBeatToTicks(song, 2, 3), 960u);
    EXPECT_EQ(BarBeatToTicks(song, 3, 1), 960u);
    EXPECT_EQ(BarBeatToTicks(song, 3, 2), 1056u);
    EXPECT_EQ(BarBeatToTicks(song, 4, 1), 1536u);
}

TEST(MeterMap, BarsAndBeatsRoundTripWithChangesOnBarLines) {
    Song song;
    InitSong(song, 120, 4, 2);
    song.GetTrack(0)->AddEvent(2 * 768, Signature(3, 2));            // bar 3
    song.GetTrack(0)->AddEvent(2 * 768 + 3 * 576, Signature(7, 3));  // bar 6
    song.GetTrack(0)->AddEvent(2 * 768 + 3 * 576 + 2 * 672, Signature(5, 4));
    EXPECT_EQ(TicksToBarBeat(song, 2 * 768 + 576 + 192), (BarBeat{4, 2}));
    EXPECT_EQ(TicksToBarBeat(song, 2 * 768 + 3 * 576 + 96 * 8), (BarBeat{7, 2}));
    for (Tick t = 0; t < 8000; t += 48) {  // 48 ticks: a sixteenth, a beat of 5/16
        const BarBeat bb = TicksToBarBeat(song, t);
        const Tick back = BarBeatToTicks(song, bb.bar, bb.beat);
        EXPECT_LE(back, t) << "tick " << t;
        EXPECT_LT(t - back, 192u) << "tick " << t;  // within one beat of the meter
        if (t % 192 == 0) {
            EXPECT_EQ(back, t) << "tick " << t;
        }
    }
}

TEST(MeterMap, UnusableSignaturesAndOutOfRangeBarsAndBeatsAreSafe) {
    Song song;
    InitSong(song, 120, 0, 40);  // falls back to 4/4
    EXPECT_EQ(TicksToBarBeat(song, 768), (BarBeat{2, 1}));
    EXPECT_EQ(BarBeatToTicks(song, 0, 1), 0u);
    EXPECT_EQ(BarBeatToTicks(song, 1, 0), 0u);
    EXPECT_EQ(BarBeatToTicks(song, 2, 0), 576u);  // the beat before bar 2
    EXPECT_EQ(BarBeatToTicks(song, 1, 5), 768u);  // beats run on into the next bar
    EXPECT_EQ(BarBeatToTicks(song, kMax, kMax), kMax);
    EXPECT_EQ(TicksToBarBeat(song, kMax), (BarBeat{1 + kMax / 768, 1 + kMax % 768 / 192}));

    song.timeSigNumerator = 6;
    song.timeSigDenominatorExp = 3;
    song.GetTrack(0)->AddEvent(576, Signature(0, 2));
    song.GetTrack(0)->AddEvent(1152, Signature(4, 10));   // 768 / 1024 is no beat
    song.GetTrack(0)->AddEvent(1728, Signature(4, 200));  // nor a shift that far
    EXPECT_EQ(TicksToBarBeat(song, 1728 + 96), (BarBeat{4, 2}));
    EXPECT_EQ(BarBeatToTicks(song, 4, 2), 1728u + 96);
    // 1/512: the finest signature whose beat is still a whole tick.
    Song fine;
    InitSong(fine, 120, 1, 9);
    EXPECT_EQ(TicksToBarBeat(fine, 500), (BarBeat{501, 1}));
}

}  // namespace
}  // namespace kvs
