#include <cmath>
#include <limits>

#include "module_fixture.h"
#include "tests/support/recording_device.h"

using namespace fakehost;

namespace {

const float nan = std::numeric_limits<float>::quiet_NaN();

class FrameDriverTest : public ModuleTest {
  protected:
    RecordingDevice device;

    void SetUp() override {
        ModuleTest::SetUp();
        SetUpShowingHost();
        SetDevice(&device);
    }

    // Whether this call ran the bar pipeline (it always opens an overlay on a device).
    bool FrameShowsBars() {
        const std::size_t before = device.CallsNamed("CreateStateBlock").size();
        DrawFrame(module);
        return device.CallsNamed("CreateStateBlock").size() > before;
    }

    // A call on which the latch's set condition holds.
    void SetLatchConditionHost(std::uint32_t mode) {
        SetScene(true);
        SetUiFlag(1);
        SetFrameStep(0.0f);
        SetStatus(0.5f, mode);
    }
};

TEST_F(FrameDriverTest, ClockStartsAtZeroPassesNegativeDeltasAndResetsOnMinusOne) {
    SetClock(10.0f);
    DrawFrame(module);
    EXPECT_EQ(clock.frameDelta, 0.0f);
    SetClock(10.25f);
    DrawFrame(module);
    EXPECT_EQ(clock.frameDelta, 0.25f);
    SetClock(9.0f);
    DrawFrame(module);
    EXPECT_EQ(clock.frameDelta, -1.25f);
    SetClock(-1.0f);
    DrawFrame(module);
    SetClock(42.0f);
    DrawFrame(module);
    EXPECT_EQ(clock.frameDelta, 0.0f) << "-1.0 marks no previous call";
    SetClock(-2.0f);
    DrawFrame(module);
    SetClock(-1.5f);
    DrawFrame(module);
    EXPECT_EQ(clock.frameDelta, 0.5f) << "other negative readings are ordinary";
}

TEST_F(FrameDriverTest, ClockAdvancesWhileBarsAreOff) {
    SetClock(1.0f);
    DrawFrame(module);
    ClearScene();
    SetClock(5.0f);
    DrawFrame(module);
    SetScene(true);
    SetClock(5.5f);
    DrawFrame(module);
    EXPECT_EQ(clock.frameDelta, 0.5f);
}

TEST_F(FrameDriverTest, LatchSettingWinsOverClearingOnOneCall) {
    SetLatchConditionHost(3);
    EXPECT_FALSE(FrameShowsBars());
    EXPECT_TRUE(driver.suppressLatch);

    // Condition fails (scene time past 1 s), mode still not 3: latch holds.
    SetFrameStep(2.0f);
    SetStatus(0.5f, 0);
    EXPECT_FALSE(FrameShowsBars());
    EXPECT_TRUE(driver.suppressLatch);

    // Condition fails with mode 3: cleared, and bars show on this very call.
    SetStatus(0.5f, 3);
    EXPECT_TRUE(FrameShowsBars());
    EXPECT_FALSE(driver.suppressLatch);
}

TEST_F(FrameDriverTest, NullStatusKeepsASetLatch) {
    SetLatchConditionHost(0);
    DrawFrame(module);
    ASSERT_TRUE(driver.suppressLatch);
    ClearStatus();
    SetFrameStep(5.0f);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(FrameShowsBars());
    }
    EXPECT_TRUE(driver.suppressLatch);
    EXPECT_EQ(driver.statusLevel, 0.5f) << "level keeps its last reading";
}

// Each case starts from the driver's state at load: only the latch and scene time matter.
TEST_F(FrameDriverTest, LatchIsNotSetAtExactlyOneOrNan) {
    for (const float sceneStep : {1.0f, nan}) {
        driver = FrameDriverState{};
        SetLatchConditionHost(0);
        SetFrameStep(sceneStep);
        EXPECT_TRUE(FrameShowsBars()) << "scene time " << sceneStep;
    }
    for (const float level : {1.0f, nan}) {
        driver = FrameDriverState{};
        SetLatchConditionHost(0);
        SetStatus(level, 0);
        EXPECT_TRUE(FrameShowsBars()) << "status level " << level;
    }
}

TEST_F(FrameDriverTest, UiFlagClearShowsBarsFromTheFirstActiveCall) {
    SetUiFlag(0);
    EXPECT_TRUE(FrameShowsBars());
}

TEST_F(FrameDriverTest, BrokenUiChainKeepsTheLastFlag) {
    SetUiFlag(7);
    SetFrameStep(2.0f);
    DrawFrame(module);
    ClearUiRoot();
    DrawFrame(module);
    EXPECT_EQ(driver.uiFlag, 7);
    SetUiFlag(0);
    fakehost::Write<HostAddress>(uiRootObject + hostlayout::uiInnerOffset, 0);
    DrawFrame(module);
    EXPECT_EQ(driver.uiFlag, 7);
}

TEST_F(FrameDriverTest, InactiveSceneEmptiesTheTrackerOnEveryCall) {
    SetActors({{ActorAt(0)}, {ActorAt(1)}});
    SetFrameStep(0.1f);
    DrawFrame(module);
    ASSERT_EQ(tracker.records.size(), 2U);
    SetScene(false);
    DrawFrame(module);
    EXPECT_TRUE(tracker.records.empty());
    EXPECT_EQ(driver.sceneTime, 0.0f);
    // Someone else filling the tracker while inactive is emptied again.
    FindOrInsertRecord(tracker, ActorAt(5));
    DrawFrame(module);
    EXPECT_TRUE(tracker.records.empty());
}

