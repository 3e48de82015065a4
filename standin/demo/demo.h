// Plays a scenario in the host's scene with the module loaded and writes the pictures it
// asks for, plus a contact sheet of the bars' tiles, into one folder.
#pragma once

#include "standin/host/host_frame.h"

// Returns the number of failures (no scenario file or one that cannot be read, a frame
// whose device state changed, a picture that could not be written).
int RunDemo(HostScene& scene, const char* scenarioPath, const char* outDir);
