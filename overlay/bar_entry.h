// The plain values that pass from the bar model to the overlay: one bar, ready to draw.
// Nothing here refers back to the model, the host or the device.
#pragma once

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
