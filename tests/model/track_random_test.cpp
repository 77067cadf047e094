// Seeded random edits: an adopted track, which borrows its events, must match
// one built event by event, and the note pairing search, which skips beats by
// what it remembers of the track, must find what a full search finds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "model/event_block.h"
#include "model/track.h"
#include "track_fixture.h"

namespace kvs {
namespace {

using test::Cc;
using test::Events;
using test::Off;
using test::On;
using test::Timeline;

EventBlock BlockOf(const Timeline& events) {
    EventBlock block;
    for (const auto& [tick, message] : events)
        block.Append(Event{tick, message});
    return block;
}

Track& AddAll(Track& track, const Timeline& events) {
    for (const auto& [tick, message] : events)
        track.AddEvent(tick, message);
    return track;
}

// The pairing rule, searched the slow way over every later event.
EventPos FullSearch(const Track& track, std::uint32_t beat, std::uint32_t index) {
    const std::uint32_t on = (*track.Bucket(beat))[index].message;
    const std::uint32_t off = (on & 0xFF0F) | 0x80;
    for (const auto& [mask, want] : {std::pair{0xFFFFu, off}, std::pair{0xFFFFFFu, off | 0x10}}) {
        std::uint32_t i = index + 1;
        for (std::uint32_t b = beat; b < track.BeatCount(); ++b, i = 0)
            for (; i < track.Bucket(b)->Count(); ++i)
                if (((*track.Bucket(b))[i].message & mask) == want)
                    return {static_cast<std::int32_t>(b), static_cast<std::int32_t>(i)};
    }
    return {};
}

void ExpectPairsAsAFullSearch(const Track& track) {
    for (std::uint32_t b = 0; b < track.BeatCount(); ++b)
        for (std::uint32_t i = 0; i < track.Bucket(b)->Count(); ++i)
            if (IsSoundingNoteOn((*track.Bucket(b))[i].message)) {
                ASSERT_EQ(track.FindNoteOff(b, i), FullSearch(track, b, i)) << b << ":" << i;
            }
}

TEST(TrackAdopt, EventsThatCannotBeKeptAsOneBlockAreAddedOneByOne) {
    Track empty;
    EXPECT_TRUE(empty.AdoptEvents(EventBlock{}));
    EXPECT_EQ(empty.BeatCount(), 0u);

    // Ticks going back.
    const Timeline unordered{{500, On(0, 60)}, {10, Off(0, 60)}, {600, Cc(0, 7, 1)}};
    Track t;
    ASSERT_TRUE(t.AdoptEvents(BlockOf(unordered)));
    Track reference;
    EXPECT_EQ(Events(t), Events(AddAll(reference, unordered)));

    // A track that already has beats keeps them and gains the new events.
    const Timeline more{{0, Cc(0, 1, 1)}, {700, On(0, 61)}};
    ASSERT_TRUE(t.AdoptEvents(BlockOf(more)));
    EXPECT_EQ(Events(t), Events(AddAll(reference, more)));
    EXPECT_EQ(t.BeatCount(), 4u);

    // An event past the last beat a track may have: those before it stay.
    Track tooLong;
    EXPECT_FALSE(tooLong.AdoptEvents(BlockOf(
        {{5, On(0, 60)}, {300, Off(0, 60)}, {kMaxTrackBeats * TICKS_PER_BEAT, Cc(0, 7, 1)}})));
    EXPECT_EQ(Events(tooLong), (Timeline{{5, On(0, 60)}, {300, Off(0, 60)}}));
}

// A bucket growing out of its borrowed run must not write into its
// neighbour's. Even seeds spread the events over thousands of beats, so that
// the pairing marks span many words.
TEST(TrackRandom, AdoptedTracksMatchBuiltOnesAndNotesPairAsAFullSearchFinds) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto pick = [&rng](std::uint32_t n) { return static_cast<std::uint32_t>(rng() % n); };
        auto message = [&] {
            const auto channel = static_cast<std::uint8_t>(pick(2));
            const auto key = static_cast<std::uint8_t>(60 + pick(3));
            const std::uint32_t kind = pick(4);
            return kind == 0   ? Off(channel, key)
                   : kind == 1 ? On(channel, key, 0)
                   : kind == 2 ? Cc(channel, 7, static_cast<std::uint8_t>(pick(128)))
                               : On(channel, key);
        };
        const std::uint32_t gap = seed % 2 == 0 ? 3000 * TICKS_PER_BEAT : 2000;
        Timeline events;
        Tick tick = 0;
        for (std::uint32_t n = 50 + pick(100); n > 0; --n) {
            const std::uint32_t step = pick(20);
            tick += step < 12 ? 0 : step < 19 ? pick(100) : pick(gap);
            events.emplace_back(tick, message());
        }
        Track added;
        AddAll(added, events);
        Track adopted;
        ASSERT_TRUE(adopted.AdoptEvents(BlockOf(events)));
        EXPECT_EQ(Events(adopted), Events(added));
        for (std::uint32_t b = 0; b < adopted.BeatCount(); ++b) {
            const BeatBucket& bucket = *std::as_const(adopted).Bucket(b);
            EXPECT_TRUE(bucket.Empty() || bucket.Borrowed()) << b;
        }

