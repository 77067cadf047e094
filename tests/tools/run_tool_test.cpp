#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/edit_session.h"
#include "tool_test_support.h"
#include "tools/run_tool.h"

namespace kvs {
namespace {

using test::AddNote;
using test::B;

// Answers the value dialog with the given texts, as a user typing them.
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

class BusyLink : public NullEngineLink {
  public:
    bool Idle() const override { return false; }
};

struct Fixture {
    NullEngineLink engine;
    PlainBeatSelection selection;
    NoAsk ask;
    EditSession session{engine, selection, ask};
    ToolState state;
    ScriptedHost host;

    // Tracks of 2, 3 and 4 beats, one note in each beat.
    Fixture() {
        for (std::uint32_t t = 0; t < 3; ++t) {
            session.GetSong().InsertTrack();
            Track& track = *session.GetSong().GetTrack(t);
            for (std::uint32_t beat = 0; beat < t + 2; ++beat)
                AddNote(track, beat * B, beat * B + 10, 60);
            test::SortAll(track);
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
    const Tool& tool = *Tools().Find("transpose");
    ASSERT_EQ(ApplyTool(f.session, f.engine, true, tool, record, &f.host), EditResult::Done);
    EXPECT_EQ(visits, (std::vector<Visit>{{1, {0, 3}}, {2, {0, 4}}}));
    EXPECT_EQ(f.host.redrawn, std::vector<std::uint32_t>{2});
    EXPECT_EQ(f.session.GetSong().modified, 1u);

    visits.clear();
    f.selection.Select(8, 4);
    ApplyTool(f.session, f.engine, true, tool, record, &f.host);
    EXPECT_EQ(visits, (std::vector<Visit>{{1, {4, 8}}, {2, {4, 8}}}));

    visits.clear();
    ApplyTool(f.session, f.engine, true, *Tools().Find("key-split"), record, &f.host);
    EXPECT_EQ(visits, (std::vector<Visit>{{1, {4, 8}}})) << "a current-track-only tool";

    visits.clear();
    ApplyTool(f.session, f.engine, false, *Tools().Find("clean-up"), record, &f.host);
    EXPECT_EQ(visits, (std::vector<Visit>{{1, {0, 3}}})) << "clean up ignores the selection";
}

TEST(RunTool, UndoAfterATransposeOfAllTracksRestoresTheCurrentTrackOnly) {
    Fixture f;
    f.state.applyToAllTracks = true;
    f.host.texts = {"12"};
    ASSERT_EQ(f.Run("transpose"), EditResult::Done);
    for (std::uint32_t t = 0; t < 3; ++t)
        EXPECT_EQ(test::Notes(f.At(t))[0].key, 72) << t;
    ASSERT_EQ(f.session.Undo(), EditResult::Done);
    EXPECT_EQ(test::Notes(f.At(0))[0].key, 72);
    EXPECT_EQ(test::Notes(f.At(1))[0].key, 60);
    EXPECT_EQ(test::Notes(f.At(2))[0].key, 72);
}

TEST(RunTool, OpensWithTheInitialValuesAndChangesNothingOnCancelOrRefusal) {
    Fixture f;
    f.host.texts = {"8", "100", "50"};
    ASSERT_EQ(f.Run("quantise"), EditResult::Done);
    f.host.cancel = true;
    EXPECT_EQ(f.Run("quantise"), EditResult::Cancelled);
    ASSERT_EQ(f.host.opened.size(), 2u);
    const ValueDialog& d = f.host.opened[1];
    EXPECT_EQ(d.title.text, "Quantise");
    ASSERT_EQ(d.count, 3u);
    EXPECT_EQ(d.fields[0].value, 4) << "nothing kept from the last use";
    EXPECT_EQ(d.fields[2].min, -100);
    EXPECT_EQ(d.fields[2].label.key, "tools_quant_swing");

    f.session.GetSong().modified = 0;
    f.session.DiscardUndo();
    f.host.cancel = false;
    f.host.texts = {"1000"};  // out of range: the dialog would stay open
    EXPECT_EQ(f.Run("transpose"), EditResult::Cancelled);
    EXPECT_EQ(f.Run("progression"), EditResult::Cancelled) << "a host without the dialog";
    BusyLink busy;
    f.host.opened.clear();
    EXPECT_EQ(RunTool(f.session, busy, f.state, *Tools().Find("transpose"), f.host),
              EditResult::EngineBusy);
    f.session.SetCurrentTrack(-1);
    EXPECT_EQ(f.Run("transpose"), EditResult::NoTrack);
    EXPECT_TRUE(f.host.opened.empty());
    EXPECT_EQ(f.session.GetSong().modified, 0u);
    EXPECT_EQ(f.session.UndoCopy(), nullptr);
}

TEST(RunTool, CleanUpRunsWithoutADialogOverWholeTracksDespiteASelection) {
    Fixture f;
    Track& track = f.At(1);
    track.AddEvent(2 * B + 20, test::Off(0, 61));  // stray
    test::SortAll(track);
    f.selection.Select(0, 1);
    ASSERT_EQ(f.Run("clean-up"), EditResult::Done);
    EXPECT_TRUE(f.host.opened.empty());
    EXPECT_EQ(f.At(1).EventCount(), 6u);
    EXPECT_EQ(f.host.redrawn, std::vector<std::uint32_t>{1});
    ASSERT_NE(f.session.UndoCopy(), nullptr);
    EXPECT_EQ(f.session.UndoCopy()->EventCount(), 7u);
}

TEST(RunTool, ASplitAppendsTracksFromTheCurrentTrackOnlyWithoutUndo) {
    Fixture f;
    f.state.applyToAllTracks = true;
    f.At(1).AddEvent(B + 50, test::On(0, 72));
    f.At(1).AddEvent(B + 60, test::Off(0, 72));
    test::SortAll(f.At(1));
    f.host.texts = {"C5", "127"};
    ASSERT_EQ(f.Run("key-split"), EditResult::Done);
    ASSERT_EQ(f.session.GetSong().TrackCount(), 5u);
    EXPECT_EQ(test::Notes(f.At(3)).size(), 1u);
    EXPECT_EQ(test::Notes(f.At(4)).size(), 3u);
    EXPECT_EQ(f.At(1).EventCount(), 8u) << "the source is unchanged";
    EXPECT_EQ(f.host.tracksAdded, 1);
    EXPECT_TRUE(f.host.redrawn.empty());
    EXPECT_EQ(f.session.UndoCopy(), nullptr);
    EXPECT_EQ(f.session.GetSong().modified, 1u);

    ASSERT_EQ(f.Run("reverse"), EditResult::Done);
    EXPECT_EQ(f.host.redrawn, (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));
    EXPECT_NE(f.session.UndoCopy(), nullptr);
}

TEST(ToolTable, HoldsEveryToolInMenuOrderWithItsFieldsAndHelpIds) {
    const auto all = Tools().All();
    ASSERT_EQ(all.size(), 25u);
    EXPECT_EQ(all[0].name, "transpose");
    EXPECT_EQ(all[11].name, "clean-up");
    EXPECT_EQ(all[24].name, "note-transform");
    EXPECT_EQ(Tools().FindMenu("menu_tools_more_revrs")->name, "reverse");

    std::vector<std::uint32_t> ids;
    for (const Tool& t : all)
        for (std::uint32_t i = 0; i < t.fieldCount; ++i)
            ids.push_back(t.fields[i].helpId);
    ASSERT_EQ(ids.size(), 32u);
    EXPECT_EQ(ids.front(), 10040u);
    EXPECT_EQ(ids.back(), 10070u);
    EXPECT_EQ(Tools().Find("set-channel")->fields[0].helpId, 10000u);

    const Tool& length = *Tools().Find("set-length");
    EXPECT_EQ(length.dialogTemplate, "Val2EditBox");
    EXPECT_EQ(length.fields[1].kind, FieldKind::Duration);
    EXPECT_EQ(length.fields[1].min, -192000);
    EXPECT_EQ(length.title.text, "Set Note Length");
    const Tool& split = *Tools().Find("key-split");
    EXPECT_FALSE(split.allTracks);
    EXPECT_FALSE(split.undo);
    EXPECT_EQ(split.fields[1].kind, FieldKind::NoteName);
    EXPECT_EQ(split.fields[1].initial, 127);

    std::vector<std::string_view> built;
    for (const Tool& t : all)
        if (t.Available()) built.push_back(t.name);
    EXPECT_EQ(built, (std::vector<std::string_view>{"transpose",
                                                    "change-velocity",
                                                    "time-glide",
                                                    "time-expand",
                                                    "quantise",
                                                    "quantise-length",
                                                    "humanise",
                                                    "set-length",
                                                    "legato",
                                                    "progression",
                                                    "insert-from-file",
                                                    "clean-up",
                                                    "set-channel",
                                                    "channel-split",
                                                    "key-split",
                                                    "velocity-split",
                                                    "length-split",
                                                    "note-replace",
                                                    "velocity-crescendo",
                                                    "controller-renumber",
                                                    "change-controllers",
                                                    "reverse",
                                                    "delete-notes",
                                                    "delete-controllers",
                                                    "note-transform"}));
}

}  // namespace
}  // namespace kvs
