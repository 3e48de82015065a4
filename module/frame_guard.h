// Ends the module's frame at once when one of its reads of the game's memory faults, so that
// a game that frees an actor it still lists, or a build of the game laid out otherwise,
// costs a frame of bars and never the game.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {
// Set by the frame hook around the module's frame: the thread running it (0 outside the
// frame) and the stack pointer to resume the hook on.
struct FrameGuard {
    DWORD thread;
    std::uint32_t resumeEsp;
};
extern FrameGuard frameGuard;

// Where the hook resumes a faulted frame: it puts the device back and goes on to the game's
// callee as after any other frame.
void FrameFaulted();
}

// Watches for faults from the moment it is installed, for the rest of the process: the
// module is pinned, so its handler never points into unmapped code. False when Windows
// would not take the handler: faults then go to the game as they always did.
bool InstallFrameGuard(HMODULE self);
