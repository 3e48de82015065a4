#include <gtest/gtest.h>

#include "host/host_layout.h"
#include "module/call_patch.h"

TEST(CallPatch, TargetAndDisplacementRoundTripInBothDirections) {
    const std::uint32_t next = hostlayout::callNextInstruction;
    for (const std::uint32_t target : {0x00401000U, 0x006E75ACU, 0x6E2C1000U, 0x7FFE0000U}) {
        EXPECT_EQ(CallTarget(next, CallDisplacement(next, target)), target);
    }
}

TEST(CallPatch, NegativeDisplacementReachesBelowTheCallSite) {
    EXPECT_EQ(CallTarget(0x6E75AC, -0x100), 0x6E74ACU);
    EXPECT_EQ(CallDisplacement(0x6E75AC, 0x6E74AC), -0x100);
}

TEST(CallPatch, ArithmeticWrapsModulo2To32) {
    EXPECT_EQ(CallTarget(0x6E75AC, -0x6E75AD), 0xFFFFFFFFU);
    EXPECT_EQ(CallTarget(0xFFFFFFF0U, 0x20), 0x10U);
    EXPECT_EQ(CallDisplacement(0xFFFFFFF0U, 0x10), 0x20);
}
