// Ends the run when it stops making progress, so a hung check fails quickly with the
// output it has printed instead of waiting for the test runner's timeout.
#pragma once

// Longest stretch without a finished check or a rendered frame, with room for a frame of
// the real device under emulation (seconds per frame).
constexpr unsigned watchdogSeconds = 120;

void StartWatchdog(unsigned seconds);
// A check finished or a frame was rendered; `what` names it in the report if the run hangs
// after it. Must be a string that lives for the whole run.
void MarkProgress(const char* what);
