#include "bars/bar_list.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "bars/actor_tracker.h"
#include "bars/bar_animation.h"
#include "bars/bar_look.h"

namespace {

// A bar's depth lies beyond the near fade's start: at it or nearer, its opacity is 0.
static_assert(barlook::nearFadeStart >= 0.0f, "the draw order takes every depth as positive");

BarOrder DrawOrder(float depth, std::uint32_t entry) {
    std::uint32_t bits;
    std::memcpy(&bits, &depth, sizeof bits);
    return BarOrder{bits} << 32 | entry;
}

// By depth alone, as the floats compare: bars of equal depth keep the order the sort's own steps
// leave them in. An object, not a function, so that the sort inlines the comparison.
struct Deeper {
    bool operator()(BarOrder a, BarOrder b) const { return a >> 32 > b >> 32; }
};

} // namespace

void BuildBarList(ActorTracker& tracker, BarList& list, float frameDelta,
                  const D3DXMATRIX& hostViewMatrix) {
    list.entries.clear();
    list.farToNear.clear();
    for (TrackedActor& record : tracker.records) {
        BarEntry entry;
        if (!AnimateBar(record.bar, frameDelta, hostViewMatrix, &entry)) {
            continue;
        }
        try {
            list.farToNear.push_back(DrawOrder(entry.anchor.z, std::uint32_t(list.entries.size())));
            list.entries.push_back(entry);
        } catch (const std::bad_alloc&) {
            // Without memory for this bar, the list keeps those it has, each in the draw order,
            // and the walk goes on: every record's timers still advance.
            list.farToNear.resize(list.entries.size());
        }
    }
    // No bar has a NaN depth: AnimateBar gives such a record none.
    std::sort(list.farToNear.begin(), list.farToNear.end(), Deeper());
}