        for (int step = 0; step < 200; ++step) {
            const std::uint32_t beats = std::max<std::uint32_t>(added.BeatCount(), 1);
            const std::uint32_t beat = pick(beats + 1);
            const std::uint32_t count =
                beat < added.BeatCount() ? std::as_const(added).Bucket(beat)->Count() : 0;
            const std::uint32_t index = count == 0 ? 0 : pick(count);
            const Tick at = pick((beats + 2) * TICKS_PER_BEAT);
            const std::uint32_t m = message();
            const std::uint32_t n = 1 + pick(100);
            const std::uint32_t op = pick(12);
            SCOPED_TRACE(testing::Message() << "step " << step << " op " << op);
            const std::function<bool(Track&)> edits[] = {
                [&](Track& t) { return t.AddEvent(at, m); },
                [&](Track& t) { return t.DeleteEvent(beat, index); },
                [&](Track& t) { return t.MoveEvent(beat, index, at); },
                [&](Track& t) { return t.MoveNote(beat, index, at); },
                [&](Track& t) { return t.InsertBeat(static_cast<std::int32_t>(beat)); },
                [&](Track& t) { return t.DeleteBeat(beat); },
                [&](Track& t) { return t.InsertBeats(beat, n); },
                [&](Track& t) { return t.DeleteBeats(beat, n); },
                [&](Track& t) { return t.ClearBeat(beat); },
                [&](Track& t) { return t.TruncateNotesAt(beat); },
                [&](Track& t) {  // rewritten where it stands
                    if (count != 0) (*t.Bucket(beat))[index].message = m;
                    return true;
                },
                [&](Track& t) {
                    if (count != 0) t.Bucket(beat)->Sort();
                    return true;
                }};
            const auto& edit = edits[op];
            ASSERT_EQ(edit(added), edit(adopted));
            ASSERT_EQ(Events(adopted), Events(added));
            ASSERT_EQ(adopted.BeatCount(), added.BeatCount());
            ExpectPairsAsAFullSearch(added);
            ExpectPairsAsAFullSearch(adopted);
            if (HasFatalFailure()) return;
        }
        // A clone outlives the track whose buckets it copied.
        auto original = std::make_unique<Track>();
        ASSERT_TRUE(original->AdoptEvents(BlockOf(events)));
        std::unique_ptr<Track> copy = original->Clone();
        original.reset();
        Track reference;
        EXPECT_EQ(Events(*copy), Events(AddAll(reference, events)));
        EXPECT_TRUE(copy->AddEvent(1, Cc(0, 1, 1)));  // into buckets of its own
    }
}

}  // namespace
}  // namespace kvs
