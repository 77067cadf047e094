#include "config/prompt_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "config/error_text.h"
#include "config/property_form_sources.h"

namespace kvs {
namespace {

// The published key list, one key a line, runs of numbered keys written as
// "first to last" with the number's width kept; and every text the
// documentation fixes byte for byte, as "key<TAB>text" with \t, \n, \r and
// \\ escaped.
std::vector<std::string> DataLines(const char* name) {
    std::ifstream in(std::string(KVS_TEST_DATA_DIR) + "/config/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::string> ExpandKeyList(const std::vector<std::string>& lines) {
    std::vector<std::string> keys;
    for (const std::string& line : lines) {
        const std::size_t to = line.find(" to ");
        if (to == std::string::npos) {
            keys.push_back(line);
            continue;
        }
        const std::string first = line.substr(0, to), last = line.substr(to + 4);
        const std::size_t digits = first.find_last_not_of("0123456789") + 1;
        const std::size_t width = first.size() - digits;
        const bool padded = width == last.size() - digits;
        for (int n = std::stoi(first.substr(digits)); n <= std::stoi(last.substr(digits)); ++n) {
            std::string number = std::to_string(n);
            if (padded && number.size() < width) number.insert(0, width - number.size(), '0');
            keys.push_back(first.substr(0, digits) + number);
        }
    }
    return keys;
}

TEST(PromptTable, HoldsEveryPublishedKeyInOrderOnceAndThePublishedTextsExactly) {
    const std::vector<std::string> expected = ExpandKeyList(DataLines("prompt_keys.txt"));
    ASSERT_EQ(expected.size(), kPromptCount);
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < kPromptCount; ++i) {
        EXPECT_EQ(kBuiltinPrompts[i].key, expected[i]) << "index " << i;
        EXPECT_TRUE(seen.insert(kBuiltinPrompts[i].key).second) << kBuiltinPrompts[i].key;
    }
    // The texts published byte for byte are used exactly.
    const std::vector<std::string> lines = DataLines("prompt_texts.txt");
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) {
        const std::size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string key = line.substr(0, tab);
        auto index = PromptTable::IndexOf(key);
        ASSERT_TRUE(index.has_value()) << key;
        EXPECT_EQ(kBuiltinPrompts[*index].text, Unescaped(line.substr(tab + 1))) << key;
    }
}

TEST(PromptTable, TextsSurviveALanguageFileLine) {
    std::set<std::string_view> tips;
    for (const PromptEntry& entry : kBuiltinPrompts) {
        EXPECT_FALSE(entry.key.empty());
        EXPECT_EQ(entry.key.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_"),
                  std::string_view::npos)
            << entry.key;
        EXPECT_EQ(entry.text.find_first_of("\r\n"), std::string_view::npos) << entry.key;
        EXPECT_LE(entry.text.size(), kPromptMaxText) << entry.key;
        // Outer blanks would not come back from an INI value.
        if (!entry.text.empty()) {
            EXPECT_NE(entry.text.front(), ' ') << entry.key;
            EXPECT_NE(entry.text.back(), ' ') << entry.key;
        }
        if (entry.key.starts_with("help_tipofday_0")) {
            EXPECT_GT(entry.text.size(), 20u) << entry.key;
            EXPECT_TRUE(tips.insert(entry.text).second) << "repeated tip " << entry.key;
        }
    }
    EXPECT_EQ(tips.size(), 100u);
}

// The editors turn the letter after "&" into their shortcut keys.
TEST(PromptTable, EditorMnemonicsGiveTheDocumentedLetters) {
    auto letters = [](std::initializer_list<prompt::Id> ids) {
        PromptTable table;
        std::string out;
        for (prompt::Id id : ids) {
            std::string_view text = table.Text(id);
            std::size_t amp = text.find('&');
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(
                amp == std::string_view::npos ? text[0] : text[amp + 1])));
        }
        return out;
    };
    using namespace prompt;
    EXPECT_EQ(letters({noteedit_start, noteedit_chan, noteedit_key, noteedit_vel, noteedit_len,
                       noteedit_ins, noteedit_del, noteedit_edit, noteedit_memo, noteedit_snap}),
              "SCKVLIDEMP");
    EXPECT_EQ(letters({ctrledit_start, ctrledit_chan, ctrledit_num, ctrledit_val, ctrledit_ins,
                       ctrledit_del, ctrledit_edit, ctrledit_memo, ctrledit_snap}),
              "SCNVIDEMP");
    EXPECT_EQ(letters({evtlist_start, evtlist_chan, evtlist_val2, evtlist_val3, evtlist_len,
                       evtlist_ins, evtlist_del}),
              "SCNVLID");
}

