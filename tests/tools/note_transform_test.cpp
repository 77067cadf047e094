#include "tools/note_transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "config/profile_store.h"
#include "config/prompt_table.h"
#include "tool_test_support.h"
#include "tools/note_transform_file.h"
#include "tools/note_transform_form.h"

namespace kvs {
namespace {

using test::Events;
using Timed = std::vector<test::TimedMessage>;
using Strings = std::vector<std::string>;

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

TransformMap Constant(std::uint8_t value) {
    TransformMap map{};
    map.fill(value);
    return map;
}

TEST(TransformMapText, ReadsExactlyTheFirst128NumbersAndRejectsAnythingShortOrOutOfRange) {
    TransformMap map{};
    EXPECT_TRUE(ParseTransformMap(Numbers(130, 5), map));  // the last two are ignored
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

TEST(NoteTransformStore, ReadsEachFileToItsEndReportingBadMapsAndOfferingOnlyGoodOnes) {
    PromptTable prompts;
    ASSERT_TRUE(prompts.SetText(prompt::tools_ntxfm_3, "Alle gleich"));
    // xfrm4 missing ends the presets, a "-" the user's list.
    const ProfileStore presets =
        Ini("xfrm0=" + Numbers(128) + "\nxfrm1=" + Numbers(127) +
            "\nxfrm2=\nxfrm3=" + Numbers(128, 3) + "\nxfrm5=" + Numbers(128));
    const ProfileStore user =
        Ini("name0=Broken\nxfrm0=1,128\nname1=Mine\nxfrm1=" + Numbers(128, 7) +
            "\nxfrm2=" + Numbers(128) + "\nxfrm3=-" + Numbers(128));
    NoteTransforms store;
    Strings errors;
    ASSERT_TRUE(store.Load(presets, user, prompts, &errors));
    EXPECT_EQ(errors, (Strings{"Error loading preset note transform: xfrm1",
                               "Error loading preset note transform: xfrm2",
                               "Error loading user note transform: xfrm0"}));
    ASSERT_EQ(store.Count(), 7u);
    EXPECT_EQ(store.PresetCount(), 4u);
    EXPECT_EQ(store.At(5)->map[0], 7);
    std::vector<std::pair<std::size_t, std::string>> listed;
    const NoteTransformForm form(store);
    for (const auto& entry : form.Transforms())
        listed.emplace_back(entry.transform, entry.name);
    EXPECT_EQ(listed, (std::vector<std::pair<std::size_t, std::string>>{
                          {0, "No transformation"}, {3, "Alle gleich"}, {5, "Mine"}, {6, "-"}}));

    std::string many;  // at most 50 maps a file
    for (int i = 0; i < 52; ++i)
        many += "xfrm" + std::to_string(i) + "=" + Numbers(128) + "\n";
    errors.clear();
    ASSERT_TRUE(store.Load(Ini(many), Ini(many), prompts, &errors));
    EXPECT_EQ(store.Count(), 100u);
    EXPECT_EQ(store.At(49)->name, "Transform 49");
    // 128 numbers spread over more than 1200 characters are cut short.
    ASSERT_TRUE(store.Load(Ini("xfrm0=" + Numbers(128, 0, ",       ")), Ini(""), prompts, &errors));
    EXPECT_EQ(errors, Strings{"Error loading preset note transform: xfrm0"});
    EXPECT_FALSE(store.AnyValid());
}

TEST(NoteTransformDialog, PreselectsMapZeroOnlyWhenValidAndReadsTypedChoices) {
    PromptTable prompts;
    NoteTransforms store;
    ASSERT_TRUE(
        store.Load(Ini("xfrm0=" + Numbers(128) + "\nxfrm1=" + Numbers(128)), Ini(""), prompts));
    NoteTransformForm form(store);
    ASSERT_TRUE(form.Ok());
    EXPECT_EQ(form.Ok()->transform, 0u);
    EXPECT_TRUE(form.SetTransformText("invert PITCH"));
    EXPECT_FALSE(form.SetTransformText("Invert"));
    EXPECT_EQ(form.Ok()->transform, 1u);
    for (const auto& [text, key] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"f#", 6}, {"Eb", 3}, {"G4", 7}, {"B#3", 0}, {"11", 11}}) {
        form.SelectKey(5);
        EXPECT_TRUE(form.SetKeyText(text)) << text;
        EXPECT_EQ(form.KeySelection(), key) << text;
    }
    for (const char* text : {"", "12", "H", "-1", "C#x", "1x"})
        EXPECT_FALSE(form.SetKeyText(text)) << text;
    EXPECT_EQ(form.KeySelection(), 11u);

