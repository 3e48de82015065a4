#include "standin/host/host_callee.h"

#include <cstddef>

extern "C" {

HostCalleeRecord hostCallee = {};

// Stack alignment is whatever the caller left, as in the game.
__attribute__((used, force_align_arg_pointer)) std::uint32_t
HostFrameCalleeBody(std::uint32_t argument) {
    ++hostCallee.calls;
    hostCallee.lastArgument = argument;
    return HostCalleeResult(argument);
}
}

// Records esp on entry so the host can tell the hook passed its stack on unchanged.
asm(R"(
    .text
    .globl _HostFrameCallee
    .def _HostFrameCallee; .scl 2; .type 32; .endef
_HostFrameCallee:
    movl %esp, _hostCallee+8
    jmp _HostFrameCalleeBody
)");
static_assert(offsetof(HostCalleeRecord, entryEsp) == 8, "the callee stores esp at +8");
