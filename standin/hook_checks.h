// The host's checks of the frame hook: the module loaded as the game's loader loads it.
#pragma once

#include "standin/call_site.h"

// Each returns the number of failed checks and prints one line per check.
int RunHookChecks(const char* modulePath, CalleePlace place);
int RunForeignSiteCheck(const char* modulePath);
