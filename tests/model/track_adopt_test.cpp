#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
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
using test::TimedMessage;
using Timeline = std::vector<TimedMessage>;

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

bool AllBorrowed(const Track& track) {
    for (std::uint32_t b = 0; b < track.BeatCount(); ++b)
        if (!track.Bucket(b)->Empty() && !track.Bucket(b)->Borrowed()) return false;
    return true;
}

// Notes, their ends and controllers of a few keys, in time order: dense
// beats, single events and runs of empty beats.
Timeline RandomTimeline(std::mt19937& rng, std::size_t count) {
    Timeline out;
    Tick tick = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t step = rng() % 20;
        tick += step < 12 ? 0 : step < 19 ? rng() % 100 : rng() % 2000;
        const auto key = static_cast<std::uint8_t>(60 + rng() % 4);
        const std::uint32_t kind = rng() % 5;
        const std::uint32_t message = kind < 2   ? On(0, key)
                                      : kind < 4 ? Off(0, key)
                                                 : Cc(0, 7, static_cast<std::uint8_t>(rng() % 128));
        out.emplace_back(tick, message);
    }
    return out;
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

// An adopted track borrows its events and holds what AddEvent would; every
// edit then does the same to it: a bucket growing out of its run must not
// write into its neighbour's, and beats moving around keep their events.
TEST(TrackAdopt, EditsOnAnAdoptedTrackMatchATrackBuiltEventByEvent) {
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        const Timeline events = RandomTimeline(rng, 50 + rng() % 300);
        Track added;
        AddAll(added, events);
        Track adopted;
        ASSERT_TRUE(adopted.AdoptEvents(BlockOf(events)));
        EXPECT_EQ(Events(adopted), Events(added));
        EXPECT_EQ(adopted.BeatCount(), added.BeatCount());
        EXPECT_TRUE(AllBorrowed(adopted));

        for (int step = 0; step < 200; ++step) {
            const std::uint32_t beats = std::max<std::uint32_t>(added.BeatCount(), 1);
            const std::uint32_t beat = rng() % (beats + 1);
            const std::uint32_t count = beat < added.BeatCount() ? added.Bucket(beat)->Count() : 0;
            const std::uint32_t index = count == 0 ? 0 : rng() % count;
            const Tick tick = rng() % ((beats + 2) * TICKS_PER_BEAT);
            const std::uint32_t op = rng() % 9;
            SCOPED_TRACE(testing::Message() << "step " << step << " op " << op);
            auto both = [&](auto&& edit) { ASSERT_EQ(edit(added), edit(adopted)); };
            both([&](Track& t) {
                switch (op) {
                    case 0:
                    case 1:
                        return t.AddEvent(tick, Cc(1, 2, 3));
                    case 2:
                        return t.DeleteEvent(beat, index);
                    case 3:
                        return t.MoveEvent(beat, index, tick);
                    case 4:
                        return t.MoveNote(beat, index, tick);
                    case 5:
                        return t.InsertBeat(static_cast<std::int32_t>(beat));
                    case 6:
                        return t.DeleteBeat(beat);
                    case 7:
                        return t.ClearBeat(beat);
                    default:
                        return t.TruncateNotesAt(beat);
                }
            });
            ASSERT_EQ(Events(adopted), Events(added));
            ASSERT_EQ(adopted.BeatCount(), added.BeatCount());
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
