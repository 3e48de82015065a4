// One frame call made from hand-written code, so that the stack alignment at the call site
// and the registers around the call are known exactly.
#include <cstdint>
#include <cstring>

#include "standin/checks/checks.h"
#include "standin/host/call_site.h"
#include "standin/host/host_callee.h"

// Each value the asm reads or writes is a symbol of its own: no struct layout to keep in step.
extern "C" {
std::uint32_t probeTarget = frameRoutine;
// Loaded into ebx, esi, edi and ebp before the call, and what those held after it.
std::uint32_t probeLoaded[4] = {0x1BADB0B1, 0x2BADB0B2, 0x3BADB0B3, 0x4BADB0B4};
std::uint32_t probeSaved[4];
std::uint32_t probeHostEsp, probeEspBefore, probeEspAfter, probeResult;
void ProbeFrameRoutine(std::uint32_t argument, std::uint32_t misalign);
}

// esp before the argument push is misalign + 12 mod 16, which puts the call site's esp at
// misalign; the host's esp is kept in memory because ebp is one of the registers under test.
asm(R"(
    .text
    .globl _ProbeFrameRoutine
    .def _ProbeFrameRoutine; .scl 2; .type 32; .endef
_ProbeFrameRoutine:
    pushl %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 20(%esp), %ecx
    movl 24(%esp), %edx
    movl %esp, _probeHostEsp
    andl $-16, %esp
    subl $52, %esp
    addl %edx, %esp
    movl _probeLoaded, %ebx
    movl _probeLoaded+4, %esi
    movl _probeLoaded+8, %edi
    movl _probeLoaded+12, %ebp
    movl %esp, _probeEspBefore
    pushl %ecx
    call *_probeTarget
    addl $4, %esp
    movl %esp, _probeEspAfter
    movl %eax, _probeResult
    movl %ebx, _probeSaved
    movl %esi, _probeSaved+4
    movl %edi, _probeSaved+8
    movl %ebp, _probeSaved+12
    movl _probeHostEsp, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

int ProbeFrameCall(std::uint32_t argument, std::uint32_t misalign) {
    // The call site's esp lies below the probe's by the argument, the return address and the
    // frame routine's own copy of the argument.
    constexpr std::uint32_t callSiteDepth = 12;
    const std::uint32_t callsBefore = hostCallee.calls;
    ProbeFrameRoutine(argument, misalign);
    const bool siteAligned = (probeEspBefore - callSiteDepth) % 16 == misalign;
    const bool reached = hostCallee.calls == callsBefore + 1 && hostCallee.lastArgument == argument;
    const bool result = probeResult == HostCalleeResult(argument);
    const bool saved = std::memcmp(probeSaved, probeLoaded, sizeof probeSaved) == 0 &&
                       probeEspAfter == probeEspBefore;
    // The callee sees the call site's return address on top, exactly as the host pushed it.
    const bool stack = hostCallee.entryEsp == probeEspBefore - callSiteDepth - 4;
    return CheckDetail(siteAligned && reached && result && saved && stack, "frame call",
                       "arg %#010x esp%%16=%u reached=%d result=%d saved=%d stack=%d", argument,
                       misalign, reached, result, saved, stack);
}
