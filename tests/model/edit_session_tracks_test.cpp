#include <gtest/gtest.h>

#include "edit_test_support.h"

namespace kvs {
namespace {

using test::Cc;
using test::EditFixture;

void Name(EditFixture& f, std::uint32_t track, const char* name) {
    f.T(track).properties.name.Set(name);
}

std::string Names(EditFixture& f) {
    std::string out;
    for (std::uint32_t i = 0; i < f.session.GetSong().TrackCount(); ++i)
        out += std::string(f.T(i).properties.name.View()) + " ";
    return out;
}

TEST(EditTracks, DeletingTheLastTrackMovesTheCurrentTrackUpAndTheSoloMarkFollowsItsTrack) {
    EditFixture f(4);
    for (std::uint32_t i = 0; i < 4; ++i)
        Name(f, i, std::string(1, static_cast<char>('a' + i)).c_str());
    f.session.SetCurrentTrack(3);
    ASSERT_EQ(f.session.Solo(), EditResult::Done);
    f.session.SetCurrentTrack(2);
    ASSERT_EQ(f.session.SaveUndo(), EditResult::Done);

    f.session.SetCurrentTrack(1);
    ASSERT_EQ(f.session.DeleteTrack(), EditResult::Done);
    EXPECT_EQ(Names(f), "a c d ");
    EXPECT_EQ(f.session.CurrentTrack(), 1);
    EXPECT_EQ(f.session.SoloTrack(), 2) << "still track d";
    EXPECT_EQ(f.link.solos.back(), 2);
    EXPECT_EQ(f.session.UndoCopy(), nullptr) << "its index would now name track d";

    f.session.SetCurrentTrack(2);
    ASSERT_EQ(f.session.DeleteTrack(), EditResult::Done);
    EXPECT_EQ(f.session.CurrentTrack(), 1);
    EXPECT_EQ(f.session.SoloTrack(), -1);
    ASSERT_EQ(f.session.DeleteTrack(), EditResult::Done);
    ASSERT_EQ(f.session.DeleteTrack(), EditResult::Done);
    EXPECT_EQ(f.session.CurrentTrack(), -1);
    EXPECT_EQ(f.session.DeleteTrack(), EditResult::NoTrack);
    EXPECT_EQ(f.link.thruOffs, 4);
}

TEST(EditTracks, InsertAppendsOnTheDefaultPortAndRestructuringDropsTheUndoCopy) {
    EditFixture f(2);
    f.session.SetDefaultPort(3);
    ASSERT_EQ(f.session.SaveUndo(), EditResult::Done);
    ASSERT_EQ(f.session.InsertTrack(), EditResult::Done);
    EXPECT_EQ(f.session.CurrentTrack(), 2);
    EXPECT_EQ(f.T(2).properties.port, 3u);
    EXPECT_EQ(f.session.UndoCopy(), nullptr);
    EXPECT_EQ(f.session.GetSong().modified, 1u);

    f.session.SetCurrentTrack(0);
    ASSERT_EQ(f.session.SaveUndo(), EditResult::Done);
    ASSERT_EQ(f.session.SortTracks(), EditResult::Done);
    EXPECT_EQ(f.session.UndoCopy(), nullptr);

    ASSERT_EQ(f.session.SaveUndo(), EditResult::Done);
    ASSERT_EQ(f.session.MoveTrack(3), EditResult::Done);
    EXPECT_EQ(f.session.UndoCopy(), nullptr);

    f.link.idle = false;
    EXPECT_EQ(f.session.InsertTrack(), EditResult::EngineBusy);
    EXPECT_EQ(f.session.SortTracks(), EditResult::EngineBusy);
    EXPECT_EQ(f.session.GetSong().TrackCount(), 3u);
}

TEST(EditTracks, MoveAsksForAPositionAndSortClearsTheSolo) {
    EditFixture f(3);
    for (std::uint32_t i = 0; i < 3; ++i)
        Name(f, i, std::string(1, static_cast<char>('x' + i)).c_str());
    f.T(0).properties.port = 1;
    ASSERT_EQ(f.session.Solo(), EditResult::Done);
    ASSERT_EQ(f.session.SortTracks(), EditResult::Done);
    EXPECT_EQ(Names(f), "y z x ");
    EXPECT_EQ(f.session.SoloTrack(), -1);

    f.session.SetCurrentTrack(0);
    EXPECT_EQ(f.session.MoveTrack(), EditResult::Cancelled);
    EXPECT_EQ(f.ask.asked.back(), "trk_move_title 1..3 @1");
    f.ask.numbers = {3};
    ASSERT_EQ(f.session.MoveTrack(), EditResult::Done);
    EXPECT_EQ(Names(f), "z x y ");
    EXPECT_EQ(f.session.CurrentTrack(), 2);
    EXPECT_EQ(f.session.MoveTrack(4), EditResult::BadValue);
    EXPECT_EQ(f.session.MoveTrack(0), EditResult::BadValue);
}

TEST(EditTracks, MuteSoloAndUnmuteAllReleaseTheTracksThatFallSilent) {
    EditFixture f(4);
    f.session.SetCurrentTrack(1);
    ASSERT_EQ(f.session.Mute(), EditResult::Done);
    EXPECT_EQ(f.T(1).properties.muted, 1u);
    EXPECT_EQ(f.link.released, std::vector<std::uint32_t>{1});
    ASSERT_EQ(f.session.Mute(), EditResult::Done);  // unmuting releases nothing
    EXPECT_EQ(f.link.released.size(), 1u);
    ASSERT_EQ(f.session.Mute(), EditResult::Done);

    // Soloing a muted track plays only that track.
    f.link.released.clear();
    ASSERT_EQ(f.session.Solo(), EditResult::Done);
    EXPECT_EQ(f.session.SoloTrack(), 1);
    EXPECT_EQ(f.link.released, (std::vector<std::uint32_t>{0, 2, 3}));

    // Solo again from another track clears it; the former solo track is muted.
    f.link.released.clear();
    f.session.SetCurrentTrack(3);
    ASSERT_EQ(f.session.Solo(), EditResult::Done);
    EXPECT_EQ(f.session.SoloTrack(), -1);
    EXPECT_EQ(f.link.released, std::vector<std::uint32_t>{1});
    EXPECT_EQ(f.link.solos, (std::vector<std::int32_t>{1, -1}));

    ASSERT_EQ(f.session.Solo(), EditResult::Done);
    ASSERT_EQ(f.session.UnmuteAll(), EditResult::Done);
    EXPECT_EQ(f.session.SoloTrack(), -1);
    EXPECT_EQ(f.T(1).properties.muted, 0u);
}

TEST(EditMarkers, MarkersFollowTheCaretAndSelectMarkedFallsBackToTheTrack) {
    EditFixture f;
    f.T().AddEvent(9 * TICKS_PER_BEAT, Cc(0, 1, 1));
    f.session.SelectMarked();
    EXPECT_EQ(f.selection.Anchor(), 0u);
    EXPECT_EQ(f.selection.Caret(), 10u);

    f.Select(2, 6);
    ASSERT_EQ(f.session.SetMarker(kMarkerLeft), EditResult::Done);
    ASSERT_EQ(f.session.SetMarker(kFirstMark + 4), EditResult::Done);
    EXPECT_EQ(f.session.GetSong().markers[kMarkerLeft], 6u);
    EXPECT_EQ(f.session.GetSong().modified, 1u);
    f.session.SelectMarked();
    EXPECT_EQ(f.selection.Anchor(), 6u);
    EXPECT_EQ(f.selection.Caret(), 10u);

    EXPECT_EQ(f.session.GoToMarker(kMarkerRight), EditResult::NotFound);
    EXPECT_EQ(f.selection.Caret(), 10u);
    EXPECT_EQ(f.session.SetMarker(kMarkerCount), EditResult::BadValue);

    EXPECT_EQ(f.session.ClearAllMarkers(), EditResult::Cancelled);
    EXPECT_EQ(f.session.GetSong().markers[kMarkerLeft], 6u);
    f.ask.confirm = true;
    ASSERT_EQ(f.session.ClearAllMarkers(), EditResult::Done);
    EXPECT_EQ(f.session.GetSong().markers[kMarkerLeft], kUnsetMarker);
}

TEST(EditSong, NewSongStopsTheEngineAndForgetsTheOldSongsState) {
    EditFixture f(3);
    f.session.SetSongPath("/tmp/x.mid");
    f.session.SetCurrentTrack(2);
    ASSERT_EQ(f.session.Solo(), EditResult::Done);
    ASSERT_EQ(f.session.SaveUndo(), EditResult::Done);
    f.Select(0, 1);
    f.T(2).AddEvent(0, Cc(0, 1, 1));
    ASSERT_EQ(f.session.Copy(), EditResult::Done);
    f.link.idle = false;

    f.session.NewSong();  // the engine side is checked with the real engine
    EXPECT_EQ(f.link.song, &f.session.GetSong());
    EXPECT_EQ(f.session.CurrentTrack(), -1);
    EXPECT_EQ(f.session.SoloTrack(), -1);
    EXPECT_EQ(f.link.solos.back(), -1);
    EXPECT_EQ(f.session.UndoCopy(), nullptr);
    EXPECT_TRUE(f.session.SongPath().empty());
    EXPECT_EQ(f.session.ClipboardLength(), 1u) << "the clipboard outlives the song";
}

}  // namespace
}  // namespace kvs
