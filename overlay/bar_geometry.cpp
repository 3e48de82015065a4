#include "overlay/bar_geometry.h"

#include <cmath>

namespace {

struct BarEdges {
    float xLeft, xRight, yBottom, yTop, xHealth, xTrail, z;
};

BarEdges EdgesOf(const BarEntry& entry) {
    const float x = entry.anchor.x;
    const float y = entry.anchor.y;
    BarEdges e;
    e.xLeft = x - barHalfWidth;
    e.xRight = x + barHalfWidth;
    e.yBottom = y - barHalfHeight;
    e.yTop = y + barHalfHeight;
    e.xHealth = (entry.health * barWidth - barHalfWidth) + x;
    e.xTrail = (entry.trailHealth * barWidth - barHalfWidth) + x;
    e.z = entry.anchor.z;
    return e;
}

// No bar is better than a vertex the device cannot place. The game's garbage can put an edge
// at infinity or NaN: a damage ratio of minus infinity, or of -3e38, whose health times 1.4
// overflows, or an anchor at the edge of the float range. The trail's edge is tested where
// the trail is drawn.
bool IsFinite(const BarEdges& e) {
    return std::isfinite(e.xLeft) && std::isfinite(e.xRight) && std::isfinite(e.yBottom) &&
           std::isfinite(e.yTop) && std::isfinite(e.xHealth) && std::isfinite(e.z);
}

// Two triangles spanning x0..x1 over the bar's height.
void DrawQuad(IDirect3DDevice9* device, const BarEdges& e, float x0, float x1, D3DCOLOR c) {
    const OverlayVertex quad[6] = {
        {x0, e.yBottom, e.z, c}, {x1, e.yBottom, e.z, c}, {x1, e.yTop, e.z, c},
        {x1, e.yTop, e.z, c},    {x0, e.yTop, e.z, c},    {x0, e.yBottom, e.z, c},
    };
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(OverlayVertex));
}

} // namespace

void DrawBar(OverlayRenderer& renderer, const BarEntry& entry) {
    const BarEdges e = EdgesOf(entry);
    if (!IsFinite(e)) {
        return;
    }
    if (IDirect3DDevice9* const device = renderer.device) {
        DrawQuad(device, e, e.xLeft, e.xHealth, PackColor(entry.fillColor));
        // Only a trail above the health, neither of them NaN, and only one that can be placed:
        // one frame of garbage can leave the trail at infinity, where no drain brings it
        // back, and the fill and the outline must not go with it.
        if (entry.trailHealth > entry.health && std::isfinite(e.xTrail)) {
            DrawQuad(device, e, e.xHealth, e.xTrail, PackColor(entry.trailColor));
        }
    }
    // Corners are points, not directions: w = 1.
    const D3DXVECTOR4 p0 = {e.xLeft, e.yBottom, e.z, 1.0f}, p1 = {e.xRight, e.yBottom, e.z, 1.0f},
                      p2 = {e.xRight, e.yTop, e.z, 1.0f}, p3 = {e.xLeft, e.yTop, e.z, 1.0f};
    const D3DXVECTOR4 outline[outlinePoints] = {p0, p1, p1, p2, p2, p3, p3, p0};
    // Packed once: the passes are one strip drawn again.
    const D3DCOLOR outlineColor = PackColor(entry.frameColor);
    for (int pass = 0; pass < outlinePasses; ++pass) {
        DrawPolyline(renderer, outlineColor, outlinePoints, outline);
    }
}
