// Every tool, with random values over random tracks, leaves every note paired
// and the SysEx table holding exactly the blocks its events name.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "config/prompt_table.h"
#include "model/song.h"
#include "tool_test_support.h"
#include "tools/note_transform_tool.h"
#include "tools/tool_table.h"

namespace kvs {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Notes of a few keys on two channels that overlap freely, among controllers,
// tempo changes and SysEx. Channel 1 ends its notes with velocity-0 note ons:
// a key mixing both kinds lets one note off end two notes (a true note off
// wins over an earlier velocity-0 one), and no tool can keep such a pair.
void FillRandom(Track& track, std::mt19937& rng, std::uint32_t beats) {
    auto pick = [&](std::uint32_t lo, std::uint32_t hi) {
        return std::uniform_int_distribution<std::uint32_t>(lo, hi)(rng);
    };
    const std::uint32_t notes = pick(0, beats * 3);
    for (std::uint32_t n = 0; n < notes; ++n) {
        const auto channel = static_cast<std::uint8_t>(pick(0, 1));
        const auto key = static_cast<std::uint8_t>(pick(60, 63));
        const Tick on = pick(0, beats * test::B - 1);
        const Tick off = on + pick(1, 400);
        track.AddEvent(on, test::On(channel, key, static_cast<std::uint8_t>(pick(1, 127))));
        track.AddEvent(
            off, channel == 0 ? test::Off(channel, key) : PackMessage(0x90 | channel, key, 0));
    }
    for (std::uint32_t n = pick(0, beats); n > 0; --n)
        track.AddEvent(pick(0, beats * test::B - 1), test::Cc(0, 7, 100));
    for (std::uint32_t n = pick(0, 3); n > 0; --n)
        track.AddEvent(pick(0, beats * test::B - 1), PackMessage(EVT_TEMPO, 120));
    for (std::uint32_t n = pick(0, 4); n > 0; --n)
        track.AddSysexEvent(pick(0, beats * test::B - 1),
                            {0xF0, static_cast<std::uint8_t>(pick(0, 127)), 0xF7});
    test::SortAll(track);
}

struct Census {
    std::size_t ons = 0, ends = 0, unpaired = 0;
    std::multiset<Bytes> blocks;  // of the events, in event order
    bool sysexExact = true;
};

Census Take(const Track& track) {
    Census c;
    std::set<std::uint32_t> named;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        const BeatBucket& bucket = *track.Bucket(beat);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
            const std::uint32_t m = bucket[i].message;
            c.ends += IsNoteEnd(m);
            c.ons += IsSoundingNoteOn(m);
            c.unpaired += IsSoundingNoteOn(m) && !track.FindNoteOff(beat, i).Found();
            if (!IsSysex(m)) continue;
            const SysexBlock* block = track.Sysex().Find(SysexId(m));
            if (block == nullptr || !named.insert(SysexId(m)).second)
                c.sysexExact = false;
            else
                c.blocks.insert(block->bytes);
        }
    }
    c.sysexExact &= named.size() == track.Sysex().Count();
    return c;
}

// The dialog filled with random values inside each field's range.
ValueDialog RandomValues(const Tool& tool, std::mt19937& rng) {
    ValueDialog d = tool.NewDialog();
    for (std::uint32_t i = 0; i < tool.fieldCount; ++i)
        d.fields[i].value =
            std::uniform_int_distribution<std::int32_t>(d.fields[i].min, d.fields[i].max)(rng);
    return d;
}

// Tools with dialogs of their own run with values as kvs-cli gives them.
std::vector<std::string> RandomTexts(const Tool& tool, std::mt19937& rng) {
    static const char* const kTransforms[] = {"Invert pitch", "Major to minor", "Pentatonic",
                                              "Up 3rd", "All notes same"};
    if (tool.name == "note-transform")
        return {kTransforms[rng() % std::size(kTransforms)], std::to_string(rng() % 12)};
    // clang-format off
    if (tool.name == "progression")  // type, channel, times, values, velocities, snap
        return {rng() % 2 != 0 ? "Ctrl 74" : "Ctrl 7", std::to_string(1 + rng() % 16),
                "", "", "0", "127", "", "", "0.096"};
    // clang-format on
    return {};
}

TEST(ToolPairing, EveryToolKeepsNotesPairedAndSysexBlocksExact) {
    const PromptTable prompts;
    const std::string shipped = std::string(KVS_TEST_DATA_DIR) + "/../../data/";
    ASSERT_TRUE(
        LoadNoteTransformStore(shipped + "notexfrm.ini", shipped + "none.ini", prompts, nullptr));
    std::vector<const Tool*> tools;
    for (const Tool& t : Tools().All())
        if (t.Available() && (t.dialog != ToolDialog::Own || t.name != "insert-from-file"))
            tools.push_back(&t);
    ASSERT_FALSE(tools.empty());

    for (std::uint32_t seed = 1; seed <= 1000; ++seed) {
        std::mt19937 rng(seed);
        Song song;
        song.InsertTrack();
        FillRandom(*song.GetTrack(0), rng, 1 + rng() % 24);
        Census before = Take(*song.GetTrack(0));
        ASSERT_EQ(before.unpaired, 0u) << "seed " << seed;

        // Three tools in a row, each over the whole track or a random range.
        for (int step = 0; step < 3; ++step) {
            const Tool& tool = *tools[rng() % tools.size()];
            const ValueDialog values = RandomValues(tool, rng);
            const std::uint32_t beats = song.GetTrack(0)->BeatCount();
            ToolRange range{0, beats};
            if (rng() % 2 != 0 && beats > 0) {
                const std::uint32_t a = rng() % (beats + 2);
                const std::uint32_t b = rng() % (beats + 2);
                range = {std::min(a, b), std::max(a, b)};
            }
            const std::uint32_t tracksBefore = song.TrackCount();
            if (tool.dialog == ToolDialog::Own) {
                std::string error;
                const std::vector<std::string> texts = RandomTexts(tool, rng);
                const std::optional<ToolPass> pass = tool.fromText(texts, error);
                ASSERT_TRUE(pass.has_value()) << tool.name << ": " << error;
                (*pass)(song, 0, range);
            } else {
                tool.fromValues(values)(song, 0, range);
            }

            const Census after = Take(*song.GetTrack(0));
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << " step " << step << " " << tool.name);
            EXPECT_EQ(after.unpaired, 0u);
            EXPECT_TRUE(after.sysexExact);
            EXPECT_EQ(after.blocks, before.blocks);
            if (tool.name == "delete-notes") {
                EXPECT_EQ(before.ons - after.ons, before.ends - after.ends);
            } else if (tool.name != "clean-up") {
                EXPECT_EQ(after.ons, before.ons);
                EXPECT_EQ(after.ends, before.ends);
            }
            // Split parts: paired notes (shared ends stay shared), their own blocks.
            for (std::uint32_t t = tracksBefore; t < song.TrackCount(); ++t) {
                const Census part = Take(*song.GetTrack(t));
                EXPECT_EQ(part.unpaired, 0u) << "new track " << t;
                EXPECT_TRUE(part.sysexExact) << "new track " << t;
                EXPECT_LE(part.ends, part.ons) << "new track " << t;
            }
            if (HasFailure()) return;
            before = after;
        }
    }
}

}  // namespace
}  // namespace kvs
