#include "overlay/color.h"

#include <cstdint>

namespace {

constexpr float byteScale = 255.0f;
constexpr std::uint32_t byteMax = 255;

// Scaled in float and truncated toward zero, never rounded: 0.7 packs to 0xB2 and 0.5 to
// 0x7F, the bytes the stand-in host's pixel checks expect. A NaN or out-of-range component
// (never produced by the bar model) is pinned to 0..255 first: converting it unchecked
// would be undefined.
std::uint32_t PackComponent(float component) {
    const float scaled = component * byteScale;
    if (!(scaled > 0.0f)) {
        return 0;
    }
    if (scaled >= byteScale) {
        return byteMax;
    }
    return static_cast<std::uint32_t>(scaled);
}

} // namespace

D3DCOLOR PackColor(ColorRGBA color) {
    return PackComponent(color.a) << 24 | PackComponent(color.r) << 16 |
           PackComponent(color.g) << 8 | PackComponent(color.b);
}
