// One record per actor the host lists, kept across frames and keyed by the actor's address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
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
    BarState bar;
    // The update on which the host last listed this address. Lets the prune find
    // departed actors without searching the host's list once per record.
    std::uint64_t listedOnUpdate;
};

using TrackedActorMap = std::map<HostAddress, TrackedActor>;

struct ActorTracker {
    TrackedActorMap records; // ascending address: the walk order
    // The storage of pruned records, kept for the next records made, so that a scene whose
    // actors come and go allocates only while it holds more records than ever before.
    // Records and spares together never outnumber the most records once held; both go back
    // to the heap when the tracker is emptied.
    std::vector<TrackedActorMap::node_type> spareRecords;
    std::uint64_t updateCount = 0;
    std::size_t listedRecords = 0; // records stamped by the current update
};

// Syncs the records with the host's actor array, then removes at most one departed actor:
// the lowest address that is not listed.
void UpdateTrackedActors(ActorTracker& tracker);

// Removes every record at once and gives their storage back.
void ClearTrackedActors(ActorTracker& tracker);

// The record of an actor address, or null when there is none.
TrackedActor* FindRecord(ActorTracker& tracker, HostAddress actor);

// The record of an actor address, made with every field 0 when there is none. Null when
// no memory is left for it: that actor simply gets no record on this frame.
TrackedActor* FindOrInsertRecord(ActorTracker& tracker, HostAddress actor);
