// Colours as the bar model computes them, and their packing for the device.
#pragma once

#include "d3d/d3d.h"

struct ColorRGBA {
    float r, g, b, a;
};

D3DCOLOR PackColor(ColorRGBA color);
