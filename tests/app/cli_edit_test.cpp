#include <gtest/gtest.h>

#include <filesystem>

#include "app/cli/cli.h"
#include "cli_test_support.h"
#include "files/file_result.h"
#include "files/song_file.h"
#include "model/song.h"

namespace kvs {
namespace {

using test::RunArgs;

constexpr Tick B = TICKS_PER_BEAT;

// Track 1: beat-long notes at beats 0 and 2; track 2: a controller at beat 1.
std::string WriteSong(const test::TempDir& dir) {
    Song song;
    song.InsertTrack();
    song.InsertTrack();
    Track& lead = *song.GetTrack(0);
    lead.AddEvent(0, PackMessage(0x90, 60, 100));
    lead.AddEvent(B - 1, PackMessage(0x80, 60, 64));
    lead.AddEvent(2 * B, PackMessage(0x90, 62, 100));
    lead.AddEvent(3 * B - 1, PackMessage(0x80, 62, 64));
    song.GetTrack(1)->AddEvent(B, PackMessage(0xB0, 1, 5));
    const std::string path = dir.File("in.mid");
    EXPECT_EQ(SaveSongFile(path, song, SaveType::Full, {}), kResultOk);
    return path;
}

std::vector<std::pair<Tick, std::uint32_t>> NoteOns(const Track& track) {
    std::vector<std::pair<Tick, std::uint32_t>> out;
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        for (const Event& e : *track.Bucket(beat))
            if (IsSoundingNoteOn(e.message)) out.emplace_back(beat * B + e.offset, e.message);
    return out;
}

std::string Dump(const std::string& path) {
    return RunArgs({"dump", path}).out;
}

TEST(CliEdit, StepsApplyInOrderAndTheSongIsSavedWhole) {
    test::TempDir dir;
    const std::string in = WriteSong(dir);
    const std::string out = dir.File("out.mid");
    const test::CliRun r =
        RunArgs({"edit", in, out, "track=1", "select=0:1", "copy", "select=4:4", "paste-multiple=2",
                 "set-marker=left", "track-name=Solo", "channel=3", "program=5", "bank=-1",
                 "song-name=Tune", "track=2", "mute", "set-marker=19"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;

    Song song;
    ASSERT_EQ(LoadSongFile(out, song, {}), kResultOk);
    ASSERT_EQ(song.TrackCount(), 2u);
    const Track& lead = *song.GetTrack(0);
    EXPECT_EQ(NoteOns(lead),
              (std::vector<std::pair<Tick, std::uint32_t>>{{0, PackMessage(0x92, 60, 100)},
                                                           {2 * B, PackMessage(0x92, 62, 100)},
                                                           {4 * B, PackMessage(0x92, 60, 100)},
                                                           {5 * B, PackMessage(0x92, 60, 100)}}))
        << "saved on the track's channel";
    EXPECT_EQ(lead.properties.name.View(), "Solo");
    EXPECT_EQ(lead.properties.channel, 2u);
    EXPECT_EQ(lead.properties.program, 5);
    EXPECT_EQ(song.name.View(), "Tune");
    EXPECT_EQ(song.markers[kMarkerLeft], 6u);
    EXPECT_EQ(song.markers[kFirstMark + 19], 6u);
}

TEST(CliEdit, UndoAfterADeleteSavesTheSongAsItWasAndTrackCommandsWork) {
    test::TempDir dir;
    const std::string in = WriteSong(dir);
    const std::string same = dir.File("same.mid");
    ASSERT_EQ(RunArgs({"edit", in, same, "select=0:2", "delete", "undo"}).status, kExitOk);
    EXPECT_EQ(Dump(same), Dump(in));

    const std::string moved = dir.File("moved.mid");
    const test::CliRun r = RunArgs({"edit", in, moved, "--default-port", "0", "insert-track",
                                    "track-name=new", "move-track=1", "track=3", "delete-track"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    Song song;
    ASSERT_EQ(LoadSongFile(moved, song, {}), kResultOk);
    ASSERT_EQ(song.TrackCount(), 2u);
    EXPECT_EQ(song.GetTrack(0)->properties.name.View(), "new");
    EXPECT_EQ(NoteOns(*song.GetTrack(1)).size(), 2u);
}

TEST(CliEdit, ARefusedStepExitsWithOneAndSavesNothing) {
    test::TempDir dir;
    const std::string in = WriteSong(dir);
    const std::string out = dir.File("out.mid");
    // Each refusal has its own text; the edit layer's tests cover the rest.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"mute", "paste"}, "step 2 (paste): the clipboard is empty"},
        {{"track=3"}, "step 1 (track=3): the value is out of range"},
        {{"delete-track", "delete-track", "clear"}, "step 3 (clear): there is no current track"},
    };
    for (const auto& [steps, err] : cases) {
        std::vector<std::string> args = {"edit", in, out};
        args.insert(args.end(), steps.begin(), steps.end());
        const test::CliRun r = RunArgs(args);
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_EQ(r.err, "kvs-cli: " + err + "; nothing saved\n");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(CliEdit, MalformedStepsAndOptionsAreUsageErrorsAndALoadFailureExitsWithTwo) {
    test::TempDir dir;
    const std::string in = WriteSong(dir);
    const std::string out = dir.File("out.mid");
    using Steps = std::vector<std::string>;
    for (const Steps& steps :
         {Steps{"volume=128"}, Steps{"program=-2"}, Steps{"select=3"}, Steps{"set-marker=20"},
          Steps{"cut=1"}, Steps{"zoom"}, Steps{"bogus"},
          Steps{"track-name=" + std::string(64, 'x')}, Steps{"copy", "--type", "0"}}) {
        SCOPED_TRACE(steps.front() + " " + steps.back());
        std::vector<std::string> args = {"edit", in, out};
        args.insert(args.end(), steps.begin(), steps.end());
        const test::CliRun r = RunArgs(args);
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_NE(r.err.find("usage: kvs-cli edit"), std::string::npos) << r.err;
    }
    EXPECT_EQ(RunArgs({"edit", in}).status, kExitUsage);
    EXPECT_FALSE(std::filesystem::exists(out));

    const test::CliRun missing = RunArgs({"edit", dir.File("absent.mid"), out, "copy"});
    EXPECT_EQ(missing.status, kExitFileError);
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace kvs
