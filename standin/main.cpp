// The stand-in host: lays out the game's memory, owns the game's call site and loads the
// module the way the game's loader does, then runs one mode.
#include <cstdio>
#include <cstring>

#include "standin/host/call_site.h"
#include "standin/command_line.h"
#include "standin/checks/hook_checks.h"
#include "standin/host/host_image.h"
#include "standin/host/watchdog.h"

namespace {

int RunMode(const CommandLine& line) {
    const char* mode = line.mode;
    if (std::strcmp(mode, "hook-below") == 0) {
        WriteFrameRoutine(CalleePlace::below);
        return RunHookChecks(line.modulePath, CalleePlace::below);
    }
    if (std::strcmp(mode, "hook-above") == 0) {
        WriteFrameRoutine(CalleePlace::above);
        return RunHookChecks(line.modulePath, CalleePlace::above);
    }
    if (std::strcmp(mode, "hook-foreign") == 0) {
        return RunForeignSiteCheck(line.modulePath);
    }
    if (std::strcmp(mode, "hook") == 0) {
        return RunAllHookChecks(line.modulePath);
    }
    return RunSceneMode(line);
}

} // namespace

int main(int argc, char** argv) {
    CommandLine line;
    if (!ParseCommandLine(argc, argv, &line)) {
        PrintUsage();
        return 2;
    }
    // Without the game's addresses in our own image every later write lands in whatever
    // Wine or Windows mapped there.
    if (!HostImageCoversLayout()) {
        std::fprintf(stderr, "standin: the image does not span the game's fixed addresses\n");
        return 3;
    }
    StartWatchdog(watchdogSeconds);
    const int failed = RunMode(line);
    std::printf("%s: %d check(s) failed\n", line.mode, failed);
    return failed == 0 ? 0 : 1;
}
