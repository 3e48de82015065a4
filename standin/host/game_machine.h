// The machine as the game leaves it when it makes its frame call, and what the game's callee
// finds there. A game built with whole-program optimisation may keep values in any register
// across a call whose callee it knows, and it calls in a floating-point environment of its
// own: D3D9 without FPU_PRESERVE leaves the x87 unit at single precision, engines flush
// denormals, debug builds unmask traps.
#pragma once

#include <cstdint>

struct GameFloatEnvironment {
    const char* name;
    std::uint16_t x87Control;
    std::uint32_t mxcsr; // with no exception flag set
};

// x87 at 53-bit precision, both units rounding to nearest with every exception masked.
constexpr GameFloatEnvironment threadStartEnvironment = {"as Windows starts a thread", 0x027F,
                                                         0x1F80};
constexpr GameFloatEnvironment unusualEnvironments[] = {
    {"x87 at single precision, as Direct3D 9 leaves it", 0x007F, 0x1F80},
    {"flush-to-zero and denormals-are-zero", 0x027F, 0x9FC0},
    {"invalid, divide-by-zero and overflow unmasked on both units", 0x0272, 0x1900},
};

// The environment of the game's frame calls from now on.
void SetGameFloatEnvironment(const GameFloatEnvironment& environment);

// The host's frame call as the game makes it: from hand-written code, with esp at the call
// site `misalign` mod 16 (the game keeps 4-byte alignment only), known values in every
// integer register and in xmm0-xmm7, and the game's floating-point environment loaded.
// The host's own machine is back on return.
std::uint32_t CallFrameRoutine(std::uint32_t argument, std::uint32_t misalign = 4);

extern "C" {
// esp just before the last frame call pushed its argument.
extern std::uint32_t gameEspBefore;
}

// After the last frame call: its callee found every integer register, the x87 control,
// status and tag words, MXCSR with its flags, and xmm0-xmm7 as the game left them; and
// after its return esp and the registers a callee keeps were the game's again.
bool GameMachineKept();
