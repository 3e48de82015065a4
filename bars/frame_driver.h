// The module's frame: samples the host, keeps the clock, decides whether bars are shown,
// and runs the bar pipeline when they are.
#pragma once

#include <cstdint>

#include "bars/actor_tracker.h"
#include "bars/bar_list.h"
#include "d3d/d3d.h"
#include "overlay/overlay_renderer.h"

// lastClock's mark of no previous call: a host clock that reads exactly this starts over.
constexpr float noPreviousClock = -1.0f;

struct FrameClock {
    float lastClock = noPreviousClock; // the host clock as read on the previous call
    float frameDelta = 0.0f;           // seconds since the previous call; never clamped
};

struct FrameDriverState {
    float statusLevel = 0.0f; // last level read; kept while the status object is absent
    bool statusModeNot3 = false;
    bool sceneActive = false;
    float sceneTime = 0.0f; // seconds since the scene became active; 0 while inactive
    std::uint8_t uiFlag = 0;
    bool suppressLatch = false; // while set, no bars are shown
    D3DXMATRIX view{};          // the host's view matrix as read on this call
    D3DXMATRIX viewTransform{}; // brought up to date every call, before it is read
};

// Everything the module keeps from one host frame to the next; as constructed, as at load.
struct FrameState {
    ActorTracker tracker;
    BarList list;
    OverlayRenderer renderer;
    FrameClock clock;
    FrameDriverState driver;
};

// One host frame. Every call samples the host, advances the clock, recomputes the view
// transform, follows the scene (emptying the tracker while it is inactive) and the latch;
// when bars are shown it updates the tracker, builds the list and draws it.
void DrawActorBars(FrameState& frame);

// Ends a frame that a faulting read cut short: the device's state goes back, if the overlay
// had begun. Nothing else needs mending: the tracker changes for an actor only after every
// read it needs, and the rest is rewritten on the next frame.
void EndFaultedFrame(FrameState& frame);
