// Native host memory: whatever was written, a reset makes every byte read 0 again.
#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

#include "host/host_memory.h"

// The module and the tests read host memory through a pointer to const: a write that
// bypassed WriteHostMemory would escape the reset.
static_assert(std::is_same_v<decltype(HostBytes(0)), const unsigned char*>);
static_assert(std::is_same_v<decltype(hostMemoryBase), const unsigned char* const>);

namespace {

struct Range {
    HostAddress address;
    std::size_t size;
};

void Fill(const Range& range, unsigned char byte) {
    const std::vector<unsigned char> bytes(range.size, byte);
    WriteHostMemory(range.address, bytes.data(), bytes.size());
}

// The range and a few bytes either side, where they exist, read 0.
::testing::AssertionResult ReadsZero(const Range& range) {
    const std::uint64_t first = range.address >= 16 ? range.address - 16 : 0;
    const std::uint64_t end = std::min<std::uint64_t>(
        std::uint64_t{range.address} + range.size + 16, std::uint64_t{1} << 32);
    for (std::uint64_t a = first; a < end; ++a) {
        if (*HostBytes(static_cast<HostAddress>(a)) != 0) {
            return ::testing::AssertionFailure()
                   << (::testing::Message() << "byte at 0x" << std::hex << a)
                   << " survived the reset";
        }
    }
    return ::testing::AssertionSuccess();
}

class HostMemoryTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetHostMemory(); }
    void TearDown() override { ResetHostMemory(); }
};

TEST_F(HostMemoryTest, EveryWrittenRangeReadsZeroAfterReset) {
    const std::vector<Range> ranges = {
        {0x0, 1},                   // the first byte
        {0x00401000, 4},            // an aligned word
        {0x00401C3E, 4},            // across a cache line
        {0x00402FFE, 8},            // across a page boundary
        {0x30000123, 3 * 4096 + 5}, // several pages, starting and ending mid-page
        {0x7FFFFFFF, 2},            // across the middle of the region
        {0xFFFFFFFC, 4},            // the last bytes
    };
    for (const Range& range : ranges) {
        Fill(range, 0xA5);
        ASSERT_EQ(*HostBytes(range.address + static_cast<HostAddress>(range.size) - 1), 0xA5);
    }
    ResetHostMemory();
    for (const Range& range : ranges) {
        ASSERT_TRUE(ReadsZero(range));
    }
}

TEST_F(HostMemoryTest, AddressWrittenAgainAfterResetIsResetAgain) {
    const Range range{0x40000010, 4};
    Fill(range, 1);
    ResetHostMemory();
    Fill(range, 2);
    ResetHostMemory();
    EXPECT_TRUE(ReadsZero(range));
}

TEST_F(HostMemoryTest, ManyScatteredWritesAllReadZeroAfterReset) {
    std::vector<Range> ranges;
    for (HostAddress i = 0; i < 8000; ++i) {
        ranges.push_back({0x10000000 + i * 0x3000 + (i % 7) * 61, 1 + i % 9});
    }
    for (const Range& range : ranges) {
        Fill(range, 0x5A);
    }
    ResetHostMemory();
    for (const Range& range : ranges) {
        ASSERT_TRUE(ReadsZero(range));
    }
}

TEST_F(HostMemoryTest, MoreWrittenThanTrackedAllReadsZeroAfterReset) {
    // Megabytes written: past what a reset zeroes piece by piece, it drops the whole region.
    std::vector<Range> ranges;
    for (HostAddress i = 0; i < 2000; ++i) {
        ranges.push_back({0x20000000 + i * 0x3000 + (i % 7), 4096});
    }
    for (const Range& range : ranges) {
        Fill(range, 0x5A);
    }
    ResetHostMemory();
    for (const Range& range : ranges) {
        ASSERT_TRUE(ReadsZero(range));
    }
    // And the next reset, back to zeroing piece by piece, still finds what is written.
    Fill(ranges.front(), 0x5A);
    Fill(ranges.back(), 0x5A);
    ResetHostMemory();
    EXPECT_TRUE(ReadsZero(ranges.front()));
    EXPECT_TRUE(ReadsZero(ranges.back()));
}

TEST_F(HostMemoryTest, WriteReadsBackWhatWasWritten) {
    const std::uint32_t value = 0xB80933AA;
    WriteHostMemory(0x31000000, &value, sizeof value);
    EXPECT_EQ(ReadHost<std::uint32_t>(0x31000000), value);
}

} // namespace
