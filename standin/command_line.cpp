#include "standin/command_line.h"

#include <cstdio>
#include <cstring>

namespace {

const char defaultModule[] = "dist\\actorbars.dll";

bool TakeValue(int argc, char** argv, int* i, const char** value) {
    if (*i + 1 >= argc) {
        return false;
    }
    *value = argv[++*i];
    return true;
}

} // namespace

bool ParseCommandLine(int argc, char** argv, CommandLine* line) {
    *line = {nullptr, defaultModule, "out\\demo", nullptr};
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        bool ok = true;
        if (std::strcmp(arg, "--module") == 0) {
            ok = TakeValue(argc, argv, &i, &line->modulePath);
        } else if (std::strcmp(arg, "--out") == 0) {
            ok = TakeValue(argc, argv, &i, &line->outDir);
        } else if (std::strcmp(arg, "--scenario") == 0) {
            ok = TakeValue(argc, argv, &i, &line->scenario);
        } else if (line->mode == nullptr && arg[0] != '-') {
            line->mode = arg;
        } else {
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    return line->mode != nullptr;
}
