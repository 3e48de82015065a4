// The game's frame call: where a near call leads, and what the module checks of the game's
// code before it patches it, so that a call site of another build, or a call that leads
// nowhere, is left as it is.
#pragma once

#include <cstddef>
#include <cstdint>

// Both directions wrap modulo 2^32, so a callee below the call site and one above it are
// handled alike.
inline std::uint32_t CallTarget(std::uint32_t nextInstruction, std::int32_t displacement) {
    return nextInstruction + static_cast<std::uint32_t>(displacement);
}

inline std::int32_t CallDisplacement(std::uint32_t nextInstruction, std::uint32_t target) {
    return static_cast<std::int32_t>(target - nextInstruction);
}

// Committed, readable memory of the game's own executable image, `length` bytes of it.
bool IsGameCode(std::uintptr_t site, std::size_t length);

// Committed, executable code: the game's callee, or another plug-in's that took the call first.
bool IsExecutableCode(std::uintptr_t target);
