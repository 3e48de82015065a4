#include "bars/frame_driver.h"

#include "bars/actor_tracker.h"
#include "bars/bar_list.h"
#include "host/host_game.h"
#include "overlay/bar_geometry.h"
#include "overlay/overlay_renderer.h"

namespace {

constexpr std::uint32_t statusModeClearsLatch = 3;

void SampleHostStatus() {
    const HostStatus status = ReadHostStatus();
    if (status.present) {
        frameDriver.statusLevel = status.level;
    }
    const std::uint32_t mode = status.present ? status.mode : 0;
    frameDriver.statusModeNot3 = mode != statusModeClearsLatch;
}

void AdvanceFrameClock() {
    const float hostClock = ReadHostClock();
    if (frameClock.lastClock == -1.0f) {
        frameClock.lastClock = hostClock;
    }
    frameClock.frameDelta = hostClock - frameClock.lastClock;
    frameClock.lastClock = hostClock;
}

// Maps the view-space geometry of the bars through the host's own camera.
void ComputeViewTransform() {
    frameDriver.viewMatrix = HostViewMatrix();
    frameDriver.viewProjMatrix = HostViewProjMatrix();
    // A singular view matrix leaves last frame's inverse in place; the result is unused.
    D3DXMatrixInverse(&frameDriver.viewTransform, nullptr, frameDriver.viewMatrix);
    D3DXMatrixMultiply(&frameDriver.viewTransform, &frameDriver.viewTransform,
                       frameDriver.viewProjMatrix);
}

void FollowHostScene() {
    frameDriver.sceneActive = ReadHostSceneActive();
    if (frameDriver.sceneActive) {
        frameDriver.sceneTime = frameDriver.sceneTime + ReadHostFrameStep();
    } else {
        frameDriver.sceneTime = 0.0f;
        ClearTrackedActors();
    }
}

void RefreshUiFlag() {
    ReadHostUiFlag(&frameDriver.uiFlag);
}

// Bars stay off from the first second of a scene opened with the UI flag up, until the
// host reports mode 3. Returns true when the set condition held on this call.
bool UpdateSuppressLatch() {
    const bool setCondition = frameDriver.sceneActive && frameDriver.uiFlag != 0 &&
                              1.0f > frameDriver.sceneTime && 1.0f > frameDriver.statusLevel;
    if (setCondition) {
        frameDriver.suppressLatch = true;
        return true;
    }
    if (!frameDriver.statusModeNot3) {
        frameDriver.suppressLatch = false;
    }
    return false;
}

void RunBarPipeline() {
    UpdateTrackedActors();
    BuildBarList();
    BeginOverlay(overlayRenderer, ReadHostDevice(), &frameDriver.viewTransform);
    for (const BarEntry& entry : barList) {
        DrawBar(overlayRenderer, entry);
    }
    EndOverlay(overlayRenderer);
}

} // namespace

void DrawActorBars() {
    SampleHostStatus();
    AdvanceFrameClock();
    ComputeViewTransform();
    FollowHostScene();
    RefreshUiFlag();
    if (UpdateSuppressLatch()) {
        return;
    }
    if (!frameDriver.sceneActive || frameDriver.suppressLatch) {
        return;
    }
    RunBarPipeline();
}