    // With map 0 broken nothing is chosen, and OK must not run map 0.
    ASSERT_TRUE(store.Load(Ini("xfrm0=1\nxfrm1=" + Numbers(128)), Ini(""), prompts));
    NoteTransformForm broken(store);
    EXPECT_FALSE(broken.Ok());
    broken.SelectTransform(0);
    EXPECT_EQ(broken.Ok()->transform, 1u);
}

TEST(NoteTransformKey, ReadsTheMapRelativeToTheBaseAndClampsAtBothEnds) {
    TransformMap probe{};
    std::iota(probe.begin(), probe.end(), std::uint8_t{0});
    probe[72] = 10;
    probe[0] = 40;
    EXPECT_EQ(TransformKey(67, probe, BaseOffset(7)), 5);  // G: base -5, G4 uses entry 72
    EXPECT_EQ(TransformKey(1, probe, BaseOffset(6)), 46);  // below the base: entry 0
    EXPECT_EQ(TransformKey(99, Constant(0), BaseOffset(2)), 2);
    EXPECT_EQ(TransformKey(0, Constant(127), BaseOffset(6)), 127);  // 127 + 6 clamped
    EXPECT_EQ(TransformKey(64, Constant(200), 0), 127);             // an entry above 127

    // The identity keeps keys b to 127 + b and clamps the others into that span.
    probe[72] = 72;
    probe[0] = 0;
    for (std::uint32_t keyIndex = 0; keyIndex < 12; ++keyIndex) {
        const int b = BaseOffset(keyIndex);
        EXPECT_EQ(b, keyIndex > 6 ? static_cast<int>(keyIndex) - 12 : static_cast<int>(keyIndex));
        for (int key = 0; key < 128; ++key)
            ASSERT_EQ(TransformKey(key, probe, b),
                      std::clamp(key, std::max(b, 0), 127 + std::min(b, 0)))
                << key << " base " << b;
    }
}

TEST(NoteTransformPass, ChangesOnlyTheKeysOfNotesBegunInTheRange) {
    // Beat 0 before the range (beats 1 and 2), beat 3 after it; the note at
    // 200 ends in beat 4 with a velocity-0 note on.
    const std::uint32_t control = PackMessage(0xB3, 7, 90);
    const auto notes = [&](int a, int b, int c) {
        return Timed{
            {10, test::On(0, 60)}, {100, test::Off(0, 60)}, {200, test::On(3, a, 77)},
            {250, control},        {300, test::On(0, b)},   {310, test::Off(0, b)},
            {600, test::On(0, c)}, {700, test::Off(0, c)},  {900, PackMessage(0x93, a, 0)}};
    };
    Track track;
    for (const auto& [tick, message] : notes(62, 64, 67))
        track.AddEvent(tick, message);
    ASSERT_TRUE(TransformNotes(track, 1, 3, Constant(40), 0));
    EXPECT_EQ(Events(track), notes(40, 40, 67));

    // An empty or reversed range, or one past the end, changes nothing.
    for (const auto& [first, end] : {std::pair{2u, 2u}, {2u, 1u}, {5u, 100u}})
        EXPECT_TRUE(TransformNotes(track, first, end, Constant(0), 0));
    EXPECT_EQ(Events(track), notes(40, 40, 67));
}

// Spot checks that each kind of shipped preset does what its name says.
TEST(ShippedPresets, EachKindOfPresetDoesWhatItsNameSays) {
    const std::string shipped = std::string(KVS_TEST_DATA_DIR) + "/../../data/";
    PromptTable prompts;
    NoteTransforms store;
    Strings errors;
    ASSERT_TRUE(store.LoadFiles(shipped + "notexfrm.ini", shipped + "none.ini", prompts, &errors));
    ASSERT_TRUE(errors.empty());
    ASSERT_EQ(store.Count(), 29u);
    const auto Map = [&store](std::size_t index) -> const TransformMap& {
        return store.At(index)->map;
    };
    for (std::size_t i = 0; i < store.Count(); ++i)
        EXPECT_EQ(store.At(i)->name, prompts.Text(prompt::tools_ntxfm_0 + i)) << i;
    for (int k = 0; k < 128; ++k)
        EXPECT_TRUE(Map(0)[k] == k && Map(3)[k] == 60) << k;  // none; all notes same
    // In G (base -5): major to minor lowers B, minor to major raises B flat.
    EXPECT_EQ(TransformKey(71, Map(12), -5), 70);
    EXPECT_EQ(TransformKey(70, Map(13), -5), 71);
    EXPECT_EQ(TransformKey(72, Map(12), -5), 72);
    // Up a step and down two walk the G major scale; an off-scale note moves with the one below.
    EXPECT_EQ(TransformKey(66, Map(4), -5), 67);
    EXPECT_EQ(TransformKey(67, Map(4), -5), 69);
    EXPECT_EQ(TransformKey(68, Map(4), -5), 70);
    EXPECT_EQ(TransformKey(71, Map(9), -5), 67);
    // Chords take each note to the nearest chord note: in A the major chord has C#.
    EXPECT_EQ(TransformKey(62, Map(14), -3), 61);
    for (int k = 0; k < 128; ++k) {
        const int to = Map(15)[k];  // minor chord
        EXPECT_TRUE((to % 12 == 0 || to % 12 == 3 || to % 12 == 7) && std::abs(to - k) <= 2) << k;
    }
    // Inversions mirror: in E, G#4 becomes C4.
    EXPECT_EQ(Map(1)[12], 108);
    EXPECT_EQ(Map(2)[72], 48);
    EXPECT_EQ(TransformKey(68, Map(1), 4), 60);
    // The drum kit maps swap the extras both ways and leave the common kit alone.
    for (int k = 35; k <= 84; ++k)
        EXPECT_TRUE(Map(27)[k] == k && Map(28)[k] == k) << k;
    for (const auto& [gs, xg] : std::vector<std::pair<int, int>>{{27, 15}, {85, 30}, {26, 19}})
        EXPECT_TRUE(Map(27)[gs] == xg && Map(28)[xg] == gs) << gs;
    EXPECT_EQ(Map(28)[33], 35);  // soft kick to a kick
}

}  // namespace
}  // namespace kvs
