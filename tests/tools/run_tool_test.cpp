#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files/song_file.h"
#include "model/edit_session.h"
#include "tool_test_support.h"
#include "tools/insert_from_file.h"
#include "tools/run_tool.h"

namespace kvs {
namespace {

using test::B;
using test::NoteList;
using test::Notes;

// Answers the value dialog as a user typing the texts.
class ScriptedHost : public ToolHost {
  public:
    std::vector<std::string> texts;
    bool cancel = false;
    std::vector<ValueDialog> opened;
    std::vector<std::uint32_t> redrawn;
    int tracksAdded = 0;

    bool RunValueDialog(ValueDialog& dialog) override {
        opened.push_back(dialog);
        if (cancel) return false;
        ValueDialogForm form(dialog);
        for (std::size_t i = 0; i < texts.size(); ++i)
            form.SetText(i, texts[i]);
        return form.Ok();
    }
    void RedrawTrack(std::uint32_t track) override { redrawn.push_back(track); }
    void TracksAdded() override { ++tracksAdded; }
};

class Link : public NullEngineLink {
  public:
    bool idle = true;
    bool Idle() const override { return idle; }
};

struct Fixture {
    Link engine;
    PlainBeatSelection selection;
    NoAsk ask;
    EditSession session{engine, selection, ask};
    ToolState state;
    ScriptedHost host;

