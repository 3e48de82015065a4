#include "overlay/color.h"

#include <cstdint>

namespace {

// Truncates toward zero, as the device colour always has. A NaN or out-of-range component
// (never produced by the bar model) is pinned to 0..255 first: converting it unchecked
// would be undefined.
std::uint32_t PackComponent(float component) {
    const float scaled = component * 255.0f;
    if (!(scaled > 0.0f)) {
        return 0;
    }
    if (scaled >= 255.0f) {
        return 255;
    }
    return static_cast<std::uint32_t>(scaled);
}

} // namespace

D3DCOLOR PackColor(ColorRGBA color) {
    return PackComponent(color.a) << 24 | PackComponent(color.r) << 16 |
           PackComponent(color.g) << 8 | PackComponent(color.b);
}
