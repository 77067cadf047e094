#include "ui/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "config/prompt_table.h"

namespace kvs {
namespace {

void CollectCommands(const std::vector<MenuEntry>& entries, std::multiset<std::uint32_t>& out) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::Command) out.insert(e.command);
        CollectCommands(e.children, out);
    }
}

TEST(CommandsTest, MenusToolbarAndKeysAgreeWithTheTable) {
    // Every menu command is in the table with a text, once in the main menu.
    std::multiset<std::uint32_t> inMenu;
    CollectCommands(MainMenu(), inMenu);
    for (const std::uint32_t id : inMenu) {
        const CommandInfo* info = FindCommand(id);
        ASSERT_NE(info, nullptr) << id;
        EXPECT_TRUE(info->menuText.has_value() || !EnglishMenuText(id).empty()) << id;
        EXPECT_EQ(inMenu.count(id), 1u) << id;
    }
    EXPECT_EQ(inMenu.count(cmd::ToolLast), 1u);
    EXPECT_EQ(inMenu.count(cmd::OptOptions), 1u);
    std::multiset<std::uint32_t> context;
    CollectCommands(TrackListContextMenu(), context);
    CollectCommands(TrackViewContextMenu(), context);
    for (const std::uint32_t id : context)
        EXPECT_EQ(inMenu.count(id), 1u) << id;

    // 18 buttons, each with its tooltip, in the order of the image strip.
    int buttons = 0;
    for (const ToolbarEntry& b : Toolbar()) {
        if (b.command == 0) continue;
        ++buttons;
        const CommandInfo* info = FindCommand(b.command);
        ASSERT_NE(info, nullptr) << b.command;
        EXPECT_TRUE(info->tooltip.has_value()) << b.command;
    }
    EXPECT_EQ(buttons, 18);

    // No key is bound twice; the tools' texts line up with their ids.
    std::set<std::string_view> keys;
    for (const CommandInfo& c : Commands()) {
        if (!c.shortcut.empty()) {
            EXPECT_TRUE(keys.insert(c.shortcut).second) << c.shortcut;
        }
    }
    const PromptTable prompts;
    EXPECT_EQ(prompts.Text(*FindCommand(cmd::ToolFirst + 12)->menuText), "Set &channel ...");
    EXPECT_EQ(prompts.Text(*FindCommand(cmd::ToolLast)->menuText), "Note trans&form ...");
    EXPECT_EQ(FindCommand(cmd::SetMarkFirst + 2)->shortcut, "Shift+0");
    EXPECT_EQ(FindCommand(cmd::EditDelete)->shortcut, "");
}

}  // namespace
}  // namespace kvs
