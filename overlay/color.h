// A bar's colours, and packing them for the device.
#pragma once

#include <algorithm>

#include "d3d/d3d.h"

// Components 0..1, as the bar model computes them; PackColor turns them into a D3DCOLOR.
struct ColorRGBA {
    float r, g, b, a;
};

// Scaled in float and truncated toward zero, never rounded: 0.7 packs to 0xB2 and 0.5 to 0x7F.
// A NaN or out-of-range component, which the bar model never makes, is pinned to 0..255
// first, since converting it unchecked would be undefined; with the NaN second, max gives 0.
inline D3DCOLOR PackComponent(float component) {
    return static_cast<D3DCOLOR>(std::min(255.0f, std::max(0.0f, component * 255.0f)));
}

inline D3DCOLOR PackColor(ColorRGBA color) {
    return PackComponent(color.a) << 24 | PackComponent(color.r) << 16 |
           PackComponent(color.g) << 8 | PackComponent(color.b);
}
