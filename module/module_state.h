// Everything the module keeps from one frame to the next, in one object that lives from
// load to unload. Only module/ names it: every layer below is handed the parts it works on.
#pragma once

#include "bars/actor_tracker.h"
#include "bars/bar_list.h"
#include "bars/depth_sort.h"
#include "bars/frame_driver.h"
#include "overlay/overlay_renderer.h"

// Each member, as constructed, is in its state at load. They are built in this order and
// torn down in reverse at unload: the list's storage goes back first, then every record.
struct ModuleState {
    ActorTracker tracker;
    BarList list;
    OverlayRenderer renderer;
    FrameClock clock;
    FrameDriverState driver;
    DepthSortScratch sortScratch;
};

extern ModuleState moduleState;

// One host frame of the module, on its own state.
inline void DrawModuleFrame(ModuleState& state) {
    DrawActorBars(state.tracker, state.list, state.renderer, state.clock, state.driver,
                  state.sortScratch);
}
