// Draws per-vertex-coloured view-space geometry through the host's device, and puts every
// bit of device state back afterwards.
#pragma once

#include <cstdint>

#include "d3d/d3d.h"
#include "overlay/color.h"

struct OverlayVertex {
    float x, y, z; // view space
    D3DCOLOR diffuse;
};
constexpr DWORD overlayVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
static_assert(sizeof(OverlayVertex) == 16, "OverlayVertex must match its FVF");

// A line strip needs two points; points past the 64th are not read.
constexpr int minPolylinePoints = 2;
constexpr int maxPolylinePoints = 64;

inline D3DXMATRIX IdentityMatrix() {
    D3DXMATRIX m;
    for (int i = 0; i < 16; ++i) {
        m.m[i / 4][i % 4] = i / 4 == i % 4 ? 1.0f : 0.0f; // 1 where row is column
    }
    return m;
}

// As constructed, the renderer's state at load.
struct OverlayRenderer {
    D3DXMATRIX identityMatrix = IdentityMatrix(); // world and projection: view space is kept
    IDirect3DDevice9* device = nullptr;           // borrowed for one frame; null: draw nothing
    IDirect3DStateBlock9* stateBlock = nullptr;   // the host's state, captured for one frame
};

// Borrows `device` for this frame, captures its state and sets the overlay pipeline, with
// viewTransform as the device's view transform. With no device, or no way to restore the
// host's state, the renderer draws nothing this frame.
void BeginOverlay(OverlayRenderer& renderer, IDirect3DDevice9* device,
                  const D3DXMATRIX& viewTransform);

// One line strip in `color` through the first `count` of `points` (w ignored); at most the
// first maxPolylinePoints are drawn, fewer than two draw nothing.
void DrawPolyline(OverlayRenderer& renderer, D3DCOLOR color, std::int32_t count,
                  const D3DXVECTOR4* points);

// Restores the state captured by BeginOverlay.
void EndOverlay(OverlayRenderer& renderer);
