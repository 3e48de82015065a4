// One frame call as the game makes it (standin/host/game_machine.h), with the stack
// alignment at the call site chosen and every register and the floating-point state known.
#include <cstdint>

#include "standin/checks/checks.h"
#include "standin/host/game_machine.h"
#include "standin/host/host_callee.h"

int ProbeFrameCall(std::uint32_t argument, std::uint32_t misalign) {
    // The call site's esp lies below the caller's by the argument, the return address and the
    // frame routine's own copy of the argument.
    constexpr std::uint32_t callSiteDepth = 12;
    const std::uint32_t callsBefore = hostCallee.calls;
    const std::uint32_t result = CallFrameRoutine(argument, misalign);
    const bool siteAligned = (gameEspBefore - callSiteDepth) % 16 == misalign;
    const bool reached = hostCallee.calls == callsBefore + 1 && hostCallee.lastArgument == argument;
    const bool returned = result == HostCalleeResult(argument);
    const bool kept = GameMachineKept();
    // The callee sees the call site's return address on top, exactly as the host pushed it.
    const bool stack = hostCallee.entryEsp == gameEspBefore - callSiteDepth - 4;
    return CheckDetail(siteAligned && reached && returned && kept && stack, "frame call",
                       "arg %#010x esp%%16=%u reached=%d result=%d machine kept=%d stack=%d",
                       argument, misalign, reached, returned, kept, stack);
}
