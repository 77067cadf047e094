#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace kvs {
namespace {

using test::RunArgs;
using test::RunOk;

constexpr Tick B = TICKS_PER_BEAT;

// Three tracks with one note in each of beats 0 to 3.
std::string WriteSong(const test::ScopedHome& dir) {
    Song song;
    for (std::uint32_t t = 0; t < 3; ++t) {
        Track& track = test::AddTrack(song);
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
std::vector<std::pair<Tick, int>> Keys(const Song& song, std::uint32_t t) {
    std::vector<std::pair<Tick, int>> out;
    for (const auto& [tick, message] : test::NoteOns(*song.GetTrack(t)))
        out.emplace_back(tick, Data1(message));
    return out;
}

// Every refusal is a usage error naming the value, and saves nothing.
void ExpectInvalid(const std::string& in, const std::string& out, const char* tool) {
    const test::CliRun r = RunArgs({"apply", in, out, "--tool", tool});
    EXPECT_EQ(r.status, kExitUsage) << tool;
    EXPECT_TRUE(test::Has(r.err, "Invalid value")) << tool << r.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << tool;
}

TEST(CliApply, RunsAToolOverTheChosenTrackAndBeatsOrOverEveryUnmutedTrackWithItsPresets) {
    test::ScopedHome dir;
    const std::string in = WriteSong(dir);
    const std::string out = dir.File("out.mid");

    RunOk({"apply", in, out, "--tool", "transpose:1", "--track", "2", "--beats", "1:3"});
    std::unique_ptr<Song> song = test::LoadSong(out);
    EXPECT_EQ(Keys(*song, 0)[1].second, 60) << "other tracks untouched";
    EXPECT_EQ(Keys(*song, 1), (std::vector<std::pair<Tick, int>>{
                                  {10, 60}, {B + 10, 61}, {2 * B + 10, 61}, {3 * B + 10, 60}}));

    RunOk({"apply", in, out, "--tool=quantise:2,100", "--all-tracks", "--beats", "1:2"});
    song = test::LoadSong(out);
    for (std::uint32_t t = 0; t < 3; ++t) {
        EXPECT_EQ(Keys(*song, t)[1].first, B) << t;
        EXPECT_EQ(Keys(*song, t)[2].first, 2 * B + 10) << t;
    }

    RunOk({"apply", in, out, "--tool", "set-length:100,-0.050"});
    EXPECT_EQ(test::LoadSong(out)->GetTrack(0)->NoteLength(0, 0), 91 - 50);
    RunOk({"apply", in, out, "--tool", "time-glide:-3.096"});

    // The shipped presets reach the data folder at start-up and the tool finds
    // them by name: C is the major third of A flat, lowered to B.
    RunOk({"apply", in, out, "--tool", "note-transform:major to minor,G#"});
    song = test::LoadSong(out);
    for (const auto& [tick, key] : Keys(*song, 0))
        EXPECT_EQ(key, 59) << tick;
    EXPECT_EQ(Keys(*song, 1).front().second, 60);
}

TEST(CliApply, RefusesBadValuesAndUnknownToolsWithoutSaving) {
    test::ScopedHome dir;
    const std::string in = WriteSong(dir);
    const std::string out = dir.File("out.mid");
    for (const char* tool :
         {"transpose:128", "transpose:1,2", "time-glide:1.192", "time-glide:128.000", "clean-up:1",
          "quantise:4,x", "transpose:00000000001", "note-transform:no such map,C",
          "note-transform:Major to minor,H", "note-transform"})
        ExpectInvalid(in, out, tool);
    EXPECT_EQ(RunArgs({"apply", in, out, "--tool", "shuffle"}).status, kExitUsage);
    EXPECT_EQ(RunArgs({"apply", in, out, "--tool", "transpose", "--track", "4"}).status,
              kExitUsage);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliApply, ListShowsEveryToolWithFieldsInTheirTextForms) {
    const test::CliRun r = RunOk({"apply", "--list"});
    for (const char* line :
         {"transpose: Transpose (all tracks, undo)\n    1. Transpose (integer): initial -12, "
          "range -127 to 127\n",
          "    2. Fixed offset (beats.ticks): initial 0.000, range -1000.000 to 1000.000\n",
          "    1. Lower note (note): initial C-1, range C-1 to G9\n",
          "    values: the transform's name, the base key\n"})
        EXPECT_TRUE(test::Has(r.out, line)) << line << "\n" << r.out;
}

}  // namespace
}  // namespace kvs
