#include "standin/command_line.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

struct Option {
    const char* name;
    const char* CommandLine::*value;
};
const Option options[] = {
    {"--module", &CommandLine::modulePath},
    {"--out", &CommandLine::outDir},
    {"--scenario", &CommandLine::scenario},
};

} // namespace

bool ParseCommandLine(int argc, char** argv, CommandLine* line) {
    *line = {nullptr, "dist\\actorbars.dll", "out\\demo", nullptr};
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const Option* option =
            std::find_if(std::begin(options), std::end(options),
                         [&](const Option& o) { return std::strcmp(o.name, arg) == 0; });
        if (option != std::end(options) && i + 1 < argc) {
            line->*option->value = argv[++i];
        } else if (line->mode == nullptr && arg[0] != '-') {
            line->mode = arg;
        } else {
            return false;
        }
    }
    return line->mode != nullptr;
}
