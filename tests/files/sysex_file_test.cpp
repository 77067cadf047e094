#include "files/sysex_file.h"

#include <utility>

#include "files_test_support.h"

namespace kvs {
namespace {

using test::Bytes;
using test::Cat;
using Messages = std::vector<std::pair<Tick, Bytes>>;

const Bytes kGsReset{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
const Bytes kGmOn{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};

// The last track's events as (tick, bytes of the SysEx block).
Messages Read(const Song& song) {
    Messages out;
    for (const test::FlatEvent& e : test::FlatEvents(*song.GetTrack(song.TrackCount() - 1)))
        out.emplace_back(e.tick, e.sysex);
    return out;
}

TEST(SysexFileReader, SpacesMessagesByTheirLength) {
    Song song;
    ASSERT_TRUE(song.InsertTrack());
    LoadOptions options;
    options.defaultPort = 2;
    // Only F7 ends a message: an F0 inside one is data.
    const Bytes nested{0xF0, 0x01, 0xF0, 0xF7};
    ASSERT_EQ(ReadSysexFile(Cat({kGsReset, kGmOn, nested, kGmOn}), song, options), kResultOk);
    ASSERT_EQ(song.TrackCount(), 2u);
    const TrackProperties& p = song.GetTrack(1)->properties;
    EXPECT_EQ(p.name.View(), "Sysex");
    EXPECT_EQ(p.port, 2);
    EXPECT_EQ(p.channel, kNoChannel);
    // 11 / 4 + 1 = 3, then 6 / 4 + 1 = 2, then 4 / 4 + 1 = 2.
    EXPECT_EQ(Read(song), (Messages{{0, kGsReset}, {3, kGmOn}, {5, nested}, {7, kGmOn}}));
}

TEST(SysexFileReader, FaultsAreInvalidAndKeepWhatWasRead) {
    const std::pair<Bytes, std::size_t> cases[] = {
        {{0xF0}, 0},
        {{0xF0, 0x41, 0x10}, 0},                 // no F7
        {{0xF7}, 0},                             // no F0
        {Cat({kGmOn, {0x00}}), 1},               // stray byte after the last F7
        {Cat({kGmOn, kGmOn, {0xF0, 0x7E}}), 2},  // the last one cut short
    };
    for (const auto& [file, kept] : cases) {
        Song song;
        EXPECT_EQ(ReadSysexFile(file, song, {}), kErrInvalidFile) << testing::PrintToString(file);
        ASSERT_EQ(song.TrackCount(), 1u);
        EXPECT_EQ(song.GetTrack(0)->properties.name.View(), "Sysex");
        EXPECT_EQ(Read(song).size(), kept) << testing::PrintToString(file);
    }
}

TEST(SysexFileWriter, WritesEveryBlockOfTheSongInTimeOrderLowestTrackFirstOnTies) {
    Song song;
    EXPECT_TRUE(WriteSysexFile(song).empty());
    Track& first = test::AddTrack(song);
    Track& second = test::AddTrack(song);
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
