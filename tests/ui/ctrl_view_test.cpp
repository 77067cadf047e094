#include "ui/ctrl_view.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/song.h"
#include "model/value_message.h"

namespace kvs {
namespace {

struct Recorder : CtrlViewListener {
    std::vector<CtrlViewNotify> notes;
    std::vector<CtrlCommand> commands;
    std::vector<std::uint32_t> auditions;
    void OnCtrlViewNotify(CtrlViewNotify code) override { notes.push_back(code); }
    void OnCtrlViewCommand(CtrlCommand command) override { commands.push_back(command); }
    void OnCtrlViewContextMenu(std::int32_t, std::int32_t) override {}
    void Audition(std::uint32_t message, std::uint32_t) override { auditions.push_back(message); }
    void EndAudition() override {}
};

class CtrlViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        song.InsertTrack();
        track = song.GetTrack(0);
        track->EnsureBeats(16);
        view.SetListener(&listener);
        view.SetFontMetrics(8, 16);         // margin 40
        view.SetClientSize(40 + 192, 138);  // width 192, usable height 128
        view.SetSong(&song);
        view.SetTrack(0);
        view.SetZoom(1);
        view.SetSnap(48);
    }
    void Add(Tick tick, std::uint32_t message) {
        track->AddEvent(tick, message);
        track->Bucket(tick / 192)->Sort();
    }
    Tick Key(CtrlViewKey key, bool ctrl = false, bool alt = false) {
        view.KeyDown(key, false, ctrl, alt);
        return view.Cursor();
    }

    Song song;
    Track* track = nullptr;
    CtrlView view;
    Recorder listener;
};

TEST_F(CtrlViewTest, ShowsOnlyTheTypeInTheWindowWithItsRange) {
    Add(10, PackMessage(0xB0, 7, 100));
    Add(20, PackMessage(0xB3, 7, 50));  // other channel, same controller
    Add(30, PackMessage(0xB0, 10, 64));
    Add(40, PackMessage(0xE0, 0, 64));  // centred bend
    Add(200, PackMessage(0xB0, 7, 1));  // next beat: outside a one-beat window
    view.Refresh(false);
    EXPECT_TRUE(view.Events().empty());  // controller 0

    ASSERT_TRUE(view.SetType(7));
    EXPECT_EQ(view.Events().size(), 2u);
    EXPECT_EQ(view.Blocks().size(), 2u);

    ASSERT_TRUE(view.SetType(kValuePitchBend));
    EXPECT_EQ(view.MinValue(), -8192);
    EXPECT_EQ(view.MaxValue(), 8191);
    EXPECT_EQ(view.CursorValue(), 0);
    ASSERT_EQ(view.Events().size(), 1u);
    EXPECT_EQ(view.Blocks()[0].rect.y, view.YOfValue(0));

    ASSERT_TRUE(view.SetType(kValueTempo));
    EXPECT_EQ(view.MinValue(), 10);
    EXPECT_EQ(view.CursorValue(), 100);
    EXPECT_FALSE(view.SetType(132));
    EXPECT_EQ(view.Type(), kValueTempo);
}

TEST_F(CtrlViewTest, KeysAndMouseMoveTheCaret) {
    view.SetCursor(100, 5);
    EXPECT_EQ(Key(CtrlViewKey::Right), 144u);
    view.SetCursor(100, 5);
    EXPECT_EQ(Key(CtrlViewKey::Left), 48u);
    Key(CtrlViewKey::Down, true);
    EXPECT_EQ(view.CursorValue(), 0);  // 5 - 7, clamped
    view.SetType(kValueTempo);
    view.SetCursor(0, 20);
    Key(CtrlViewKey::Down, true);
    EXPECT_EQ(view.CursorValue(), 10);
    Key(CtrlViewKey::Up, true);
    EXPECT_EQ(view.CursorValue(), 39);

    // Ctrl+Right pages the window to the next beat.
    EXPECT_EQ(Key(CtrlViewKey::Right, true), 192u);
    EXPECT_EQ(view.FirstTick(), 192u);
    EXPECT_EQ(Key(CtrlViewKey::End), 192u + 144u);
    EXPECT_EQ(Key(CtrlViewKey::End, true), 16u * 192u);

    view.SetCursor(0, 0);
    view.MouseDown(40 + 64, 0);  // a third across snaps to 48; the top is max
    EXPECT_EQ(view.Cursor(), 48u);
    EXPECT_EQ(view.CursorValue(), 480);
    view.MouseDown(40, 137);
    EXPECT_EQ(view.CursorValue(), 10);
    view.MouseDown(10, 50);  // in the label margin: nothing moves
    EXPECT_EQ(view.CursorValue(), 10);
}

