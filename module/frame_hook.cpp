#include "module/frame_hook.h"

#include <windows.h>

#include <cstddef>

#include "bars/frame_driver.h"
#include "host/host_layout.h"
#include "module/call_site.h"
#include "module/frame_guard.h"

namespace {
// Made when the library is loaded; destroyed only if it is unloaded, which the pin prevents
// once the hook is in, and never when the game quits (module/dll_main.cpp).
FrameState moduleFrame;

// The frame and the calls it makes run in a floating-point environment of its own: with the
// game's traps unmasked the first NaN compared would end the game, and its rounding would
// move the bars. Both units round to nearest, keep denormals and mask every exception, the
// x87 unit at 53 bits; the clobber keeps floating-point work from moving across the change.
constexpr std::uint32_t frameMxcsr = 0x1F80;
constexpr std::uint16_t frameX87Control = 0x027F;

void EnterFrameFloatEnvironment() {
    asm volatile("fninit; fldcw %0; ldmxcsr %1" ::"m"(frameX87Control), "m"(frameMxcsr) : "memory");
}

// The call site leads into the module for the rest of the process: FreeLibrary must not unmap it.
HMODULE PinModule() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&OnHostFrame), &self);
    return self;
}

static_assert(hostlayout::callDisplacement % sizeof(std::int32_t) == 0,
              "the displacement must be one aligned store");

} // namespace

extern "C" {

__attribute__((used)) std::uint32_t savedCallee = 0;

// The game calls with only 4-byte stack alignment; realign before any SSE spill. No C++
// exception may unwind into the game's frames.
__attribute__((used, force_align_arg_pointer)) void RunHostFrame() noexcept {
    EnterFrameFloatEnvironment();
    try {
        DrawActorBars(moduleFrame);
    } catch (...) {
    }
}

// A fault may have come halfway through a calculation: the environment starts afresh.
__attribute__((used, force_align_arg_pointer)) void FinishFaultedFrame() noexcept {
    EnterFrameFloatEnvironment();
    EndFaultedFrame(moduleFrame);
}
}

// The game's callee gets back every integer register and the whole x87 and SSE state, which
// a game that knows its callee may pass values in; EFLAGS is the hook's own, and the upper
// halves of the AVX registers are not saved. The stack while the frame runs, from the top:
//   the game's esp       its return address, then the argument, untouched
//   32 bytes below it    the eight integer registers, as pushal saved them
//   esp + savedEsp       the esp that points at them, below up to 15 bytes of padding
//   esp, 16-aligned      the 512-byte fxsave image of the x87 and SSE state
// A frame that faults resumes at FrameFaulted with esp there, the rest as the fault left it.
asm(R"(
    .text
    .globl _OnHostFrame
    .def _OnHostFrame; .scl 2; .type 32; .endef
    .set fxsaveSize, 512
    .set savedEsp, fxsaveSize
    .set frameArea, fxsaveSize + 4
_OnHostFrame:
    cmpb $0, 4(%esp)
    jne 1f
    pushal
    movl %esp, %eax
    subl $frameArea, %esp
    andl $-16, %esp
    movl %eax, savedEsp(%esp)
    fxsave (%esp)
    movl %esp, _frameGuard+4
    movl %fs:0x24, %eax
    movl %eax, _frameGuard
    call _RunHostFrame
    jmp 3f
    .globl _FrameFaulted
    .def _FrameFaulted; .scl 2; .type 32; .endef
_FrameFaulted:
    call _FinishFaultedFrame
3:
    movl $0, _frameGuard
    fxrstor (%esp)
    movl savedEsp(%esp), %esp
    popal
1:
    cmpl $0, _savedCallee
    je 2f
    jmp *_savedCallee
2:
    ret
)");
static_assert(offsetof(FrameGuard, resumeEsp) == 4, "the hook stores esp at +4");

void InstallFrameHook() {
    auto* site = reinterpret_cast<unsigned char*>(hostlayout::callSite);
    // Any other byte means another game build: writing there would corrupt its code.
    if (!IsGameCode(hostlayout::callSite, hostlayout::callLength) ||
        site[0] != hostlayout::callOpcode) {
        return;
    }
    auto* displacementSlot = reinterpret_cast<std::int32_t*>(hostlayout::callDisplacement);
    const std::uint32_t callee = CallTarget(hostlayout::callNextInstruction, *displacementSlot);
    if (!IsExecutableCode(callee)) {
        return;
    }
    HMODULE self = PinModule();
    if (self == nullptr) {
        return;
    }
    InstallFrameGuard(self);
    // Executable as well as writable: another game thread may be running in this page.
    DWORD oldProtect;
    if (!VirtualProtect(site, hostlayout::callLength, PAGE_EXECUTE_READWRITE, &oldProtect)) {
        return;
    }
    savedCallee = callee;
    const std::int32_t hook = CallDisplacement(
        hostlayout::callNextInstruction,
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&OnHostFrame)));
    // One aligned 4-byte store, so a thread passing the call site sees the old target or the
    // new, never half of each; a release, so the hook never runs without its callee.
    __atomic_store_n(displacementSlot, hook, __ATOMIC_RELEASE);
    DWORD ignored;
    VirtualProtect(site, hostlayout::callLength, oldProtect, &ignored);
    FlushInstructionCache(GetCurrentProcess(), site, hostlayout::callLength);
}
