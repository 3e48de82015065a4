#include "standin/checks/checks.h"

#include <cstdarg>
#include <cstdio>

int Check(bool passed, const char* name) {
    std::printf("%s %s\n", passed ? "ok  " : "FAIL", name);
    std::fflush(stdout);
    return passed ? 0 : 1;
}

int CheckDetail(bool passed, const char* name, const char* format, ...) {
    std::printf("%s %s: ", passed ? "ok  " : "FAIL", name);
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
    return passed ? 0 : 1;
}
