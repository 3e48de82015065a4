#include "standin/checks/call_probe.h"

#include <cstddef>

#include "standin/host/call_site.h"

extern "C" {
CallProbe callProbe = {};
}

// Registers are loaded with known values and read back after the call; the caller's esp is
// kept in memory because ebp is one of the registers under test.
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
    movl %esp, _callProbe
    andl $-16, %esp
    subl $64, %esp
    addl %edx, %esp
    addl $12, %esp
    movl $0x1BADB0B1, %ebx
    movl $0x2BADB0B2, %esi
    movl $0x3BADB0B3, %edi
    movl $0x4BADB0B4, %ebp
    movl %esp, _callProbe+4
    pushl %ecx
    movl $0x6E75A0, %eax
    call *%eax
    addl $4, %esp
    movl %esp, _callProbe+8
    movl %eax, _callProbe+12
    movl %ebx, _callProbe+16
    movl %esi, _callProbe+20
    movl %edi, _callProbe+24
    movl %ebp, _callProbe+28
    movl _callProbe, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

// The asm above spells these out; they must stay what the checks compare with.
static_assert(frameRoutine == 0x6E75A0, "the probe calls the frame routine by address");
static_assert(probeCallSiteDepth == 12, "the probe aligns for this depth");
static_assert(probeEbx == 0x1BADB0B1 && probeEsi == 0x2BADB0B2 && probeEdi == 0x3BADB0B3 &&
                  probeEbp == 0x4BADB0B4,
              "the probe loads these values");
static_assert(offsetof(CallProbe, hostEsp) == 0 && offsetof(CallProbe, espBefore) == 4 &&
                  offsetof(CallProbe, espAfter) == 8 && offsetof(CallProbe, result) == 12 &&
                  offsetof(CallProbe, ebx) == 16 && offsetof(CallProbe, esi) == 20 &&
                  offsetof(CallProbe, edi) == 24 && offsetof(CallProbe, ebp) == 28,
              "the probe stores into _callProbe at these offsets");
