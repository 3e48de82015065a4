// What must hold after every frame, whatever the host handed over. Shared by the soak and
// the fuzz target: call BeforeFrame, clear the device's log, run the frame, then AfterFrame.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "bars/frame_driver.h"
#include "tests/support/fake_device.h"

namespace frameinvariants {

struct Watch {
    // Every address listed since the tracker was last emptied: the only keys a record may
    // have.
    std::set<HostAddress> listedSinceReset;
    std::vector<HostAddress> listedNow; // sorted
    std::size_t staleBefore = 0;        // records not listed now, before the frame
};

void BeforeFrame(Watch& watch, const FrameState& frame);

// Empty, or what was violated. `deviceHanded`: the host handed over `device` this frame;
// `faulted`: a read of freed memory ended the frame, before any device call.
std::string AfterFrame(Watch& watch, const FrameState& frame, const FakeDevice& device,
                       bool deviceHanded, bool faulted);

} // namespace frameinvariants
