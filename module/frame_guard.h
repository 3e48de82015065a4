// Ends the module's frame at once when one of its reads of the game's memory faults, so that
// a game that frees an actor it still lists, or a build of the game laid out otherwise,
// costs a frame of bars and never the game.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {
// Set by the hook around the module's frame: its thread (0 outside it) and the esp to resume on.
struct FrameGuard {
    DWORD thread;
    std::uint32_t resumeEsp;
};
extern FrameGuard frameGuard;

// Where a faulted frame resumes: the device is put back, and the game's callee runs as ever.
void FrameFaulted();
}

// Watches from now on, for the rest of the process: the module is pinned, so the handler is
// never unmapped. False when Windows would not take it: faults then go to the game as ever.
bool InstallFrameGuard(HMODULE self);
