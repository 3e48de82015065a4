#include "bars/bar_list.h"

#include <new>

#include "bars/actor_tracker.h"
#include "bars/bar_animation.h"
#include "bars/depth_sort.h"

void BuildBarList(ActorTracker& tracker, BarList& list, float frameDelta,
                  const D3DXMATRIX* hostViewMatrix, DepthSortScratch& sortScratch) {
    list.clear();
    for (auto& [address, record] : tracker.records) {
        BarEntry entry;
        if (!AnimateBar(record.bar, frameDelta, hostViewMatrix, &entry)) {
            continue;
        }
        try {
            list.push_back(entry);
        } catch (const std::bad_alloc&) {
            // The list keeps the bars it has; every record's timers still advance.
        }
    }
    SortFarToNear(list, sortScratch);
}
