#include "model/song.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace kvs {
namespace {

// Names the tracks "0", "1", ... so their order shows after list operations.
void AddTracks(Song& song, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) {
        ASSERT_TRUE(song.InsertTrack());
        song.GetTrack(i)->properties.name.Set(std::to_string(i));
    }
}

std::string Order(const Song& song) {
    std::string out;
    for (std::uint32_t i = 0; i < song.TrackCount(); ++i)
        out +=
            std::string(i == 0 ? "" : ",") + std::string(song.GetTrack(i)->properties.name.View());
    return out;
}

TEST(SongTracks, InsertDeleteMoveAndReplaceKeepTheListInOrder) {
    Song song;
    AddTracks(song, 4);
    EXPECT_TRUE(song.MoveTrack(0, 2));
    EXPECT_TRUE(song.MoveTrack(-1, 0));
    EXPECT_TRUE(song.MoveTrack(1, -1));
    EXPECT_EQ(Order(song), "3,2,0,1");
    EXPECT_FALSE(song.MoveTrack(4, 0));
    EXPECT_FALSE(song.MoveTrack(0, 4));
    EXPECT_TRUE(song.InsertTrack(1));
    EXPECT_EQ(Order(song), "3,,2,0,1");
    EXPECT_FALSE(song.InsertTrack(6));
    EXPECT_FALSE(song.DeleteTrack(5));  // one past the last is no track
    EXPECT_TRUE(song.DeleteTrack(1));
    EXPECT_TRUE(song.DeleteTrack(-1));
    EXPECT_EQ(Order(song), "3,2,0");

    song.GetTrack(1)->AddEvent(192 * 7, 0x90);
    EXPECT_EQ(song.SongLengthBeats(), 8u);
    auto fresh = std::make_unique<Track>();
    const Track* replacement = fresh.get();
    std::unique_ptr<Track> old = song.ReplaceTrack(1, std::move(fresh));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->BeatCount(), 8u);
    EXPECT_EQ(song.GetTrack(1), replacement);
    EXPECT_EQ(song.SongLengthBeats(), 0u);
    EXPECT_EQ(song.ReplaceTrack(3, std::make_unique<Track>()), nullptr);
    EXPECT_EQ(song.ReplaceTrack(0, nullptr), nullptr);

    Song empty;
    EXPECT_FALSE(empty.DeleteTrack(-1));
    EXPECT_FALSE(empty.MoveTrack(-1, -1));
}

TEST(SongTracks, SortByPortThenChannelThenNameIgnoringCaseFirst) {
    Song song;
    AddTracks(song, 7);
    const std::uint16_t ports[] = {1, 0, 0, 2, 2, 2, 2};
    const std::uint16_t channels[] = {3, kNoChannel, 2, 0, 0, 0, 0};
    const char* names[] = {"a", "b", "c", "bass", "Alto", "alto", "Bass 2"};
    for (std::uint32_t i = 0; i < 7; ++i) {
        TrackProperties& p = song.GetTrack(i)->properties;
        p.port = ports[i];
        p.channel = channels[i];
        p.name.Set(names[i]);
    }
    song.SortTracks();
    EXPECT_EQ(Order(song), "c,b,a,alto,Alto,bass,Bass 2");
}

TEST(SongTracks, SoloTrackSoundsEvenWhenMutedAndSilencesTheOthers) {
    Song song;
    AddTracks(song, 4);
    song.GetTrack(1)->properties.muted = 1;
    song.GetTrack(2)->properties.muted = 1;
    EXPECT_TRUE(song.TrackSounds(0, -1));
    EXPECT_FALSE(song.TrackSounds(1, -1));
    for (std::uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(song.TrackSounds(i, 2), i == 2) << i;
    // A solo index left past the end of the list (its track was deleted) solos nothing.
    EXPECT_TRUE(song.TrackSounds(0, 4));
    EXPECT_FALSE(song.TrackSounds(1, 4));
    EXPECT_FALSE(song.TrackSounds(4, -1));
}

TEST(SongMarkers, SortSetAndStepThroughNumberedMarks) {
    Song song;
    song.SetMarker(kFirstMark + 5, 40);
    song.SetMarker(kFirstMark + 1, 8);
    song.SetMarker(kMarkerLeft, 100);
    song.SetMarker(kMarkerCount, 3);  // no such slot
    EXPECT_EQ(song.modified, 1u);
    song.modified = 0;
    song.SortMarkers();
    EXPECT_EQ(song.modified, 1u);
    EXPECT_EQ(song.markers[kFirstMark], 8u);
    EXPECT_EQ(song.markers[kFirstMark + 1], 40u);
    for (std::uint32_t s = kFirstMark + 2; s < kMarkerCount; ++s)
        EXPECT_EQ(song.markers[s], kUnsetMarker);
    EXPECT_EQ(song.markers[kMarkerLeft], 100u);

    song.SetMarker(kFirstMark + 2, 4);
    EXPECT_EQ(song.PrevMark(8), 4u);  // strictly before
    EXPECT_EQ(song.PrevMark(4), std::nullopt);
    EXPECT_EQ(song.NextMark(8), 40u);
    EXPECT_EQ(song.NextMark(40), std::nullopt);  // Left at 100 takes no part
}

}  // namespace
}  // namespace kvs
