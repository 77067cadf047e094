#include "model/value_message.h"

#include <gtest/gtest.h>

#include "model/event.h"

namespace kvs {
namespace {

TEST(ValueMessage, BuildsEachKindWithItsClamp) {
    EXPECT_EQ(BuildValueMessage(2, 7, 100), PackMessage(0xB2, 7, 100));
    EXPECT_EQ(BuildValueMessage(2, 7, 300), PackMessage(0xB2, 7, 127));
    EXPECT_EQ(BuildValueMessage(0, kValueProgram, 200), PackMessage(0xC0, 127));
    EXPECT_EQ(BuildValueMessage(15, kValueAftertouch, 64), PackMessage(0xDF, 64));
    EXPECT_EQ(BuildValueMessage(0, kValuePitchBend, 0), PackMessage(0xE0, 0x00, 0x40));
    EXPECT_EQ(BuildValueMessage(0, kValuePitchBend, 9000), PackMessage(0xE0, 0x7F, 0x7F));
    EXPECT_EQ(BuildValueMessage(0, kValuePitchBend, -9000), PackMessage(0xE0, 0x00, 0x00));
    EXPECT_EQ(BuildValueMessage(3, kValueTempo, 5), EVT_TEMPO | (10u << 8));
    EXPECT_EQ(BuildValueMessage(3, kValueTempo, 999), EVT_TEMPO | (480u << 8));
    EXPECT_EQ(BuildValueMessage(3, kValueTimeSig, 40), PackMessage(EVT_TIMESIG, 32, 2));
    EXPECT_EQ(BuildValueMessage(1, kValueNote, 60), PackMessage(0x91, 60, 0));
    // The channel never leaks into the status's kind.
    EXPECT_EQ(BuildValueMessage(0x1F, 10, 1), PackMessage(0xBF, 10, 1));
    EXPECT_EQ(BuildValueMessage(0, kValueKindCount, 1), 0u);
}

TEST(ValueMessage, ValueAndKindReadBackWhatWasBuilt) {
    for (std::uint32_t kind = 0; kind < kValueKindCount; ++kind) {
        for (std::int32_t value : {-8192, -1, 0, 1, 10, 64, 127, 480, 8191}) {
            const std::uint32_t message = BuildValueMessage(5, kind, value);
            EXPECT_EQ(ValueKindOf(message), kind) << kind;
            // Building again from what was read gives the same message.
            EXPECT_EQ(BuildValueMessage(Channel(message), kind, MessageValue(message)), message)
                << kind << " " << value;
        }
    }
    EXPECT_EQ(MessageValue(BuildValueMessage(0, kValuePitchBend, -8192)), -8192);
    EXPECT_EQ(MessageValue(BuildValueMessage(0, kValuePitchBend, 8191)), 8191);
    EXPECT_EQ(MessageValue(PackMessage(0xF8)), 0);
    EXPECT_EQ(ValueKindOf(PackMessage(0xA0, 60, 5)), kValueKindCount);
}

}  // namespace
}  // namespace kvs
