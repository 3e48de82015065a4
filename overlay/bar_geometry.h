// One health bar: fill, recent-damage trail and outline, flat in view space around the
// entry's anchor so that it always faces the camera.
#pragma once

#include "overlay/bar_entry.h"
#include "overlay/overlay_renderer.h"

constexpr float barHalfWidth = 0.7f;
constexpr float barHalfHeight = 0.065f;
constexpr float barWidth = 1.4f;
constexpr int outlinePasses = 4;

void DrawBar(OverlayRenderer& renderer, const BarEntry& entry);
