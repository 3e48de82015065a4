#include "bars/frame_driver.h"

#include "host/host_game.h"

namespace {

constexpr std::uint32_t statusModeClearsLatch = 3;

void SampleHostStatus(FrameDriverState& driver) {
    const HostStatus status = ReadHostStatus();
    if (status.present) {
        driver.statusLevel = status.level;
    }
    const std::uint32_t mode = status.present ? status.mode : 0;
    driver.statusModeNot3 = mode != statusModeClearsLatch;
}

void AdvanceFrameClock(FrameClock& clock) {
    const float hostClock = ReadHostClock();
    if (clock.lastClock == -1.0f) {
        clock.lastClock = hostClock;
    }
    clock.frameDelta = hostClock - clock.lastClock;
    clock.lastClock = hostClock;
}

// Maps the view-space geometry of the bars through the host's own camera.
void ComputeViewTransform(FrameDriverState& driver) {
    const D3DXMATRIX* viewMatrix = HostViewMatrix();
    const D3DXMATRIX* viewProjMatrix = HostViewProjMatrix();
    // A singular view matrix leaves last frame's inverse in place; the result is unused.
    D3DXMatrixInverse(&driver.viewTransform, nullptr, viewMatrix);
    D3DXMatrixMultiply(&driver.viewTransform, &driver.viewTransform, viewProjMatrix);
}

void FollowHostScene(FrameDriverState& driver, ActorTracker& tracker) {
    driver.sceneActive = ReadHostSceneActive();
    if (driver.sceneActive) {
        driver.sceneTime = driver.sceneTime + ReadHostFrameStep();
    } else {
        driver.sceneTime = 0.0f;
        ClearTrackedActors(tracker);
    }
}

void RefreshUiFlag(FrameDriverState& driver) {
    ReadHostUiFlag(&driver.uiFlag);
}

// Bars stay off from the first second of a scene opened with the UI flag up, until the
// host reports mode 3. Returns true when the set condition held on this call.
bool UpdateSuppressLatch(FrameDriverState& driver) {
    const bool setCondition = driver.sceneActive && driver.uiFlag != 0 && 1.0f > driver.sceneTime &&
                              1.0f > driver.statusLevel;
    if (setCondition) {
        driver.suppressLatch = true;
        return true;
    }
    if (!driver.statusModeNot3) {
        driver.suppressLatch = false;
    }
    return false;
}

} // namespace

bool FollowHostFrame(ActorTracker& tracker, FrameClock& clock, FrameDriverState& driver) {
    SampleHostStatus(driver);
    AdvanceFrameClock(clock);
    ComputeViewTransform(driver);
    FollowHostScene(driver, tracker);
    RefreshUiFlag(driver);
    if (UpdateSuppressLatch(driver)) {
        return false;
    }
    return driver.sceneActive && !driver.suppressLatch;
}
