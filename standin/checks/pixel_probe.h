// Reading colours out of a captured frame and comparing them with what a bar blended over
// the host's own picture must give.
#pragma once

#include <cstdint>

#include "standin/host/scene_camera.h"

// 0x00RRGGBB of the pixel under a screen point.
std::uint32_t PixelAt(const std::uint32_t* pixels, const ScreenPoint& point);

// What a colour with 8-bit alpha blended once (source alpha, inverse source alpha) over
// `below` gives.
std::uint32_t BlendOver(std::uint32_t below, float r, float g, float b, float alpha);

// Largest channel difference.
int ColorDistance(std::uint32_t a, std::uint32_t b);

// Passes when the frame shows `expected` at the point within `tolerance`; prints both.
int ExpectPixel(const char* name, const std::uint32_t* frame, const ScreenPoint& point,
                std::uint32_t expected, int tolerance);
