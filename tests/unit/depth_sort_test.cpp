// The far-to-near sort against a stable comparison sort of the same keys, on both sides of
// the radix threshold.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "bars/depth_sort.h"

namespace {

// Each entry carries its original index in anchor.w, exact as a float below 2^24.
BarList ListOfDepths(const std::vector<float>& depths) {
    BarList list(depths.size());
    for (std::size_t i = 0; i < depths.size(); ++i) {
        list[i].anchor = {0.0f, 0.0f, depths[i], static_cast<float>(i)};
    }
    return list;
}

std::vector<std::size_t> ExpectedOrder(const std::vector<float>& depths) {
    std::vector<std::size_t> order(depths.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return FartherFirstKey(depths[a]) < FartherFirstKey(depths[b]);
    });
    return order;
}

void ExpectSortedLike(const std::vector<float>& depths, DepthSortScratch& scratch) {
    BarList list = ListOfDepths(depths);
    SortFarToNear(list, scratch);
    const std::vector<std::size_t> expected = ExpectedOrder(depths);
    ASSERT_EQ(list.size(), expected.size());
    std::size_t misplaced = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        misplaced += static_cast<std::size_t>(list[i].anchor.w) != expected[i];
    }
    EXPECT_EQ(misplaced, 0U) << "of " << list.size();
    for (std::size_t i = 1; i < list.size(); ++i) {
        ASSERT_FALSE(list[i - 1].anchor.z < list[i].anchor.z) << "depth rises at " << i;
    }
}

std::vector<float> RandomDepths(std::size_t n, std::mt19937& random, float low, float high) {
    std::uniform_real_distribution<float> depth(low, high);
    std::vector<float> depths(n);
    for (float& d : depths) {
        d = depth(random);
    }
    return depths;
}

class DepthSortTest : public ::testing::Test {
  protected:
    DepthSortScratch scratch{};
    std::mt19937 random{20261207};
};

TEST_F(DepthSortTest, KeysOrderFartherFirstAndPlusZeroJustBeforeMinusZero) {
    const float ordered[] = {1e30f, 100.0f, 1.0f, 1e-30f, 0.0f, -0.0f, -1e-30f, -1.0f, -1e30f};
    for (std::size_t i = 1; i < std::size(ordered); ++i) {
        EXPECT_LT(FartherFirstKey(ordered[i - 1]), FartherFirstKey(ordered[i])) << i;
    }
    EXPECT_EQ(FartherFirstKey(-0.0f) - FartherFirstKey(0.0f), 1U);
}

TEST_F(DepthSortTest, RandomListsFromTheThresholdToTenThousand) {
    for (std::size_t n : {radixSortMinimum - 1, radixSortMinimum, radixSortMinimum + 1,
                          std::size_t{2047}, std::size_t{4096}, std::size_t{10000}}) {
        SCOPED_TRACE(n);
        ExpectSortedLike(RandomDepths(n, random, -500.0f, 500.0f), scratch);
    }
}

TEST_F(DepthSortTest, ManyEqualDepthsKeepTheirOrder) {
    const float few[] = {7.5f, 30.0f, 7.5f, 120.0f};
    std::vector<float> depths(5000);
    for (std::size_t i = 0; i < depths.size(); ++i) {
        depths[i] = few[random() % std::size(few)];
    }
    ExpectSortedLike(depths, scratch);
    ExpectSortedLike(std::vector<float>(3000, 12.0f), scratch); // every pass skipped
    // One digit shared by all keys but a few must still take its pass.
    std::vector<float> mostlyOne(3000, 12.0f);
    for (std::size_t i = 1; i < mostlyOne.size(); i += 97) {
        mostlyOne[i] = 12.0f + static_cast<float>(i) * 0.001f;
    }
    ExpectSortedLike(mostlyOne, scratch);
}

TEST_F(DepthSortTest, SignedZerosAmongTinyDepths) {
    const float near[] = {0.0f, -0.0f, 1e-38f, -1e-38f, 1e-45f, -1e-45f};
    std::vector<float> depths(2500);
    for (std::size_t i = 0; i < depths.size(); ++i) {
        depths[i] = near[random() % std::size(near)];
    }
    ExpectSortedLike(depths, scratch);
}

// Whole numbers leave the key's low digit zero; one binade shares its top digit.
TEST_F(DepthSortTest, KeysSharingADigitSkipThatPass) {
    std::vector<float> whole(3000);
    for (std::size_t i = 0; i < whole.size(); ++i) {
        whole[i] = static_cast<float>(random() % 3000);
    }
    ExpectSortedLike(whole, scratch);
    ExpectSortedLike(RandomDepths(3000, random, 16.0f, 24.0f), scratch);
    std::vector<float> lowDigitOnly(2000);
    for (std::size_t i = 0; i < lowDigitOnly.size(); ++i) {
        lowDigitOnly[i] = std::nextafter(16.0f, 0.0f) + static_cast<float>(i % 64) * 1e-6f;
    }
    ExpectSortedLike(lowDigitOnly, scratch);
}

TEST_F(DepthSortTest, ScratchCarriesAcrossListsThatGrowAndShrink) {
    for (std::size_t n : {std::size_t{1024}, std::size_t{10000}, std::size_t{1500}, std::size_t{40},
                          std::size_t{3000}, std::size_t{1024}, std::size_t{9000}}) {
        SCOPED_TRACE(n);
        ExpectSortedLike(RandomDepths(n, random, 0.5f, 80.0f), scratch);
    }
}

} // namespace
