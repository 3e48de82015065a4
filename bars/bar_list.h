// This frame's bars: one entry per visible tracked actor, sorted far to near.
#pragma once

#include <vector>

#include "d3d/d3d.h"
#include "overlay/bar_entry.h"

struct ActorTracker;

// Emptied, never shrunk, every shown frame: its capacity carries over.
using BarList = std::vector<BarEntry>;

// Advances every tracked record's timers by frameDelta and rebuilds the list from the
// tracker through the host's view matrix, farthest first, so that nearer bars are drawn
// over farther ones.
void BuildBarList(ActorTracker& tracker, BarList& list, float frameDelta,
                  const D3DXMATRIX* hostViewMatrix);
