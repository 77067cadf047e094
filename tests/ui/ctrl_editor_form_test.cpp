#include "ui/ctrl_editor_form.h"

#include <gtest/gtest.h>

#include <deque>

#include "model/edit_test_support.h"
#include "model/value_message.h"

namespace kvs {
namespace {

using test::Cc;
using test::Events;
using test::TimedMessage;

struct Host : CtrlEditorHost {
    int beeps = 0;
    std::deque<std::int32_t> answers;  // value dialog entries; none cancels
    ValueDialog lastDialog;
    void Beep() override { ++beeps; }
    void StatusChanged() override {}
    bool RunValueDialog(ValueDialog& dialog) override {
        lastDialog = dialog;
        if (answers.empty()) return false;
        dialog.fields[0].value = answers.front();
        answers.pop_front();
        return true;
    }
    void ContextMenu(std::int32_t, std::int32_t) override {}
    void Audition(std::uint32_t, std::uint32_t) override {}
    void EndAudition() override {}
    void Close() override {}
};

class CtrlEditorFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.SetFontMetrics(8, 16);
        view.SetClientSize(40 + 192, 138);
        Track& t = fx.T();
        t.AddEvent(0, Cc(0, 7, 100));
        t.AddEvent(200, Cc(0, 10, 64));
        state.openBeat = 0;
    }
    void Open(std::uint32_t num) {
        state.memo.num = num;
        ASSERT_EQ(form.Open(), EditResult::Done);
    }
    std::vector<TimedMessage> Track0() { return Events(fx.T()); }

    test::EditFixture fx;
    PromptTable prompts;
    CtrlEditorState state;
    CtrlView view;
    Host host;
    CtrlEditorForm form{state, fx.session, fx.link, prompts, view, host};
};

TEST_F(CtrlEditorFormTest, InsertDeleteAndOneUndoRestoresTheTrack) {
    const auto before = Track0();
    Open(7);
    EXPECT_TRUE(state.haveSelection);  // the volume change at the caret
    form.Command(CtrlCommand::Insert);
    EXPECT_EQ(host.beeps, 1);  // Insert only works without a selection
    form.Command(CtrlCommand::Delete);
    EXPECT_FALSE(state.haveSelection);
    view.SetCursor(96, 100);
    form.Command(CtrlCommand::Insert);
    EXPECT_EQ(Track0(), (std::vector<TimedMessage>{{96, Cc(0, 7, 100)}, {200, Cc(0, 10, 64)}}));
    EXPECT_TRUE(state.haveSelection);
    EXPECT_EQ(state.current.value, 100);
    EXPECT_EQ(fx.session.GetSong().modified, 1u);

    ASSERT_EQ(fx.session.Undo(), EditResult::Done);
    EXPECT_EQ(Track0(), before);
}

TEST_F(CtrlEditorFormTest, EditsTheSelectedEventUnlessItWouldShareAPlace) {
    fx.T().AddEvent(96, Cc(1, 7, 50));
    Open(7);
    ASSERT_TRUE(state.haveSelection);
    EXPECT_TRUE(form.Apply(CtrlEditorForm::Start, 96));  // channel 1 is another place
    EXPECT_FALSE(form.Apply(CtrlEditorForm::Chan, 1));
    EXPECT_FALSE(form.Apply(CtrlEditorForm::Val, 128));
    EXPECT_EQ(host.beeps, 2);
    EXPECT_TRUE(form.Apply(CtrlEditorForm::Val, 5));
    EXPECT_EQ(Track0(), (std::vector<TimedMessage>{
                            {96, Cc(0, 7, 5)}, {96, Cc(1, 7, 50)}, {200, Cc(0, 10, 64)}}));

    // Another type: the selected event stays as it was.
    EXPECT_TRUE(form.Apply(CtrlEditorForm::Num, 10));
    EXPECT_EQ(view.Type(), 10u);
    EXPECT_EQ(state.memo.num, 10u);
    EXPECT_FALSE(state.haveSelection);
    EXPECT_EQ(Track0()[0], (TimedMessage{96, Cc(0, 7, 5)}));
}

TEST_F(CtrlEditorFormTest, StepsAdjustTheMemoWithinRange) {
    Open(1);  // nothing of controller 1 to select
    state.parameter = CtrlEditorForm::Start;
    form.Step(CtrlViewNotify::StepDown);  // below 0
    EXPECT_EQ(host.beeps, 1);
    form.Step(CtrlViewNotify::BigStepDown);
    EXPECT_EQ(state.memo.start, 0u);
    form.Step(CtrlViewNotify::StepUp);
    form.Step(CtrlViewNotify::BigStepUp);
    EXPECT_EQ(state.memo.start, 192u);
    EXPECT_EQ(view.Cursor(), 192u);

    form.Command(CtrlCommand::Val);
    form.Step(CtrlViewNotify::BigStepUp);
    EXPECT_EQ(view.CursorValue(), 16);
    form.Command(CtrlCommand::Num);
    form.Step(CtrlViewNotify::BigStepUp);
    EXPECT_EQ(view.Type(), 11u);
    form.Command(CtrlCommand::Chan);
    form.Step(CtrlViewNotify::StepDown);
    EXPECT_EQ(host.beeps, 2);
    EXPECT_EQ(form.StatusTexts()[0], "Start: 1.000");
    EXPECT_EQ(form.StatusTexts()[4], "Ins");
}

TEST_F(CtrlEditorFormTest, DialogsAndKeyMap) {
    Open(1);
    EXPECT_EQ(form.Mnemonics().size(), 9u);
    std::string letters;
    for (const auto& [letter, command] : form.Mnemonics())
        letters += letter;
    EXPECT_EQ(letters, "SCNVIDEMP");

    form.Command(CtrlCommand::Chan);
    host.answers = {16};
    form.Command(CtrlCommand::Edit);
    EXPECT_EQ(host.lastDialog.fields[0].min, 1);
    EXPECT_EQ(host.lastDialog.fields[0].max, 16);
    EXPECT_EQ(state.memo.channel, 15u);
    EXPECT_EQ(form.StatusTexts()[1], "Chan: 16");

    host.answers = {24};
    form.Command(CtrlCommand::Snap);
    EXPECT_EQ(view.Snap(), 24u);
    form.Command(CtrlCommand::Snap);  // cancelled
    EXPECT_EQ(state.snap, 24u);
}

TEST_F(CtrlEditorFormTest, OneTempoPerTick) {
    fx.T().AddEvent(96, (120u << 8) | EVT_TEMPO);
    fx.T().AddEvent(0, (100u << 8) | EVT_TEMPO);
    fx.T().Bucket(0)->Sort();
    Open(kValueTempo);
    ASSERT_TRUE(state.haveSelection);
    EXPECT_FALSE(form.Apply(CtrlEditorForm::Start, 96));
    EXPECT_TRUE(form.Apply(CtrlEditorForm::Val, 480));
    EXPECT_EQ(Track0()[0], (TimedMessage{0, (480u << 8) | EVT_TEMPO}));
}

}  // namespace
}  // namespace kvs
