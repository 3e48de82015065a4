#include "overlay/bar_geometry.h"

#include <cmath>
#include <initializer_list>

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

// A health the game's garbage drove past any width a float can hold (a damage ratio of -inf,
// or -3e38, whose health x 1.4 overflows), or a place at the edge of the float range, puts
// an edge at infinity or NaN: no bar is better than a vertex the device cannot place. The
// trail's edge is the trail's alone (TrailIsDrawn).
bool IsFinite(const BarEdges& e) {
    for (const float edge : {e.xLeft, e.xRight, e.yBottom, e.yTop, e.xHealth, e.z}) {
        if (!std::isfinite(edge)) {
            return false;
        }
    }
    return true;
}

// Only while it stands above the health (never when either is NaN), and only where its edge
// is a place: one frame of garbage can leave a trail at infinity, which never drains, and
// that must not take the actor's fill and outline with it.
bool TrailIsDrawn(const BarEntry& entry, const BarEdges& e) {
    return entry.trailHealth > entry.health && std::isfinite(e.xTrail);
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
        if (TrailIsDrawn(entry, e)) {
            DrawQuad(device, e, e.xHealth, e.xTrail, PackColor(entry.trailColor));
        }
    }
    // Corners are points, not directions: w = 1.
    const D3DXVECTOR4 p[4] = {
        {e.xLeft, e.yBottom, e.z, 1.0f},
        {e.xRight, e.yBottom, e.z, 1.0f},
        {e.xRight, e.yTop, e.z, 1.0f},
        {e.xLeft, e.yTop, e.z, 1.0f},
    };
    for (int pass = 0; pass < outlinePasses; ++pass) {
        DrawPolyline(renderer, entry.frameColor, outlinePoints, p[0], p[1], p[1], p[2], p[2], p[3],
                     p[3], p[0]);
    }
}
