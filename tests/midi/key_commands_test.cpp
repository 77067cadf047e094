#include "midi/key_commands.h"

#include <gtest/gtest.h>

#include "config/prompt_table.h"
#include "midi/key_commands_form.h"
#include "midi/notifier.h"
#include "model/event.h"

namespace kvs {
namespace {

TEST(KeyCommandActions, LabelsFollowThePromptTableInOrder) {
    ASSERT_EQ(kKeyCommandActions.size(), 77u);
    for (std::size_t n = 0; n < kKeyCommandActions.size(); ++n) {
        const PromptEntry& entry = kBuiltinPrompts[prompt::kcmd_none + n];
        EXPECT_EQ(kKeyCommandActions[n].label.key, entry.key) << n;
        EXPECT_EQ(kKeyCommandActions[n].label.text, entry.text) << n;
    }
    EXPECT_EQ(KeyCommandId(1), 130u);
    EXPECT_EQ(KeyCommandId(57), 409u);  // Clear Mark 9
    EXPECT_EQ(KeyCommandId(76), 103u);  // Save
    EXPECT_EQ(KeyCommandId(77), 0u);
}

TEST(KeyCommandFilter, AssignedKeyPostsOnPressAndSwallowsBothHalvesUnlessSwitchedOff) {
    FifoNotifier notifier;
    KeyCommands commands;
    KeyCommandMap map{};
    map[60] = 1;    // Play/stop
    map[20] = 5;    // below the piano: not kept
    map[109] = 5;   // above it
    map[61] = 200;  // not an action: not kept
    commands.SetMap(map);
    EXPECT_EQ(commands.Map()[20], 0u);
    EXPECT_EQ(commands.Map()[61], 0u);
    EXPECT_EQ(commands.Map()[109], 0u);

    EXPECT_TRUE(KeyCommandFilter(PackMessage(0x90, 60, 100), commands, false, notifier));
    EXPECT_EQ(notifier.TakeAll(), (std::vector<Notification>{{130, 0}}));
    EXPECT_TRUE(KeyCommandFilter(PackMessage(0x80, 60, 64), commands, false, notifier));
    // A release sent as a velocity-0 note on does not run the command again.
    EXPECT_TRUE(KeyCommandFilter(PackMessage(0x93, 60, 0), commands, false, notifier));
    EXPECT_TRUE(notifier.TakeAll().empty());

    // Any channel; other keys and other messages on the key pass.
    EXPECT_TRUE(KeyCommandFilter(PackMessage(0x9F, 60, 1), commands, false, notifier));
    EXPECT_FALSE(KeyCommandFilter(PackMessage(0x90, 61, 100), commands, false, notifier));
    EXPECT_FALSE(KeyCommandFilter(PackMessage(0xA0, 60, 100), commands, false, notifier));
    EXPECT_EQ(notifier.TakeAll().size(), 1u);

    // Suspended or switched off: an ordinary note.
    EXPECT_FALSE(KeyCommandFilter(PackMessage(0x90, 60, 100), commands, true, notifier));
    commands.SetEnabled(false);
    EXPECT_FALSE(KeyCommandFilter(PackMessage(0x90, 60, 100), commands, false, notifier));
    EXPECT_FALSE(KeyCommandFilter(PackMessage(0x80, 60, 0), commands, false, notifier));
    EXPECT_TRUE(notifier.TakeAll().empty());
}

// Learning and OK are the dialog's own test; these are what it cannot play.
TEST(KeyCommandsForm, IgnoresReleasesKeysOffThePianoAndIndicesOutOfRange) {
    KeyCommandMap stored{};
    stored[21] = 3;
    KeyCommandsForm form(stored);
    EXPECT_EQ(KeyCommandsForm::KeyItems()[60 - 21], "60 (C4)");
    form.SetKeyListFocus(true);
    form.MidiIn(PackMessage(0x90, 20, 90));  // not a piano key
    form.MidiIn(PackMessage(0x90, 60, 0));   // a release
    form.SelectAction(77);                   // beyond the table
    form.SelectKey(88);                      // beyond the list
    EXPECT_EQ(form.SelectedKey(), 21u);
    EXPECT_EQ(form.ActionSelection(), 3u);
}

}  // namespace
}  // namespace kvs
