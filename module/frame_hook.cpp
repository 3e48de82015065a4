#include "module/frame_hook.h"

#include <windows.h>

#include <cstddef>

#include "host/host_layout.h"
#include "module/call_patch.h"
#include "bars/frame_driver.h"
#include "module/frame_guard.h"

namespace {
// The module's one frame state. The runtime constructs it when the library is loaded and
// destroys it when the library is unloaded, which frees the list and every record.
FrameState moduleFrame;

// The frame's own floating-point environment, D3DX's, the runtime's and the device's too: a
// game's unmasked traps would end it at the first NaN compared, its rounding move the bars.
// Both units round to nearest, keep denormals and mask every exception; x87 at 53 bits.
constexpr std::uint32_t frameMxcsr = 0x1F80;
constexpr std::uint16_t frameX87Control = 0x027F;

void EnterFrameFloatEnvironment() {
    asm volatile("fninit\n\tfldcw %0\n\tldmxcsr %1" : : "m"(frameX87Control), "m"(frameMxcsr));
}

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

// The game's callee finds the machine as the game left it, where a game that knows its
// callee may pass values: every integer register (pushal) and the whole x87 and SSE state
// (fxsave, into 512 bytes aligned to 16, with the integer registers' place above them). A
// frame that faults resumes at FrameFaulted, esp at that area, the rest as the fault left it.
asm(R"(
    .text
    .globl _OnHostFrame
    .def _OnHostFrame; .scl 2; .type 32; .endef
_OnHostFrame:
    cmpb $0, 4(%esp)
    jne 1f
    pushal
    movl %esp, %eax
    subl $516, %esp
    andl $-16, %esp
    movl %eax, 512(%esp)
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
    movl 512(%esp), %esp
    popal
1:
    cmpl $0, _savedCallee
    je 2f
    jmp *_savedCallee
2:
    ret
)");
static_assert(offsetof(FrameGuard, resumeEsp) == 4, "the hook stores esp at +4");

namespace {

constexpr SIZE_T callSize = hostlayout::callLength;
static_assert(hostlayout::callDisplacement % sizeof(std::int32_t) == 0,
              "the displacement must be one aligned store");

// The region that holds `address`, when it is committed and not a guard page.
bool QueryCommitted(std::uintptr_t address, MEMORY_BASIC_INFORMATION* info) {
    return VirtualQuery(reinterpret_cast<const void*>(address), info, sizeof *info) != 0 &&
           info->State == MEM_COMMIT && (info->Protect & PAGE_GUARD) == 0;
}

// The game's own code: the whole call readable, in the main executable's image. Anything
// else is another program, or memory nobody should write to.
bool IsGameCode(std::uintptr_t site) {
    MEMORY_BASIC_INFORMATION info;
    if (!QueryCommitted(site, &info)) {
        return false;
    }
    const auto regionEnd = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return site + callSize <= regionEnd && (info.Protect & readable) != 0 &&
           info.Type == MEM_IMAGE && info.AllocationBase == GetModuleHandleW(nullptr);
}

// Where the call leads now: the game's callee, or another plug-in's that rerouted the call
// first, which the hook chains to all the same. A call into anything but code is not one
// the hook can pass on.
bool IsExecutableCode(std::uintptr_t target) {
    MEMORY_BASIC_INFORMATION info;
    const DWORD executable =
        PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return QueryCommitted(target, &info) && (info.Protect & executable) != 0;
}

// The call site will lead into this module for the rest of the process's life: a loader's
// FreeLibrary must not be able to unmap it.
HMODULE PinModule() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&OnHostFrame), &self);
    return self;
}

} // namespace

void InstallFrameHook() {
    auto* site = reinterpret_cast<unsigned char*>(hostlayout::callSite);
    // Any other byte means another game build: writing there would corrupt its code.
    if (!IsGameCode(hostlayout::callSite) || site[0] != hostlayout::callOpcode) {
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
    if (!VirtualProtect(site, callSize, PAGE_EXECUTE_READWRITE, &oldProtect)) {
        return;
    }
    savedCallee = callee;
    const std::int32_t hook = CallDisplacement(
        hostlayout::callNextInstruction,
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&OnHostFrame)));
    // One aligned 4-byte store: a game thread passing the call site sees the old target or
    // the new one, never half of each. Release order: the hook never runs without its
    // callee.
    __atomic_store_n(displacementSlot, hook, __ATOMIC_RELEASE);
    DWORD ignored;
    VirtualProtect(site, callSize, oldProtect, &ignored);
    FlushInstructionCache(GetCurrentProcess(), site, callSize);
}
