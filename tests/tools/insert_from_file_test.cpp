#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "files/song_file.h"
#include "model/edit_session.h"
#include "model/song.h"
#include "tool_test_support.h"
#include "tools/insert_from_file.h"
#include "tools/run_tool.h"

namespace kvs {
namespace {

using test::AddNote;
using test::B;
using test::Notes;
using test::PairedNote;

TEST(InsertTrackFrom, InsertMakesRoomEndingCrossingNotesWhileMergeShiftsNothing) {
    Track source;
    AddNote(source, 0, 10, 70);
    source.AddSysexEvent(7 * B, {0xF0, 3, 0xF7});  // 8 beats
    Track dest;
    AddNote(dest, 3 * B, 5 * B, 60);  // sounds across beat 4
    AddNote(dest, 6 * B, 6 * B + 5, 61);
    test::SortAll(dest);

    ASSERT_TRUE(InsertTrackFrom(dest, source, 4, InsertMode::Insert));
    EXPECT_EQ(Notes(dest), (std::vector<PairedNote>{{3 * B, 767, 60, 100},
                                                    {4 * B, 4 * B + 10, 70, 100},
                                                    {14 * B, 14 * B + 5, 61, 100}}));
    const auto events = test::Events(dest);
    ASSERT_TRUE(IsSysex(events[4].second));
    EXPECT_EQ(events[4].first, 11 * B);
    EXPECT_EQ(dest.Sysex().Find(SysexId(events[4].second))->bytes,
              (std::vector<std::uint8_t>{0xF0, 3, 0xF7}));

    Track merged;
    AddNote(merged, 3 * B, 5 * B, 60);
    test::SortAll(merged);
    ASSERT_TRUE(InsertTrackFrom(merged, source, 4, InsertMode::Merge));
    EXPECT_EQ(Notes(merged),
              (std::vector<PairedNote>{{3 * B, 5 * B, 60, 100}, {4 * B, 4 * B + 10, 70, 100}}));

    Track far;  // beyond the destination's end: it grows to reach the beat
    ASSERT_TRUE(InsertTrackFrom(far, source, 2, InsertMode::Insert));
    EXPECT_EQ(Notes(far), (std::vector<PairedNote>{{2 * B, 2 * B + 10, 70, 100}}));
    Track empty;
    ASSERT_TRUE(InsertTrackFrom(dest, empty, 0, InsertMode::Insert));
    EXPECT_EQ(Notes(dest).size(), 3u);
}

class FileHost : public ToolHost {
  public:
    std::string path;
    int track = 0;
    InsertMode mode = InsertMode::Insert;
    bool cancel = false;
    std::vector<std::string> names;

    bool RunValueDialog(ValueDialog&) override { return false; }
    bool LoadInsertSource(Song& song) override {
        return !path.empty() && kvs::LoadInsertSource(path, song, {}) == kResultOk;
    }
    bool RunInsertFromFileDialog(InsertFromFileForm& form) override {
        names = form.Names();
        form.Select(track);
        form.SetMode(mode);
        return !cancel;
    }
    std::optional<std::uint32_t> AnchorBeat() const override { return 2; }
};

TEST(InsertFromFile, LoadsSilentlyAndMergesTheChosenTrackIntoEveryUnmutedTrack) {
    namespace fs = std::filesystem;
    std::string dir = (fs::temp_directory_path() / "kvs-insff-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    {
        Song file;
        for (const char* name : {"Drums", "Bass"}) {
            file.InsertTrack();
            file.GetTrack(file.TrackCount() - 1)->properties.name.Set(name);
        }
        Track& bass = *file.GetTrack(1);
        bass.AddEvent(0, PackMessage(0xC0, 33));  // would be taken by an initial scan
        AddNote(bass, 10, 20, 40);
        ASSERT_EQ(SaveSongFile(dir + "/in.mid", file, SaveType::Full, {}), kResultOk);
    }

    NullEngineLink engine;
    PlainBeatSelection selection;
    NoAsk ask;
    EditSession session(engine, selection, ask);
    for (std::uint32_t t = 0; t < 3; ++t) {
        session.GetSong().InsertTrack();
        AddNote(*session.GetSong().GetTrack(t), 0, 5, 60);
    }
    session.GetSong().GetTrack(2)->properties.muted = 1;
    session.SetCurrentTrack(0);
    ToolState state;
    state.applyToAllTracks = true;
    FileHost host;
    const Tool& tool = *Tools().Find("insert-from-file");

    EXPECT_EQ(RunTool(session, engine, state, tool, host), EditResult::Cancelled) << "no file";
    host.path = dir + "/missing.mid";
    EXPECT_EQ(RunTool(session, engine, state, tool, host), EditResult::Cancelled);
    host.path = dir + "/in.mid";
    host.cancel = true;
    EXPECT_EQ(RunTool(session, engine, state, tool, host), EditResult::Cancelled);
    EXPECT_EQ(host.names, (std::vector<std::string>{"Drums", "Bass"}));
    EXPECT_EQ(session.UndoCopy(), nullptr);
    EXPECT_EQ(session.GetSong().modified, 0u);

    host.cancel = false;
    host.track = 1;
    host.mode = InsertMode::Merge;
    ASSERT_EQ(RunTool(session, engine, state, tool, host), EditResult::Done);
    for (std::uint32_t t = 0; t < 2; ++t) {
        const auto events = test::Events(*session.GetSong().GetTrack(t));
        ASSERT_EQ(events.size(), 5u) << t;
        EXPECT_EQ(events[2], test::TimedMessage(2 * B, PackMessage(0xC0, 33))) << t;
        EXPECT_EQ(Notes(*session.GetSong().GetTrack(t))[1],
                  (PairedNote{2 * B + 10, 2 * B + 20, 40, 100}));
    }
    EXPECT_EQ(session.GetSong().GetTrack(2)->EventCount(), 2u) << "muted";
    EXPECT_NE(session.UndoCopy(), nullptr);
    fs::remove_all(dir);
}

TEST(InsertFromFileForm, StartsOnTheFirstTrackAndReadsTypedChoices) {
    Song song;
    song.InsertTrack();
    song.InsertTrack();
    InsertFromFileForm form(song);
    EXPECT_EQ(form.Selection(), 0);
    EXPECT_EQ(form.Mode(), InsertMode::Insert);
    for (const char* bad : {"0", "3", "1x", "", "-1"})
        EXPECT_FALSE(form.SetTrackText(bad)) << bad;
    EXPECT_TRUE(form.SetTrackText("2"));
    EXPECT_FALSE(form.SetModeText("paste"));
    EXPECT_TRUE(form.SetModeText("MERGE"));
    form.Select(5);  // ignored
    EXPECT_EQ(form.Ok().track, 1u);
    EXPECT_EQ(form.Ok().mode, InsertMode::Merge);
    form.Select(-1);
    EXPECT_EQ(form.Ok().track, 0u) << "nothing selected: the first";
}

}  // namespace
}  // namespace kvs
