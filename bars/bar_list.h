// This frame's bars: one entry per visible tracked actor, and the order to draw them in.
#pragma once

#include <cstdint>
#include <vector>

#include "d3d/d3d.h"
#include "overlay/bar_entry.h"

struct ActorTracker;

// A bar's place in the draw order: its depth's bits above its entry's index. Every bar's
// depth is positive, and positive floats order as their bits do, so one integer comparison
// orders two bars by depth; and the sort moves 8 bytes where an entry is 72.
using BarOrder = std::uint64_t;

inline std::uint32_t EntryOf(BarOrder order) {
    return static_cast<std::uint32_t>(order);
}

// Emptied, never shrunk, every shown frame: the capacity of both carries over.
struct BarList {
    std::vector<BarEntry> entries; // in the tracker's order
    std::vector<BarOrder> farToNear;
};

// Advances every tracked record's timers by frameDelta and rebuilds the list through the
// host's view matrix, its order farthest first: nearer bars are drawn over farther ones.
void BuildBarList(ActorTracker& tracker, BarList& list, float frameDelta,
                  const D3DXMATRIX& hostViewMatrix);
