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
// argument means the game's process is ending: Windows has already stopped its other threads
// wherever they were, inside a frame, halfway through a change to the tracker, or holding the
// heap's lock. The runtime's teardown would then free the frame state and its own tables,
// and could crash or hang the game on its way out; the process's memory goes back whole
// without it. So nothing runs. Everything else goes to the runtime's start-up, as ever.
extern "C" BOOL WINAPI ModuleEntry(HANDLE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr) {
        return TRUE;
    }
    return DllMainCRTStartup(instance, reason, reserved);
}
