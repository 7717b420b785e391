#include "generate/random.h"

#include <gtest/gtest.h>

namespace {

TEST(RandomTest, SeedOneGivesTheClassicSequence) {
    SeedRandom(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected)
        EXPECT_EQ(DrawRandom(), value);
}

TEST(RandomTest, StateFollowsTheRecurrenceAndWraps) {
    SeedRandom(0xFFFFFFFFu);
    const std::uint32_t next = 0xFFFFFFFFu * 214013u + 2531011u;
    const int value = DrawRandom();
    EXPECT_EQ(RandomState(), next);
    EXPECT_EQ(value, static_cast<int>((next >> 16) & 0x7FFF));
}

TEST(RandomTest, DrawsStayWithin15Bits) {
    SeedRandom(12345);
    for (int k = 0; k < 100000; ++k) {
        const int value = DrawRandom();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 0x7FFF);
    }
}

} // namespace
