// The shipped preset file must do what each preset's name says.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/data_folder.h"
#include "config/prompt_table.h"
#include "model/track.h"
#include "tools/note_transform.h"
#include "tools/note_transform_file.h"

namespace kvs {
namespace {

const std::string kShipped = std::string(KVS_TEST_DATA_DIR) + "/../../data/";

class ShippedPresets : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(
            store_.LoadFiles(kShipped + "notexfrm.ini", kShipped + "none.ini", prompts_, &errors_));
    }
    const TransformMap& Map(std::size_t index) const { return store_.At(index)->map; }

    PromptTable prompts_;
    NoteTransforms store_;
    std::vector<std::string> errors_;
};

TEST_F(ShippedPresets, EveryNamedPresetLoadsAndAMissingUserFileSaysNothing) {
    EXPECT_TRUE(errors_.empty());
    ASSERT_EQ(store_.Count(), 29u);
    for (std::size_t i = 0; i < store_.Count(); ++i)
        EXPECT_EQ(store_.At(i)->name, prompts_.Text(prompt::tools_ntxfm_0 + i)) << i;
    for (int k = 0; k < 128; ++k) {
        EXPECT_EQ(Map(0)[k], k);   // No transformation
        EXPECT_EQ(Map(3)[k], 60);  // All notes same
    }
}

TEST(ShippedPresetFile, IsCopiedIntoADataFolderThatLacksItButNeverOverAnEditedOne) {
    namespace fs = std::filesystem;
    std::string data = (fs::temp_directory_path() / "kvs-xfrm-data-XXXXXX").string();
    ASSERT_NE(mkdtemp(data.data()), nullptr);
    const auto slurp = [](const fs::path& file) {
        std::ostringstream text;
        text << std::ifstream(file, std::ios::binary).rdbuf();
        return text.str();
    };
    ResultCode error = 1;
    CopyShippedFiles(kShipped, data, &error);
    EXPECT_EQ(error, kResultOk);
    EXPECT_EQ(slurp(fs::path(data) / "notexfrm.ini"), slurp(kShipped + "notexfrm.ini"));
    std::ofstream(fs::path(data) / "notexfrm.ini", std::ios::trunc) << "[NoteXfrm]\n";
    CopyShippedFiles(kShipped, data, &error);
    EXPECT_EQ(slurp(fs::path(data) / "notexfrm.ini"), "[NoteXfrm]\n");
    fs::remove_all(data);
}

TEST_F(ShippedPresets, MajorAndMinorSwapTheThirdSixthAndSeventhDegreesAndNothingElse) {
    for (std::uint32_t keyIndex = 0; keyIndex < 12; ++keyIndex) {
        const int base = BaseOffset(keyIndex);
        for (int key = std::max(base, 1); key < std::min(127 + base, 127); ++key) {
            const int degree = (key - base) % 12;
            const bool third = degree == 4 || degree == 9 || degree == 11;
            const bool flat = degree == 3 || degree == 8 || degree == 10;
            EXPECT_EQ(TransformKey(key, Map(12), base), key - third) << key << "/" << base;
            EXPECT_EQ(TransformKey(key, Map(13), base), key + flat) << key << "/" << base;
        }
    }
    // D major through the pass becomes D natural minor.
    Track track;
    const int dMajor[] = {62, 64, 66, 67, 69, 71, 73, 74};
    const int dMinor[] = {62, 64, 65, 67, 69, 70, 72, 74};
    for (std::uint32_t i = 0; i < 8; ++i) {
        ASSERT_TRUE(track.AddEvent(i * 192, PackMessage(0x91, dMajor[i], 90)));
        ASSERT_TRUE(track.AddEvent(i * 192 + 100, PackMessage(0x81, dMajor[i])));
    }
    ASSERT_TRUE(TransformNotes(track, 0, track.BeatCount(), Map(12), 2));
    for (std::uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ((*track.Bucket(i))[0].message, PackMessage(0x91, dMinor[i], 90)) << i;
        EXPECT_EQ((*track.Bucket(i))[1].message, PackMessage(0x81, dMinor[i])) << i;
    }
}