TEST_F(CtrlViewTest, NextAndPreviousEventSelectAndAudition) {
    track->properties.channel = 5;
    view.SetType(7);
    Add(0, PackMessage(0xB0, 7, 10));
    Add(96, PackMessage(0xB0, 7, 20));
    Add(96, PackMessage(0xB1, 7, 30));
    Add(500, PackMessage(0xB0, 7, 40));
    view.SetCursor(48, 0);
    view.Refresh(false);
    EXPECT_FALSE(view.Selected().Found());

    // The next event lies in the caret's own beat.
    view.KeyDown(CtrlViewKey::Right, false, false, true);
    EXPECT_EQ(view.Cursor(), 96u);
    EXPECT_EQ(view.CursorValue(), 20);
    EXPECT_EQ(view.Selected(), (EventPos{0, 1}));
    ASSERT_FALSE(listener.auditions.empty());
    EXPECT_EQ(listener.auditions.back(), PackMessage(0xB5, 7, 20));  // the track's channel

    // The second event at the same tick is next, then one in a later page.
    view.KeyDown(CtrlViewKey::Right, false, false, true);
    EXPECT_EQ(view.Selected(), (EventPos{0, 2}));
    view.KeyDown(CtrlViewKey::Right, false, false, true);
    EXPECT_EQ(view.Cursor(), 500u);
    EXPECT_EQ(view.FirstTick(), 384u);
    view.KeyDown(CtrlViewKey::Right, false, false, true);
    EXPECT_EQ(view.Cursor(), 500u);

    view.KeyDown(CtrlViewKey::Left, false, false, true);
    EXPECT_EQ(view.Cursor(), 96u);
    EXPECT_EQ(view.Selected(), (EventPos{0, 1}));  // the first at that tick
    view.KeyDown(CtrlViewKey::Left, false, false, true);
    EXPECT_EQ(view.Cursor(), 0u);
}

TEST_F(CtrlViewTest, PaintsBlocksCutAtTheEdgeAndSelectedLast) {
    view.SetType(7);
    Add(0, PackMessage(0xB0, 7, 127));
    Add(190, PackMessage(0xB0, 7, 0));
    view.SetCursor(0, 0);
    view.Refresh(false);
    const auto blocks = view.Blocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].rect, (CellRect{40 + 190, 130, 2, 7}));  // 6 wide, cut at the right edge
    EXPECT_TRUE(blocks[1].selected);
    EXPECT_EQ(blocks[1].rect, (CellRect{40, 2, 6, 7}));
    EXPECT_EQ(view.GuideY(1), 69);
    EXPECT_EQ(view.MinLabelY(), 138 - 5 - 16);
}

TEST_F(CtrlViewTest, TempoIsNeverSentToADevice) {
    Add(0, (120u << 8) | EVT_TEMPO);
    view.SetType(kValueTempo);
    view.SetCursor(0, 0, true);
    EXPECT_TRUE(view.Selected().Found());
    EXPECT_TRUE(listener.auditions.empty());
}

TEST_F(CtrlViewTest, KeysPostCommandsAndMnemonics) {
    view.SetMnemonics({{'V', CtrlCommand::Val}});
    view.KeyDown(CtrlViewKey::Insert, false, false, false);
    view.KeyDown(CtrlViewKey::Enter, false, false, false);
    view.KeyDown(CtrlViewKey::F4, false, false, false);  // only Alt+F4 closes
    view.KeyDown(CtrlViewKey::F4, false, false, true);
    EXPECT_TRUE(view.LetterKey('v'));
    EXPECT_FALSE(view.LetterKey('x'));
    EXPECT_EQ(listener.commands, (std::vector<CtrlCommand>{CtrlCommand::Insert, CtrlCommand::Edit,
                                                           CtrlCommand::Close, CtrlCommand::Val}));
}

}  // namespace
}  // namespace kvs
