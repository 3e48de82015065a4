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
    // Flags of masked exceptions only: one whose exception is unmasked would make the next
    // x87 instruction trap.
    std::uint16_t x87Status;
    std::uint32_t mxcsr; // flags included
};

// x87 at 53-bit precision, both units rounding to nearest with every exception masked, as
// Windows starts a thread; and, as any inexact result of the game's own leaves them, the
// precision flags raised (PE, bit 5 of both), which the callee must find still raised.
constexpr GameFloatEnvironment usualEnvironment = {"usual", 0x027F, 0x0020, 0x1FA0};
// All of what a game may call in at once. x87 control 0x0072: single precision (bits 8-9
// clear), invalid, divide-by-zero and overflow unmasked (bits 0, 2, 3 clear). MXCSR 0x9972:
// flush-to-zero (0x8000), denormals-are-zero (0x40), the same three unmasked (0x1900 keeps
// only the precision, underflow and denormal masks). The flags of those three masked ones,
// precision, underflow and denormal (0x32), raised on both units.
constexpr GameFloatEnvironment hostileEnvironment = {
    "x87 at single precision, flush-to-zero and denormals-are-zero, traps unmasked", 0x0072, 0x0032,
    0x9972};

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
