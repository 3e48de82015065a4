// A frame taken twice, as the host alone draws it and as it is with the module, and the
// pixel expectations stated against that pair.
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
