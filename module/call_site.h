// Near-call displacement arithmetic, written once. Both directions wrap modulo 2^32, so a
// callee below the call site and one above it are handled alike.
#pragma once

#include <cstdint>

inline std::uint32_t CallTarget(std::uint32_t nextInstruction, std::int32_t displacement) {
    return nextInstruction + static_cast<std::uint32_t>(displacement);
}

inline std::int32_t CallDisplacement(std::uint32_t nextInstruction, std::uint32_t target) {
    return static_cast<std::int32_t>(target - nextInstruction);
}
