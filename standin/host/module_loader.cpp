#include "standin/host/module_loader.h"

#include <cstdint>
#include <cstdio>

HMODULE LoadModule(const char* path) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        std::fprintf(stderr, "standin: cannot load %s (error %lu)\n", path, GetLastError());
    }
    return module;
}

void NotifyProcessExit(HMODULE module) {
    const auto base = reinterpret_cast<std::uintptr_t>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    using Entry = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID);
    const auto entry = reinterpret_cast<Entry>(base + nt->OptionalHeader.AddressOfEntryPoint);
    entry(module, DLL_PROCESS_DETACH, reinterpret_cast<LPVOID>(1));
}
