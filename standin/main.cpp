// The stand-in host: lays out the game's memory, owns the game's call site and loads the
// module the way the game's loader does, then runs one mode.
#include <cstdio>

#include "standin/command_line.h"
#include "standin/host/host_image.h"
#include "standin/modes.h"

int main(int argc, char** argv) {
    CommandLine line;
    if (!ParseCommandLine(argc, argv, &line) || !IsMode(line.mode)) {
        PrintUsage();
        return 2;
    }
    // Without the game's addresses in our own image every later write lands in whatever
    // Wine or Windows mapped there.
    if (!HostImageCoversLayout()) {
        std::fprintf(stderr, "standin: the image does not span the game's fixed addresses\n");
        return 3;
    }
    const int failed = RunMode(line);
    std::printf("%s: %d check(s) failed\n", line.mode, failed);
    return failed == 0 ? 0 : 1;
}
