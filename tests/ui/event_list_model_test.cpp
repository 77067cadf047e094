#include "ui/event_list_model.h"

#include <gtest/gtest.h>

#include <deque>

#include "model/edit_test_support.h"
#include "model/value_message.h"

namespace kvs {
namespace {

using test::Cc;
using test::Events;
using test::Off;
using test::On;
using test::TimedMessage;

struct Host : EventListHost {
    std::deque<std::int32_t> answers;  // dialog entries and list choices; none cancels
    int sysexEdits = 0;
    std::vector<std::uint32_t> auditions;
    bool RunValueDialog(ValueDialog& dialog) override {
        if (answers.empty()) return false;
        dialog.fields[0].value = answers.front();
        answers.pop_front();
        return true;
    }
    std::optional<std::uint32_t> ChooseFromList(PromptText, PromptText,
                                                const std::vector<std::string>&,
                                                std::uint32_t) override {
        if (answers.empty()) return std::nullopt;
        const auto v = static_cast<std::uint32_t>(answers.front());
        answers.pop_front();
        return v;
    }
    bool EditSysex(Track&, std::uint32_t, std::uint32_t) override { return ++sysexEdits > 0; }
    void Audition(std::uint32_t on, std::uint32_t, std::uint32_t, std::uint32_t ticks) override {
        auditions.push_back(on);
        auditions.push_back(ticks);
    }
    void EndAudition() override {}
    void RowsChanged() override {}
    void Close() override {}
};

class EventListTest : public ::testing::Test {
  protected:
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& row : list.Rows())
            out.push_back(row.text);
        return out;
    }
    test::EditFixture fx;
    PromptTable prompts;
    Host host;
    EventListModel list{fx.session, fx.link, prompts, host};
};

TEST_F(EventListTest, RowsFoldNoteOffsAndNameTheEvents) {
    Track& t = fx.T();
    t.AddEvent(0, On(0, 60, 100));
    t.AddEvent(10, PackMessage(0xC2, 5));
    t.AddEvent(20, Cc(0, 39, 1));  // the LSB of volume shares its name
    t.AddEvent(30, Cc(0, 3, 1));
    t.AddEvent(95, Off(0, 60));
    std::vector<std::uint8_t> bytes{0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xF7};
    t.AddSysexEvent(200, bytes);
    ASSERT_EQ(list.Open(0), EditResult::Done);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "0.000\tNote\t1\tC4 (60)\t100\t0.096", "0.010\tProgram\t3\t5\t\t",
                           "0.020\tVolume\t1\t39\t1\t", "0.030\tCtrl chng\t1\t3\t1\t"}));
    EXPECT_EQ(host.auditions, (std::vector<std::uint32_t>{On(0, 60, 100), 96}));

    list.KeyDown(EventListKey::PageDown);
    EXPECT_EQ(
        Texts(),
        (std::vector<std::string>{"1.008\tSysex\t\t12\tf0 01 02 03 04 05 06 07 08 09 ...\t"}));
    EXPECT_TRUE(list.LetterKey('n'));  // Val2 of a SysEx row is the SysEx editor
    EXPECT_EQ(host.sysexEdits, 1);
}

TEST_F(EventListTest, InsertDeleteAndPaging) {
    ASSERT_EQ(list.Open(0), EditResult::Done);
    list.Command(EventListCommand::Back);
    EXPECT_EQ(list.Beat(), 0u);
    host.answers = {0, 2, 3};  // Note, Ctrl chng, Program
    list.Command(EventListCommand::Insert);
    EXPECT_EQ(Events(fx.T()), (std::vector<TimedMessage>{{0, On(0, 60, 64)}, {95, Off(0, 60)}}));
    list.Command(EventListCommand::Insert);
    list.Command(EventListCommand::Insert);
    ASSERT_EQ(list.Rows().size(), 3u);

    list.SelectRow(2);                   // the note, listed last at its tick
    list.KeyDown(EventListKey::Delete);  // goes with its note off
    EXPECT_EQ(list.Rows().size(), 2u);
    EXPECT_EQ(list.SelectedRow(), 1);
    EXPECT_EQ(Events(fx.T()),
              (std::vector<TimedMessage>{{0, Cc(0, 0, 0)}, {0, PackMessage(0xC0)}}));

    list.Command(EventListCommand::Next);
    list.Command(EventListCommand::Next);
    EXPECT_TRUE(list.Rows().empty());
    list.Command(EventListCommand::Delete);  // no row: nothing happens
    EXPECT_EQ(fx.T().EventCount(), 2u);
}

