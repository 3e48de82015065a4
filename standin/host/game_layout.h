// The game's addresses and layout, written out here and not taken from host/host_layout.h:
// the stand-in host and the native tests' fake host lay the game out from this statement,
// since one laid out through the module's own constants would be wrong wherever the module
// reads it wrong, and every check would pass.
#pragma once

#include <cstdint>

#include "host/host_memory.h"

namespace game {

// The frame call, `call rel32`: its opcode byte at callSite, then the displacement from the
// next instruction.
constexpr HostAddress callSite = 0x6E75A7, callLength = 5;
constexpr HostAddress callDisplacement = callSite + 1, callNext = callSite + callLength;
constexpr std::uint8_t callOpcode = 0xE8;

// Words at fixed addresses: floats, a count, matrices and pointers to the game's objects.
constexpr HostAddress clock = 0x9885D8, frameStep = 0x9259BC, actorCount = 0x92CEA4;
constexpr HostAddress viewMatrix = 0x9842D0, viewProjMatrix = 0x984350;
constexpr HostAddress status = 0x9885E0, scene = 0x993CC8, uiRoot = 0x91CF90;
constexpr HostAddress actorList = 0x92CE9C, device = 0x982BDC;

// Within those objects: status level (float) and mode, the scene's active word, the UI
// root's inner pointer and the inner object's flag byte.
constexpr HostAddress statusLevel = 0x24, statusMode = 0x2C, sceneActive = 0x130;
constexpr HostAddress uiInner = 0x10, uiFlag = 0x47;

// Within an actor: its kind, stats pointer (the damage ratio inside), engaged word, and the
// chain to its position: actor - 0x34 -> root, root + 0x30 -> link, link + 0 -> holder,
// holder + 0x10 = three floats.
constexpr HostAddress kind = 0x6C, stats = 0x4C, damageRatio = 0x3C, engaged = 0x84;
constexpr HostAddress positionRoot = 0x34, positionLink = 0x30, positionHolder = 0;
constexpr HostAddress position = 0x10;
// The kind of actor the game marks as not to be tracked.
constexpr std::uint32_t untrackedKind = 0xB80933AA;

// Where a call at `at` leads, and the displacement that leads it to `target`, wrapping.
constexpr HostAddress CallTarget(HostAddress at, std::int32_t displacement) {
    return at + callLength + static_cast<HostAddress>(displacement);
}
constexpr std::int32_t Displacement(HostAddress at, HostAddress target) {
    return static_cast<std::int32_t>(target - (at + callLength));
}

} // namespace game
