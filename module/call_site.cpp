#include "module/call_site.h"

#include <windows.h>

namespace {

// The region that holds `address`, when it is committed and not a guard page.
bool QueryCommitted(std::uintptr_t address, MEMORY_BASIC_INFORMATION* info) {
    return VirtualQuery(reinterpret_cast<const void*>(address), info, sizeof *info) != 0 &&
           info->State == MEM_COMMIT && (info->Protect & PAGE_GUARD) == 0;
}

} // namespace

bool IsGameCode(std::uintptr_t site, std::size_t length) {
    MEMORY_BASIC_INFORMATION info;
    if (!QueryCommitted(site, &info)) {
        return false;
    }
    const auto regionEnd = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return site + length <= regionEnd && (info.Protect & readable) != 0 && info.Type == MEM_IMAGE &&
           info.AllocationBase == GetModuleHandleW(nullptr);
}

bool IsExecutableCode(std::uintptr_t target) {
    MEMORY_BASIC_INFORMATION info;
    const DWORD executable =
        PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    return QueryCommitted(target, &info) && (info.Protect & executable) != 0;
}
