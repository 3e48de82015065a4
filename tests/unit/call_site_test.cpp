#include <gtest/gtest.h>

#include "host/host_layout.h"
#include "module/call_site.h"

// The 5-byte call at 0x6E75A7 counts its displacement from the next instruction, 0x6E75AC,
// and wraps modulo 2^32: a callee below the call site, one past the top of the address
// space, and the displacement that leads to a callee below.
TEST(CallSite, DisplacementCountsFromTheNextInstructionAndWraps) {
    const std::uint32_t next = hostlayout::callNextInstruction;
    EXPECT_EQ(next, 0x6E75ACU);
    EXPECT_EQ(CallTarget(next, -0x100), 0x6E74ACU);
    EXPECT_EQ(CallTarget(0xFFFFFFF0U, 0x20), 0x10U);
    EXPECT_EQ(CallDisplacement(next, 0x00401000U), 0x00401000 - 0x6E75AC);
}
