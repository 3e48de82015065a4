// What the host may do to the module and still keep its game: no device for a while, a
// device that cannot save its state, missing status and UI objects, the loader unloading.
#pragma once

#include <windows.h>

#include "standin/host/host_frame.h"

int RunFaultChecks(HostScene& scene, HMODULE module);
