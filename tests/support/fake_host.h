// A host game laid out in native host memory, as the module finds it at the fixed
// addresses, from the stand-in host's own statement of the game's layout
// (standin/host/game_layout.h), not from the module's.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "bars/frame_driver.h"
#include "d3d/d3d.h"
#include "host/host_memory.h"
#include "standin/host/game_layout.h"
#include "standin/host/host_link.h"

namespace fakehost {

// Where the fake host keeps its own objects: well away from the fixed addresses.
constexpr HostAddress statusObject = 0x30000000, sceneObject = 0x30001000;
constexpr HostAddress uiRootObject = 0x30002000, uiInnerObject = 0x30003000;
constexpr HostAddress uiInnerPointer = uiRootObject + game::uiInner;
// A page the game has freed: reading it faults. The actor list ends where it begins.
constexpr HostAddress unmappedPage = 0x7F000000;

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
