#include "ui/note_editor_form.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "model/song.h"

namespace kvs {
namespace {

struct FakeHost : NoteEditorHost {
    int beeps = 0, undos = 0, previews = 0;
    bool routed = false;
    std::optional<std::int32_t> answer;  // the value the user types, nullopt = Cancel
    ValueDialog asked;
    void Beep() override { ++beeps; }
    bool AskValue(ValueDialog& d) override {
        asked = d;
        if (!answer) return false;
        d.fields[0].value = *answer;
        return true;
    }
    void SaveUndo() override { ++undos; }
    void RouteMidiIn(bool on) override { routed = on; }
    void PreviewNote(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) override {
        ++previews;
    }
    void EndPreview() override {}
};

class NoteEditorFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        song.InsertTrack();
        view.SetFontMetrics(8, 10);
        view.SetClientSize(340, 200);
    }
    void Open(std::uint32_t beat = 0) {
        state.openBeat = beat;
        form.Open(song, 0);
    }
    Track& track() { return *song.GetTrack(0); }
    // (tick, message) of every event, in track order.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> Events() {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
        for (std::uint32_t b = 0; b < track().BeatCount(); ++b)
            for (const Event& e : *track().Bucket(b))
                out.emplace_back(b * TICKS_PER_BEAT + e.offset, e.message);
        return out;
    }
    void Insert(std::uint32_t start, std::uint32_t key = 60) {
        view.SetCursor(start, static_cast<std::int32_t>(key));
        form.Execute(note_cmd::Insert);
    }

    Song song;
    PromptTable prompts;
    NoteEditorState state;
    FakeHost host;
    NoteView view;
    NoteEditorForm form{state, prompts, host, view};
};

TEST_F(NoteEditorFormTest, OpeningShowsOneBarAtTheOpenBeatAndClosingGivesBackTheInput) {
    song.timeSigNumerator = 4;
    Open(8);
    EXPECT_EQ(view.FirstTick(), 1536u);
    EXPECT_EQ(view.Cursor(), 1536u);
    EXPECT_EQ(view.CursorKey(), 60u);
    EXPECT_EQ(view.BeatsVisible(), 4u);
    EXPECT_EQ(form.Memo().start, 1536u);
    EXPECT_EQ(host.undos, 1);
    EXPECT_TRUE(host.routed);
    EXPECT_TRUE(view.Focused());
    EXPECT_EQ(form.StatusTexts(), (std::array<std::string, 6>{"Start: 8.000", "Chan: 1", "Key: 60",
                                                              "Velo: 80", "Length: 0.048", "Ins"}));
    NoteMnemonics expected;
    const char letters[] = "SCKVLIDEMP";
    const std::uint32_t commands[] = {2407, 2408, 2409, 2410, 2411, 2402, 2403, 2404, 2405, 2406};
    for (int i = 0; i < 10; ++i)
        expected.emplace_back(letters[i], commands[i]);
    EXPECT_EQ(form.Mnemonics(), expected);

    const NoteEditorLayout l = LayOutNoteEditor(700, 400, 80, 24, 20);
    EXPECT_EQ(l.buttons[5], (CellRect{615, 180, 80, 24}));
    EXPECT_EQ(l.view, (CellRect{0, 0, 610, 380}));
    EXPECT_LT(l.statusEdges[4], l.view.width);  // room for "Ins"

    view.KeyDown(NoteViewKey::F4, false, false, true);
    EXPECT_FALSE(form.IsOpen());
    EXPECT_FALSE(host.routed);
    EXPECT_EQ(host.undos, 1);
}

TEST_F(NoteEditorFormTest, InsertRefusesOverlapsOfTheSameKeyAndChannel) {
    Open();
    Insert(0);
    EXPECT_EQ(Events(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{0, 0x503C90},
                                                                              {47, 0x503C80}}));
    EXPECT_TRUE(form.HaveSelection());
    EXPECT_EQ(song.modified, 1u);
    EXPECT_GT(host.previews, 0);
    form.Execute(note_cmd::Insert);  // on the selected note
    Insert(24);
    EXPECT_EQ(host.beeps, 2);
    Insert(48);
    Insert(48, 61);
    EXPECT_EQ(host.beeps, 2);
    EXPECT_EQ(Events().size(), 6u);

    // A long note covers the new one's span without an event inside it.
    Insert(192 * 4);
    form.Apply(kParamLength, 192 * 4);
    Insert(192 * 5 + 48);
    EXPECT_EQ(host.beeps, 3);

    view.SetCursor(48, 61);
    form.Execute(note_cmd::Delete);
    EXPECT_FALSE(form.HaveSelection());
    form.Execute(note_cmd::Delete);
    EXPECT_EQ(host.beeps, 4);
    EXPECT_EQ(Events().size(), 6u);
}

