// Maps the module as the game's outside loader does: LoadLibrary, nothing more.
#pragma once

#include <windows.h>

// Null, with a message on stderr, when the module cannot be loaded.
HMODULE LoadModule(const char* path);
