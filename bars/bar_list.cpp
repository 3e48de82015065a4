#include "bars/bar_list.h"

#include <algorithm>
#include <new>

#include "bars/actor_tracker.h"
#include "bars/bar_animation.h"

namespace {

// No entry has a NaN depth (AnimateBar gives such a record no bar), so this is a strict
// weak order; bars of equal depth may come out in either order.
bool FartherFirst(const BarEntry& a, const BarEntry& b) {
    return a.anchor.z > b.anchor.z;
}

} // namespace

void BuildBarList(ActorTracker& tracker, BarList& list, float frameDelta,
                  const D3DXMATRIX* hostViewMatrix) {
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
    std::sort(list.begin(), list.end(), FartherFirst);
}