TEST_F(EventListTest, AVelocityEditLeavesAVelocityZeroEndSilent) {
    Track& t = fx.T();
    t.AddEvent(384, On(0, 60, 100));
    t.AddEvent(479, On(0, 60, 0));
    ASSERT_EQ(list.Open(2), EditResult::Done);
    host.answers = {90};
    list.Command(EventListCommand::Val3);
    EXPECT_EQ(Events(t), (std::vector<TimedMessage>{{384, On(0, 60, 90)}, {479, On(0, 60, 0)}}));
}

TEST_F(EventListTest, NoteEditsCarryTheNoteOffAndOneUndoRestores) {
    Track& t = fx.T();
    t.AddEvent(384, On(0, 60, 100));
    t.AddEvent(479, Off(0, 60));
    const auto before = Events(t);
    ASSERT_EQ(list.Open(2), EditResult::Done);

    host.answers = {3, 90, 62};
    list.Command(EventListCommand::Chan);
    list.Command(EventListCommand::Val3);
    list.Command(EventListCommand::Val2);
    EXPECT_EQ(Events(t), (std::vector<TimedMessage>{{384, On(2, 62, 90)}, {479, Off(2, 62, 90)}}));

    host.answers = {5 * 192};
    list.Command(EventListCommand::Start);
    EXPECT_EQ(list.Beat(), 5u);
    EXPECT_EQ(Events(t), (std::vector<TimedMessage>{{960, On(2, 62, 90)}, {1055, Off(2, 62, 90)}}));

    host.answers = {1, 48};  // a length of 1 is refused
    list.Command(EventListCommand::Length);
    list.Command(EventListCommand::Length);
    EXPECT_EQ(Events(t).back(), (TimedMessage{1007, Off(2, 62, 90)}));
    EXPECT_EQ(fx.session.GetSong().modified, 1u);

    ASSERT_EQ(fx.session.Undo(), EditResult::Done);
    EXPECT_EQ(Events(fx.T()), before);
}

TEST_F(EventListTest, ValueEditsByKind) {
    Track& t = fx.T();
    t.AddEvent(0, PackMessage(0xE0, 0, 64));
    t.AddEvent(1, BuildValueMessage(0, kValueTimeSig, 4));
    t.AddEvent(2, BuildValueMessage(0, kValueTempo, 100));
    ASSERT_EQ(list.Open(0), EditResult::Done);
    host.answers = {-8192};
    list.Command(EventListCommand::Val2);
    list.Command(EventListCommand::Val3);  // nothing for a bend, nothing asked
    list.SelectRow(1);
    host.answers = {3};  // eighths
    list.Command(EventListCommand::Val3);
    list.SelectRow(2);
    host.answers = {300};
    list.Command(EventListCommand::Val2);
    list.Command(EventListCommand::Chan);  // tempo has no channel
    EXPECT_EQ(Events(t), (std::vector<TimedMessage>{{0, PackMessage(0xE0, 0, 0)},
                                                    {1, PackMessage(EVT_TIMESIG, 4, 3)},
                                                    {2, BuildValueMessage(0, kValueTempo, 300)}}));
    EXPECT_TRUE(host.answers.empty());
}

}  // namespace
}  // namespace kvs
