// The device state the host set before its frame call is what it finds after it.
#pragma once

#include "standin/host/host_frame.h"

int RunStateChecks(HostScene& scene);
