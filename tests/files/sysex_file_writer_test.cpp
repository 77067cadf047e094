#include <gtest/gtest.h>

#include "files/sysex_file.h"
#include "model/song.h"
#include "song_compare.h"

namespace kvs {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SysexFileWriter, WritesEveryBlockOfTheSongInTimeOrderLowestTrackFirstOnTies) {
    Song song;
    EXPECT_TRUE(WriteSysexFile(song).empty());
    song.InsertTrack();
    song.InsertTrack();
    Track& first = test::TrackAt(song, 0);
    Track& second = test::TrackAt(song, 1);
    first.AddEvent(5, PackMessage(0x90, 0x3C, 0x64));
    EXPECT_TRUE(WriteSysexFile(song).empty());

    second.AddSysexEvent(10, {0xF0, 0x02, 0xF7});
    first.AddSysexEvent(5, {0xF0, 0x01, 0xF7});
    second.AddSysexEvent(200, {0xF0, 0x04, 0x05, 0xF7});
    first.AddSysexEvent(200, {0xF0, 0x03, 0xF7});
    first.AddEvent(300, SysexMessage(77));  // no such block
    EXPECT_EQ(WriteSysexFile(song), (Bytes{0xF0, 0x01, 0xF7, 0xF0, 0x02, 0xF7, 0xF0, 0x03, 0xF7,
                                           0xF0, 0x04, 0x05, 0xF7}));
}

}  // namespace
}  // namespace kvs
