#include <gtest/gtest.h>

#include "host/host_layout.h"
#include "module/call_patch.h"

// The 5-byte call at 0x6E75A7 counts its displacement from 0x6E75AC, and both directions
// wrap modulo 2^32.
TEST(CallPatch, DisplacementArithmeticWrapsInBothDirections) {
    const std::uint32_t next = hostlayout::callNextInstruction;
    EXPECT_EQ(next, 0x6E75ACU);
    EXPECT_EQ(CallTarget(next, -0x100), 0x6E74ACU);
    EXPECT_EQ(CallTarget(next, -0x6E75AD), 0xFFFFFFFFU);
    EXPECT_EQ(CallTarget(0xFFFFFFF0U, 0x20), 0x10U);
    EXPECT_EQ(CallDisplacement(0xFFFFFFF0U, 0x10), 0x20);
    for (const std::uint32_t target : {0x00401000U, 0x6E74ACU, 0x7FFE0000U}) {
        EXPECT_EQ(CallTarget(next, CallDisplacement(next, target)), target);
    }
}
