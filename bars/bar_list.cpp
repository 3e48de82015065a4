#include "bars/bar_list.h"

#include <new>

#include "bars/bar_animation.h"
#include "bars/depth_sort.h"
#include "bars/frame_driver.h"
#include "host/host_game.h"

namespace {

DepthSortScratch depthSortScratch;

} // namespace

void BuildBarList() {
    barList.clear();
    const float frameDelta = frameClock.frameDelta;
    const D3DXMATRIX* viewMatrix = HostViewMatrix();
    for (auto& [address, record] : actorTracker.records) {
        BarEntry entry;
        if (!AnimateBar(record.bar, frameDelta, viewMatrix, &entry)) {
            continue;
        }
        try {
            barList.push_back(entry);
        } catch (const std::bad_alloc&) {
            // The list keeps the bars it has; every record's timers still advance.
        }
    }
    SortFarToNear(barList, depthSortScratch);
}
