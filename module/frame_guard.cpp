#include "module/frame_guard.h"

extern "C" {
__attribute__((used)) FrameGuard frameGuard = {0, 0};
}

namespace {

// The module's own code. A fault anywhere else, in the game, Direct3D or D3DX, is theirs.
std::uintptr_t codeBegin = 0;
std::uintptr_t codeEnd = 0;

// What a read of memory that is not there raises; under qemu's user-mode emulator it comes as
// an illegal instruction at the load, so the place decides, not the code alone.
bool IsMemoryFault(DWORD code) {
    return code == EXCEPTION_ACCESS_VIOLATION || code == EXCEPTION_IN_PAGE_ERROR ||
           code == EXCEPTION_ILLEGAL_INSTRUCTION || code == EXCEPTION_PRIV_INSTRUCTION;
}

// A vectored handler, not a frame-based one pushed by the hook: it sees the fault before
// any frame-based handler of the game's can take it for its own, and Windows checks no
// SafeSEH table for it, which MinGW's linker does not write.
LONG CALLBACK OnFault(EXCEPTION_POINTERS* fault) {
    const EXCEPTION_RECORD& record = *fault->ExceptionRecord;
    const auto at = reinterpret_cast<std::uintptr_t>(record.ExceptionAddress);
    if (frameGuard.thread != GetCurrentThreadId() || !IsMemoryFault(record.ExceptionCode) ||
        at < codeBegin || at >= codeEnd) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    // Off before the frame is finished: a fault there is not caught again.
    frameGuard.thread = 0;
    fault->ContextRecord->Esp = frameGuard.resumeEsp;
    fault->ContextRecord->Eip = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(&FrameFaulted));
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

bool InstallFrameGuard(HMODULE self) {
    const auto base = reinterpret_cast<std::uintptr_t>(self);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    codeBegin = base + nt->OptionalHeader.BaseOfCode;
    codeEnd = codeBegin + nt->OptionalHeader.SizeOfCode;
    return AddVectoredExceptionHandler(1, OnFault) != nullptr;
}
