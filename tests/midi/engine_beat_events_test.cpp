#include <gtest/gtest.h>

#include <random>

#include "engine_test_support.h"

namespace kvs::test {
namespace {

// What playback must send for ticks [from, to]: tick by tick, audible tracks
// in order, each bucket in stored order, the track's channel and port applied.
std::vector<SentMessage> Expected(const Song& song, std::uint32_t from, std::uint32_t to,
                                  std::int32_t solo) {
    std::vector<SentMessage> out;
    for (std::uint32_t k = from; k <= to; ++k) {
        for (std::uint32_t i = 0; i < song.TrackCount(); ++i) {
            if (!song.TrackSounds(i, solo)) continue;
            const Track& t = *song.GetTrack(i);
            const BeatBucket* b = t.Bucket(k / 192);
            if (b == nullptr) continue;
            for (const Event& e : *b) {
                if (e.offset != k % 192) continue;
                std::uint32_t m = e.message;
                if (t.properties.channel != kNoChannel)
                    m = (m & ~0xFu) | (t.properties.channel & 0xFu);
                out.push_back({m, t.properties.port});
            }
        }
    }
    return out;
}

std::vector<SentMessage> Channel(const std::vector<SentMessage>& sent) {
    std::vector<SentMessage> out;
    for (const SentMessage& m : sent)
        if (m.port != kAllPorts && (m.message & 0xF0) >= 0x80 && (m.message & 0xF0) <= 0xE0)
            out.push_back(m);
    return out;
}

void FillRandomly(EngineRig& rig, std::uint32_t tracks, std::uint32_t beats, std::uint32_t seed) {
    std::mt19937 random(seed);
    for (std::uint32_t t = 0; t < tracks; ++t) {
        Track& track = rig.AddTrack(t % 3 == 0 ? kNoChannel : static_cast<std::uint16_t>(t % 16),
                                    static_cast<std::uint16_t>(t % 4));
        for (int n = 0; n < 40; ++n) {
            // Unsorted buckets, several events on one tick, keys that repeat.
            const std::uint32_t tick = random() % (beats * 192);
            const auto key = static_cast<std::uint8_t>(40 + random() % 8);
            const std::uint8_t status = random() % 4 == 0 ? 0xB0 : 0x90;
            track.AddEvent(tick, PackMessage(status, key, 1 + random() % 100));
        }
    }
}

TEST(EngineBeatEvents, DenseSongGoesOutInTickTrackAndBucketOrder) {
    for (const std::int32_t solo : {-1, 4}) {
        EngineRig rig;
        FillRandomly(rig, 12, 6, 7u + static_cast<std::uint32_t>(solo));
        rig.song.GetTrack(2)->properties.muted = 1;
        rig.song.GetTrack(4)->properties.muted = 1;  // heard while soloed
        rig.engine.SetSoloTrack(solo);
        rig.engine.SetTempo(480);
        rig.engine.StartPlay(1);
        rig.Fire(1);
        rig.Sent();
        rig.Fire(2000);
        ASSERT_FALSE(rig.timer.Running());
        EXPECT_EQ(Channel(rig.Sent()), Expected(rig.song, 192, 6 * 192 - 1, solo));
        rig.engine.StopEngine();
    }
}

TEST(EngineBeatEvents, ChangesMadeWhilePlayingAreHeardWithinTheBeat) {
    EngineRig rig;
    Track& a = rig.AddTrack(0);
    Track& b = rig.AddTrack(1);
    a.AddEvent(192 + 10, PackMessage(0x90, 60, 100));
    b.AddEvent(192 + 10, PackMessage(0x90, 61, 100));
    b.AddEvent(192 + 150, PackMessage(0x90, 62, 100));
    a.AddEvent(3 * 192, PackMessage(0x90, 63, 100));
    rig.engine.StartPlay(1);
    rig.Fire(1);
    rig.Fire(30);  // past tick 192 + 10, not yet 192 + 150
    ASSERT_EQ(OnlyKind(rig.Sent(), 0x90).size(), 2u);
    {
        auto lock = rig.engine.LockSong();
        a.AddEvent(192 + 100, PackMessage(0x90, 64, 100));
        a.AddEvent(192 + 120, PackMessage(0x90, 65, 100));  // more than the room reserved
        for (int i = 0; i < 600; ++i)
            a.AddEvent(192 + 130, PackMessage(0x90, 66, 100));
    }
    rig.Fire(100);  // to tick 192 + 125 or so
    std::vector<std::uint32_t> keys;
    for (const SentMessage& m : OnlyKind(rig.Sent(), 0x90))
        keys.push_back(Data1(m.message));
    EXPECT_EQ(keys, (std::vector<std::uint32_t>{64, 65}));
    rig.engine.SetTrackMuted(1, true);  // ends key 61 and hides key 62
    rig.Fire(1000);
    for (const SentMessage& m : OnlyKind(rig.Sent(), 0x90))
        keys.push_back(Data1(m.message));
    ASSERT_EQ(keys.size(), 603u);
    EXPECT_EQ(keys[0], 64u);
    EXPECT_EQ(keys[1], 65u);
    EXPECT_EQ(keys.back(), 63u);
    rig.engine.StopEngine();
}

}  // namespace
}  // namespace kvs::test
