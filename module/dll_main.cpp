// The library's notification entry, and the entry point in front of the runtime's start-up.
#include <windows.h>

#include "module/frame_hook.h"

// Never fails a load; does nothing but attach.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        InstallFrameHook();
    }
    return TRUE;
}

extern "C" BOOL WINAPI DllMainCRTStartup(HANDLE instance, DWORD reason, LPVOID reserved);

// The library's entry point (linked with -e). A process detach with a non-null reserved
// argument means the game is quitting: Windows has stopped its other threads wherever they
// were, inside a frame or holding the heap's lock, and the runtime's teardown could crash or
// hang the game on its way out. The memory goes back whole without it, so nothing runs.
extern "C" BOOL WINAPI ModuleEntry(HANDLE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr) {
        return TRUE;
    }
    return DllMainCRTStartup(instance, reason, reserved);
}
