// The library's notification entry. Never fails a load; does nothing but attach.
#include <windows.h>

#include "module/frame_hook.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        InstallFrameHook();
    }
    return TRUE;
}
