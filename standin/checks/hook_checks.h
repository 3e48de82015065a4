// The host's checks of the frame hook: the module loaded as the game's loader loads it.
#pragma once

#include "standin/host/call_site.h"

// Each returns the number of failed checks and prints one line per check.
int RunHookChecks(const char* modulePath, CalleePlace place);
int RunForeignSiteCheck(const char* modulePath);

// All of the above in one run: each check loads its own copy of the module (a separate
// instance that patches on its own attach), since starting a program is slow under Wine.
int RunAllHookChecks(const char* modulePath);
