#include "tools/note_transform_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/profile_store.h"
#include "config/prompt_table.h"
#include "tools/note_transform_form.h"

namespace kvs {
namespace {

// count numbers counting up from first, wrapping at 128.
std::string Numbers(int count, int first = 0, const char* separator = ",") {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i > 0 ? separator : "") + std::to_string((first + i) % 128);
    return text;
}

ProfileStore Ini(const std::string& body) {
    ProfileStore store("unused");
    store.Parse("[NoteXfrm]\n" + body);
    return store;
}

TEST(TransformMapText, ReadsExactlyTheFirst128NumbersAndRejectsAnythingShortOrOutOfRange) {
    TransformMap map{};
    EXPECT_TRUE(ParseTransformMap(Numbers(130, 5), map));  // the last two are ignored
    EXPECT_EQ(map[0], 5);
    EXPECT_EQ(map[127], (5 + 127) % 128);
    EXPECT_TRUE(ParseTransformMap(Numbers(128, 0, " ,\t "), map));  // blanks around commas
    EXPECT_EQ(map[127], 127);

    for (const std::string& text :
         {Numbers(127), Numbers(127) + ",", "0,," + Numbers(126), "128," + Numbers(127),
          Numbers(127) + ",4294967297", "-1," + Numbers(127), std::string()}) {
        map.fill(3);
        EXPECT_FALSE(ParseTransformMap(text, map)) << text;
        EXPECT_EQ(map[0], kInvalidMapMark) << text;
    }
}

TEST(NoteTransformStore, ReadsEachFileToItsFirstMissingMapAndNamesPresetsFromThePrompts) {
    PromptTable prompts;
    const ProfileStore presets =
        Ini("xfrm0=" + Numbers(128) + "\nxfrm1=" + Numbers(128, 1) + "\nxfrm2=" + Numbers(128) +
            "\nxfrm3=" + Numbers(128) + "\nxfrm5=" + Numbers(128));
    const ProfileStore user = Ini("name0=Mine\nxfrm0=" + Numbers(128, 7) +
                                  "\nxfrm1=" + Numbers(128) + "\nxfrm2=-" + Numbers(128));
    ASSERT_TRUE(prompts.SetText(prompt::tools_ntxfm_1, "Spiegeln"));
    NoteTransforms store;
    std::vector<std::string> errors;
    ASSERT_TRUE(store.Load(presets, user, prompts, &errors));
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(store.Count(), 6u);  // xfrm4 missing ends the presets, "-" the user's list
    EXPECT_EQ(store.PresetCount(), 4u);
    EXPECT_EQ(store.At(1)->name, "Spiegeln");
    EXPECT_EQ(store.At(1)->map[0], 1);
    EXPECT_EQ(store.At(3)->name, "All notes same");
    EXPECT_EQ(store.At(4)->name, "Mine");
    EXPECT_EQ(store.At(4)->map[0], 7);
    EXPECT_EQ(store.At(5)->name, "-");  // a user map without a name
    EXPECT_EQ(store.At(6), nullptr);

    std::string many;  // at most 50 maps a file
    for (int i = 0; i < 52; ++i)
        many += "xfrm" + std::to_string(i) + "=" + Numbers(128) + "\n";
    ASSERT_TRUE(store.Load(Ini(many), Ini(many), prompts, &errors));
    EXPECT_EQ(store.Count(), 100u);
    EXPECT_EQ(store.At(49)->name, "Transform 49");

    // 128 numbers spread over more than 1200 characters are cut short.
    ASSERT_TRUE(store.Load(Ini("xfrm0=" + Numbers(128, 0, ",       ")), Ini(""), prompts, &errors));
    EXPECT_EQ(errors, std::vector<std::string>{"Error loading preset note transform: xfrm0"});
    EXPECT_FALSE(store.AnyValid());
}

TEST(NoteTransformStore, ABadMapIsReportedByKeyAndLeftOutOfTheDialogWhileTheOthersLoad) {
    PromptTable prompts;
    const ProfileStore presets = Ini("xfrm0=" + Numbers(128) + "\nxfrm1=" + Numbers(127) +
                                     "\nxfrm2=\nxfrm3=" + Numbers(128, 3));
    const ProfileStore user = Ini("name0=Broken\nxfrm0=1,128\nname1=Fine\nxfrm1=" + Numbers(128));
    NoteTransforms store;
    std::vector<std::string> errors;
    ASSERT_TRUE(store.Load(presets, user, prompts, &errors));
    EXPECT_EQ(errors, (std::vector<std::string>{"Error loading preset note transform: xfrm1",
                                                "Error loading preset note transform: xfrm2",
                                                "Error loading user note transform: xfrm0"}));
    ASSERT_EQ(store.Count(), 6u);
    NoteTransformForm form(store);
    std::vector<std::pair<std::size_t, std::string>> listed;
    for (const auto& entry : form.Transforms())
        listed.emplace_back(entry.transform, entry.name);
    EXPECT_EQ(listed, (std::vector<std::pair<std::size_t, std::string>>{
                          {0, "No transformation"}, {3, "All notes same"}, {5, "Fine"}}));
}

TEST(NoteTransformDialog, PreselectsMapZeroOnlyWhenValidAndReadsTypedChoices) {
    PromptTable prompts;
    NoteTransforms store;
    ASSERT_TRUE(
        store.Load(Ini("xfrm0=" + Numbers(128) + "\nxfrm1=" + Numbers(128)), Ini(""), prompts));
    NoteTransformForm form(store);
    ASSERT_TRUE(form.Ok());
    EXPECT_EQ(form.Ok()->transform, 0u);
    EXPECT_EQ(form.Ok()->keyIndex, 0u);
    EXPECT_TRUE(form.SetTransformText("invert PITCH"));
    EXPECT_FALSE(form.SetTransformText("Invert"));
    EXPECT_EQ(form.Ok()->transform, 1u);

    for (const auto& [text, key] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"f#", 6}, {"G", 7}, {"Eb", 3}, {"G4", 7}, {"B#3", 0}, {"11", 11}}) {
        form.SelectKey(5);
        EXPECT_TRUE(form.SetKeyText(text)) << text;
        EXPECT_EQ(form.KeySelection(), key) << text;
    }
    for (const char* text : {"", "12", "H", "-1", "C#x", "1x"}) {
        EXPECT_FALSE(form.SetKeyText(text)) << text;
        EXPECT_EQ(form.KeySelection(), 11u) << text;
    }

    // With map 0 broken nothing is chosen, and OK must not run map 0.
    ASSERT_TRUE(store.Load(Ini("xfrm0=1\nxfrm1=" + Numbers(128)), Ini(""), prompts));
    NoteTransformForm broken(store);
    EXPECT_FALSE(broken.Ok());
    broken.SelectTransform(0);
    EXPECT_EQ(broken.Ok()->transform, 1u);
}

}  // namespace
}  // namespace kvs
