#include "model/value_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "model/song.h"
#include "model/time_map.h"

namespace kvs {
namespace {

constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();

TEST(FormatValues, TimeBeatsTicksAndNoteNames) {
    EXPECT_EQ(FormatTime(500), "0:00.500");
    EXPECT_EQ(FormatTime(61 * 60000 + 5007), "61:05.007");  // minutes run past 59
    EXPECT_EQ(FormatTime(kMax), "71582:47.295");

    EXPECT_EQ(FormatBeatsTicks(197), "1.005");
    EXPECT_EQ(FormatBeatsTicks(575), "2.191");
    EXPECT_EQ(FormatBeatsTicks(-197), "-1.005");
    EXPECT_EQ(FormatBeatsTicks(std::numeric_limits<std::int64_t>::min()), "-48038396025285290.128");

    EXPECT_EQ(FormatNoteName(61), "C#4");
    EXPECT_EQ(FormatNoteName(0), "C-1");
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

using Ticks = std::optional<std::int64_t>;
using Ms = std::optional<std::uint32_t>;

// Ticks, not a fraction; the point must follow at once; trailing text is
// ignored; no wrapped negative ticks.
TEST(ParseBeatsTicks, ReadsBeatsPointTicks) {
    const std::pair<const char*, Ticks> cases[] = {
        {"2.191", 575}, {"1.5", 197}, {"-.96", -96}, {"  -1.005", -197}, {"4.", 768},
        {"4 .5", 768},  {"4x", 768},  {"2.192", {}}, {"", {}},           {"-", {}},
        {".", {}},      {"abc", {}},  {"1.-5", {}},  {"--5", {}},        {"4294967296", {}}};
    EXPECT_EQ(ParseBeatsTicks("4294967295.191"), std::int64_t{kMax} * 192 + 191);
    for (const auto& [text, ticks] : cases)
        EXPECT_EQ(ParseBeatsTicks(text), ticks) << text;
    for (std::int64_t ticks : {0, 1, 191, 192, 575, 100000, -1, -193})
        EXPECT_EQ(ParseBeatsTicks(FormatBeatsTicks(ticks)), ticks) << ticks;
}

TEST(ParseBarBeat, ReadsBarColonBeatWithDefaultsOfOne) {
    EXPECT_EQ(ParseBarBeat("5:3"), (BarBeat{5, 3}));
    EXPECT_EQ(ParseBarBeat(":3"), (BarBeat{1, 3}));
    EXPECT_EQ(ParseBarBeat("7: "), (BarBeat{7, 1}));
    for (const char* text : {"0:1", "1:0", ":", "", "x:2", "-1:2"})
        EXPECT_EQ(ParseBarBeat(text), std::nullopt) << text;
}

// Minutes alone are enough; fractions of a millisecond are cut; nothing past 32 bits.
TEST(ParseTime, ReadsMinutesColonSeconds) {
    const std::pair<const char*, Ms> cases[] = {
        {"1:05.5", 65500u}, {"2:", 120000u},   {"1:xyz", 60000u}, {"12.25", 12250u},
        {" 1: 1", 61000u},  {"1e1", 10000u},   {"0.0009", 0u},    {"-0", 0u},
        {"60", {}},         {"0:59.9991", {}}, {":30", {}},       {"", {}},
        {".", {}},          {"-5", {}},        {"1:-0.5", {}},    {"nan", {}},
        {"inf", {}},        {"71583:00", {}}};
    for (const auto& [text, ms] : cases)
        EXPECT_EQ(ParseTime(text), ms) << text;
    // Decimal text is read exactly: no millisecond is lost to binary fractions.
    for (std::uint32_t ms : {0u, 1u, 3u, 999u, 1234u, 59999u, 65500u, 4294967295u})
        EXPECT_EQ(ParseTime(FormatTime(ms)), ms) << FormatTime(ms);
}

// Out of range keys are refused; blanks do not count; only seven characters are read.
TEST(ParseNoteName, ReadsSpelledNamesAndOctaves) {
    const std::pair<const char*, int> cases[] = {
        {"d#4", 63},          {"Fb 3", 52},       {" c\t-1", 0},   {"Cbb4", 58}, {"B##3", 61},
        {"E#+2", 41},         {"G9xyz", 127},     {"Cb-1", -1},    {"B#9", -1},  {"C10", -1},
        {"C-2", -1},          {"C", -1},          {"H4", -1},      {"", -1},     {"60", -1},
        {"C 9999999999", -1}, {"C#       4", 61}, {"A0000004", 21}};
    for (const auto& [text, key] : cases)
        EXPECT_EQ(ParseNoteName(text), key) << text;
    for (int key = 0; key < 128; ++key)
        EXPECT_EQ(ParseNoteName(FormatNoteName(key)), key) << key;
}

}  // namespace
}  // namespace kvs
