#include "tools/note_transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "model/track.h"

namespace kvs {
namespace {

using Events = std::vector<std::pair<Tick, std::uint32_t>>;

TransformMap Constant(std::uint8_t value) {
    TransformMap map{};
    map.fill(value);
    return map;
}

Events All(const Track& track) {
    Events events;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        for (const Event& e : *track.Bucket(beat))
            events.emplace_back(beat * TICKS_PER_BEAT + e.offset, e.message);
    return events;
}

void Add(Track& track, const Events& events) {
    for (const auto& [tick, message] : events)
        ASSERT_TRUE(track.AddEvent(tick, message));
}

std::uint32_t Note(int status, int key, int velocity) {
    return PackMessage(static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(key),
                       static_cast<std::uint8_t>(velocity));
}

TEST(NoteTransformKey, ReadsTheMapRelativeToTheBaseAndClampsAtBothEnds) {
    TransformMap probe{};
    std::iota(probe.begin(), probe.end(), std::uint8_t{0});
    probe[72] = 10;
    probe[0] = 40;
    EXPECT_EQ(TransformKey(67, probe, BaseOffset(7)), 5);  // G: base -5, G4 uses entry 72
    EXPECT_EQ(TransformKey(1, probe, BaseOffset(6)), 46);  // below the base: entry 0
    EXPECT_EQ(TransformKey(99, Constant(0), BaseOffset(0)), 0);
    EXPECT_EQ(TransformKey(99, Constant(0), BaseOffset(2)), 2);
    EXPECT_EQ(TransformKey(0, Constant(127), BaseOffset(6)), 127);  // 127 + 6 clamped
    EXPECT_EQ(TransformKey(64, Constant(200), 0), 127);             // an entry above 127

    // The identity keeps keys b to 127 + b and clamps the others into that span.
    probe[72] = 72;
    probe[0] = 0;
    for (std::uint32_t keyIndex = 0; keyIndex < 12; ++keyIndex) {
        const int b = BaseOffset(keyIndex);
        EXPECT_EQ(b, keyIndex > 6 ? static_cast<int>(keyIndex) - 12 : static_cast<int>(keyIndex));
        for (int key = 0; key < 128; ++key)
            ASSERT_EQ(TransformKey(key, probe, b),
                      std::clamp(key, std::max(b, 0), 127 + std::min(b, 0)))
                << key << " base " << b;
    }
}

TEST(NoteTransformPass, ChangesOnlyTheKeysOfNotesBegunInTheRange) {
    Track track;
    const std::uint32_t control = PackMessage(0xB3, 7, 90);
    // Beat 0 before the range (beats 1 and 2), beat 3 after it; the note at
    // 200 ends in beat 4 with a velocity-0 note on.
    Add(track, {{10, Note(0x90, 60, 100)},
                {100, Note(0x80, 60, 64)},
                {200, Note(0x93, 62, 77)},
                {250, control},
                {300, Note(0x90, 64, 100)},
                {310, Note(0x80, 64, 12)},
                {400, Note(0x90, 65, 100)},
                {500, Note(0x80, 65, 64)},
                {600, Note(0x90, 67, 100)},
                {700, Note(0x80, 67, 64)},
                {900, Note(0x93, 62, 0)}});
    ASSERT_TRUE(track.AddSysexEvent(260, {0xF0, 0x7E, 0xF7}));
    ASSERT_TRUE(TransformNotes(track, 1, 3, Constant(40), 0));
    const Events expected = {
        {10, Note(0x90, 60, 100)}, {100, Note(0x80, 60, 64)},
        {200, Note(0x93, 40, 77)}, {250, control},
        {260, SysexMessage(1)},    {300, Note(0x90, 40, 100)},
        {310, Note(0x80, 40, 12)}, {400, Note(0x90, 40, 100)},
        {500, Note(0x80, 40, 64)}, {600, Note(0x90, 67, 100)},
        {700, Note(0x80, 67, 64)}, {900, Note(0x93, 40, 0)},
    };
    EXPECT_EQ(All(track), expected);
    EXPECT_EQ(track.Sysex().Count(), 1u);
}

TEST(NoteTransformPass, ANoteWithoutAnEndStopsItsBeatButNotTheEarlierBeats) {
    Track track;
    Add(track, {{0, Note(0x90, 50, 9)},
                {20, Note(0x80, 50, 0)},
                {192, Note(0x90, 52, 9)},
                {200, Note(0x80, 52, 0)},
                {250, Note(0x90, 53, 9)},
                {260, Note(0x90, 54, 9)},
                {270, Note(0x80, 54, 0)}});
    ASSERT_TRUE(TransformNotes(track, 0, 2, Constant(30), 0));
    std::vector<int> keys;
    for (const auto& [tick, message] : All(track))
        if (IsSoundingNoteOn(message)) keys.push_back(Data1(message));
    EXPECT_EQ(keys, (std::vector<int>{30, 52, 53, 30}));

    // An empty or reversed range, or one past the end, changes nothing.
    const Events before = All(track);
    EXPECT_TRUE(TransformNotes(track, 2, 2, Constant(0), 0));
    EXPECT_TRUE(TransformNotes(track, 2, 1, Constant(0), 0));
    EXPECT_TRUE(TransformNotes(track, 5, 100, Constant(0), 0));
    EXPECT_EQ(All(track), before);
}

}  // namespace
}  // namespace kvs
