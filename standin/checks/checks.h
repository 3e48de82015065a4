// The stand-in host's checks of the module. Each prints one line per check on stdout and
// returns the number that failed.
#pragma once

#include <windows.h>

#include "standin/host/host_frame.h"

// "ok" or "FAIL", then the check's name and what it saw as printf formats them; 1 on
// failure, 0 on success.
int Check(bool passed, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Frame call arguments: the hook's gate reads the low byte only.
constexpr std::uint32_t zeroLowByte = 0x12345600;
constexpr std::uint32_t nonzeroLowByte = 0xABCDEF5A;

// The frame hook, the module loaded as the game's loader loads it: call sites of another
// build or into data left alone, the game's callee below and above the call site, another
// plug-in's chained, the game's machine kept, esp at the call site 16-aligned or not.
int RunHookChecks(const char* modulePath);
// One frame call as the game makes it, with esp at the call site `misalign` mod 16: the
// game's callee ran once with the argument, its result came back, and the registers, the
// x87 and SSE state with their flags, and the stack the game relies on are as it left them.
int ProbeFrameCall(std::uint32_t argument, std::uint32_t misalign);

// The device state the host set before its frame call is what it finds after it.
int RunStateChecks(HostScene& scene);

// What the player must see: bars where the host's camera puts the actors, in the right
// colours, behind the wall when the wall is in front, and nothing else changed.
int RunPixelChecks(HostScene& scene);

// Frames called in a hostile floating-point environment: the module's frame runs, for a low
// byte of zero only, in its own, draws the bars it always draws, and the game finds its own
// as it left it.
int RunEnvironmentChecks(HostScene& scene);

// What the host may do to the module and still keep its game: pointers into freed memory,
// an unreadable camera, a fault of its own, FreeLibrary, and quitting.
int RunFaultChecks(HostScene& scene, HMODULE module);
