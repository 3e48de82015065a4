#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "overlay/color.h"

TEST(PackColor, TruncatesEachComponentAndOrdersArgb) {
    EXPECT_EQ(PackColor({1.0f, 0.0f, 0.0f, 0.7f}), 0xB2FF0000U);
    EXPECT_EQ(PackColor({0.5f, 0.5f, 0.5f, 0.5f}), 0x7F7F7F7FU);
    EXPECT_EQ(PackColor({0.0f, 0.0f, 1.0f, 1.0f}), 0xFF0000FFU);
    EXPECT_EQ(PackColor({0.9f, 0.9f, 0.9f, 0.0f}), 0x00E5E5E5U);
}

TEST(PackColor, OutOfRangeAndNanComponentsStayInTheirByte) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(PackColor({nan, 0.0f, 0.0f, 1.0f}), 0xFF000000U);
    EXPECT_EQ(PackColor({2.0f, -1.0f, inf, -inf}), 0x00FF00FFU);
    EXPECT_EQ(PackColor({1e30f, 0.0f, 0.0f, 0.0f}), 0x00FF0000U);
}
