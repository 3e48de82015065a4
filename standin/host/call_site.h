// The host's frame call: a small cdecl routine whose `call rel32` stands at the game's call
// site, written into the image at run time as the game's own code would be.
#pragma once

#include <array>
#include <cstdint>

#include "standin/host/game_layout.h"

// Where the routine that holds the call site begins; callable as uint32_t(uint32_t).
constexpr std::uint32_t frameRoutine = 0x6E75A0;

// Below or above the call site; or the call leads into the host's data, no code at all.
enum class CalleePlace { below, above, data };

// Writes the routine with a call to the host's callee, reached directly (below the call
// site) or through a jump placed above it, or into data. The code pages end up read and
// execute only.
void WriteFrameRoutine(CalleePlace place);

// Writes code from another game build: no call instruction at the call site, but a
// `mov eax, imm32` there whose immediate would lead a call into the host's callee.
void WriteForeignRoutine();

// The five bytes at the call site.
using CallSiteBytes = std::array<unsigned char, game::callLength>;
CallSiteBytes ReadCallSite();

// Where the call at the call site leads, or 0 if the byte there is not a call.
std::uint32_t CallSiteTarget();
