// One line per check on stdout; failures are counted by the caller.
#pragma once

// Prints "ok" or "FAIL" with the check's name and returns 1 on failure, 0 on success.
int Check(bool passed, const char* name);
// As Check, with a detail printed after the name.
int CheckDetail(bool passed, const char* name, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
