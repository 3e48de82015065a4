// The stand-in host's checks of the module, and what they share. Each prints one line per
// check on stdout and returns the number that failed.
#pragma once

#include <cstdint>
#include <vector>
#include <windows.h>

#include "standin/checks/expected_bar.h"

// "ok" or "FAIL", then the check's name and what it saw as printf formats them; 1 on
// failure, 0 on success.
int Check(bool passed, const char* format, ...) __attribute__((format(printf, 2, 3)));

// A frame taken twice, as the host alone draws it and as it is with the module.
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

// The hook's gate reads the argument's low byte only.
constexpr std::uint32_t zeroLowByte = 0x12345600, nonzeroLowByte = 0xABCDEF5A;

// One frame call as the game makes it, with esp at the call site `misalign` mod 16: the
// game's callee ran once with the argument, its result came back, and the registers, the
// x87 and SSE state with their flags, and the stack the game relies on are as it left them.
int ProbeFrameCall(std::uint32_t argument, std::uint32_t misalign);

// The modes' checks, as the modes' table in modes.cpp tells them.
int RunHookChecks(const char* modulePath);
int RunStateChecks(HostScene& scene);
int RunPixelChecks(HostScene& scene);
int RunEnvironmentChecks(HostScene& scene);
int RunFaultChecks(HostScene& scene, HMODULE module);