TEST_F(FrameDriverTest, NullSceneCountsAsInactive) {
    SetActors({{ActorAt(0)}});
    DrawFrame(module);
    ClearScene();
    EXPECT_FALSE(FrameShowsBars());
    EXPECT_TRUE(tracker.records.empty());
}

TEST_F(FrameDriverTest, SceneTimeSumsFrameStepsAndRestartsAfterAnInactiveCall) {
    SetFrameStep(0.25f);
    DrawFrame(module);
    DrawFrame(module);
    EXPECT_EQ(driver.sceneTime, 0.5f);
    SetScene(false);
    DrawFrame(module);
    SetScene(true);
    DrawFrame(module);
    EXPECT_EQ(driver.sceneTime, 0.25f);
}

TEST_F(FrameDriverTest, GatedCallLeavesTheListAsTheLastShownFrameLeftIt) {
    SetActors({{ActorAt(0), 0.0f, true, 1, 1, {0.0f, 9.0f, 0.0f}}});
    DrawFrame(module);
    ASSERT_EQ(list.size(), 1U);
    SetLatchConditionHost(0);
    SetActorCount(0);
    EXPECT_FALSE(FrameShowsBars());
    EXPECT_EQ(list.size(), 1U);
}

TEST_F(FrameDriverTest, EmptyTrackerStillOpensAndClosesTheOverlay) {
    DrawFrame(module);
    ASSERT_EQ(device.CallsNamed("CreateStateBlock").size(), 1U);
    EXPECT_EQ(device.CallsNamed("Apply").size(), 1U);
    EXPECT_EQ(device.CallsNamed("Release").size(), 1U);
    EXPECT_TRUE(device.CallsNamed("DrawPrimitiveUP").empty());
}

TEST_F(FrameDriverTest, NullDeviceRunsTheModelButTouchesNoDevice) {
    SetDevice(nullptr);
    SetActors({{ActorAt(0), 0.0f, true, 1, 1, {0.0f, 9.0f, 0.0f}}});
    DrawFrame(module);
    EXPECT_EQ(tracker.records.size(), 1U);
    EXPECT_EQ(list.size(), 1U);
    EXPECT_TRUE(device.calls.empty());
}

TEST_F(FrameDriverTest, ViewTransformCarriesViewSpaceThroughTheHostCamera) {
    D3DXMATRIX view = Identity();
    view.m[3][0] = 2.0f; // camera translation
    view.m[3][2] = -5.0f;
    D3DXMATRIX viewProj = Identity();
    viewProj.m[0][0] = 3.0f;
    SetViewMatrix(view);
    SetViewProjMatrix(viewProj);
    DrawFrame(module);
    // inverse(view) * viewProj: undo the translation, then scale x by 3.
    const D3DXMATRIX& t = driver.viewTransform;
    EXPECT_FLOAT_EQ(t.m[0][0], 3.0f);
    EXPECT_FLOAT_EQ(t.m[3][0], -6.0f);
    EXPECT_FLOAT_EQ(t.m[3][2], 5.0f);
    ASSERT_EQ(device.transforms.size(), 3U);
    EXPECT_FLOAT_EQ(device.transforms[1].m[3][0], -6.0f) << "the view transform the device gets";
}

TEST_F(FrameDriverTest, SingularViewMatrixMultipliesLastFramesProductAgain) {
    D3DXMATRIX viewProj = Identity();
    viewProj.m[1][1] = 2.0f;
    SetViewProjMatrix(viewProj);
    DrawFrame(module);
    SetViewMatrix(D3DXMATRIX{});
    DrawFrame(module);
    // The failed inverse left last frame's product in place (identity x viewProj, 2 at
    // [1][1]) and the multiply ran on it again: 2 x 2.
    EXPECT_FLOAT_EQ(driver.viewTransform.m[1][1], 4.0f);
}

// A camera that holds still keeps its product; any change to either matrix, down to one
// bit, is worked out again, and a singular view keeps compounding.
TEST_F(FrameDriverTest, ViewTransformFollowsEveryChangeOfEitherCameraMatrix) {
    D3DXMATRIX view = Identity();
    view.m[3][0] = 2.0f;
    D3DXMATRIX viewProj = Identity();
    SetViewMatrix(view);
    SetViewProjMatrix(viewProj);
    DrawFrame(module);
    DrawFrame(module);
    EXPECT_EQ(driver.viewTransform.m[3][0], -2.0f);

    viewProj.m[0][0] = 3.0f;
    SetViewProjMatrix(viewProj);
    DrawFrame(module);
    EXPECT_EQ(driver.viewTransform.m[3][0], -6.0f) << "viewProj changed";

    view.m[3][0] = std::nextafter(2.0f, 3.0f);
    SetViewMatrix(view);
    DrawFrame(module);
    EXPECT_EQ(driver.viewTransform.m[3][0], -3.0f * std::nextafter(2.0f, 3.0f))
        << "view changed in its last bit";

    SetViewMatrix(D3DXMATRIX{});
    DrawFrame(module);
    const float once = driver.viewTransform.m[0][0];
    DrawFrame(module);
    EXPECT_EQ(driver.viewTransform.m[0][0], 3.0f * once) << "a singular view multiplies again";
}

} // namespace
