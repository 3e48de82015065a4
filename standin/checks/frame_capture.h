// A frame taken twice, as the host alone draws it and as it is with the module, and the
// pixel expectations stated against that pair.
#pragma once

#include <cstdint>
#include <vector>

#include "standin/host/stage.h"

// The module's bar colours as they reach the device: 0.7 alpha, 0.9 grey, 0.5 pale red.
constexpr float barAlpha = 178.0f / 255.0f;
constexpr float barGrey = 229.0f / 255.0f;
constexpr float barPaleRed = 127.0f / 255.0f;
constexpr float barHalfHeight = 0.065f;
constexpr int pixelTolerance = 8;

struct Capture {
    std::vector<std::uint32_t> withModule;
    std::vector<std::uint32_t> reference;
    int stateDifferences;
    bool calleeReached;
};

// Advances the clock by `step`, then renders the same frame without and with the call site.
bool CaptureFrame(Stage& stage, HostScene& scene, float step, Capture* capture);

// A bar's colour blended once over the host's picture at that point.
int ExpectBar(const char* name, const Capture& c, const ScreenPoint& at, float r, float g, float b);
int ExpectUnchanged(const char* name, const Capture& c, const ScreenPoint& at);
int ExpectStateKept(const Capture& c);
