// The game's memory as the module reads it, laid out at the fixed addresses: status, clock,
// camera matrices, scene, frame step, UI chain, device pointer and the actor list.
#pragma once

#include <cstdint>
#include <windows.h>

#include "host/host_memory.h"
#include "standin/host/host_link.h"

struct IDirect3DDevice9;

constexpr int maxHostActors = 1024;

// One actor as the host describes it, in host axes (y up).
struct ActorSpec {
    float position[3];
    float damageRatio;
    bool hasStats;
    bool engaged;
    std::uint32_t kind;
};

// Places the host's objects (status, scene, UI chain) as in play and points the fixed
// pointers at them.
void PlaceHostObjects();

void SetHostClock(float seconds, float frameStep);
void SetHostStatus(bool present, float level, std::uint32_t mode);
void SetHostSceneActive(bool active);
void SetHostUiFlag(std::uint8_t flag);
void SetHostDevice(IDirect3DDevice9* device);
void SetHostMatrices(const float (&view)[4][4], const float (&viewProj)[4][4]);

// Writes actor `slot` (its object stays at one address for the life of the process) and
// the list: the actors of `slots`, in that order.
void WriteHostActor(int slot, const ActorSpec& actor);
void WriteHostActorList(const int* slots, int count);

struct BrokenLink {
    HostAddress at, was;
    DWORD protection; // of the camera's page, when that is what was broken
};
// A page never mapped, standing for memory the game has freed: reading it faults.
HostAddress FreedHostPage();
// Breaks that link (an actor's: of the first listed actor) until RestoreHostLink.
BrokenLink BreakHostLink(HostLink link);
// Makes the page of the camera matrices unreadable until RestoreHostLink.
BrokenLink BreakHostCamera();
void RestoreHostLink(const BrokenLink& broken);