TEST_F(NoteEditorFormTest, StepsAndEditsAreValidatedBeforeTheyChangeTheNote) {
    Open();
    // Without a selection the memo takes them.
    form.ClickStatusPart(kParamKey);
    form.Apply(kParamKey, 120);
    EXPECT_EQ(view.CursorKey(), 120u);
    form.Step(NoteViewNotify::BigStepUp);  // 132
    form.ClickStatusPart(kParamStart);
    form.Step(NoteViewNotify::StepDown);  // below 0
    EXPECT_EQ(host.beeps, 2);
    form.Step(NoteViewNotify::BigStepDown);
    EXPECT_EQ(form.Memo().start, 0u);
    EXPECT_TRUE(form.Apply(kParamChan, 15));
    form.Apply(kParamChan, 0);

    form.ClickStatusPart(kParamLength);
    host.answer = 1;  // the dialog takes 1, the note does not
    form.Execute(note_cmd::Edit);
    EXPECT_EQ(host.asked.fields[0].min, 1);
    EXPECT_EQ(host.beeps, 3);
    form.ClickStatusPart(kParamChan);
    host.answer = 16;  // shown 1-16
    form.Execute(note_cmd::Edit);
    EXPECT_EQ(form.Memo().channel, 15u);
    form.Apply(kParamChan, 0);

    // With a selection: the same key may sound on another channel only.
    Insert(0, 60);
    Insert(0, 62);
    ASSERT_TRUE(form.HaveSelection());
    const int before = host.beeps;
    EXPECT_FALSE(form.Apply(kParamKey, 60));
    EXPECT_TRUE(form.Apply(kParamChan, 2));
    EXPECT_TRUE(form.Apply(kParamKey, 60));
    EXPECT_FALSE(form.Apply(kParamChan, 0));
    EXPECT_EQ(host.beeps, before + 2);
    EXPECT_EQ(form.Current().channel, 2u);
    EXPECT_TRUE(form.Apply(kParamStart, 96));
    EXPECT_EQ(view.Cursor(), 96u);
    EXPECT_TRUE(form.HaveSelection());
    EXPECT_EQ(form.Current().start, 96u);
    EXPECT_TRUE(form.Apply(kParamLength, 200));
    const EventPos on = view.Selected();
    EXPECT_EQ(track().NoteLength(static_cast<std::uint32_t>(on.beat),
                                 static_cast<std::uint32_t>(on.index)),
              200);
    EXPECT_EQ(form.StatusTexts()[5], "Mod");
}

TEST_F(NoteEditorFormTest, VelocityKeepsAZeroVelocityEndAndMidiInSetsTheKey) {
    track().AddEvent(0, PackMessage(0x90, 60, 100));
    track().AddEvent(47, PackMessage(0x90, 60, 0));
    Open();
    ASSERT_TRUE(form.HaveSelection());
    form.Apply(kParamVelo, 30);
    EXPECT_EQ(Events(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{0, 0x1E3C90},
                                                                              {47, 0x003C90}}));
    EXPECT_EQ(form.Current().velocity, 30u);

    form.Execute(note_cmd::Memo);
    EXPECT_EQ(form.Memo().velocity, 30u);
    form.MidiIn(PackMessage(0x91, 72, 90));
    EXPECT_EQ(view.CursorKey(), 72u);
    EXPECT_FALSE(form.HaveSelection());
    form.MidiIn(PackMessage(0x90, 64, 0));  // a release is not a key
    view.SetFocus(false);
    form.MidiIn(PackMessage(0x90, 65, 90));
    EXPECT_EQ(form.Memo().key, 72u);
}

}  // namespace
}  // namespace kvs