TEST(PromptTable, MenuMnemonicsDoNotClashWithinAMenu) {
    const std::string_view menus[] = {
        "menu_file_",  "menu_edit_", "menu_view_",    "menu_goto_", "menu_play_",
        "menu_track_", "menu_midi_", "menu_options_", "menu_help_", "menu_tools_more_"};
    for (std::string_view menu : menus) {
        std::set<char> used;
        for (const PromptEntry& entry : kBuiltinPrompts) {
            std::string_view rest = entry.key.substr(std::min(entry.key.size(), menu.size()));
            // Items of the menu itself, not of a nested one.
            if (!entry.key.starts_with(menu) || rest.find('_') != std::string_view::npos) continue;
            std::size_t amp = entry.text.find('&');
            if (amp == std::string_view::npos) continue;
            char c =
                static_cast<char>(std::tolower(static_cast<unsigned char>(entry.text[amp + 1])));
            EXPECT_TRUE(used.insert(c).second) << entry.key << " repeats '" << c << "'";
        }
    }
}

TEST(PromptTable, ErrorsShowTheLanguageFilesTextsAndSystemErrorsTheSystems) {
    EXPECT_EQ(ErrorPrompt(1), prompt::error_cantload);
    EXPECT_EQ(ErrorPrompt(10), prompt::error_cantcmd);
    EXPECT_FALSE(ErrorPrompt(0) || ErrorPrompt(11) || ErrorPrompt(0xFF000001u));
    PromptTable prompts;
    EXPECT_EQ(ErrorText(prompts, kErrInvalidFile), "Invalid file");
    ASSERT_TRUE(prompts.SetText(prompt::error_invalidfile, "Ungueltige Datei"));
    EXPECT_EQ(ErrorText(prompts, kErrInvalidFile), "Ungueltige Datei");
    EXPECT_EQ(ErrorText(prompts, SystemError(ENOENT)), "No such file or directory");
    EXPECT_EQ(ErrorText(prompts, ProgramError(99)), "Unknown error");
}

TEST(PromptTable, EveryFormTextIsAPromptWithItsBuiltinText) {
    PromptTable table;
    PromptTableSource source(table);
    for (const PromptText& prompt : prompts::All()) {
        ASSERT_TRUE(PromptTable::IndexOf(prompt.key)) << prompt.key;
        EXPECT_EQ(table.TextOf(prompt.key), prompt.text) << prompt.key;
    }
    ASSERT_TRUE(table.SetText(*PromptTable::IndexOf("goto_mark_left"), "Links"));
    EXPECT_EQ(source.Text(prompts::kMarkLeft), "Links");
    EXPECT_EQ(source.Text({"no_such_key", "fallback"}), "fallback");
}

TEST(PromptTable, PoolRefusesTheTextThatWouldReachItsSizeAndLookUpsStayInRange) {
    PromptTable table;
    const std::string big(999, 'x');  // 1000 bytes with its terminator
    for (std::size_t i = 0; i < 79; ++i)
        ASSERT_TRUE(table.SetText(i, big)) << i;
    EXPECT_EQ(table.PoolUsed(), 79000u);
    // 79000 + 998 + 1 = 79999 still fits; one more byte would reach 80000.
    EXPECT_FALSE(table.SetText(79, std::string(999, 'y')));
    EXPECT_EQ(table.Text(std::size_t{79}), kBuiltinPrompts[79].text);
    ASSERT_TRUE(table.SetText(79, std::string(998, 'y')));
    EXPECT_EQ(table.PoolUsed(), 79999u);
    EXPECT_FALSE(table.SetText(80, ""));
    // Earlier texts stay where they were, terminated.
    EXPECT_EQ(table.Text(std::size_t{0}), big);
    EXPECT_EQ(table.Text(std::size_t{0}).data()[999], '\0');
    EXPECT_FALSE(table.SetText(kPromptCount, "x"));
    // Keys match as stored; nothing out of range.
    EXPECT_FALSE(PromptTable::IndexOf("MENU_FILE_OPEN") || PromptTable::IndexOf(""));
    EXPECT_EQ(table.Text(kPromptCount), "");
    EXPECT_EQ(table.Key(kPromptCount), "");
    EXPECT_EQ(table.TextOf("no_such_prompt"), "");

    table.Reset();
    EXPECT_EQ(table.PoolUsed(), 0u);
    EXPECT_EQ(table.Text(prompt::ok), "OK");
    EXPECT_TRUE(table.SetText(prompt::ok, ""));
    EXPECT_EQ(table.Text(prompt::ok), "");
}

}  // namespace
}  // namespace kvs
