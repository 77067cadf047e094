#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>

#include "model/find_form.h"
#include "model/goto_form.h"
#include "model/marker_list_form.h"
#include "model/song.h"
#include "track_fixture.h"

namespace kvs {
namespace {

TEST(GotoForm, BarAndTimeGoToTheNearestBeatAndTextsTheUnitCannotReadAreRefused) {
    Song song;  // 120 bpm, 4/4: a beat is 500 ms
    song.tempo = 120;
    song.InsertTrack();
    GotoForm form(song, 0, DisplayUnit::Time);
    using U = DisplayUnit;
    // 0:04.740 is 9.48 beats, 0:04.760 9.52; exactly half a beat rounds up.
    const std::tuple<DisplayUnit, const char*, std::optional<std::uint32_t>> cases[] = {
        {U::Time, "0:04.740", 9}, {U::Time, "0:04.760", 10}, {U::Time, "4.75", 10},
        {U::Bar, "3:2", 9},       {U::Bar, ":3", 2},         {U::Position, "  42rest", 42},
        {U::Position, "", {}},    {U::Position, "-3", {}},   {U::Bar, "0:1", {}},
        {U::Bar, "1:0", {}},      {U::Time, "60", {}},       {U::Time, "1:60", {}}};
    for (const auto& [unit, text, beat] : cases) {
        form.SetUnit(unit);
        form.SetText(text);
        EXPECT_EQ(form.Ok(), beat) << text;
    }
    form.SetText("1234567890123");  // the field keeps nine characters
    EXPECT_EQ(form.Text(), "123456789");

    // In 6/8 a beat of the signature is half a stored beat: bar 1 beat 2
    // is tick 96, which rounds to beat 1.
    song.timeSigNumerator = 6;
    song.timeSigDenominatorExp = 3;
    form.SetUnit(U::Bar);
    form.SetText("1:2");
    EXPECT_EQ(form.Ok(), 1u);
}

TEST(FindForm, OkBuildsTheSearchValueOrRefusesTheNumber) {
    FindForm form({0, kFindForward});
    form.SetNumberText("d#4");
    EXPECT_EQ(form.Ok()->value, 0x90u | 63u << 8);
    form.SetNumberText("127");
    EXPECT_EQ(form.Ok()->value, 0x90u | 127u << 8);
    for (const char* text : {"128", "-1", "", "C#"}) {
        form.SetNumberText(text);
        EXPECT_FALSE(form.Ok()) << text;
    }

    form.SetKind(2);  // Ctrl chng reads a plain number only
    form.SetNumberText("C4");
    EXPECT_FALSE(form.Ok());
    form.SetNumberText("64");
    form.SetBackward(true);
    const auto ctrl = form.Ok();
    ASSERT_TRUE(ctrl);
    EXPECT_EQ(ctrl->value, 0xB0u | 64u << 8);
    EXPECT_EQ(ctrl->direction, kFindBackward);

    form.SetKind(8);  // SysEx ignores whatever the disabled field holds
    form.SetNumberText("zz");
    EXPECT_EQ(form.Ok()->value, 0xF0u | kFindAnyData << 8);
}

TEST(MarkerListForm, ShowsAllSlotsAndCarriesOutEachUse) {
    Song song;
    song.SetMarker(kMarkerLeft, 4);
    song.SetMarker(kFirstMark + 19, 120);
    song.modified = 0;
    BuiltinPrompts texts;

    MarkerListForm set(song, MarkerListUse::Set, texts);
    ASSERT_EQ(set.Rows().size(), 22u);
    EXPECT_EQ(set.Rows()[0], "Left:\t4");
    EXPECT_EQ(set.Rows()[1], "Right:\tUnset");
    EXPECT_EQ(set.Rows()[21], "19:\t120");
    set.Select(3);
    EXPECT_FALSE(set.Ok(song, 33));
    EXPECT_EQ(song.markers[3], 33u);
    EXPECT_EQ(song.modified, 1u);

    MarkerListForm go(song, MarkerListUse::Goto, texts);
    go.Select(3);
    EXPECT_EQ(go.Ok(song, 0), 33u);
    go.Select(1);  // unset: nowhere to go
    EXPECT_FALSE(go.Ok(song, 0));

    MarkerListForm clear(song, MarkerListUse::Clear, texts);
    clear.Select(21);
    clear.Ok(song, 0);
    EXPECT_EQ(song.markers[21], kUnsetMarker);
}

}  // namespace
}  // namespace kvs
