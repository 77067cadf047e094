#include <gtest/gtest.h>

#include "config/general_options_form.h"
#include "config/packed_settings.h"
#include "config/recent_files.h"
#include "config/settings.h"

namespace kvs {
namespace {

// The entries, blank-separated.
std::string Entries(const RecentFiles& r) {
    std::string s;
    for (std::size_t i = 0; i < RecentFiles::kCount; ++i)
        s += (i > 0 ? " " : "") + r[i];
    return s;
}

TEST(RecentFilesTest, AnOpenedFileMovesToTheTopANinthDropsTheOldestAndUnstorableOnesAreSkipped) {
    RecentFiles recent;
    for (int i = 1; i <= 8; ++i)
        recent.Add("/s/" + std::to_string(i) + ".mid", "/cwd");
    recent.Add("/S/6.MID", "/cwd");  // third entry, other letter case
    EXPECT_EQ(Entries(recent),
              "/S/6.MID /s/8.mid /s/7.mid /s/5.mid /s/4.mid /s/3.mid /s/2.mid /s/1.mid");
    recent.Add("nine.mid", "/home/u/./songs/../music");
    EXPECT_EQ(
        Entries(recent),
        "/home/u/music/nine.mid /S/6.MID /s/8.mid /s/7.mid /s/5.mid /s/4.mid /s/3.mid /s/2.mid");

    // Empty names and paths too long to store are not listed.
    recent = RecentFiles{};
    recent.Add("/a.mid", "/");
    recent.Add("", "/");
    recent.Add("/" + std::string(RecentFiles::kMaxChars, 'x'), "/");
    EXPECT_EQ(Entries(recent), "/a.mid       ");
    recent.Add("/" + std::string(RecentFiles::kMaxChars - 1, 'y'), "/");
    EXPECT_EQ(recent[0].size(), RecentFiles::kMaxChars);
    // Empty slots read from a file never match a real path.
    recent.Add("/b.mid", "/");
    EXPECT_EQ(recent[2], "/a.mid");
}

TEST(PackedSettingsTest, MidiAssignNeedsAllElevenFields) {
    EXPECT_EQ(FormatMidiAssign({}), "0,100,0,1,1,130,2,0,130,2,0");
    const MidiAssignSettings odd{-36, 400, -127, 0, 127, 129, 1, 2, 7, 0, 1};
    EXPECT_EQ(FormatMidiAssign(odd), "-36,400,-127,0,127,129,1,2,7,0,1");
    EXPECT_EQ(ParseMidiAssign(FormatMidiAssign(odd)), odd);
    EXPECT_EQ(ParseMidiAssign(" 1, +2, -3,4,5,6,7,8,9,10,11 and more")->velocityOffset, -3);
    EXPECT_FALSE(ParseMidiAssign("1,2,3,4,5,6,7,8,9,10"));
    EXPECT_FALSE(ParseMidiAssign("1,2,3,4,5,6,7,8,9,10,"));
    EXPECT_FALSE(ParseMidiAssign("1,2,3,4,5,6,7,8,9,10 ,11"));  // no blank before a comma
    EXPECT_FALSE(ParseMidiAssign("1,2,x,4,5,6,7,8,9,10,11"));
    EXPECT_FALSE(ParseMidiAssign(""));
    // A 16-bit field keeps its bit pattern through a round trip; overflow saturates.
    const auto neg = ParseMidiAssign("99999999999,0,0,-1,70000,0,0,0,0,0,0");
    ASSERT_TRUE(neg);
    EXPECT_EQ(neg->keyTranspose, 2147483647);
    EXPECT_EQ(neg->controllerFrom, 0xFFFF);
    EXPECT_EQ(neg->controllerTo, 32767);
    EXPECT_EQ(ParseMidiAssign(FormatMidiAssign(*neg)), neg);
}

TEST(PackedSettingsTest, OskKeysFallBackToTheDefaultLayoutWhenUnusable) {
    EXPECT_EQ(FormatOskKeys({}),
              "0,65,87,83,69,68,70,84,71,89,72,85,74,75,79,76,80,186,192,221,222");
    EXPECT_EQ(ParseOskKeys(FormatOskKeys({})), OskLayoutSettings{});
    const auto short_ = ParseOskKeys("5,90,88,0,67");
    ASSERT_TRUE(short_);
    EXPECT_EQ(short_->baseKey, 5);
    EXPECT_EQ(short_->keys, (std::vector<std::uint16_t>{90, 88}));  // 0 ends the list
    EXPECT_FALSE(ParseOskKeys("x,65"));
    EXPECT_FALSE(ParseOskKeys("0,0,65"));
    EXPECT_FALSE(ParseOskKeys("0"));
    EXPECT_FALSE(ParseOskKeys(""));
    std::string many = "1";
    for (int i = 0; i < 40; ++i)
        many += "," + std::to_string(65 + i);
    EXPECT_EQ(ParseOskKeys(many)->keys.size(), OskLayoutSettings::kMaxKeys);
}

TEST(GeneralOptionsFormTest, OkStoresOnlyTheControlsAndUnselectedListsKeepTheirValues) {
    Settings s;
    s.general.defaultPort = 3;
    s.engine.initDelay = 250;
    s.general.scanInit = 2;
    GeneralOptionsForm form(s, {{"Synth", 0}, {"Piano", 3}});  // port 1 disabled
    EXPECT_EQ(form.portIndex, 1);
    EXPECT_EQ(form.delayText, "250");
    EXPECT_EQ(form.scanInitIndex, 2);

    form.portIndex = 0;
    form.delayText = " 1200 ";
    form.followPlay = false;
    form.autoLoadSendIndex = 5;
    Settings stored = s;
    form.Ok(stored);
    Settings expected = s;
    expected.general.defaultPort = 0;
    expected.engine.initDelay = 1200;
    expected.general.followPlay = false;
    expected.general.autoLoadSend = 5;
    EXPECT_EQ(stored, expected);

    // Unselected lists keep their values; a bad delay stores zero.
    s = Settings{};
    s.general.defaultPort = 7;  // a disabled or missing device
    s.general.scanInit = 5;     // outside the list
    s.general.autoLoadSend = 6;
    s.engine.initDelay = 100;
    GeneralOptionsForm other(s, {{"Synth", 0}});
    EXPECT_EQ(other.portIndex, -1);
    EXPECT_EQ(other.scanInitIndex, -1);
    EXPECT_EQ(other.autoLoadSendIndex, -1);
    Settings kept = s;
    kept.engine.initDelay = 0;
    other.delayText = "12ms";
    other.Ok(s);
    EXPECT_EQ(s, kept);
    other.delayText = "4294967295";
    other.Ok(s);
    EXPECT_EQ(s.engine.initDelay, kMaxInitDelayMs);

    EXPECT_EQ(ParseDialogNumber(""), 0u);
    EXPECT_EQ(ParseDialogNumber("-5"), 0u);
    EXPECT_EQ(ParseDialogNumber("4294967295"), 4294967295u);
    EXPECT_EQ(ParseDialogNumber("4294967296"), 0u);
}

}  // namespace
}  // namespace kvs
