#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace kvs {
namespace {

using test::RunArgs;
using Strings = std::vector<std::string>;

constexpr Tick B = TICKS_PER_BEAT;

// Track 1: beat-long notes at beats 0 and 2; track 2: a controller at beat 1.
std::string WriteSong(const test::TempFolder& dir) {
    Song song;
    Track& lead = test::AddTrack(song);
    lead.AddEvent(0, PackMessage(0x90, 60, 100));
    lead.AddEvent(B - 1, PackMessage(0x80, 60, 64));
    lead.AddEvent(2 * B, PackMessage(0x90, 62, 100));
    lead.AddEvent(3 * B - 1, PackMessage(0x80, 62, 64));
    test::AddTrack(song).AddEvent(B, PackMessage(0xB0, 1, 5));
    const std::string path = dir.Path("in.mid");
    EXPECT_EQ(SaveSongFile(path, song, SaveType::Full, {}), kResultOk);
    return path;
}

test::CliRun Edit(const std::string& in, const std::string& out, const Strings& steps) {
    Strings args = {"edit", in, out};
    args.insert(args.end(), steps.begin(), steps.end());
    return RunArgs(args);
}

TEST(CliEdit, StepsApplyInOrderTheSongIsSavedWholeAndUndoRestoresIt) {
    test::TempFolder dir;
    const std::string in = WriteSong(dir);
    const std::string out = dir.Path("out.mid");
    const test::CliRun r = Edit(in, out,
                                {"track=1", "select=0:1", "copy", "select=4:4", "paste-multiple=2",
                                 "set-marker=left", "track-name=Solo", "channel=3", "program=5",
                                 "bank=-1", "song-name=Tune", "track=2", "mute", "set-marker=19"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;

    const std::unique_ptr<Song> song = test::LoadSong(out);
    ASSERT_EQ(song->TrackCount(), 2u);
    const Track& lead = *song->GetTrack(0);
    const std::uint32_t c4 = PackMessage(0x92, 60, 100);  // saved on the track's channel
    EXPECT_EQ(test::NoteOns(lead),
              (std::vector<std::pair<Tick, std::uint32_t>>{
                  {0, c4}, {2 * B, PackMessage(0x92, 62, 100)}, {4 * B, c4}, {5 * B, c4}}));
    EXPECT_EQ(lead.properties.name.View(), "Solo");
    EXPECT_EQ(lead.properties.channel, 2u);
    EXPECT_EQ(lead.properties.program, 5);
    EXPECT_EQ(song->name.View(), "Tune");
    EXPECT_EQ(song->markers[kMarkerLeft], 6u);
    EXPECT_EQ(song->markers[kFirstMark + 19], 6u);

    // Undo after a delete saves the song as it was.
    const std::string same = dir.Path("same.mid");
    ASSERT_EQ(Edit(in, same, {"select=0:2", "delete", "undo"}).status, kExitOk);
    EXPECT_EQ(RunArgs({"dump", same}).out, RunArgs({"dump", in}).out);

    // Insert, name, move and delete tracks.
    const std::string movedPath = dir.Path("moved.mid");
    const test::CliRun edited = Edit(in, movedPath,
                                     {"--default-port", "0", "insert-track", "track-name=new",
                                      "move-track=1", "track=3", "delete-track"});
    ASSERT_EQ(edited.status, kExitOk) << edited.err;
    const std::unique_ptr<Song> moved = test::LoadSong(movedPath);
    ASSERT_EQ(moved->TrackCount(), 2u);
    EXPECT_EQ(moved->GetTrack(0)->properties.name.View(), "new");
    EXPECT_EQ(test::NoteOns(*moved->GetTrack(1)).size(), 2u);
}

TEST(CliEdit, RefusedOrMalformedStepsExitWithOneAndALoadFailureWithTwoSavingNothing) {
    test::TempFolder dir;
    const std::string in = WriteSong(dir);
    const std::string out = dir.Path("out.mid");
    // Each refusal has its own text; the edit layer's tests cover the rest.
    const std::pair<Strings, std::string> refused[] = {
        {{"mute", "paste"}, "step 2 (paste): the clipboard is empty"},
        {{"track=3"}, "step 1 (track=3): the value is out of range"},
        {{"delete-track", "delete-track", "clear"}, "step 3 (clear): there is no current track"},
    };
    for (const auto& [steps, err] : refused) {
        const test::CliRun r = Edit(in, out, steps);
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_EQ(r.err, "kvs-cli: " + err + "; nothing saved\n");
    }
    for (const Strings& steps :
         {Strings{"volume=128"}, Strings{"program=-2"}, Strings{"select=3"},
          Strings{"set-marker=20"}, Strings{"cut=1"}, Strings{"zoom"}, Strings{"bogus"},
          Strings{"track-name=" + std::string(64, 'x')}, Strings{"copy", "--type", "0"}}) {
        const test::CliRun r = Edit(in, out, steps);
        EXPECT_EQ(r.status, kExitUsage) << steps.front();
        EXPECT_TRUE(test::Has(r.err, "usage: kvs-cli edit")) << r.err;
    }
    EXPECT_EQ(RunArgs({"edit", in}).status, kExitUsage);
    EXPECT_EQ(Edit(dir.Path("absent.mid"), out, {"copy"}).status, kExitFileError);
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace kvs
