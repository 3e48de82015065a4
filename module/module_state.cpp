// The module's objects, alive from load to unload. Defined in one place so that they are
// built in this order and torn down in reverse by the runtime: destroying the list and the
// tracker frees their storage and every record.
#include "bars/actor_tracker.h"
#include "bars/bar_list.h"
#include "bars/frame_driver.h"
#include "overlay/overlay_renderer.h"

ActorTracker actorTracker{};
BarList barList;
OverlayRenderer overlayRenderer = MakeOverlayRenderer();
FrameClock frameClock = {-1.0f, 0.0f};
FrameDriverState frameDriver{};
