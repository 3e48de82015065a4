#include "frame_test.h"

namespace {

using FrameDriverTest = FrameTest;

TEST_F(FrameDriverTest, ClockStartsAtZeroPassesAnyStepOnAndStartsOverAtMinusOne) {
    const float readings[][2] = {
        {10.0f, 0.0f},   // the first call has no previous reading
        {10.25f, 0.25f}, // ...
        {9.0f, -1.25f},  // a clock that goes back is passed on as it is
        {-1.0f, -10.0f}, // -1 marks no previous call: the next reading starts over
        {42.0f, 0.0f},   //
        {-2.0f, -44.0f}, // other negative readings are ordinary
    };
    for (const auto& r : readings) {
        Write(game::clock, r[0]);
        Frame();
        EXPECT_EQ(frame.clock.frameDelta, r[1]) << "clock " << r[0];
    }
}

// The suppression latch, call after call. Set when the scene is active, the UI flag up,
// and both scene time and status level strictly below 1; cleared by a call in mode 3 on
// which it is not set again; otherwise it holds. A broken UI chain keeps the last flag.
TEST_F(FrameDriverTest, LatchSetsEarlyInAFlaggedSceneAndOnlyModeThreeClearsIt) {
    struct Call {
        bool active;
        float step, level;
        int mode; // -1: no status object
        int ui;   // 1: the flag up; -1: no UI root; -2: no inner object, a 0 flag behind it
        bool shown, latch;
    } calls[] = {
        {true, 0.0f, 0.5f, 3, 1, false, true},   // set and cleared at once: setting wins
        {true, 2.0f, 0.5f, 0, 1, false, true},   // too late to set; not mode 3: holds
        {true, 0.0f, 0.5f, 3, 1, true, false},   // mode 3 clears, and bars show on this call
        {false, 0.0f, 0.5f, 0, 1, false, false}, // never set while the scene is inactive
        {true, 1.0f, 0.5f, 0, 1, true, false},   // scene time exactly 1: not set
        {false, 0.0f, 0.5f, 0, 1, false, false}, //
        {true, NaN, 0.5f, 0, 1, true, false},    // NaN scene time: not set
        {false, 0.0f, 0.5f, 0, 1, false, false}, //
        {true, 0.0f, 1.0f, 0, 1, true, false},   // level exactly 1: not set
        {true, 0.0f, NaN, 0, 1, true, false},    // NaN level: not set
        {false, 0.0f, 0.5f, 0, 1, false, false}, //
        {true, 0.0f, 0.5f, -1, 1, false, true},  // no status: the last level, 0.5, sets it
        {true, 2.0f, 0.5f, -1, 1, false, true},  // no status counts as mode 0: holds
        {false, 0.0f, 0.5f, 3, 1, false, false}, // mode 3 clears it while inactive too
        {true, 0.0f, 0.5f, 0, -1, false, true},  // no UI root: the last flag, up, sets it
        {false, 0.0f, 0.5f, 3, 1, false, false}, //
        {true, 0.0f, 0.5f, 0, -2, false, true},  // no inner object: likewise
    };
    for (const Call& c : calls) {
        SetScene(c.active);
        Write(game::frameStep, c.step);
        c.mode < 0 ? Clear(game::status) : SetStatus(c.level, std::uint32_t(c.mode));
        SetUiFlag(c.ui == 1);
        c.ui < 0 ? Clear(c.ui == -1 ? game::uiRoot : uiInnerPointer) : void();
        EXPECT_EQ(Frame(), c.shown) << "call " << &c - calls;
        EXPECT_EQ(driver.suppressLatch, c.latch) << "call " << &c - calls;
    }
}

TEST_F(FrameDriverTest, SceneTimeSumsStepsAndAnInactiveSceneEmptiesTheTrackerEveryCall) {
    SetActors({{ActorAt(0)}, {ActorAt(1)}});
    Write(game::frameStep, 0.25f);
    Frame();
    SetScene(2); // nonzero is active
    EXPECT_TRUE(Frame());
    EXPECT_EQ(driver.sceneTime, 0.5f);
    EXPECT_EQ(tracker.records.size(), 2U);
    for (int call = 0; call < 2; ++call) {
        call == 0 ? SetScene(0) : Clear(game::scene); // no scene object counts as inactive
        EXPECT_FALSE(Frame());
        EXPECT_TRUE(tracker.records.empty());
        EXPECT_EQ(driver.sceneTime, 0.0f);
        tracker.records.push_back({ActorAt(5), {}, 0}); // emptied again on the next inactive call
    }
    SetScene(1);
    Frame();
    EXPECT_EQ(driver.sceneTime, 0.25f);
}

// inverse(view) x viewProj carries view-space points through the host's camera; a singular
// view leaves last frame's product to be multiplied again.
TEST_F(FrameDriverTest, ViewTransformFollowsTheHostCamera) {
    D3DXMATRIX view = identity, viewProj = identity;
    view.m[3][0] = 2.0f; // the camera 2 units along x
    viewProj.m[0][0] = 3.0f;
    Write(game::viewMatrix, view);
    Write(game::viewProjMatrix, viewProj);
    Frame();
    EXPECT_EQ(driver.viewTransform.m[3][0], -6.0f) << "undo the camera, then scale x by 3";
    EXPECT_EQ(driver.viewTransform.m[0][0], 3.0f);
    Write(game::viewMatrix, D3DXMATRIX{});
    Frame();
    EXPECT_EQ(driver.viewTransform.m[0][0], 9.0f) << "3 x 3";
}

// A shown frame runs the whole pipeline with this frame's time and hands the device the
// view transform; without a device the model runs all the same.
TEST_F(FrameDriverTest, ShownFramesRunThePipelineWithOrWithoutADevice) {
    Actor idle{ActorAt(0)}, engaged{ActorAt(1)};
    idle.engaged = 0;
    idle.position[1] = engaged.position[1] = 9.0f;
    SetActors({idle});
    Write(game::clock, 1.0f);
    Frame();
    Write(game::clock, 1.5f);
    device.Clear();
    EXPECT_TRUE(Frame());
    EXPECT_EQ(Record(idle.address).hideTime, 0.0001f + 0.5f) << "started, then this frame's time";
    EXPECT_EQ(device.calls[3].pointer, &driver.viewTransform) << "the device's view transform";
    EXPECT_EQ(device.calls.size(), 41U + 5) << "the overlay's 41, a fill and four outlines";
    SetDevice(nullptr);
    SetActors({idle, engaged});
    device.Clear();
    EXPECT_FALSE(Frame());
    EXPECT_EQ(list.entries.size(), 2U);
    EXPECT_TRUE(device.calls.empty());
}

} // namespace
