#include "midi/piano_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/onscreen_keyboard_form.h"
#include "midi/osk_key_codes.h"
#include "model/edit_ask.h"
#include "model/event.h"

namespace kvs {
namespace {

struct Recorder : PianoKeyListener {
    std::vector<std::uint32_t> sent;
    std::vector<std::pair<int, int>> ranges;
    std::vector<int> velocities;
    void PlayMessage(std::uint32_t message) override { sent.push_back(message); }
    void RangeChanged(int low, int high) override { ranges.emplace_back(low, high); }
    void VelocityChanged(int velocity) override { velocities.push_back(velocity); }
    std::vector<std::uint32_t> Take() { return std::exchange(sent, {}); }
};

using Msgs = std::vector<std::uint32_t>;
std::uint32_t On(int key, int velocity = 80) {
    return PackMessage(0x90, static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(velocity));
}
std::uint32_t Off(int key, int velocity = 80) {
    return PackMessage(0x80, static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(velocity));
}

// Range 48-84 (22 white keys) over 220 pixels: every white key 10 wide.
struct PianoKeysTest : ::testing::Test {
    Recorder out;
    PianoKeys keys{out};
    void SetUp() override {
        keys.SetRange(48, 84);
        keys.Resize(220, 100);
    }
    void Tap(std::uint32_t code) {
        keys.KeyDown(code, false);
        keys.KeyUp(code, false);
    }
};

TEST_F(PianoKeysTest, HitTestFindsKeysUpToTheirEdges) {
    ASSERT_EQ(keys.WhiteCount(), 22);
    ASSERT_EQ(keys.WhiteWidth(), 10);
    // Lower half: white keys only, 10 pixels each.
    EXPECT_EQ(keys.HitTest(0, 50), 48);
    EXPECT_EQ(keys.HitTest(9, 99), 48);
    EXPECT_EQ(keys.HitTest(10, 50), 50);
    EXPECT_EQ(keys.HitTest(219, 70), 84);
    EXPECT_EQ(keys.HitTest(220, 70), PianoKeys::kNone);
    EXPECT_EQ(keys.HitTest(5, 100), PianoKeys::kNone);
    // Upper half: black keys only, centred on the gap after their white key.
    EXPECT_EQ(keys.HitTest(4, 49), PianoKeys::kNone);  // left half of C: nothing
    EXPECT_EQ(keys.HitTest(5, 0), 49);
    EXPECT_EQ(keys.HitTest(14, 49), 49);
    EXPECT_EQ(keys.HitTest(15, 0), 51);
    EXPECT_EQ(keys.HitTest(25, 0), PianoKeys::kNone);   // no black key after E
    EXPECT_EQ(keys.HitTest(215, 0), PianoKeys::kNone);  // past the top key
    EXPECT_EQ(keys.HitTest(-1, 60), PianoKeys::kNone);

    // A range starting on a black key: it sits before the first white key.
    keys.SetRange(49, 60);
    EXPECT_EQ(keys.HitTest(0, 0), 49);
    EXPECT_EQ(keys.HitTest(0, 60), 50);
    // A range of one black key has no white width to divide by.
    keys.SetRange(49, 49);
    EXPECT_EQ(keys.WhiteCount(), 0);
    EXPECT_EQ(keys.HitTest(0, 0), PianoKeys::kNone);
    EXPECT_FALSE(keys.MouseDown(0, 0));
}

TEST_F(PianoKeysTest, ShapesLeaveGapsAndPutBlackKeysOnTop) {
    const auto shapes = keys.Shapes();
    ASSERT_EQ(shapes.size(), 37u);
    EXPECT_EQ(shapes[0].key, 48);
    EXPECT_EQ(shapes[0].rect, (KeyRect{0, 0, 8, 100}));
    EXPECT_EQ(shapes[1].rect, (KeyRect{10, 0, 18, 100}));
    EXPECT_EQ(shapes[22].key, 49);
    EXPECT_TRUE(shapes[22].black);
    EXPECT_EQ(shapes[22].rect, (KeyRect{6, 0, 12, 50}));
}

TEST_F(PianoKeysTest, MouseNotesEndOnReleaseAndNeverLeaveMidiRange) {
    EXPECT_TRUE(keys.MouseDown(15, 10));
    EXPECT_TRUE(keys.MouseCaptured());
    EXPECT_TRUE(keys.Sounding(51));
    keys.MouseUp();
    EXPECT_FALSE(keys.MouseCaptured());
    EXPECT_FALSE(keys.Sounding(51));
    keys.MouseUp();  // a second release sends nothing
    EXPECT_EQ(out.Take(), (Msgs{On(51), Off(51)}));
    EXPECT_FALSE(keys.MouseDown(25, 0));
    EXPECT_TRUE(out.Take().empty());

    // Digit 7 moves 48-84 to 96-132: keys past 127 are drawn but silent.
    Tap('7');
    EXPECT_EQ(keys.HighKey(), 132);
    EXPECT_EQ(keys.HitTest(185, 60), 127);
    EXPECT_EQ(keys.HitTest(195, 60), PianoKeys::kNone);
    EXPECT_FALSE(keys.MouseDown(215, 60));
}

TEST_F(PianoKeysTest, LayoutKeysPlayFromTheLowKeyPlusTheBase) {
    keys.KeyDown('A', false);
    keys.KeyDown('W', false);
    keys.KeyDown('W', true);  // a repeat
    keys.KeyDown(keycode::kApostrophe, false);
    EXPECT_TRUE(keys.Sounding(49));
    EXPECT_TRUE(keys.Sounding(67));
    EXPECT_FALSE(keys.Sounding(50));
    keys.KeyUp('A', false);
    keys.KeyUp('W', true);
    keys.KeyUp('W', false);
    keys.KeyUp(keycode::kApostrophe, false);
    EXPECT_FALSE(keys.Sounding(67));
    EXPECT_EQ(out.Take(), (Msgs{On(48), On(49), On(67), Off(48), Off(49), Off(67)}));

    keys.SetBaseKey(9);
    Tap('A');
    EXPECT_EQ(out.Take(), (Msgs{On(57), Off(57)}));

    // A note above the top key plays nothing.
    keys.SetBaseKey(0);
    keys.SetRange(48, 60);
    Tap('O');  // semitone 13
    Tap('K');  // semitone 12
    EXPECT_EQ(out.Take(), (Msgs{On(60), Off(60)}));
}

TEST_F(PianoKeysTest, ShiftHoldsTheSustainPedalWhileSymbolsStillPlay) {
    keys.KeyDown(keycode::kShift, false);
    EXPECT_TRUE(keys.SustainHeld());
    // With Shift down the toolkit names ";" by what it types.
    keys.KeyDown(':', false);
    keys.KeyUp(':', false);
    keys.KeyUp(keycode::kShift, false);
    EXPECT_EQ(out.Take(),
              (Msgs{PackMessage(0xB0, 64, 127), On(64), Off(64), PackMessage(0xB0, 64, 0)}));
    // A Shift released that this keyboard never saw go down sends nothing.
    keys.KeyUp(keycode::kShift, false);
    EXPECT_TRUE(out.Take().empty());
}

TEST_F(PianoKeysTest, VelocityAndDigitKeysNotifyTheirHost) {
    Tap('Z');
    Tap(keycode::kComma);
    Tap('M');
    EXPECT_EQ(out.velocities, (std::vector<int>{15, 127, 111}));
    keys.KeyDown('A', false);
    Tap('5');
    EXPECT_EQ(out.ranges, (std::vector<std::pair<int, int>>{{72, 108}}));
    // The note is ended as it was started, whatever the range is now.
    keys.KeyUp('A', false);
    EXPECT_EQ(out.Take(), (Msgs{On(48, 111), Off(48, 111)}));
    Tap('8');  // not a range key
    EXPECT_EQ(out.ranges.size(), 1u);
}

TEST_F(PianoKeysTest, LosingTheFocusEndsEverythingHeld) {
    keys.FocusIn();
    keys.KeyDown('A', false);
    keys.KeyDown('S', false);
    keys.KeyDown(keycode::kShift, false);
    keys.MouseDown(15, 10);
    out.Take();
    keys.FocusOut();
    EXPECT_EQ(out.Take(), (Msgs{Off(48), Off(50), Off(51), PackMessage(0xB0, 64, 0)}));
    EXPECT_FALSE(keys.MouseCaptured());
    EXPECT_FALSE(keys.SustainHeld());
    keys.KeyUp('A', false);
    keys.MouseUp();
    EXPECT_TRUE(out.Take().empty());

    // The click that gives the focus keeps its note.
    keys.MouseDown(0, 60);
    keys.FocusIn();
    keys.MouseUp();
    EXPECT_EQ(out.Take(), (Msgs{On(48), Off(48)}));
}

TEST(OskKeyCodes, VirtualKeysOfTheStoredLayoutMapBothWays) {
    for (const std::uint16_t vk : OskLayoutSettings{}.keys) {
        const std::uint32_t code = KeyCodeFromVirtualKey(vk);
        EXPECT_NE(code, keycode::kNone) << vk;
        EXPECT_EQ(VirtualKeyFromKeyCode(code), vk) << vk;
    }
    EXPECT_EQ(KeyCodeFromVirtualKey(0xBA), keycode::kSemicolon);
    EXPECT_EQ(KeyCodeFromVirtualKey(0x7B), keycode::kF12);
    EXPECT_EQ(VirtualKeyFromKeyCode(keycode::kF1), 0x70);
    EXPECT_EQ(VirtualKeyFromKeyCode(keycode::kShift), 0x10);
    EXPECT_EQ(KeyCodeFromVirtualKey(0x60), keycode::kNone);  // keypad 0: no own code
    EXPECT_EQ(VirtualKeyFromKeyCode(0x01000060), 0);
    EXPECT_EQ(UnshiftedKeyCode('%'), '5');
    EXPECT_EQ(UnshiftedKeyCode('a'), 'A');
}

TEST(OskKeyCodes, UnknownStoredKeyKeepsItsPlaceInTheLayout) {
    Recorder out;
    PianoKeys keys(out);
    keys.SetRange(48, 84);
    keys.SetLayout(OskLayoutSettings{5, {'A', 0x60, 'S'}});
    EXPECT_EQ(keys.BaseKey(), 5);
    keys.KeyDown('S', false);
    EXPECT_EQ(out.Take(), (Msgs{On(55)}));
    keys.SetLayout(OskLayoutSettings{40, {'A'}});  // a base beyond B
    EXPECT_EQ(keys.BaseKey(), 11);
}

struct HostNotes : KeyboardNoteInput {
    std::vector<std::uint32_t> received;
    void KeyboardMessage(std::uint32_t message) override { received.push_back(message); }
};

TEST(OnScreenKeyboardForm, SlidersAndKeysFollowEachOther) {
    HostNotes host;
    OnScreenKeyboardForm form(OskLayoutSettings{}, host);
    PianoKeys& keys = form.Keys();
    EXPECT_EQ(keys.LowKey(), 48);
    EXPECT_EQ(keys.HighKey(), 84);
    EXPECT_EQ(form.Octave(), 3);
    EXPECT_EQ(form.Velocity(), 80);

    keys.KeyDown('5', false);
    EXPECT_EQ(form.Octave(), 5);
    EXPECT_EQ(keys.LowKey(), 72);
    EXPECT_EQ(keys.HighKey(), 108);
    keys.KeyDown('V', false);
    EXPECT_EQ(form.Velocity(), 63);

    form.MoveOctave(0);
    EXPECT_EQ(keys.LowKey(), 12);
    EXPECT_EQ(keys.HighKey(), 48);
    form.MoveVelocity(0);
    EXPECT_EQ(keys.Velocity(), 1);
    keys.KeyDown('A', false);
    EXPECT_EQ(host.received, (Msgs{On(12, 1)}));
}

struct ScriptedAsk : NoAsk {
    bool answer = false;
    std::vector<std::string> asked;
    bool Confirm(const char* key) override {
        asked.emplace_back(key);
        return answer;
    }
};

TEST(OskLayoutForm, CapturesPlainKeysAndStopsAtTheFirstEmptyNote) {
    OskLayoutSettings stored;
    OskLayoutForm form(stored);
    EXPECT_EQ(OskLayoutForm::NoteItems(BuiltinPrompts{}).back(), "Note 32");
    EXPECT_EQ(form.AssignedKey(), static_cast<std::uint32_t>('A'));

    form.SelectNote(1);
    EXPECT_FALSE(form.CaptureKey('Q', true));  // with a modifier
    EXPECT_FALSE(form.CaptureKey(keycode::kShift, false));
    EXPECT_FALSE(form.CaptureKey(0x01000060, false));  // no virtual key for it
    EXPECT_TRUE(form.CaptureKey(':', false));
    EXPECT_EQ(form.AssignedKey(), keycode::kSemicolon);
    form.SelectNote(3);
    EXPECT_TRUE(form.CaptureKey(keycode::kNone, false));
    form.SelectBaseKey(4);
    form.SelectBaseKey(12);  // ignored

    form.Ok(stored);
    EXPECT_EQ(stored.baseKey, 4);
    EXPECT_EQ(stored.keys, (std::vector<std::uint16_t>{'A', 0xBA, 'S'}));

    ScriptedAsk ask;
    EXPECT_FALSE(form.ResetToDefaults(ask));
    EXPECT_EQ(form.Result(), stored);
    ask.answer = true;
    EXPECT_TRUE(form.ResetToDefaults(ask));
    EXPECT_EQ(ask.asked,
              (std::vector<std::string>{"opts_oskboard_confreset", "opts_oskboard_confreset"}));
    EXPECT_EQ(form.SelectedNote(), 0);
    EXPECT_EQ(form.Result(), OskLayoutSettings{});
}

}  // namespace
}  // namespace kvs
