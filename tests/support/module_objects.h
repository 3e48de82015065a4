// The objects the module keeps from one frame to the next, for a test to run frames on.
// Each is in its state at load as constructed, so a test makes a fresh set instead of
// resetting anything.
#pragma once

#include "bars/actor_tracker.h"
#include "bars/bar_list.h"
#include "bars/depth_sort.h"
#include "bars/frame_driver.h"
#include "overlay/overlay_renderer.h"

struct ModuleObjects {
    ActorTracker tracker;
    BarList list;
    OverlayRenderer renderer;
    FrameClock clock;
    FrameDriverState driver;
    DepthSortScratch sortScratch;
};

// One host frame, as the frame hook runs it.
inline void DrawFrame(ModuleObjects& m) {
    DrawActorBars(m.tracker, m.list, m.renderer, m.clock, m.driver, m.sortScratch);
}