    // Tracks of 2, 3 and 4 beats, one note in each beat; the second is current.
    Fixture() {
        for (std::uint32_t t = 0; t < 3; ++t) {
            session.GetSong().InsertTrack();
            for (std::uint32_t beat = 0; beat < t + 2; ++beat)
                test::AddNote(At(t), beat * B, beat * B + 10, 60);
            test::SortAll(At(t));
        }
        session.SetCurrentTrack(1);
    }
    Track& At(std::uint32_t t) { return *session.GetSong().GetTrack(t); }
    EditResult Run(std::string_view name) {
        return RunTool(session, engine, state, *Tools().Find(name), host);
    }
};

struct Visit {
    std::uint32_t track;
    ToolRange range;
    friend bool operator==(const Visit&, const Visit&) = default;
};

TEST(ApplyTool, RangesFollowTheSelectionOrEachTracksOwnLengthAndSkipMutedTracks) {
    Fixture f;
    f.At(0).properties.muted = 1;
    std::vector<Visit> visits;
    const ToolPass record = [&](Song&, std::uint32_t track, const ToolRange& range) {
        visits.push_back({track, range});
        return track == 2;
    };
    const auto apply = [&](const char* name, bool all) {
        visits.clear();
        ApplyTool(f.session, f.engine, all, *Tools().Find(name), record, &f.host);
        return visits;
    };
    EXPECT_EQ(apply("transpose", true), (std::vector<Visit>{{1, {0, 3}}, {2, {0, 4}}}));
    EXPECT_EQ(f.host.redrawn, std::vector<std::uint32_t>{2}) << "the changed track only";
    EXPECT_EQ(f.session.GetSong().modified, 1u);
    f.selection.Select(8, 4);
    EXPECT_EQ(apply("transpose", true), (std::vector<Visit>{{1, {4, 8}}, {2, {4, 8}}}));
    EXPECT_EQ(apply("key-split", true), (std::vector<Visit>{{1, {4, 8}}})) << "current only";
    EXPECT_EQ(apply("clean-up", false), (std::vector<Visit>{{1, {0, 3}}})) << "whole tracks";
}

TEST(RunTool, UndoAfterATransposeOfAllTracksRestoresTheCurrentTrackOnly) {
    Fixture f;
    f.state.applyToAllTracks = true;
    f.host.texts = {"12"};
    ASSERT_EQ(f.Run("transpose"), EditResult::Done);
    ASSERT_EQ(f.session.Undo(), EditResult::Done);
    for (std::uint32_t t = 0; t < 3; ++t)
        EXPECT_EQ(Notes(f.At(t))[0].key, t == 1 ? 60 : 72) << t;
}

TEST(RunTool, OpensWithTheInitialValuesAndChangesNothingOnCancelOrRefusal) {
    Fixture f;
    f.host.texts = {"8", "100", "50"};
    ASSERT_EQ(f.Run("quantise"), EditResult::Done);
    f.host.cancel = true;
    EXPECT_EQ(f.Run("quantise"), EditResult::Cancelled);
    ASSERT_EQ(f.host.opened.size(), 2u);
    EXPECT_EQ(f.host.opened[1].fields[0].value, 4) << "nothing kept from the last use";

    f.session.GetSong().modified = 0;
    f.session.DiscardUndo();
    f.host.cancel = false;
    f.host.texts = {"1000"};  // out of range: the dialog would stay open
    EXPECT_EQ(f.Run("transpose"), EditResult::Cancelled);
    EXPECT_EQ(f.Run("progression"), EditResult::Cancelled) << "a host without the dialog";
    f.host.opened.clear();
    f.engine.idle = false;
    EXPECT_EQ(f.Run("transpose"), EditResult::EngineBusy);
    f.engine.idle = true;
    f.session.SetCurrentTrack(-1);
    EXPECT_EQ(f.Run("transpose"), EditResult::NoTrack);
    EXPECT_TRUE(f.host.opened.empty());
    EXPECT_EQ(f.session.GetSong().modified, 0u);
    EXPECT_EQ(f.session.UndoCopy(), nullptr);
}

TEST(RunTool, ASplitAppendsTracksFromTheCurrentTrackOnlyWithoutUndo) {
    Fixture f;
    f.state.applyToAllTracks = true;
    test::AddNote(f.At(1), B + 50, B + 60, 72);
    test::SortAll(f.At(1));
    f.host.texts = {"C5", "127"};
    ASSERT_EQ(f.Run("key-split"), EditResult::Done);
    ASSERT_EQ(f.session.GetSong().TrackCount(), 5u);
    EXPECT_EQ(Notes(f.At(3)).size(), 1u);
    EXPECT_EQ(Notes(f.At(4)).size(), 3u);
    EXPECT_EQ(f.At(1).EventCount(), 8u) << "the source is unchanged";
    EXPECT_EQ(f.host.tracksAdded, 1);
    EXPECT_EQ(f.session.UndoCopy(), nullptr);
    EXPECT_EQ(f.session.GetSong().modified, 1u);
    ASSERT_EQ(f.Run("reverse"), EditResult::Done);
    EXPECT_EQ(f.host.redrawn, (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));
    EXPECT_NE(f.session.UndoCopy(), nullptr);
}

TEST(InsertTrackFrom, InsertMakesRoomEndingCrossingNotesWhileMergeShiftsNothing) {
    Track source;
    test::AddNote(source, 0, 10, 70);
    source.AddSysexEvent(7 * B, {0xF0, 3, 0xF7});  // 8 beats
    Track dest;
    test::Fill(dest, {{3 * B, 5 * B, 60}, {6 * B, 6 * B + 5, 61}});  // across beat 4
    ASSERT_TRUE(InsertTrackFrom(dest, source, 4, InsertMode::Insert));
    EXPECT_EQ(Notes(dest),
              (NoteList{{3 * B, 767, 60}, {4 * B, 4 * B + 10, 70}, {14 * B, 14 * B + 5, 61}}));
    const test::TimedMessage sysex = test::Events(dest)[4];
    EXPECT_EQ(sysex.first, 11 * B);
    EXPECT_EQ(dest.Sysex().Find(SysexId(sysex.second))->bytes,
              (std::vector<std::uint8_t>{0xF0, 3, 0xF7}));

    Track merged;
    test::Fill(merged, {{3 * B, 5 * B, 60}});
    ASSERT_TRUE(InsertTrackFrom(merged, source, 4, InsertMode::Merge));
    EXPECT_EQ(Notes(merged), (NoteList{{3 * B, 5 * B, 60}, {4 * B, 4 * B + 10, 70}}));

    Track far;  // beyond the destination's end: it grows to reach the beat
    ASSERT_TRUE(InsertTrackFrom(far, source, 2, InsertMode::Insert));
    EXPECT_EQ(Notes(far), (NoteList{{2 * B, 2 * B + 10, 70}}));
}

TEST(InsertFromFile, LoadsTheFileSilentlyAndMergesTheChosenTrackAtTheRangeStart) {
    namespace fs = std::filesystem;
    std::string dir = (fs::temp_directory_path() / "kvs-insff-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    Song file;
    file.InsertTrack();
    file.InsertTrack();
    // An initial scan would take the program change.
    test::Fill(*file.GetTrack(1), {{10, 20, 40}}, {{0, PackMessage(0xC0, 33)}});
    ASSERT_EQ(SaveSongFile(dir + "/in.mid", file, SaveType::Full, {}), kResultOk);

    std::string error;
    const std::vector<std::string> values{dir + "/in.mid", "2", "merge"};
    const auto pass = Tools().Find("insert-from-file")->fromText(values, error);
    fs::remove_all(dir);
    ASSERT_TRUE(pass) << error;
    Song song;
    song.InsertTrack();
    test::Fill(*song.GetTrack(0), {{0, 5, 60}});
    (*pass)(song, 0, {2, 3});
    EXPECT_EQ(Notes(*song.GetTrack(0)), (NoteList{{0, 5, 60}, {2 * B + 10, 2 * B + 20, 40}}));
    EXPECT_EQ(song.GetTrack(0)->EventCount(), 5u);
    EXPECT_EQ(test::Events(*song.GetTrack(0))[2],
              (test::TimedMessage{2 * B, PackMessage(0xC0, 33)}));
}

TEST(InsertFromFileForm, StartsOnTheFirstTrackAndReadsTypedChoices) {
    Song song;
    song.InsertTrack();
    song.InsertTrack();
    InsertFromFileForm form(song);
    for (const char* bad : {"0", "3", "1x", "", "-1"})
        EXPECT_FALSE(form.SetTrackText(bad)) << bad;
    EXPECT_TRUE(form.SetTrackText("2") && form.SetModeText("MERGE"));
    form.Select(5);  // ignored
    EXPECT_TRUE(form.Ok().track == 1u && form.Ok().mode == InsertMode::Merge);
    form.Select(-1);
    EXPECT_EQ(form.Ok().track, 0u) << "nothing selected: the first";
}

}  // namespace
}  // namespace kvs
