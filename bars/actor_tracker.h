// One record per actor the host lists, kept across frames and keyed by the actor's address.
#pragma once

#include <cstdint>
#include <vector>

#include "host/host_memory.h"

struct BarState {
    float position[3]; // world position, host axes
    float health;      // 1 - damage ratio; 0 without stats; not clamped
    float trailHealth; // lagging health: the far end of the recent-damage trail
    float trailHold;   // seconds before the trail starts to drain
    float deathTime;   // seconds since health reached 0
    float trailDrainRate;
    float hideTime; // seconds since the actor stopped being engaged; 0 = not running
};
static_assert(sizeof(BarState) == 9 * sizeof(float), "BarState is nine floats");

struct TrackedActor {
    HostAddress address;
    BarState bar;
    std::uint64_t listedOnUpdate; // finds departed actors without searching the host's list
};

// The records in ascending address order, the only order they are walked in, and the actors
// new on this update, merged in after the walk. Both keep their storage, so a scene allocates
// only while it holds more records, or sees more arrive at once, than ever; emptying frees it.
struct ActorTracker {
    std::vector<TrackedActor> records;
    std::vector<TrackedActor> arrivals;
    std::uint64_t updateCount = 0;
};

// Syncs the records with the host's actor array, then removes at most one departed actor:
// the lowest address that is not listed.
void UpdateTrackedActors(ActorTracker& tracker);

// Removes every record at once and gives their storage back.
void ClearTrackedActors(ActorTracker& tracker);
