// One health bar: fill, recent-damage trail and outline, flat in view space around the
// entry's anchor so that it always faces the camera.
#pragma once

#include "overlay/bar_entry.h"
#include "overlay/overlay_renderer.h"

// The bar's size, in host world units: a health of 1 spans the whole width. Halving is
// exact, so the edges sit at exactly the half sizes.
constexpr float barWidth = 1.4f;
constexpr float barHeight = 0.13f;
constexpr float barHalfWidth = barWidth / 2;
constexpr float barHalfHeight = barHeight / 2;

// The outline is one line strip through the four corners with each corner after the first
// given twice (P0 P1 P1 P2 P2 P3 P3 P0): seven segments, three of them of zero length.
constexpr int outlinePoints = 8;
// Drawn this many times over: thin lines blend up to a solid outline.
constexpr int outlinePasses = 4;

void DrawBar(OverlayRenderer& renderer, const BarEntry& entry);
