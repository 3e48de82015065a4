// Maps the module as the game's outside loader does: LoadLibrary, nothing more; and tells
// it when the process ends, as Windows does.
#pragma once

#include <windows.h>

// Null, with a message on stderr, when the module cannot be loaded.
HMODULE LoadModule(const char* path);

// Calls the module's entry point as Windows does once the process is ending: a process
// detach whose reserved argument is not null.
void NotifyProcessExit(HMODULE module);
