// This frame's bars: one entry per visible tracked actor, sorted far to near.
#pragma once

#include <vector>

#include "d3d/d3d.h"
#include "overlay/color.h"

struct BarEntry {
    D3DXVECTOR4 anchor; // view space; z is the depth, w is carried and unused
    ColorRGBA frameColor;
    ColorRGBA fillColor;
    ColorRGBA trailColor;
    float health;      // >= 0, no upper bound
    float trailHealth; // >= 0
};
static_assert(sizeof(BarEntry) == 18 * sizeof(float), "BarEntry is eighteen floats");

// Emptied, never shrunk, every shown frame: its capacity carries over.
using BarList = std::vector<BarEntry>;

extern BarList barList;

// Advances every record's timers and rebuilds barList from the tracker, farthest first.
void BuildBarList();
