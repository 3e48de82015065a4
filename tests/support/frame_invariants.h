// What must hold after every DrawActorBars call, whatever the host handed over. Shared by
// the fuzz target and the soak test: call BeforeFrame, run the frame, then AfterFrame.
#pragma once

#include <cstddef>
#include <set>
#include <string>

#include "host/host_memory.h"
#include "tests/support/module_objects.h"
#include "tests/support/recording_device.h"

namespace frameinvariants {

struct Watch {
    // Every address the host listed since the tracker was last emptied by an inactive scene:
    // the only addresses a record may have.
    std::set<HostAddress> listedSinceReset;
    // This frame's list, and the records not in it before the frame ran.
    std::set<HostAddress> listedNow;
    std::size_t staleBefore = 0;
    bool listRead = false;
    // Calls of the recording device already checked.
    std::size_t callsSeen = 0;
};

// Samples the host's actor list and the tracker before the frame.
void BeforeFrame(Watch& watch, const ModuleObjects& module);

// Checks the module and the device calls of the frame just run. `device` is the device the
// host may hand over; `deviceHanded` whether the host's device word was nonzero. Returns an
// empty string, or what was violated.
std::string AfterFrame(Watch& watch, const ModuleObjects& module, const RecordingDevice& device,
                       bool deviceHanded);

} // namespace frameinvariants
