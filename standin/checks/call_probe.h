// Calls the frame routine from hand-written code so that the stack alignment at the call
// site and the registers around the call are known exactly.
#pragma once

#include <cstdint>

struct CallProbe {
    std::uint32_t hostEsp; // esp of the probe's caller, restored at the end
    std::uint32_t espBefore;
    std::uint32_t espAfter;
    std::uint32_t result;
    std::uint32_t ebx, esi, edi, ebp; // after the call
};

constexpr std::uint32_t probeEbx = 0x1BADB0B1;
constexpr std::uint32_t probeEsi = 0x2BADB0B2;
constexpr std::uint32_t probeEdi = 0x3BADB0B3;
constexpr std::uint32_t probeEbp = 0x4BADB0B4;

// How far below esp before the frame routine's argument push the call site's esp lies:
// the argument, the return address and the routine's own copy of the argument.
constexpr std::uint32_t probeCallSiteDepth = 12;

extern "C" {
extern CallProbe callProbe;
// Calls the frame routine with esp at the call site equal to `misalign` mod 16 (0, 4, 8 or
// 12) and known values in every callee-saved register; fills callProbe.
void ProbeFrameRoutine(std::uint32_t argument, std::uint32_t misalign);
}
