// Seeded random edits: what must hold whatever the song and the edit.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "edit_test_support.h"

namespace kvs {
namespace {

using test::Dump;
using test::EditFixture;

// A track of notes (some overlapping, some without an end), controllers,
// tempo changes and SysEx events over up to 24 beats.
void FillRandomTrack(Track& track, std::mt19937& rng) {
    auto pick = [&rng](std::uint32_t n) { return static_cast<std::uint32_t>(rng() % n); };
    const std::uint32_t events = pick(40);
    for (std::uint32_t i = 0; i < events; ++i) {
        const Tick tick = pick(24 * TICKS_PER_BEAT);
        const auto channel = static_cast<std::uint8_t>(pick(2));
        const auto key = static_cast<std::uint8_t>(60 + pick(4));
        const std::uint32_t kind = pick(6);
        if (kind < 2) {
            track.AddEvent(tick, PackMessage(0x90 | channel, key, 100));
            if (pick(5) != 0)
                track.AddEvent(tick + 1 + pick(3 * TICKS_PER_BEAT),
                               PackMessage(pick(3) != 0 ? 0x80 | channel : 0x90 | channel, key));
        } else if (kind == 2) {
            track.AddEvent(tick, PackMessage(0xB0 | channel, 7, static_cast<std::uint8_t>(i)));
        } else if (kind == 3) {
            track.AddEvent(tick, PackMessage(EVT_TEMPO, static_cast<std::uint8_t>(60 + i)));
        } else {
            track.AddSysexEvent(tick, {0xF0, static_cast<std::uint8_t>(i), 0xF7});
        }
    }
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        if (pick(2) == 0) track.Bucket(beat)->Sort();  // loaded tracks may be unsorted
}

// Every SysEx event has a block of its own and no block is left without one.
void ExpectSysexOwned(const Track& track, std::set<const SysexBlock*>& seen) {
    std::set<std::uint32_t> ids;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        for (const Event& e : *track.Bucket(beat)) {
            if (!IsSysex(e.message)) continue;
            const SysexBlock* block = track.Sysex().Find(SysexId(e.message));
            ASSERT_NE(block, nullptr);
            EXPECT_TRUE(ids.insert(SysexId(e.message)).second) << "two events share a block";
            EXPECT_TRUE(seen.insert(block).second) << "a block is shared between tracks";
        }
    }
    EXPECT_EQ(track.Sysex().Count(), ids.size()) << "a block without an event";
}

// One random edit that takes an undo copy; false when it was refused.
bool RandomEdit(EditFixture& f, std::mt19937& rng) {
    auto pick = [&rng](std::uint32_t n) { return static_cast<std::uint32_t>(rng() % n); };
    f.Select(pick(28), pick(28));
    f.selection.SetZoom(1 + pick(3));
    if (pick(3) == 0) {
        const std::uint32_t caret = f.selection.Caret();
        f.Select(pick(28), pick(28));
        f.session.Copy();
        f.Select(caret, caret);
    }
    const std::function<EditResult()> edits[] = {
        [&] { return f.session.Cut(); },
        [&] { return f.session.Paste(); },
        [&] { return f.session.PasteMultiple(1 + pick(3)); },
        [&] { return f.session.Merge(); },
        [&] { return f.session.MergeMultiple(1 + pick(3)); },
        [&] { return f.session.DeleteBeats(); },
        [&] { return f.session.ClearBeats(); },
        [&] { return f.session.InsertBeats(); },
        [&] {
            TrackProperties p = f.T(0).properties;
            p.volume = static_cast<std::int16_t>(pick(128));
            return f.session.SetTrackProperties(p);
        }};
    return edits[pick(9)]() == EditResult::Done;
}

TEST(EditRandom, EveryEditUndoesAndRedoesToTheSameDumpWithSysexBlocksOwned) {
    int edits = 0;
    for (std::uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        EditFixture f(2);
        FillRandomTrack(f.T(0), rng);
        FillRandomTrack(f.T(1), rng);
        const std::string other = Dump(f.T(1));
        for (int step = 0; step < 12; ++step) {
            const std::string before = Dump(f.T(0));
            if (!RandomEdit(f, rng)) continue;
            ++edits;
            const std::string after = Dump(f.T(0));
            for (int exchange = 0; exchange < 4; ++exchange) {
                ASSERT_EQ(f.session.Undo(), EditResult::Done);
                ASSERT_EQ(Dump(f.T(0)), exchange % 2 == 0 ? before : after) << "step " << step;
            }
            std::set<const SysexBlock*> seen;
            ExpectSysexOwned(f.T(0), seen);
            ExpectSysexOwned(f.T(1), seen);
            ExpectSysexOwned(*f.session.UndoCopy(), seen);
            if (f.session.Clipboard() != nullptr) ExpectSysexOwned(*f.session.Clipboard(), seen);
        }
        EXPECT_EQ(Dump(f.T(1)), other) << "edits stay on the current track";
    }
    EXPECT_GT(edits, 1000);
}

TEST(EditRandom, DeletingARunOfBeatsEqualsDeletingThemOneByOne) {
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Track one;
        FillRandomTrack(one, rng);
        std::unique_ptr<Track> run = one.Clone();
        const std::uint32_t start = static_cast<std::uint32_t>(rng() % 26);
        const std::uint32_t count = static_cast<std::uint32_t>(rng() % 8);
        for (std::uint32_t i = 0; i < count; ++i)
            one.DeleteBeat(start);
        EXPECT_EQ(run->DeleteBeats(start, count), start < run->BeatCount());
        EXPECT_EQ(Dump(*run), Dump(one));
        EXPECT_EQ(run->Sysex().Count(), one.Sysex().Count());
    }
}

}  // namespace
}  // namespace kvs
