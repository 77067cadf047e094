#include "app/cli/song_dump.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/cli/song_info.h"
#include "cli_test_support.h"

namespace kvs {
namespace {

TEST(SongDump, WritesEverySettingAndEventInTheFixedLayout) {
    Song song;
    song.tempo = 96;
    song.timeSigNumerator = 6;
    song.timeSigDenominatorExp = 3;
    song.loop = 1;
    song.name.Set("Say \"hi\" \\ caf\xE9");
    song.copyright.Set("(c)\tme");
    song.markers[kMarkerLeft] = 0;
    song.markers[kMarkerRight] = 16;
    song.markers[kFirstMark] = 4;
    song.markers[kFirstMark + 19] = 100;

    Track& lead = test::AddTrack(song);
    lead.properties.name.Set("Lead");
    lead.properties.channel = 9;
    lead.properties.port = 1;
    lead.properties.program = 73;
    lead.properties.bank = 0x181;
    lead.properties.volume = 100;
    lead.properties.pan = 0;
    lead.properties.reverb = 40;
    lead.properties.chorus = 127;
    ASSERT_TRUE(lead.AddEvent(0, PackMessage(0x99, 36, 100)));
    ASSERT_TRUE(lead.AddEvent(191, PackMessage(0x89, 36, 64)));
    ASSERT_TRUE(lead.AddSysexEvent(200, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    ASSERT_TRUE(lead.AddEvent(384, EVT_TEMPO | (140u << 8)));
    ASSERT_TRUE(lead.AddEvent(400, PackMessage(EVT_TIMESIG, 3, 2)));

    Track& empty = test::AddTrack(song);
    empty.properties.muted = 1;
    ASSERT_TRUE(empty.EnsureBeats(3));
    // A SysEx event whose block is gone prints no bytes.
    ASSERT_TRUE(empty.AddEvent(5, SysexMessage(42)));

    std::ostringstream out;
    DumpSong(song, out);
    EXPECT_EQ(out.str(), test::ReadText(KVS_TEST_DATA_DIR "/app/song_dump.txt"));
    EXPECT_EQ(QuoteText(std::string_view("\x00\x1F\x20\x7E\x7F\xFF\n", 7)),
              "\"\\x00\\x1F ~\\x7F\\xFF\\x0A\"");
}

TEST(SongDump, LongTracksAreWrittenWhole) {
    // More than one output block's worth of lines must arrive complete and in order.
    Song song;
    Track& track = test::AddTrack(song);
    constexpr std::uint32_t kEvents = 20000;
    for (std::uint32_t i = 0; i < kEvents; ++i)
        ASSERT_TRUE(track.AddEvent(i * 7, 0x90));
    std::ostringstream out;
    DumpSong(song, out);
    const std::string text = out.str();
    EXPECT_EQ(static_cast<std::uint32_t>(std::count(text.begin(), text.end(), '\n')), kEvents + 3);
    EXPECT_TRUE(test::Has(text, "\n  " + std::to_string((kEvents - 1) * 7) + " 00000090\n"));
    EXPECT_EQ(text.back(), '\n');
}

TEST(SongInfo, PrintsSettingsLengthAndAnAlignedTrackTable) {
    Song song;
    song.name.Set("Tiny");
    song.tempo = 120;
    song.timeSigNumerator = 3;
    song.timeSigDenominatorExp = 2;

    Track& melody = test::AddTrack(song);
    melody.properties.name.Set("Melody");
    melody.properties.channel = 0;
    ASSERT_TRUE(melody.AddEvent(0, PackMessage(0x90, 60, 90)));
    ASSERT_TRUE(melody.AddEvent(1500, PackMessage(0x80, 60, 64)));  // beat 7: 8 beats long

    Track& bass = test::AddTrack(song);
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
