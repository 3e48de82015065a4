#include <algorithm>
#include <cmath>
#include <limits>

#include "module_fixture.h"
#include "tests/support/counting_allocator.h"

using namespace fakehost;

namespace {

const float nan = std::numeric_limits<float>::quiet_NaN();

// Records are placed straight into the tracker; an identity camera shifted along its depth
// axis puts a record whose position is (0, -1.15, 0) at exactly the depth asked for.
class BarAnimationTest : public ModuleTest {
  protected:
    D3DXMATRIX view = Identity();

    void SetUp() override {
        ModuleTest::SetUp();
        SetDepth(10.0f);
    }

    void SetDepth(float depth) {
        view = Identity();
        view.m[3][2] = depth;
    }

    BarState& Place(HostAddress address, float health, float trail = 0.0f) {
        BarState& bar = FindOrInsertRecord(tracker, address)->bar;
        bar = BarState{};
        bar.position[1] = -1.15f;
        bar.health = health;
        bar.trailHealth = trail;
        return bar;
    }

    const BarEntry& Build(float frameDelta) {
        BuildBarList(tracker, list, frameDelta, &view, module.sortScratch);
        static const BarEntry none{};
        return list.empty() ? none : list.front();
    }
};

TEST_F(BarAnimationTest, TrailHoldsThenDrainsInDoubleAndStopsAtHealth) {
    BarState& bar = Place(ActorAt(0), 0.5f, 0.8f);
    bar.trailHold = 0.5f;
    Build(0.125f);
    EXPECT_EQ(bar.trailHold, 0.375f);
    EXPECT_EQ(bar.trailHealth, 0.8f) << "does not move while held";

    bar.trailHold = 0.0f;
    Build(0.1f);
    EXPECT_EQ(bar.trailHealth, 0.725000024f) << "0.8 - 0.1 s x 0.75 per s";

    Build(1.0f);
    EXPECT_EQ(bar.trailHealth, 0.5f) << "never drains below health";
}

TEST_F(BarAnimationTest, LivingDrainIsComputedInDouble) {
    BarState& bar = Place(ActorAt(0), 0.1f, 0.3f);
    Build(0.07f);
    // Float arithmetic would give 0.247500002 here.
    EXPECT_EQ(bar.trailHealth, 0.247500017f);
}

TEST_F(BarAnimationTest, HoldMayEndBelowZeroBeforeTheTrailDrains) {
    BarState& bar = Place(ActorAt(0), 0.5f, 0.8f);
    bar.trailHold = 0.1f;
    Build(0.25f);
    EXPECT_EQ(bar.trailHold, -0.150000006f) << "0.1 - 0.25: counts on past zero";
    EXPECT_EQ(bar.trailHealth, 0.8f);
}

TEST_F(BarAnimationTest, DeathLatchesTheDrainRateAndDrainsWithoutBound) {
    BarState& slow = Place(ActorAt(0), 0.0f, 0.5f);
    slow.trailHold = 0.5f;
    BarState& fast = Place(ActorAt(1), -0.25f, 0.9f);
    Build(0.5f);
    EXPECT_EQ(slow.trailDrainRate, 0.75f);
    EXPECT_EQ(slow.trailHold, 0.0f) << "the hold is cancelled at death";
    EXPECT_EQ(slow.trailHealth, 0.125f) << "0.5 - 0.75 per s x 0.5 s";
    EXPECT_EQ(fast.trailDrainRate, 0.9f);
    EXPECT_EQ(slow.deathTime, 0.5f);

    Build(0.5f);
    EXPECT_EQ(slow.trailDrainRate, 0.75f) << "latched once";
    EXPECT_LT(slow.trailHealth, 0.0f);
}

TEST_F(BarAnimationTest, ZeroHealthIsDeadAndNanHealthIsAlive) {
    Place(ActorAt(0), 0.0f, 0.0f);
    const BarEntry dead = Build(0.0f);
    EXPECT_EQ(dead.frameColor.g, 0.5f);
    EXPECT_EQ(Record(ActorAt(0)).trailDrainRate, 0.75f);

    ClearTrackedActors(tracker);
    BarState& bar = Place(ActorAt(0), nan, 0.5f);
    bar.deathTime = 1.2f;
    const BarEntry alive = Build(0.1f);
    EXPECT_EQ(alive.frameColor.g, 1.0f);
    EXPECT_EQ(bar.deathTime, 0.0f);
    EXPECT_EQ(alive.health, 0.0f);
    EXPECT_EQ(alive.frameColor.a, 0.7f);
}

TEST_F(BarAnimationTest, DeadPastOnePointFiveGetsNoBarAndItsTimersFreeze) {
    BarState& bar = Place(ActorAt(0), 0.0f, 0.3f);
    bar.deathTime = 1.5f;
    bar.hideTime = 0.5f;
    Build(0.1f);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(bar.deathTime, 1.5f);
    EXPECT_EQ(bar.hideTime, 0.5f);
    EXPECT_EQ(bar.trailHealth, 0.3f);
}

TEST_F(BarAnimationTest, DeathFadeStartsAfterOneSecondAndBlinks) {
    BarState& bar = Place(ActorAt(0), 0.0f);
    // At exactly 1.0 s no linear fade yet, only the blink: x = 1.0 / 0.05 + 1.5708 =
    // 21.5708008, sin x = 0.408077985, blink 0.408077985 x 0.5 + 0.5 = 0.704038978,
    // alpha 0.7 x 0.704038978.
    bar.deathTime = 1.0f;
    EXPECT_EQ(Build(0.0f).frameColor.a, 0.492827266f);

    // At 1.25 s the linear fade is 1 - (0.25 + 0.25) = 0.5, and the blink: x = 25 + 1.5708 =
    // 26.5708008, sin x = 0.991203427, blink 0.995601714; alpha 0.7 x 0.995601714 x 0.5.
    bar.deathTime = 1.25f;
    EXPECT_EQ(Build(0.0f).fillColor.a, 0.348460585f);
}

TEST_F(BarAnimationTest, HiddenBarShowsUpToExactlyTwoSeconds) {
    BarState& bar = Place(ActorAt(0), 1.0f);
    bar.hideTime = 1.5f;
    Build(0.5f);
    EXPECT_EQ(bar.hideTime, 2.0f);
    EXPECT_EQ(list.size(), 1U);
    Build(0.0001f);
    EXPECT_TRUE(list.empty());
    EXPECT_GT(bar.hideTime, 2.0f);
}

TEST_F(BarAnimationTest, HealthBandsPutTheirFloatThresholdsInTheUpperBand) {
    struct Band {
        float health;
        ColorRGBA fill;
    };
    const Band bands[] = {
        {0.81f, {0, 1, 0, 0.7f}}, {0.8f, {0, 1, 0, 0.7f}},    {0.6f, {0.75f, 1, 0.375f, 0.7f}},
        {0.4f, {1, 1, 0, 0.7f}},  {0.2f, {1, 0.5f, 0, 0.7f}}, {0.19f, {1, 0, 0, 0.7f}},
        {1.5f, {0, 1, 0, 0.7f}},
    };
    for (const Band& band : bands) {
        ClearTrackedActors(tracker);
        Place(ActorAt(0), band.health);
        const BarEntry entry = Build(0.0f);
        EXPECT_EQ(entry.fillColor.r, band.fill.r) << band.health;
        EXPECT_EQ(entry.fillColor.g, band.fill.g) << band.health;
        EXPECT_EQ(entry.fillColor.b, band.fill.b) << band.health;
        EXPECT_EQ(entry.health, band.health) << "no upper bound";
    }
}

TEST_F(BarAnimationTest, DistanceFadesInFromTwoToFiveAndOutFromSeventyToOneTen) {
    struct Case {
        float depth;
        bool shown;
        float alpha;
    };
    // Alpha 0.7 times the fade: near (depth - 2) / 3 + 0, far 0 - (depth - 110) / 40, each
    // held to 0..1. At 3.5 and at 90 either fade is exactly 0.5, so alpha 0.35.
    const Case cases[] = {
        {2.0f, false, 0},     {3.5f, true, 0.35f}, {5.0f, true, 0.7f}, {70.0f, true, 0.7f},
        {90.0f, true, 0.35f}, {110.0f, false, 0},  {-4.0f, false, 0},
    };
    for (const Case& c : cases) {
        SetDepth(c.depth);
        Place(ActorAt(0), 1.0f, 1.0f);
        const BarEntry entry = Build(0.0f);
        ASSERT_EQ(list.size(), c.shown ? 1U : 0U) << "depth " << c.depth;
        if (c.shown) {
            EXPECT_EQ(entry.trailColor.a, c.alpha) << "depth " << c.depth;
            EXPECT_EQ(entry.anchor.z, c.depth);
        }
    }
}

TEST_F(BarAnimationTest, AnchorIsTheLiftedPositionInHostAxesThroughTheView) {
    BarState& bar = Place(ActorAt(0), 1.0f);
    bar.position[0] = 2.0f;
    bar.position[1] = 3.0f;
    bar.position[2] = 4.0f;
    SetDepth(0.0f);
    const BarEntry entry = Build(0.0f);
    EXPECT_EQ(entry.anchor.x, 4.0f);
    EXPECT_EQ(entry.anchor.y, -2.0f);
    EXPECT_EQ(entry.anchor.z, 4.15f) << "y 3 lifted by 1.15";
    EXPECT_EQ(entry.anchor.w, 1.0f);
}

TEST_F(BarAnimationTest, NanDepthOrOpacityGetsNoBar) {
    Place(ActorAt(0), 1.0f).position[1] = nan;
    Place(ActorAt(1), 1.0f);
    BarState& dying = Place(ActorAt(2), 0.0f);
    dying.deathTime = 0.5f;
    Build(0.0f);
    EXPECT_EQ(list.size(), 2U);
    Build(nan); // a clock gone bad poisons the dying record's blink
    EXPECT_EQ(list.size(), 1U);
    for (const BarEntry& entry : list) {
        EXPECT_FALSE(std::isnan(entry.anchor.z));
        EXPECT_FALSE(std::isnan(entry.frameColor.a));
    }
}

TEST_F(BarAnimationTest, CameraWithNanSideAxesGetsNoBar) {
    Place(ActorAt(0), 1.0f);
    view.m[3][0] = nan; // depth 10, NaN x
    Build(0.0f);
    EXPECT_TRUE(list.empty());
    view.m[3][0] = 0.0f;
    view.m[3][1] = nan;
    Build(0.0f);
    EXPECT_TRUE(list.empty());
}

TEST_F(BarAnimationTest, ListIsSortedFarToNear) {
    const float depths[] = {12.0f, 60.0f, 7.0f, 30.0f, 60.0f, 9.0f};
    for (std::uint32_t i = 0; i < 6; ++i) {
        Place(ActorAt(i), 1.0f).position[1] = depths[i] - 1.15f;
    }
    SetDepth(0.0f);
    Build(0.0f);
    ASSERT_EQ(list.size(), 6U);
    for (std::size_t i = 1; i < list.size(); ++i) {
        EXPECT_GE(list[i - 1].anchor.z, list[i].anchor.z);
    }
    EXPECT_FLOAT_EQ(list.front().anchor.z, 60.0f);
    EXPECT_FLOAT_EQ(list.back().anchor.z, 7.0f);
}

// Past the radix threshold: thousands of records, many at equal depths, come out far to
// near with equal depths in record (address) order. Health tells the records apart.
TEST_F(BarAnimationTest, ThousandsOfBarsAreSortedFarToNear) {
    constexpr std::uint32_t count = 3000;
    std::vector<std::uint32_t> expected(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const float depth = 5.0f + static_cast<float>((i * 7919U) % 500) * 0.0625f;
        Place(ActorAt(i), 1.0f + static_cast<float>(i)).position[1] = depth - 1.15f;
        expected[i] = i;
    }
    SetDepth(0.0f);
    Build(0.0f);
    std::stable_sort(expected.begin(), expected.end(), [](std::uint32_t a, std::uint32_t b) {
        return (a * 7919U) % 500 > (b * 7919U) % 500;
    });
    ASSERT_EQ(list.size(), count);
    for (std::uint32_t i = 0; i < count; ++i) {
        ASSERT_EQ(list[i].health, 1.0f + static_cast<float>(expected[i])) << i;
    }
}

TEST_F(BarAnimationTest, SteadyFramesReuseTheListStorage) {
    for (std::uint32_t i = 0; i < 40; ++i) {
        Place(ActorAt(i), 1.0f);
    }
    Build(0.016f);
    const std::size_t before = countingallocator::allocations;
    for (int frame = 0; frame < 10; ++frame) {
        Build(0.016f);
    }
    EXPECT_EQ(countingallocator::allocations, before);
    EXPECT_EQ(list.size(), 40U);
}

TEST_F(BarAnimationTest, ListThatCannotGrowKeepsItsBarsAndAdvancesEveryRecord) {
    for (std::uint32_t i = 0; i < 4; ++i) {
        Place(ActorAt(i), 0.0f);
    }
    list.reserve(2);
    countingallocator::failAllocations = true;
    Build(0.1f);
    countingallocator::failAllocations = false;
    EXPECT_EQ(list.size(), 2U);
    for (const auto& [address, record] : tracker.records) {
        EXPECT_EQ(record.bar.deathTime, 0.1f);
    }
}

} // namespace
