#include "standin/host/host_callee.h"

#include <cstddef>
#include <windows.h>

extern "C" {

HostCalleeRecord hostCallee = {};
std::uint32_t hostCalleeRegisters[7];
alignas(16) unsigned char hostCalleeMachine[512];

// Stack alignment is whatever the caller left, as in the game.
__attribute__((used, force_align_arg_pointer)) std::uint32_t
HostFrameCalleeBody(std::uint32_t argument) {
    ++hostCallee.calls;
    hostCallee.lastArgument = argument;
    return HostCalleeResult(argument);
}
}

// Records esp, the registers and the x87 and SSE state on entry, so the host can tell the
// hook passed its stack and machine on unchanged, then reads the word at readFrom, if any: a
// two-byte load the game's handler can step over.
asm(R"(
    .text
    .globl _HostFrameCallee
    .def _HostFrameCallee; .scl 2; .type 32; .endef
_HostFrameCallee:
    movl %esp, _hostCallee+8
    fxsave _hostCalleeMachine
    movl %eax, _hostCalleeRegisters
    movl %ecx, _hostCalleeRegisters+4
    movl %edx, _hostCalleeRegisters+8
    movl %ebx, _hostCalleeRegisters+12
    movl %esi, _hostCalleeRegisters+16
    movl %edi, _hostCalleeRegisters+20
    movl %ebp, _hostCalleeRegisters+24
    movl _hostCallee+12, %eax
    testl %eax, %eax
    jz 1f
    .globl _HostCalleeRead
_HostCalleeRead:
    movl (%eax), %eax
1:
    jmp _HostFrameCalleeBody
)");
static_assert(offsetof(HostCalleeRecord, entryEsp) == 8, "the callee stores esp at +8");
static_assert(offsetof(HostCalleeRecord, readFrom) == 12, "the callee reads from +12");

extern "C" void HostCalleeRead();

namespace {
LONG CALLBACK OnCalleeFault(EXCEPTION_POINTERS* fault) {
    if (fault->ExceptionRecord->ExceptionAddress != reinterpret_cast<void*>(&HostCalleeRead)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    ++hostCallee.faultsHandled;
    fault->ContextRecord->Eip += 2; // movl (%eax), %eax
    return EXCEPTION_CONTINUE_EXECUTION;
}
} // namespace

void InstallHostFaultHandler() {
    // Last in line: the module's own handler, first in line, must pass this fault on.
    static const PVOID handler = AddVectoredExceptionHandler(0, OnCalleeFault);
    (void)handler;
}
