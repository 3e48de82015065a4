// The stand-in host's modes: one table names each mode, says what it does (the usage is
// printed from it) and what it needs set up before it runs.
#pragma once

#include "standin/command_line.h"

bool IsMode(const char* name);

// Sets up what the mode needs, runs it and returns the number of failed checks.
int RunMode(const CommandLine& line);

void PrintUsage();
