// The host's own callee at the call site: what the game calls once per frame.
#pragma once

#include <cstdint>

struct HostCalleeRecord {
    std::uint32_t calls;
    std::uint32_t lastArgument;
    std::uint32_t entryEsp; // esp on entry, return address on top
};

extern "C" {
extern HostCalleeRecord hostCallee;
// cdecl, one argument; its result reaches the host.
std::uint32_t HostFrameCallee(std::uint32_t argument);
}

// What the callee returns for an argument; the host checks that it reached it.
inline std::uint32_t HostCalleeResult(std::uint32_t argument) {
    return argument ^ 0x5EED1234U;
}
