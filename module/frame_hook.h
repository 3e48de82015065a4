// The attach-time patch that routes the host's frame call through the module.
#pragma once

#include <cstdint>

extern "C" {
// The host's own callee, as the call site held it before the patch; 0 until then.
extern std::uint32_t savedCallee;

// Takes the place of the host's callee: runs the module's frame when the argument's low byte
// is 0, then jumps on to the host's callee with the host's stack untouched.
void OnHostFrame(std::uint32_t argument);
}

// Patches the call site, or leaves a game build it was not made for untouched.
void InstallFrameHook();
