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

constexpr int maxPolylinePoints = 64;

struct OverlayRenderer {
    D3DXMATRIX identityMatrix;
    IDirect3DDevice9* device;         // borrowed for one frame; null: draw nothing
    IDirect3DStateBlock9* stateBlock; // the host's state, captured for one frame
};

extern OverlayRenderer overlayRenderer;

// Borrows `device` for this frame, captures its state and sets the overlay pipeline, with
// viewTransform as the device's view transform. With no device, or no way to restore the
// host's state, the renderer draws nothing this frame.
void BeginOverlay(OverlayRenderer& renderer, IDirect3DDevice9* device,
                  const D3DXMATRIX* viewTransform);

// One line strip through `count` D3DXVECTOR4 points passed by value (w ignored); at most
// the first maxPolylinePoints are drawn, fewer than two draw nothing.
void DrawPolyline(OverlayRenderer& renderer, ColorRGBA color, std::int32_t count, ...);

// Restores the state captured by BeginOverlay.
void EndOverlay(OverlayRenderer& renderer);

// The renderer's state at load.
OverlayRenderer MakeOverlayRenderer();
