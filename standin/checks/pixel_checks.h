// What the player must see: bars where the host's camera puts the actors, in the right
// colours, behind the wall when the wall is in front, and nothing else changed.
#pragma once

#include "standin/host/host_frame.h"

// Returns the number of failed checks.
int RunPixelChecks(HostScene& scene);
