// A host game laid out in native host memory, as the module finds it at the fixed
// addresses. The game's layout is written out here and not taken from host/host_layout.h:
// a fake host that wrote through the module's own constants would let a wrong one pass.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "bars/frame_driver.h"
#include "d3d/d3d.h"
#include "host/host_memory.h"
#include "standin/host/host_link.h"

namespace fakehost {

// The game's words at fixed addresses; a test writes them as the game would.
constexpr HostAddress gameClock = 0x9885D8, frameStep = 0x9259BC, actorCount = 0x92CEA4;
constexpr HostAddress viewMatrix = 0x9842D0, viewProjMatrix = 0x984350, actorList = 0x92CE9C;
constexpr HostAddress statusPointer = 0x9885E0, scenePointer = 0x993CC8;
constexpr HostAddress uiRootPointer = 0x91CF90, devicePointer = 0x982BDC;
// Where the fake host keeps its own objects: well away from the fixed addresses.
constexpr HostAddress statusObject = 0x30000000, sceneObject = 0x30001000;
constexpr HostAddress uiRootObject = 0x30002000, uiInnerObject = 0x30003000;
constexpr HostAddress uiInnerPointer = uiRootObject + 0x10;
// A page the game has freed: reading it faults. The actor list ends where it begins.
constexpr HostAddress unmappedPage = 0x7F000000;
// The kind of actor the game marks as not to be tracked.
constexpr std::uint32_t untrackedKind = 0xB80933AA;

constexpr D3DXMATRIX identity = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

template <class T> void Write(HostAddress address, T value) {
    WriteHostMemory(address, &value, sizeof value);
}
inline void Clear(HostAddress pointer) {
    Write<HostAddress>(pointer, 0);
}

// The address of the n-th actor slot; each slot's stats and position chain lie inside it.
constexpr HostAddress ActorAt(std::uint32_t n) {
    return 0x40000000 + n * 0x1000;
}

struct Actor {
    HostAddress address;
    float damageRatio = 0.0f;
    bool hasStats = true;
    std::uint32_t kind = 1;
    std::uint32_t engaged = 1;
    float position[3] = {0.0f, 0.0f, 0.0f};
};

// Forgets all host memory and the device, then lays out a host that shows bars: scene
// active, UI flag clear, status present with mode 0, identity camera, no actors, no device.
void ResetHost();

// Each points its pointer at the fake host's object and writes the object's word(s).
void SetStatus(float level, std::uint32_t mode);
void SetScene(std::uint32_t activeFlag); // nonzero is active
void SetUiFlag(std::uint8_t flag);

// Writes the actor's object, stats and position chain at its address.
void WriteActor(const Actor& actor);
// Lists exactly these addresses, in order, up to the freed page; writes no actor objects.
void SetActorList(const std::vector<HostAddress>& addresses);
void SetActors(const std::vector<Actor>& actors);

void SetDevice(IDirect3DDevice9* device);

// Breaks that link (an actor's: of the first listed actor); returns the address of the word
// it overwrote and the word, for the caller to put back.
std::pair<HostAddress, HostAddress> BreakLink(HostLink link);

// The frame as the DLL's hook runs it: a read of the host's memory that faults ends it, and
// the frame is finished as a faulted one. False when it faulted.
bool DrawGuardedFrame(FrameState& frame);

} // namespace fakehost