TEST_F(ShippedPresets, IntervalShiftsWalkTheScaleOfTheBaseKey) {
    // G major (base -5), G3 to G5; an off-scale note follows the scale note below it.
    const std::vector<int> scale = {55, 57, 59, 60, 62, 64, 66, 67, 69, 71, 72, 74, 76, 78, 79};
    for (int steps = 1; steps <= 4; ++steps) {
        for (std::size_t i = 0; i + steps < scale.size(); ++i) {
            EXPECT_EQ(TransformKey(scale[i], Map(3 + steps), -5), scale[i + steps]) << steps;
            EXPECT_EQ(TransformKey(scale[i + steps], Map(7 + steps), -5), scale[i]) << steps;
            if (scale[i + 1] - scale[i] == 2) {
                EXPECT_EQ(TransformKey(scale[i] + 1, Map(3 + steps), -5),
                          TransformKey(scale[i], Map(3 + steps), -5) + 1);
            }
        }
    }
}

TEST_F(ShippedPresets, ChordsAndScalesTakeEachNoteToTheNearestOfTheirNotes) {
    const std::vector<std::set<int>> sets = {
        {0, 4, 7},           {0, 3, 7},     {0, 5, 7},   {0, 4, 7, 10}, {0, 3, 7, 10},
        {0, 4, 7, 11},       {0, 3, 6},     {0, 4, 8},   {0, 7},        {0, 2, 4, 7, 9},
        {0, 2, 4, 6, 8, 10}, {0, 5, 10, 3}, {0, 7, 2, 9}};  // presets 14 to 26
    for (std::size_t s = 0; s < sets.size(); ++s) {
        const TransformMap& map = Map(14 + s);
        for (int k = 0; k < 128; ++k) {
            int nearest = 128;
            for (int j = 0; j < 128; ++j)
                if (sets[s].count(j % 12)) nearest = std::min(nearest, std::abs(j - k));
            EXPECT_TRUE(sets[s].count(map[k] % 12)) << store_.At(14 + s)->name << " " << k;
            EXPECT_EQ(std::abs(map[k] - k), nearest) << store_.At(14 + s)->name << " " << k;
        }
    }
    // In A (base -3) the major chord is A, C# and E.
    EXPECT_EQ(TransformKey(58, Map(14), -3), 57);
    EXPECT_EQ(TransformKey(62, Map(14), -3), 61);
    EXPECT_EQ(TransformKey(65, Map(14), -3), 64);
}

TEST_F(ShippedPresets, InversionsMirrorPitchAroundTheBaseAndOctavesAroundOctaveFour) {
    for (int k = 12; k <= 120; ++k) {
        EXPECT_EQ(Map(1)[k], 120 - k) << k;
        EXPECT_EQ(Map(2)[k] % 12, k % 12) << k;
        EXPECT_EQ(Map(2)[Map(2)[k]], k) << k;
    }
    EXPECT_EQ(Map(2)[67], 67);
    EXPECT_EQ(Map(2)[72], 48);
    EXPECT_EQ(TransformKey(68, Map(1), 4), 60);  // in E, G#4 becomes C4
}

TEST_F(ShippedPresets, RhythmMapsMoveTheKitExtrasBothWaysAndKeepTheCommonKit) {
    const TransformMap& gsToXg = Map(27);
    const TransformMap& xgToGs = Map(28);
    for (int k = 35; k <= 84; ++k)
        EXPECT_TRUE(gsToXg[k] == k && xgToGs[k] == k) << k;
    // High Q, slap, scratches, sticks, metronome, castanets, surdos, roll, snap.
    const std::vector<std::pair<int, int>> moved = {{27, 15}, {28, 16}, {29, 17}, {30, 18},
                                                    {31, 32}, {33, 21}, {34, 22}, {85, 30},
                                                    {86, 13}, {87, 14}, {25, 29}, {26, 19}};
    for (const auto& [gs, xg] : moved)
        EXPECT_TRUE(gsToXg[gs] == xg && xgToGs[xg] == gs) << gs;
    EXPECT_EQ(xgToGs[33], 35);  // soft kick to a kick
    EXPECT_EQ(xgToGs[31], 38);  // soft snare to a snare
}

}  // namespace
}  // namespace kvs
