#include "app/cli/song_info.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli_test_support.h"
#include "model/song.h"
#include "model/track.h"

namespace kvs {
namespace {

TEST(SongInfo, PrintsSettingsLengthAndAnAlignedTrackTable) {
    Song song;
    song.name.Set("Tiny");
    song.tempo = 120;
    song.timeSigNumerator = 3;
    song.timeSigDenominatorExp = 2;

    ASSERT_TRUE(song.InsertTrack());
    Track* melodyPtr = song.GetTrack(0);
    ASSERT_NE(melodyPtr, nullptr);
    Track& melody = *melodyPtr;
    melody.properties.name.Set("Melody");
    melody.properties.channel = 0;
    ASSERT_TRUE(melody.AddEvent(0, PackMessage(0x90, 60, 90)));
    ASSERT_TRUE(melody.AddEvent(1500, PackMessage(0x80, 60, 64)));  // beat 7: 8 beats long

    ASSERT_TRUE(song.InsertTrack());
    Track* bassPtr = song.GetTrack(1);
    ASSERT_NE(bassPtr, nullptr);
    Track& bass = *bassPtr;
    // An escape sequence in a file's name must not reach the terminal.
    bass.properties.name.Set("Bass\x1B[2J");
    bass.properties.channel = 9;
    bass.properties.port = 12;
    for (Tick t : {0u, 96u, 192u})
        ASSERT_TRUE(bass.AddEvent(t, PackMessage(0x99, 36, 100)));

    ASSERT_TRUE(song.InsertTrack());  // no channel, no events

    std::ostringstream out;
    PrintSongInfo(song, out);
    // 8 beats of 3/4 are 2 bars and 2 beats; at 120 bpm they last 4 seconds.
    EXPECT_EQ(out.str(), test::ReadText(KVS_TEST_DATA_DIR "/app/song_info.txt"));
}

}  // namespace
}  // namespace kvs
