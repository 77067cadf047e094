// Ctrl+J and the event list command as the program runs them, with the
// editors' windows played by the test.
#include <gtest/gtest.h>

#include <algorithm>

#include "app_test_support.h"
#include "ui/commands.h"
#include "ui/ctrl_editor_session.h"
#include "ui/event_list_session.h"

namespace kvs {
namespace {

// What a test window does to a form: nothing shown, every request refused.
class QuietCtrlFace final : public CtrlEditorFace {
  public:
    void Beep() override { ++beeps; }
    void StatusChanged() override {}
    bool RunValueDialog(ValueDialog&) override { return false; }
    void ContextMenu(std::int32_t, std::int32_t) override {}
    void Close() override {}
    int beeps = 0;
};

TEST(ApplicationEditorsTest, ControlEditorEditsTheCurrentTrackAtTheCaretAndSoundsTheEvent) {
    test::AppFixture f;
    f.Open(f.WriteSong("two.mid", 2, 8));
    f.app->SelectTrackFromList(1);
    f.app->View().Select(4, 4);
    const std::uint64_t before = f.app->GetSong().GetTrack(1)->EventCount();
    QuietCtrlFace face;
    f.host.ctrlEditor = [&](CtrlEditorSession& editor) {
        editor.SetFace(&face);
        EXPECT_EQ(editor.Form().Open(), EditResult::Done);
        EXPECT_EQ(editor.View().TrackIndex(), 1u);
        EXPECT_EQ(editor.View().Cursor(), 4u * 192);
        // Controller 0 where the caret is; coming back onto it sounds it.
        editor.Form().Command(CtrlCommand::Insert);
        editor.View().KeyDown(CtrlViewKey::Right, false, false, false);
        editor.View().KeyDown(CtrlViewKey::Left, false, false, false);
        editor.SetFace(nullptr);
        return true;
    };
    f.app->Execute(cmd::EditControllers);
    EXPECT_EQ(face.beeps, 0);
    const Track& after = *f.app->GetSong().GetTrack(1);
    ASSERT_EQ(after.EventCount(), before + 1);
    EXPECT_NE(f.app->GetSong().modified, 0u);
    // The track's own channel sounds it.
    const std::vector<std::uint32_t> sent = f.Shorts();
    EXPECT_NE(std::find(sent.begin(), sent.end(), 0x00B1u), sent.end());

    f.app->Execute(cmd::EditUndo);
    EXPECT_EQ(f.app->GetSong().GetTrack(1)->EventCount(), before);
}

// The editors raise the flag for any change; a look that changes nothing
// must leave the flag of earlier edits standing, and not raise it.
TEST(ApplicationEditorsTest, OpeningWithoutChangeKeepsTheModifiedFlag) {
    test::AppFixture f;
    f.Open(f.WriteSong("one.mid", 1, 4));
    f.app->SelectTrackFromList(0);
    int opened = 0;
    f.host.eventList = [&](EventListSession& list) {
        EXPECT_EQ(list.Model().Open(list.OpenBeat()), EditResult::Done);
        EXPECT_EQ(list.Model().Beat(), 2u);
        ++opened;
        return true;
    };
    f.app->View().Select(2, 2);
    f.app->Execute(cmd::EditEvents);
    EXPECT_EQ(f.app->GetSong().modified, 0u);
    f.app->Session().GetSong().modified = 1;
    f.app->Execute(cmd::EditEvents);
    EXPECT_EQ(f.app->GetSong().modified, 1u);
    EXPECT_EQ(opened, 2);
}

}  // namespace
}  // namespace kvs
