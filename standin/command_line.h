// What the stand-in host is asked to do.
#pragma once

struct CommandLine {
    const char* mode;
    const char* modulePath; // the module to load
    const char* outDir;     // where pictures go
    const char* scenario;   // the demo's scenario file, or null
};

// False when an option is unknown or lacks its value, or no mode is given.
bool ParseCommandLine(int argc, char** argv, CommandLine* line);
