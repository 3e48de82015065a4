// What must hold after every frame, whatever the host handed over: the checks of the soak's
// and the fuzz target's churned frames.
#pragma once

#include <set>
#include <string>

#include "bars/frame_driver.h"
#include "tests/support/fake_device.h"

// Empty, or what was violated. `listed`: every address listed since the tracker was last
// emptied, the only keys a record may have; `deviceHanded`: the host handed over `device`,
// logging, this frame; `faulted`: a read of freed memory ended the frame, before any device
// call.
std::string CheckFrameInvariants(const FrameState& frame, const std::set<HostAddress>& listed,
                                 const FakeDevice& device, bool deviceHanded, bool faulted);
