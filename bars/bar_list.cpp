#include "bars/bar_list.h"

#include <algorithm>
#include <new>

#include "bars/actor_tracker.h"
#include "bars/bar_animation.h"

void BuildBarList(ActorTracker& tracker, BarList& list, float frameDelta,
                  const D3DXMATRIX* hostViewMatrix) {
    list.entries.clear();
    list.farToNear.clear();
    for (TrackedActor& record : tracker.records) {
        BarEntry entry;
        if (!AnimateBar(record.bar, frameDelta, hostViewMatrix, &entry)) {
            continue;
        }
        try {
            list.farToNear.push_back({entry.anchor.z, std::uint32_t(list.entries.size())});
            list.entries.push_back(entry);
        } catch (const std::bad_alloc&) {
            // The list keeps the bars it has, each with its place; every record's timers still
            // advance.
            list.farToNear.resize(list.entries.size());
        }
    }
    // No bar has a NaN depth (AnimateBar gives such a record none), so this is a strict weak
    // order; bars of equal depth may come out in either order.
    std::sort(list.farToNear.begin(), list.farToNear.end(),
              [](const BarOrder& a, const BarOrder& b) { return a.depth > b.depth; });
}
