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
};

// Advances the clock by `step`, then renders the same frame without and with the call site.
// A check: both were read back, and the frame with the module kept the host's device state
// and reached its callee with the game's machine.
int CaptureFrame(Stage& stage, HostScene& scene, float step, Capture* capture);

// The frame shows `color` blended `passes` times over the host's picture at `at` or, for a
// line, on one of the `rows` rows either side of it.
int ExpectBar(const char* name, const Capture& c, const ScreenPoint& at, expected::Color color,
              int passes = 1, int rows = 0);
// No pixel differs from the reference but near the bars of the stage's first `shown` actors.
int ExpectOnlyBarsChanged(const char* name, const HostScene& scene, const Capture& c,
                          const Stage& stage, int shown);
