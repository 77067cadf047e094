#include "model/change_record.h"

#include <gtest/gtest.h>

#include "track_fixture.h"

namespace kvs {
namespace {

using test::Add;
using test::Cc;
using test::Events;
using test::On;
using test::TimedMessage;

constexpr Tick kBeat3 = 3 * TICKS_PER_BEAT;

TEST(ChangeRecord, ReadsThePropertyEventsAtTheStartOfTheBeatOnly) {
    Track track;
    track.properties.channel = 4;
    track.properties.port = 2;
    Add(track, {{kBeat3, EVT_TEMPO | 90u << 8},
                {kBeat3, Cc(4, 32, 5)},  // the low half before the high one
                {kBeat3, Cc(4, 0, 2)},
                {kBeat3, Cc(9, 7, 0xFF)},  // value read as 7 bits
                {kBeat3, PackMessage(0xC4, 33)},
                {kBeat3 + 1, Cc(4, 10, 64)},  // not at offset 0
                {kBeat3 + 1, PackMessage(0xC4, 1)}});

    const ChangeRecord want{.beat = 3,
                            .channel = 4,
                            .port = 2,
                            .program = 33,
                            .bank = 2 * 128 + 5,
                            .volume = 127,
                            .tempo = 90};
    EXPECT_EQ(ReadChangeRecord(track, 3), want);

    const ChangeRecord beyond = ReadChangeRecord(track, 50);
    EXPECT_EQ(beyond.program, -1);
    EXPECT_EQ(beyond.tempo, kNoTempo);
}

TEST(ChangeRecord, ApplyReplacesOldPropertyEventsSortsTheNewOnesAndGrowsOnlyWhenSet) {
    Track track;
    Add(track, {{kBeat3, On(0, 60)},
                {kBeat3, PackMessage(0xC3, 10)},
                {kBeat3, Cc(5, 91, 3)},       // any channel goes
                {kBeat3, Cc(0, 1, 9)},        // modulation stays
                {kBeat3 + 2, Cc(0, 7, 9)}});  // not at offset 0: stays

    ChangeRecord r = ReadChangeRecord(track, 3);
    r.channel = kNoChannel;  // written on channel 0
    r.program = 20;
    r.bank = 130;
    r.volume = 100;
    r.tempo = 140;
    ASSERT_EQ(r.reverb, 3);
    r.reverb = -1;  // so the channel-5 reverb goes and nothing takes its place
    ASSERT_TRUE(ApplyChangeRecord(track, r));

    const test::Timeline expected = {{kBeat3, test::Tempo(140)}, {kBeat3, Cc(0, 0, 1)},
                                     {kBeat3, Cc(0, 1, 9)},      {kBeat3, Cc(0, 7, 100)},
                                     {kBeat3, Cc(0, 32, 2)},     {kBeat3, PackMessage(0xC0, 20)},
                                     {kBeat3, On(0, 60)},        {kBeat3 + 2, Cc(0, 7, 9)}};
    EXPECT_EQ(Events(track), expected);

    // Beyond the track it grows only when something is set.
    Track beyond;
    ChangeRecord empty;
    empty.beat = 7;
    ASSERT_TRUE(ApplyChangeRecord(beyond, empty));
    EXPECT_EQ(beyond.BeatCount(), 0u);
    empty.chorus = 5;
    empty.channel = 2;
    ASSERT_TRUE(ApplyChangeRecord(beyond, empty));
    EXPECT_EQ(Events(beyond), (std::vector<TimedMessage>{{7 * TICKS_PER_BEAT, Cc(2, 93, 5)}}));
}

}  // namespace
}  // namespace kvs
