#include "standin/checks/checks.h"

#include <cstdarg>
#include <cstdio>

int Check(bool passed, const char* format, ...) {
    std::printf("%s ", passed ? "ok  " : "FAIL");
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
    return passed ? 0 : 1;
}
