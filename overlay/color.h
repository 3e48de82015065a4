// Packing a bar's colours for the device.
#pragma once

#include <algorithm>

#include "d3d/d3d.h"
#include "overlay/bar_entry.h"

// A component scaled in float and truncated toward zero, never rounded: 0.7 packs to 0xB2
// and 0.5 to 0x7F, the bytes the stand-in host's pixel checks expect. A NaN or out-of-range
// component (never produced by the bar model) is pinned to 0..255 first: converting it
// unchecked would be undefined. std::max(0, NaN) is 0: the NaN is its second argument.
inline D3DCOLOR PackComponent(float component) {
    return static_cast<D3DCOLOR>(std::min(255.0f, std::max(0.0f, component * 255.0f)));
}

inline D3DCOLOR PackColor(ColorRGBA color) {
    return PackComponent(color.a) << 24 | PackComponent(color.r) << 16 |
           PackComponent(color.g) << 8 | PackComponent(color.b);
}
