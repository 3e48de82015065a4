// A frame taken twice, as the host alone draws it and as it is with the module; its
// pixels read, and expectations stated against that pair.
#pragma once

#include <cstdint>
#include <vector>

#include "standin/checks/expected_bar.h"
#include "standin/host/stage.h"

struct Capture {
    std::vector<std::uint32_t> withModule;
    std::vector<std::uint32_t> reference;
    int stateDifferences;
    bool calleeReached;
};

// Advances the clock by `step`, then renders the same frame without and with the call site.
bool CaptureFrame(Stage& stage, HostScene& scene, float step, Capture* capture);

// A bar's colour blended once over the host's picture at that point.
int ExpectBar(const char* name, const Capture& c, const ScreenPoint& at, expected::Color color);
int ExpectUnchanged(const char* name, const Capture& c, const ScreenPoint& at);
int ExpectStateKept(const Capture& c);

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
