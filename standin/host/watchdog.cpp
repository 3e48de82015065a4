#include "standin/host/watchdog.h"

#include <cstdio>
#include <windows.h>

namespace {

volatile LONG lastProgressTick = 0;
const char* volatile lastProgress = "start";
DWORD limitMs = 0;

DWORD WINAPI WatchProgress(void*) {
    for (;;) {
        Sleep(1000);
        const DWORD idle = GetTickCount() - static_cast<DWORD>(lastProgressTick);
        if (idle > limitMs) {
            std::printf("FAIL no progress for %lu s after \"%s\": the run is stopped\n",
                        idle / 1000, lastProgress);
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 124);
        }
    }
}

} // namespace

void StartWatchdog(unsigned seconds) {
    limitMs = seconds * 1000;
    MarkProgress("start");
    HANDLE thread = CreateThread(nullptr, 0, WatchProgress, nullptr, 0, nullptr);
    if (thread != nullptr) {
        CloseHandle(thread);
    }
}

void MarkProgress(const char* what) {
    lastProgress = what;
    InterlockedExchange(&lastProgressTick, static_cast<LONG>(GetTickCount()));
}
