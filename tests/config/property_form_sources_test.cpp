#include "config/property_form_sources.h"

#include <gtest/gtest.h>

namespace kvs {
namespace {

TEST(PromptTableSource, EveryFormTextIsAPromptWithItsBuiltinText) {
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

TEST(InstrumentListSource, OffersTheChannelsSoundsOrTheAnyChannelOnes) {
    InstrumentList list;
    list.name = "Synth";
    list.entries = {{kAnyChannel, 0, 0, "Piano"}, {9, 0, 128, "Kit"}, {9, 200, 20000, "Odd"}};
    InstrumentLists lists;
    lists.SetLists({list});
    lists.SetAssignments({kNoInstrumentList, 0});
    InstrumentListSource source(lists);

    EXPECT_FALSE(source.Choices(0, 9)) << "a port without a list";
    EXPECT_FALSE(source.Choices(5, 9)) << "a port beyond the table";
    const auto drums = source.Choices(1, 9);
    ASSERT_TRUE(drums);
    ASSERT_EQ(drums->size(), 2u);
    EXPECT_EQ((*drums)[0].name, "Kit");
    EXPECT_EQ((*drums)[0].bank, 128);
    // Values are passed as the file wrote them; the form clamps them.
    EXPECT_EQ((*drums)[1].program, 200);
    EXPECT_EQ((*drums)[1].bank, 20000);
    const auto other = source.Choices(1, 3);
    ASSERT_TRUE(other);
    ASSERT_EQ(other->size(), 1u);
    EXPECT_EQ((*other)[0].name, "Piano");
}

}  // namespace
}  // namespace kvs
