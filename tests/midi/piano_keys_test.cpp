#include "midi/piano_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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
    void PlayMessage(std::uint32_t message) override { sent.push_back(message); }
    void RangeChanged(int low, int high) override { ranges.emplace_back(low, high); }
    void VelocityChanged(int) override {}
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
    // Lower half: white keys only; upper half: black keys centred on the gap
    // (-1: no key).
    const std::vector<std::tuple<int, int, int>> hits = {
        {0, 50, 48},  {9, 99, 48},  {10, 50, 50}, {219, 70, 84}, {220, 70, -1},
        {5, 100, -1}, {4, 49, -1},  {5, 0, 49},   {14, 49, 49},  {15, 0, 51},
        {25, 0, -1},  {215, 0, -1}, {-1, 60, -1}};
    for (const auto& [x, y, key] : hits)
        EXPECT_EQ(keys.HitTest(x, y), key) << x << "," << y;

    // A range starting on a black key: it sits before the first white key.
    keys.SetRange(49, 60);
    EXPECT_EQ(keys.HitTest(0, 0), 49);
    EXPECT_EQ(keys.HitTest(0, 60), 50);
    // A range of one black key has no white width to divide by.
    keys.SetRange(49, 49);
    EXPECT_EQ(keys.HitTest(0, 0), PianoKeys::kNone);
    EXPECT_FALSE(keys.MouseDown(0, 0));
}

TEST_F(PianoKeysTest, MouseNotesEndOnReleaseAndNeverLeaveMidiRange) {
    EXPECT_TRUE(keys.MouseDown(15, 10));
    keys.MouseUp();
    keys.MouseUp();  // a second release sends nothing
    EXPECT_EQ(out.Take(), (Msgs{On(51), Off(51)}));
    // Digit 7 moves 48-84 to 96-132: keys past 127 are drawn but silent.
    Tap('7');
    EXPECT_EQ(keys.HitTest(185, 60), 127);
    EXPECT_EQ(keys.HitTest(195, 60), PianoKeys::kNone);
    EXPECT_FALSE(keys.MouseDown(215, 60));
}

TEST_F(PianoKeysTest, KeysPlayOnceFromTheBaseWithinTheRangeAndEndAsTheyStarted) {
    keys.KeyDown('W', false);
    keys.KeyDown('W', true);  // a repeat
    keys.KeyDown(keycode::kApostrophe, false);
    keys.KeyUp('W', true);
    keys.KeyUp('W', false);
    keys.KeyUp(keycode::kApostrophe, false);
    EXPECT_EQ(out.Take(), (Msgs{On(49), On(67), Off(49), Off(67)}));
    keys.SetBaseKey(9);
    Tap('A');
    EXPECT_EQ(out.Take(), (Msgs{On(57), Off(57)}));
    keys.SetBaseKey(0);

    // Shift is the sustain pedal; with it down the toolkit names ";" by what
    // it types. A release never seen going down sends nothing.
    keys.KeyDown(keycode::kShift, false);
    Tap(':');
    keys.KeyUp(keycode::kShift, false);
    keys.KeyUp(keycode::kShift, false);
    EXPECT_EQ(out.Take(),
              (Msgs{PackMessage(0xB0, 64, 127), On(64), Off(64), PackMessage(0xB0, 64, 0)}));
    Tap('M');
    keys.KeyDown('A', false);
    Tap('5');
    Tap('8');  // not a range key
    EXPECT_EQ(out.ranges, (std::vector<std::pair<int, int>>{{72, 108}}));
    keys.KeyUp('A', false);
    EXPECT_EQ(out.Take(), (Msgs{On(48, 111), Off(48, 111)}));
    keys.SetRange(48, 60);
    Tap('O');  // semitone 13: above the top key
    Tap('K');
    EXPECT_EQ(out.Take(), (Msgs{On(60, 111), Off(60, 111)}));
}

// Ending a held key on focus loss is the dialog's own test.
TEST_F(PianoKeysTest, LosingTheFocusEndsTheMouseNoteAndThePedal) {
    keys.FocusIn();
    keys.KeyDown(keycode::kShift, false);
    keys.MouseDown(15, 10);
    out.Take();
    keys.FocusOut();
    EXPECT_EQ(out.Take(), (Msgs{Off(51), PackMessage(0xB0, 64, 0)}));
    EXPECT_FALSE(keys.MouseCaptured());
    keys.MouseUp();
    EXPECT_TRUE(out.Take().empty());
    // The click that gives the focus keeps its note.
    keys.MouseDown(0, 60);
    keys.FocusIn();
    keys.MouseUp();
    EXPECT_EQ(out.Take(), (Msgs{On(48), Off(48)}));
}

TEST(OskKeyCodes, StoredLayoutKeysMapBothWaysAndUnknownOnesKeepTheirPlace) {
    for (const std::uint16_t vk : OskLayoutSettings{}.keys)
        EXPECT_EQ(VirtualKeyFromKeyCode(KeyCodeFromVirtualKey(vk)), vk) << vk;
    EXPECT_EQ(KeyCodeFromVirtualKey(0x60), keycode::kNone);  // keypad 0: no own code
    EXPECT_EQ(VirtualKeyFromKeyCode(0x01000060), 0);
    Recorder out;
    PianoKeys keys(out);
    keys.SetRange(48, 84);
    keys.SetLayout(OskLayoutSettings{5, {'A', 0x60, 'S'}});
    keys.KeyDown('S', false);
    EXPECT_EQ(out.Take(), (Msgs{On(55)}));
    keys.SetLayout(OskLayoutSettings{40, {'A'}});  // a base beyond B
    EXPECT_EQ(keys.BaseKey(), 11);
}

// Following the keys and taking plain keys are the dialogs' own tests;
// these are the ends of the sliders and the keys no dialog can press.
TEST(OnScreenKeyboardForm, SlidersAtTheirLowestStillPlayAudibleNotes) {
    struct HostNotes : KeyboardNoteInput {
        std::vector<std::uint32_t> received;
        void KeyboardMessage(std::uint32_t message) override { received.push_back(message); }
    } host;
    OnScreenKeyboardForm form(OskLayoutSettings{}, host);
    form.MoveOctave(0);
    form.MoveVelocity(0);
    EXPECT_EQ(form.Keys().HighKey(), 48);
    form.Keys().KeyDown('A', false);
    EXPECT_EQ(host.received, (Msgs{On(12, 1)}));
}

TEST(OskLayoutForm, RefusesKeysWithoutAStoredCodeAndAnsweringNoKeepsTheLayout) {
    OskLayoutSettings stored;
    OskLayoutForm form(stored);
    form.SelectNote(1);
    EXPECT_FALSE(form.CaptureKey(keycode::kShift, false));
    EXPECT_FALSE(form.CaptureKey(0x01000060, false));  // no virtual key for it
    EXPECT_TRUE(form.CaptureKey(':', false));
    EXPECT_EQ(form.AssignedKey(), keycode::kSemicolon);
    form.SelectBaseKey(12);  // ignored
    form.Ok(stored);
    EXPECT_EQ(stored.baseKey, 0);
    EXPECT_EQ(stored.keys[1], 0xBA);
    NoAsk no;
    EXPECT_FALSE(form.ResetToDefaults(no));
    EXPECT_EQ(form.Result(), stored);
}

}  // namespace
}  // namespace kvs
