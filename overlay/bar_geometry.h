// One health bar: fill, recent-damage trail and outline, flat in view space around the
// entry's anchor so that it always faces the camera.
#pragma once

#include "overlay/bar_entry.h"
#include "overlay/overlay_renderer.h"

// The bar's size in view-space units (host world units). A health of 1 spans the whole
// width, the same float as twice the half width.
constexpr float barHalfWidth = 0.7f;
constexpr float barHalfHeight = 0.065f;
constexpr float barWidth = 1.4f;

// The outline is one line strip through the four corners with each corner after the first
// given twice (P0 P1 P1 P2 P2 P3 P3 P0): seven segments, three of them of zero length.
constexpr int outlinePoints = 8;
// Drawn this many times over: thin lines blend up to a solid outline.
constexpr int outlinePasses = 4;

void DrawBar(OverlayRenderer& renderer, const BarEntry& entry);
