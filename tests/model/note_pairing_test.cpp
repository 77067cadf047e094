// The pairing search skips beats by what it remembers of the track; after any
// sequence of changes it must still find what a full search finds.

#include <gtest/gtest.h>

#include <random>

#include "model/track.h"
#include "track_fixture.h"

namespace kvs {
namespace {

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

TEST(NotePairing, FindsWhatAFullSearchFindsAfterEveryKindOfChange) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&rng](std::uint32_t lo, std::uint32_t hi) {
            return std::uniform_int_distribution<std::uint32_t>(lo, hi)(rng);
        };
        // Sparse over thousands of beats, so that the marks span many words.
        const std::uint32_t span = seed % 2 == 0 ? 9000 * TICKS_PER_BEAT : 300 * TICKS_PER_BEAT;
        auto message = [&] {
            const auto channel = static_cast<std::uint8_t>(pick(0, 1));
            const auto key = static_cast<std::uint8_t>(pick(60, 62));
            switch (pick(0, 3)) {
                case 0:
                    return test::Off(channel, key);
                case 1:
                    return test::On(channel, key, 0);
                case 2:
                    return test::Cc(channel, 7, 1);
                default:
                    return test::On(channel, key);
            }
        };
        Track track;
        const Track& view = track;  // looks without touching
        for (int n = 0; n < 60; ++n)
            track.AddEvent(pick(0, span), message());

        for (int step = 0; step < 200; ++step) {
            const std::uint32_t beats = track.BeatCount();
            const std::uint32_t beat = beats == 0 ? 0 : pick(0, beats - 1);
            const BeatBucket* bucket = view.Bucket(beat);
            const std::uint32_t count = bucket == nullptr ? 0 : bucket->Count();
            const std::uint32_t index = count == 0 ? 0 : pick(0, count - 1);
            const int op = static_cast<int>(pick(0, 11));
            switch (op) {
                case 0:
                case 1:
                    track.AddEvent(pick(0, span), message());
                    break;
                case 2:
                    track.DeleteEvent(beat, index);
                    break;
                case 3:  // rewritten where it stands
                    if (count != 0) (*track.Bucket(beat))[index].message = message();
                    break;
                case 4:
                    track.InsertBeats(beat, pick(1, 100));
                    break;
                case 5:
                    track.DeleteBeats(beat, pick(1, 100));
                    break;
                case 6:
                    track.InsertBeat(static_cast<std::int32_t>(beat));
                    break;
                case 7:
                    track.DeleteBeat(beat);
                    break;
                case 8:
                    track.ClearBeat(beat);
                    break;
                case 9:
                    track.MoveNote(beat, index, pick(0, span));
                    break;
                case 10:
                    track.TruncateNotesAt(beat);
                    break;
                default:
                    if (track.Bucket(beat) != nullptr) track.Bucket(beat)->Sort();
                    break;
            }
            for (std::uint32_t b = 0; b < view.BeatCount(); ++b) {
                const BeatBucket& events = *view.Bucket(b);
                for (std::uint32_t i = 0; i < events.Count(); ++i) {
                    if (!IsSoundingNoteOn(events[i].message)) continue;
                    ASSERT_EQ(track.FindNoteOff(b, i), FullSearch(track, b, i))
                        << "seed " << seed << " step " << step << " after change " << op;
                }
            }
        }
    }
}

}  // namespace
}  // namespace kvs
