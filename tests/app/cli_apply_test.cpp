#include <gtest/gtest.h>

#include <memory>

#include "app/cli/cli.h"
#include "cli_test_support.h"
#include "files/file_result.h"
#include "files/song_file.h"
#include "model/song.h"

namespace kvs {
namespace {

using test::RunArgs;

constexpr Tick B = TICKS_PER_BEAT;

// Three tracks with one note in each of beats 0 to 3.
std::string WriteSong(const test::TempDir& dir) {
    Song song;
    for (std::uint32_t t = 0; t < 3; ++t) {
        song.InsertTrack();
        Track& track = *song.GetTrack(t);
        for (Tick beat = 0; beat < 4; ++beat) {
            track.AddEvent(beat * B + 10, PackMessage(0x90, 60, 100));
            track.AddEvent(beat * B + 100, PackMessage(0x80, 60, 64));
        }
    }
    const std::string path = dir.File("in.mid");
    EXPECT_EQ(SaveSongFile(path, song, SaveType::Full, {}), kResultOk);
    return path;
}

// (tick, key) of every note on of a track.
std::vector<std::pair<Tick, int>> NoteOns(const Song& song, std::uint32_t t) {
    std::vector<std::pair<Tick, int>> out;
    const Track& track = *song.GetTrack(t);
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat)
        for (const Event& e : *track.Bucket(beat))
            if (IsSoundingNoteOn(e.message))
                out.emplace_back(beat * B + e.offset, Data1(e.message));
    return out;
}

std::unique_ptr<Song> Load(const std::string& path) {
    auto song = std::make_unique<Song>();
    EXPECT_EQ(LoadSongFile(path, *song, {}), kResultOk);
    return song;
}

TEST(CliApply, RunsAToolOverTheChosenTrackAndBeatsOrOverEveryUnmutedTrack) {
    test::ScopedHome home;
    test::TempDir dir;
    const std::string in = WriteSong(dir);
    const std::string out = dir.File("out.mid");

    test::CliRun r =
        RunArgs({"apply", in, out, "--tool", "transpose:1", "--track", "2", "--beats", "1:3"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    std::unique_ptr<Song> song = Load(out);
    EXPECT_EQ(NoteOns(*song, 0)[1].second, 60) << "other tracks untouched";
    EXPECT_EQ(NoteOns(*song, 1), (std::vector<std::pair<Tick, int>>{
                                     {10, 60}, {B + 10, 61}, {2 * B + 10, 61}, {3 * B + 10, 60}}));

    r = RunArgs({"apply", in, out, "--tool=quantise:2,100", "--all-tracks", "--beats", "1:2"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    song = Load(out);
    for (std::uint32_t t = 0; t < 3; ++t) {
        EXPECT_EQ(NoteOns(*song, t)[1].first, B) << t;
        EXPECT_EQ(NoteOns(*song, t)[2].first, 2 * B + 10) << t;
    }

    r = RunArgs({"apply", in, out, "--tool", "set-length:100,-0.050"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(Load(out)->GetTrack(0)->NoteLength(0, 0), 91 - 50);
}

TEST(CliApply, RefusesBadValuesAndUnknownToolsWithoutSaving) {
    test::ScopedHome home;
    test::TempDir dir;
    const std::string in = WriteSong(dir);
    const std::string out = dir.File("out.mid");
    for (const char* tool :
         {"transpose:128", "transpose:1,2", "time-glide:1.192", "time-glide:128.000", "clean-up:1",
          "quantise:4,x", "transpose:00000000001"}) {
        const test::CliRun r = RunArgs({"apply", in, out, "--tool", tool});
        EXPECT_EQ(r.status, kExitUsage) << tool;
        EXPECT_NE(r.err.find("Invalid value"), std::string::npos) << tool << r.err;
    }
    test::CliRun r = RunArgs({"apply", in, out, "--tool", "shuffle"});
    EXPECT_EQ(r.status, kExitUsage);
    r = RunArgs({"apply", in, out, "--tool", "transpose", "--track", "4"});
    EXPECT_EQ(r.status, kExitUsage);
    r = RunArgs({"apply", in, out, "--tool", "transpose", "--track", "1", "--all-tracks"});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_FALSE(std::filesystem::exists(out));

    r = RunArgs({"apply", in, out, "--tool", "time-glide:-3.096"});  // within range
    EXPECT_EQ(r.status, kExitOk) << r.err;
}

// The shipped presets reach the data folder at start-up and the tool finds
// them by name: C is the major third of A flat, lowered to B.
TEST(CliApply, NoteTransformUsesTheShippedPresetsByName) {
    test::ScopedHome home;
    test::TempDir dir;
    const std::string in = WriteSong(dir);
    const std::string out = dir.File("out.mid");
    test::CliRun r = RunArgs({"apply", in, out, "--tool", "note-transform:major to minor,G#"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    std::unique_ptr<Song> song = Load(out);
    for (const auto& [tick, key] : NoteOns(*song, 0))
        EXPECT_EQ(key, 59) << tick;
    EXPECT_EQ(NoteOns(*song, 1).front().second, 60);

    for (const char* tool :
         {"note-transform:no such map,C", "note-transform:Major to minor,H", "note-transform"}) {
        r = RunArgs({"apply", in, dir.File("bad.mid"), "--tool", tool});
        EXPECT_EQ(r.status, kExitUsage) << tool;
        EXPECT_NE(r.err.find("Invalid value"), std::string::npos) << tool << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.mid")));
}

TEST(CliApply, ListShowsEveryToolWithFieldsInTheirTextForms) {
    const test::CliRun r = RunArgs({"apply", "--list"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    for (const char* line :
         {"transpose: Transpose (all tracks, undo)\n    1. Transpose (integer): initial -12, "
          "range -127 to 127\n",
          "    2. Fixed offset (beats.ticks): initial 0.000, range -1000.000 to 1000.000\n",
          "key-split: Split Key (current track only)\n"
          "    1. Lower note (note): initial C-1, range C-1 to G9\n",
          "clean-up: Clean up (all tracks, whole tracks, undo)\n",
          "note-transform: Note transform (all tracks, undo)\n"
          "    values: the transform's name, the base key\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
}

}  // namespace
}  // namespace kvs
