// One tracked record's step of animation: timers, anchor, colours and fades.
#pragma once

#include "bars/actor_tracker.h"
#include "bars/bar_list.h"

// Advances the record's timers by frameDelta and, when the actor gets a bar this frame,
// fills *entry and returns true.
bool AnimateBar(BarState& bar, float frameDelta, const D3DXMATRIX& viewMatrix, BarEntry* entry);
