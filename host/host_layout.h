// Where the host game keeps what the module reads. Fixed by the one game build the module
// fits; nothing outside host/ names an address.
#pragma once

#include "host/host_memory.h"

namespace hostlayout {

// The frame call the module reroutes: a 5-byte `call rel32`, its opcode byte followed by
// the 4-byte displacement from the next instruction.
constexpr HostAddress callSite = 0x6E75A7;
constexpr HostAddress callLength = 5;
constexpr HostAddress callDisplacement = callSite + 1;
constexpr HostAddress callNextInstruction = callSite + callLength;
constexpr std::uint8_t callOpcode = 0xE8;

constexpr HostAddress clock = 0x9885D8;          // f32 seconds
constexpr HostAddress statusPointer = 0x9885E0;  // -> status object
constexpr HostAddress statusLevelOffset = 0x24;  // f32
constexpr HostAddress statusModeOffset = 0x2C;   // u32
constexpr HostAddress viewMatrix = 0x9842D0;     // D3DXMATRIX, world to view
constexpr HostAddress viewProjMatrix = 0x984350; // D3DXMATRIX, world to clip
constexpr HostAddress scenePointer = 0x993CC8;   // -> scene object
constexpr HostAddress sceneActiveOffset = 0x130; // u32, nonzero = active
constexpr HostAddress frameStep = 0x9259BC;      // f32 seconds
constexpr HostAddress uiRootPointer = 0x91CF90;  // -> object, -> at +0x10, byte at +0x47
constexpr HostAddress uiInnerOffset = 0x10;
constexpr HostAddress uiFlagOffset = 0x47;
constexpr HostAddress actorCount = 0x92CEA4;       // i32
constexpr HostAddress actorListPointer = 0x92CE9C; // -> u32 actor addresses
constexpr HostAddress actorListEntrySize = 4;      // one 32-bit actor address per entry
constexpr HostAddress devicePointer = 0x982BDC;    // -> IDirect3DDevice9

// Actor object layout.
constexpr HostAddress actorKindOffset = 0x6C;         // u32
constexpr HostAddress actorStatsOffset = 0x4C;        // -> stats object
constexpr HostAddress damageRatioOffset = 0x3C;       // f32, in the stats object
constexpr HostAddress actorEngagedOffset = 0x84;      // u32
constexpr HostAddress actorPositionRootOffset = 0x34; // subtracted: -> at actor - 0x34
constexpr HostAddress positionLink1Offset = 0x30;     // -> at +0x30
constexpr HostAddress positionLink2Offset = 0x00;     // -> at +0
constexpr HostAddress positionOffset = 0x10;          // f32[3]

// An actor of this kind gets no record (one it already has is kept, not refreshed).
constexpr std::uint32_t untrackedActorKind = 0xB80933AA;

} // namespace hostlayout
