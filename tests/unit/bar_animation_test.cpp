#include "frame_test.h"

namespace {

// Records are placed straight into the tracker, in ascending slots, but for the bands' test,
// which writes the game's damage ratio and updates the tracker from it. Through the identity
// camera shifted along its depth axis, a record at (0, -1.15, 0) lifted by 1.15 stands at
// exactly that depth.
class BarAnimationTest : public FrameTest {
  protected:
    D3DXMATRIX view = identity;

    void SetUp() override {
        FrameTest::SetUp();
        view.m[3][2] = 10.0f;
        tracker.records.reserve(3); // what Place returns stays where it is
    }

    BarState& Place(std::uint32_t slot, float health, float trail = 0.0f) {
        tracker.records.push_back({ActorAt(slot), BarState{}, 0});
        BarState& bar = tracker.records.back().bar;
        bar.position[1] = -1.15f;
        bar.health = health;
        bar.trailHealth = trail;
        return bar;
    }

    // The entry of the first record with a bar, or one of all zeros when there is none.
    BarEntry Build(float frameDelta) {
        BuildBarList(tracker, list, frameDelta, view);
        return list.entries.empty() ? BarEntry{} : list.entries.front();
    }
};

void ExpectColor(const ColorRGBA& c, float r, float g, float b, float a) {
    EXPECT_TRUE(c.r == r && c.g == g && c.b == b && c.a == a)
        << c.r << ' ' << c.g << ' ' << c.b << ' ' << c.a;
}

// Every record is walked, one without a bar (dead for 1.5 s) left out alone; the two bars,
// at depths 10 and 20, are drawn farthest first.
TEST_F(BarAnimationTest, ListHoldsEveryRecordsBarInTheOrderFarToNear) {
    Place(0, 0.0f).deathTime = 1.5f;
    Place(1, 1.0f);
    Place(2, 1.0f).position[1] += 10.0f;
    Build(0.0f);
    ASSERT_EQ(list.entries.size(), 2U);
    ASSERT_EQ(list.farToNear.size(), 2U);
    EXPECT_EQ(list.entries[EntryOf(list.farToNear[0])].anchor.z, 20.0f);
    EXPECT_EQ(list.entries[EntryOf(list.farToNear[1])].anchor.z, 10.0f);
}

// At death the drain rate latches at 0.75, or the trail when that is more, and the hold is
// cancelled; the trail then drains without bound, and the entry holds it at 0.
TEST_F(BarAnimationTest, DeathLatchesTheTrailsDrainAndTurnsTheOutlinePaleRed) {
    BarState& slow = Place(0, 0.0f, 0.5f);
    slow.trailHold = 0.5f;
    BarState& fast = Place(1, -0.25f, 0.9f);
    Build(0.5f);
    EXPECT_EQ(slow.trailDrainRate, 0.75f);
    EXPECT_EQ(fast.trailDrainRate, 0.9f);
    EXPECT_EQ(slow.trailHold, 0.0f);
    EXPECT_EQ(slow.trailHealth, 0.125f) << "0.5 - 0.75 per s x 0.5 s";
    EXPECT_EQ(slow.deathTime, 0.5f);
    const BarEntry entry = Build(0.5f);
    EXPECT_EQ(slow.trailDrainRate, 0.75f) << "latched once";
    EXPECT_EQ(slow.trailHealth, -0.25f);
    EXPECT_EQ(entry.trailHealth, 0.0f);
    EXPECT_EQ(entry.health, 0.0f);
    ExpectColor(entry.frameColor, 1.0f, 0.5f, 0.5f, entry.frameColor.a);
}

// The blink is sin(deathTime / 0.05 + 1.5708) x 0.5 + 0.5; from 1 s the fade 1 - 2 x (d - 1)
// multiplies it; from 1.5 s there is no bar and no timer moves.
TEST_F(BarAnimationTest, DeadBarBlinksFadesFromOneSecondAndGoesAtOneAndAHalf) {
    BarState& bar = Place(0, 0.0f, 0.3f);
    bar.deathTime = 1.0f;
    // x = 21.5708008, sin x = 0.408077985, blink 0.704038978; alpha 0.7 x blink.
    EXPECT_EQ(Build(0.0f).frameColor.a, 0.492827266f);
    bar.deathTime = 1.25f;
    // x = 26.5708008, sin x = 0.991203427, blink 0.995601714, fade 0.5.
    EXPECT_EQ(Build(0.0f).fillColor.a, 0.348460585f);
    bar.deathTime = 1.5f;
    bar.hideTime = 0.5f;
    Build(0.1f);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(bar.deathTime + bar.hideTime + bar.trailHealth, 1.5f + 0.5f + 0.3f);
    bar.deathTime = 0.5f;
    Build(NaN);
    EXPECT_TRUE(list.entries.empty()) << "a NaN clock: a NaN blink, a NaN opacity, no bar";
}

TEST_F(BarAnimationTest, NanHealthIsAliveAndShowsAnEmptyWhiteBar) {
    BarState& bar = Place(0, NaN, 0.5f);
    bar.deathTime = 1.2f;
    const BarEntry entry = Build(0.1f);
    EXPECT_EQ(bar.deathTime, 0.0f);
    EXPECT_EQ(entry.health, 0.0f);
    ExpectColor(entry.frameColor, 1.0f, 1.0f, 1.0f, 0.7f);
    ExpectColor(entry.trailColor, 0.9f, 0.9f, 0.9f, 0.7f);
}

// A living trail holds, counting down past zero, then drains at 0.75 per second, in double,
// and stops at health.
TEST_F(BarAnimationTest, TrailHoldsThenDrainsInDoubleDownToHealth) {
    BarState& bar = Place(0, 0.1f, 0.3f);
    bar.trailHold = 0.1f;
    Build(0.25f);
    EXPECT_EQ(bar.trailHold, -0.150000006f);
    EXPECT_EQ(bar.trailHealth, 0.3f);
    Build(0.07f);
    EXPECT_EQ(bar.trailHealth, 0.247500017f) << "float arithmetic gives 0.247500002";
    Build(1.0f);
    EXPECT_EQ(bar.trailHealth, 0.1f);
}

TEST_F(BarAnimationTest, BarOfAnActorNoLongerEngagedGoesAfterExactlyTwoSeconds) {
    BarState& bar = Place(0, 1.0f);
    bar.hideTime = 1.5f;
    Build(0.5f);
    EXPECT_EQ(list.entries.size(), 1U) << "at exactly 2 s";
    Build(0.0001f);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(bar.hideTime, 2.0001f);
}

// The game writes a damage ratio; health is 1 - ratio in float, compared in double. The
// boundary ratios 0.2 and 0.4 leave floats just above 0.8 and 0.6, the colour above; 0.6
// and 0.8 leave floats just below 0.4 and 0.2, the colour below. The ratio one float away
// on the other side of each boundary crosses it.
TEST_F(BarAnimationTest, FillColourFollowsTheHealthBandsOfTheGamesDamageRatio) {
    const struct {
        float damage, r, g, b;
    } bands[] = {
        {-0.5f, 0, 1, 0},                 // health 1.5, no upper bound: green
        {0.2f, 0, 1, 0},                  // 0.800000012: green
        {0.200000018f, 0.75f, 1, 0.375f}, // 0.799999952: yellow-green
        {0.4f, 0.75f, 1, 0.375f},         // 0.600000024: yellow-green
        {0.400000036f, 1, 1, 0},          // 0.599999964: yellow
        {0.599999964f, 1, 1, 0},          // 0.400000036: yellow
        {0.6f, 1, 0.5f, 0},               // 0.399999976: orange
        {0.799999952f, 1, 0.5f, 0},       // 0.200000048: orange
        {0.8f, 1, 0, 0},                  // 0.199999988: red
        {1.0f, 1, 0, 0},                  // 0, dead: red
    };
    Actor actor{ActorAt(0)};
    actor.position[1] = -1.15f;
    for (const auto& band : bands) {
        actor.damageRatio = band.damage;
        SetActors({actor});
        UpdateTrackedActors(tracker);
        const BarEntry entry = Build(0.0f);
        SCOPED_TRACE(band.damage);
        ExpectColor(entry.fillColor, band.r, band.g, band.b, 0.7f);
        EXPECT_EQ(entry.health, 1.0f - band.damage);
    }
}

// Alpha 0.7 times the fades: in over depths 2 to 5, out over 70 to 110 (at 3.5 and at 90,
// each exactly 0.5); none at 2 and from 110, nor behind the camera. The anchor is
// (z, -x, y + 1.15) of the host's position through the view matrix: (4, -2, depth, 1).
TEST_F(BarAnimationTest, BarsFadeInNearAndOutFarAboveTheActor) {
    const float depthAlpha[][2] = {{2, 0},      {3.5f, 0.35f}, {5, 0.7f}, {70, 0.7f},
                                   {90, 0.35f}, {110, 0},      {-4, 0}};
    for (const auto& [depth, alpha] : depthAlpha) {
        view.m[3][2] = depth;
        tracker.records.clear();
        BarState& bar = Place(0, 1.0f, 1.0f);
        bar.position[0] = 2.0f;
        bar.position[2] = 4.0f;
        const BarEntry entry = Build(0.0f);
        EXPECT_EQ(list.entries.size(), alpha > 0 ? 1U : 0U) << "depth " << depth;
        EXPECT_EQ(entry.trailColor.a, alpha) << "depth " << depth;
        EXPECT_TRUE(alpha == 0 || (entry.anchor.x == 4 && entry.anchor.y == -2 &&
                                   entry.anchor.z == depth && entry.anchor.w == 1));
    }
}

} // namespace
