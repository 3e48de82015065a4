#include "bars/frame_driver.h"

#include "bars/bar_look.h"
#include "host/host_game.h"
#include "overlay/bar_geometry.h"

namespace {

// The status mode on which a set latch lets go; an absent status object counts as mode 0.
constexpr std::uint32_t statusModeClearsLatch = 3;
constexpr std::uint32_t absentStatusMode = 0;

// The latch is set only early in a scene (bar_look.h), and while the status level is below this.
constexpr float latchStatusLevelLimit = 1.0f;

void SampleHostStatus(FrameDriverState& driver) {
    const HostStatus status = ReadHostStatus();
    if (status.present) {
        driver.statusLevel = status.level;
    }
    const std::uint32_t mode = status.present ? status.mode : absentStatusMode;
    driver.statusModeNot3 = mode != statusModeClearsLatch;
}

void AdvanceFrameClock(FrameClock& clock) {
    const float hostClock = ReadHostClock();
    if (clock.lastClock == noPreviousClock) {
        clock.lastClock = hostClock;
    }
    clock.frameDelta = hostClock - clock.lastClock;
    clock.lastClock = hostClock;
}

// inverse(view) x viewProj: a point of the bars' view space lands where the host's camera puts
// it. A singular view leaves the inverse untouched: the last product is multiplied again.
void FollowHostCamera(FrameDriverState& driver) {
    driver.view = ReadHostViewMatrix();
    const D3DXMATRIX viewProj = ReadHostViewProjMatrix();
    D3DXMatrixInverse(&driver.viewTransform, nullptr, &driver.view);
    D3DXMatrixMultiply(&driver.viewTransform, &driver.viewTransform, &viewProj);
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

// Set on a call early in an active scene with the UI flag up and the status level low; cleared
// on a call in mode 3 that does not set it again; otherwise it holds, into the next scene too.
void UpdateSuppressLatch(FrameDriverState& driver) {
    // Strict comparisons: exactly at a limit, or NaN, the latch is not set.
    const bool setCondition = driver.sceneActive && driver.uiFlag != 0 &&
                              barlook::latchSceneTimeLimit > driver.sceneTime &&
                              latchStatusLevelLimit > driver.statusLevel;
    if (setCondition) {
        driver.suppressLatch = true;
    } else if (!driver.statusModeNot3) {
        driver.suppressLatch = false;
    }
}

// Everything a call does whatever the gate decides. True when bars are shown.
bool FollowHostFrame(FrameState& frame) {
    FrameDriverState& driver = frame.driver;
    SampleHostStatus(driver);
    AdvanceFrameClock(frame.clock);
    FollowHostCamera(driver);
    FollowHostScene(driver, frame.tracker);
    // While either link of the UI chain is null, the flag last read stands.
    ReadHostUiFlag(&driver.uiFlag);
    UpdateSuppressLatch(driver);
    return driver.sceneActive && !driver.suppressLatch;
}

} // namespace

void DrawActorBars(FrameState& frame) {
    if (!FollowHostFrame(frame)) {
        return;
    }
    UpdateTrackedActors(frame.tracker);
    BuildBarList(frame.tracker, frame.list, frame.clock.frameDelta, frame.driver.view);
    BeginOverlay(frame.renderer, ReadHostDevice(), frame.driver.viewTransform);
    for (const BarOrder bar : frame.list.farToNear) {
        DrawBar(frame.renderer, frame.list.entries[EntryOf(bar)]);
    }
    EndOverlay(frame.renderer);
}

// EndOverlay does nothing unless the overlay began: it puts back only a block it holds.
void EndFaultedFrame(FrameState& frame) {
    EndOverlay(frame.renderer);
}
