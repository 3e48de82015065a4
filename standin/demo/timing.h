// The module's cost per frame: the frame call timed with and without the module.
#pragma once

#include "standin/host/host_frame.h"

// Which devices the frame call is timed with.
enum class TimedDevices { nullAndReal, nullOnly };

// Prints the medians; returns 0 unless the module could not be loaded.
int RunTiming(HostScene& scene, const char* modulePath, TimedDevices devices);
