// The host's own callee at the call site: what the game calls once per frame.
#pragma once

#include <cstdint>

struct HostCalleeRecord {
    std::uint32_t calls;
    std::uint32_t lastArgument;
    std::uint32_t entryEsp;      // esp on entry, return address on top
    std::uint32_t readFrom;      // a word the callee reads first, or 0 for none
    std::uint32_t faultsHandled; // reads of it that faulted and the game's handler took
};

extern "C" {
extern HostCalleeRecord hostCallee;
// What the callee found on entry: eax, ecx, edx, ebx, esi, edi and ebp, and the x87 and SSE
// state as fxsave writes it.
extern std::uint32_t hostCalleeRegisters[7];
extern unsigned char hostCalleeMachine[512];
// cdecl, one argument; its result reaches the host.
std::uint32_t HostFrameCallee(std::uint32_t argument);
}

// The game's own handler of its callee's faults: a read of readFrom that faults is counted
// and stepped over.
void InstallHostFaultHandler();

// What the callee returns for an argument; the host checks that it reached it.
inline std::uint32_t HostCalleeResult(std::uint32_t argument) {
    return argument ^ 0x5EED1234U;
}
