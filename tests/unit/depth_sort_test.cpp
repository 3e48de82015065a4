// The far-to-near sort against a stable sort of the same keys, on both sides of the radix
// threshold, with depths that share digits or signs; and without scratch memory.
#include <algorithm>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

#include "bars/depth_sort.h"
#include "tests/support/counting_allocator.h"

namespace {

TEST(DepthSort, KeysOrderFartherFirstAndPlusZeroJustBeforeMinusZero) {
    const float ordered[] = {1e30f, 100.0f, 1.0f, 1e-30f, 0.0f, -0.0f, -1e-30f, -1.0f, -1e30f};
    for (std::size_t i = 1; i < std::size(ordered); ++i) {
        EXPECT_LT(FartherFirstKey(ordered[i - 1]), FartherFirstKey(ordered[i])) << i;
    }
    EXPECT_EQ(FartherFirstKey(-0.0f) - FartherFirstKey(0.0f), 1U);
}

// Each entry carries its first index in anchor.w, exact as a float below 2^24.
BarList ListOf(const std::vector<float>& depths) {
    BarList list(depths.size());
    for (std::size_t i = 0; i < depths.size(); ++i) {
        list[i].anchor = {0.0f, 0.0f, depths[i], float(i)};
    }
    return list;
}

// Keys spread over every digit, sharing their upper digits (one binade), or a few values
// repeated, signed zeros and denormals among them.
TEST(DepthSort, EqualDepthsKeepTheirOrderOnEveryPath) {
    DepthSortScratch scratch;
    std::mt19937 random(20261207);
    const float few[] = {7.5f, 30.0f, 0.0f, -0.0f, 1e-38f, -1e-45f};
    for (int kind = 0; kind < 3; ++kind) {
        for (const std::size_t n : {2, 3, 1023, 1024, 5000}) {
            std::vector<float> depths(n);
            for (float& d : depths) {
                d = kind == 0   ? std::uniform_real_distribution<float>(-500.0f, 500.0f)(random)
                    : kind == 1 ? 16.0f + float(random() % 65536) / 8192.0f
                                : few[random() % 6];
            }
            std::vector<std::size_t> expected(n);
            std::iota(expected.begin(), expected.end(), 0);
            std::stable_sort(expected.begin(), expected.end(), [&](auto a, auto b) {
                return FartherFirstKey(depths[a]) < FartherFirstKey(depths[b]);
            });
            BarList list = ListOf(depths);
            SortFarToNear(list, scratch);
            for (std::size_t i = 0; i < n; ++i) {
                ASSERT_EQ(std::size_t(list[i].anchor.w), expected[i]) << i << " of " << n;
            }
        }
    }
}

TEST(DepthSort, WithoutScratchMemoryTheListIsStillFarToNear) {
    std::vector<float> depths(3000);
    for (std::size_t i = 0; i < depths.size(); ++i) {
        depths[i] = float(i * 7919 % 500);
    }
    DepthSortScratch none;
    BarList list = ListOf(depths);
    countingallocator::failAllocations = true;
    SortFarToNear(list, none);
    countingallocator::failAllocations = false;
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                               [](auto& a, auto& b) { return a.anchor.z > b.anchor.z; }));
}

} // namespace
