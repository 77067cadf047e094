#include "model/value_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "model/song.h"
#include "model/time_map.h"

namespace kvs {
namespace {

constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();

TEST(FormatValues, TimeBeatsTicksAndNoteNames) {
    EXPECT_EQ(FormatTime(0), "0:00.000");
    EXPECT_EQ(FormatTime(500), "0:00.500");
    EXPECT_EQ(FormatTime(61 * 60000 + 5007), "61:05.007");  // minutes run past 59
    EXPECT_EQ(FormatTime(kMax), "71582:47.295");

    EXPECT_EQ(FormatBeatsTicks(0), "0.000");
    EXPECT_EQ(FormatBeatsTicks(197), "1.005");
    EXPECT_EQ(FormatBeatsTicks(575), "2.191");
    EXPECT_EQ(FormatBeatsTicks(-96), "-0.096");
    EXPECT_EQ(FormatBeatsTicks(-197), "-1.005");
    EXPECT_EQ(FormatBeatsTicks(std::numeric_limits<std::int64_t>::min()), "-48038396025285290.128");

    EXPECT_EQ(FormatNoteName(60), "C4");
    EXPECT_EQ(FormatNoteName(61), "C#4");
    EXPECT_EQ(FormatNoteName(0), "C-1");
    EXPECT_EQ(FormatNoteName(11), "B-1");
    EXPECT_EQ(FormatNoteName(127), "G9");
    EXPECT_EQ(FormatNoteName(-1), "");
    EXPECT_EQ(FormatNoteName(128), "");
}

TEST(FormatValues, BeatPositionInEachDisplayUnit) {
    Song song;
    song.tempo = 120;
    song.timeSigNumerator = 3;
    EXPECT_EQ(FormatBeatPosition(song, 7, DisplayUnit::Position), "7");
    EXPECT_EQ(FormatBeatPosition(song, 7, DisplayUnit::Bar), "3:2");
    EXPECT_EQ(FormatBeatPosition(song, 7, DisplayUnit::Time), "0:03.500");
    // Beats whose first tick lies beyond 32 bits show the last tick, not a wrapped one.
    const std::uint32_t far = kMax / 192 + 1;
    EXPECT_EQ(FormatBeatPosition(song, far, DisplayUnit::Time), FormatTime(TicksToMs(song, kMax)));
    EXPECT_EQ(FormatBeatPosition(song, far, DisplayUnit::Position), std::to_string(far));
}

TEST(ParseBeatsTicks, ReadsBeatsPointTicks) {
    EXPECT_EQ(ParseBeatsTicks("2.191"), 575);
    EXPECT_EQ(ParseBeatsTicks("3"), 576);
    EXPECT_EQ(ParseBeatsTicks("1.5"), 197);  // ticks, not a fraction
    EXPECT_EQ(ParseBeatsTicks(".96"), 96);
    EXPECT_EQ(ParseBeatsTicks("-.96"), -96);
    EXPECT_EQ(ParseBeatsTicks("  -1.005"), -197);
    EXPECT_EQ(ParseBeatsTicks("4."), 768);
    EXPECT_EQ(ParseBeatsTicks("4 .5"), 768);  // the point must follow at once
    EXPECT_EQ(ParseBeatsTicks("4x"), 768);    // trailing text is ignored
    EXPECT_EQ(ParseBeatsTicks("4294967295.191"), std::int64_t{kMax} * 192 + 191);

    EXPECT_EQ(ParseBeatsTicks("2.192"), std::nullopt);
    EXPECT_EQ(ParseBeatsTicks(""), std::nullopt);
    EXPECT_EQ(ParseBeatsTicks("-"), std::nullopt);
    EXPECT_EQ(ParseBeatsTicks("."), std::nullopt);
    EXPECT_EQ(ParseBeatsTicks("abc"), std::nullopt);
    EXPECT_EQ(ParseBeatsTicks("1.-5"), std::nullopt);  // no wrapped negative ticks
    EXPECT_EQ(ParseBeatsTicks("--5"), std::nullopt);
    EXPECT_EQ(ParseBeatsTicks("4294967296"), std::nullopt);

    for (std::int64_t ticks : {0, 1, 191, 192, 575, 100000, -1, -193}) {
        EXPECT_EQ(ParseBeatsTicks(FormatBeatsTicks(ticks)), ticks) << ticks;
    }
}

TEST(ParseBarBeat, ReadsBarColonBeatWithDefaultsOfOne) {
    EXPECT_EQ(ParseBarBeat("5:3"), (BarBeat{5, 3}));
    EXPECT_EQ(ParseBarBeat(":3"), (BarBeat{1, 3}));
    EXPECT_EQ(ParseBarBeat(" 7"), (BarBeat{7, 1}));
    EXPECT_EQ(ParseBarBeat("7:"), (BarBeat{7, 1}));
    EXPECT_EQ(ParseBarBeat("7: 2"), (BarBeat{7, 2}));

    EXPECT_EQ(ParseBarBeat("0:1"), std::nullopt);
    EXPECT_EQ(ParseBarBeat("1:0"), std::nullopt);
    EXPECT_EQ(ParseBarBeat(":"), std::nullopt);
    EXPECT_EQ(ParseBarBeat(""), std::nullopt);
    EXPECT_EQ(ParseBarBeat("x:2"), std::nullopt);
    EXPECT_EQ(ParseBarBeat("-1:2"), std::nullopt);
}

TEST(ParseTime, ReadsMinutesColonSeconds) {
    EXPECT_EQ(ParseTime("1:05.5"), 65500u);
    EXPECT_EQ(ParseTime("0:59.5"), 59500u);
    EXPECT_EQ(ParseTime("2:"), 120000u);
    EXPECT_EQ(ParseTime("1:xyz"), 60000u);  // minutes alone are enough
    EXPECT_EQ(ParseTime("12.25"), 12250u);
    EXPECT_EQ(ParseTime(" 1: 1"), 61000u);
    EXPECT_EQ(ParseTime("1e1"), 10000u);
    EXPECT_EQ(ParseTime("0.0009"), 0u);  // truncated toward zero
    EXPECT_EQ(ParseTime("-0"), 0u);

    EXPECT_EQ(ParseTime("60"), std::nullopt);
    EXPECT_EQ(ParseTime("0:59.9991"), std::nullopt);
    EXPECT_EQ(ParseTime(":30"), std::nullopt);
    EXPECT_EQ(ParseTime(""), std::nullopt);
    EXPECT_EQ(ParseTime("."), std::nullopt);
    EXPECT_EQ(ParseTime("-5"), std::nullopt);
    EXPECT_EQ(ParseTime("1:-0.5"), std::nullopt);
    EXPECT_EQ(ParseTime("nan"), std::nullopt);
    EXPECT_EQ(ParseTime("inf"), std::nullopt);
    EXPECT_EQ(ParseTime("71583:00"), std::nullopt);  // beyond 32-bit milliseconds

    // Decimal text is read exactly: no millisecond is lost to binary fractions.
    for (std::uint32_t ms : {0u, 1u, 3u, 999u, 1234u, 59999u, 65500u, 4294967295u}) {
        EXPECT_EQ(ParseTime(FormatTime(ms)), ms) << FormatTime(ms);
    }
}

TEST(ParseNoteName, ReadsSpelledNamesAndOctaves) {
    EXPECT_EQ(ParseNoteName("d#4"), 63);
    EXPECT_EQ(ParseNoteName("Fb 3"), 52);
    EXPECT_EQ(ParseNoteName(" c\t-1"), 0);
    EXPECT_EQ(ParseNoteName("Cbb4"), 58);
    EXPECT_EQ(ParseNoteName("B##3"), 61);
    EXPECT_EQ(ParseNoteName("bb3"), 58);
    EXPECT_EQ(ParseNoteName("E#+2"), 41);
    EXPECT_EQ(ParseNoteName("G9xyz"), 127);

    EXPECT_EQ(ParseNoteName("Cb-1"), -1);  // below key 0
    EXPECT_EQ(ParseNoteName("B#9"), -1);   // key 132
    EXPECT_EQ(ParseNoteName("C10"), -1);
    EXPECT_EQ(ParseNoteName("C-2"), -1);
    EXPECT_EQ(ParseNoteName("C"), -1);
    EXPECT_EQ(ParseNoteName("H4"), -1);
    EXPECT_EQ(ParseNoteName(""), -1);
    EXPECT_EQ(ParseNoteName("60"), -1);
    EXPECT_EQ(ParseNoteName("C 9999999999"), -1);
    EXPECT_EQ(ParseNoteName("C#       4"), 61);  // blanks do not count
    EXPECT_EQ(ParseNoteName("A0000004"), 21);    // only seven characters are read

    for (int key = 0; key < 128; ++key) {
        EXPECT_EQ(ParseNoteName(FormatNoteName(key)), key) << key;
    }
}

}  // namespace
}  // namespace kvs
