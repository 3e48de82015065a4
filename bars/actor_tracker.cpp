#include "bars/actor_tracker.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "bars/bar_look.h"
#include "host/host_game.h"

namespace {

// Health is the part of a full bar that the damage ratio leaves.
constexpr float fullHealth = 1.0f;

// The hide timer's first value: not 0, so that it counts as running from this update on
// (the 32-bit float 0x38D1B717).
constexpr float hideTimerStart = 0.0001f;

// One listed actor as the host shows it on this frame. All of it is read before the
// tracker changes for it: a read that faults then ends the frame with the tracker whole.
struct ListedActor {
    HostAddress address;
    bool tracked;
    bool hasStats;
    float damageRatio;
    std::array<float, 3> position;
    std::uint32_t engaged;
};

// An untracked actor's other fields are left unread: nothing reads them.
ListedActor ReadListedActor(std::int32_t index) {
    ListedActor actor;
    actor.address = ReadHostActor(index);
    actor.tracked = ReadActorKind(actor.address) != hostlayout::untrackedActorKind;
    if (actor.tracked) {
        actor.hasStats = ReadActorDamageRatio(actor.address, &actor.damageRatio);
        actor.position = ReadActorPosition(actor.address);
        actor.engaged = ReadActorEngaged(actor.address);
    }
    return actor;
}

void Refresh(BarState& bar, const ListedActor& actor) {
    bar.health = 0.0f;
    if (actor.hasStats) {
        const float h = fullHealth - actor.damageRatio;
        bar.health = h;
        // While health is at or above the trail the trail rides on it and the hold re-arms;
        // once health drops below, the trail stays for the hold, then drains.
        if (h >= bar.trailHealth) {
            bar.trailHealth = h;
            bar.trailHold = barlook::trailHoldTime;
        }
    }
    // Word for word: whatever bits the host holds arrive unchanged.
    std::memcpy(bar.position, actor.position.data(), sizeof bar.position);
    if (actor.engaged == 0) {
        // An exact zero, -0.0 included, is a timer not yet running.
        if (bar.hideTime == 0.0f) {
            bar.hideTime = hideTimerStart;
        }
    } else {
        bar.hideTime = 0.0f;
    }
}

bool Before(const TrackedActor& a, const TrackedActor& b) {
    return a.address < b.address;
}
bool SameAddress(const TrackedActor& a, const TrackedActor& b) {
    return a.address == b.address;
}

// The record of `address`, or null. The slot after the last one found comes first: a game
// that lists its actors in ascending address order finds each without a search.
TrackedActor* Lookup(std::vector<TrackedActor>& records, HostAddress address, std::size_t& next) {
    if (next >= records.size() || records[next].address != address) {
        const TrackedActor key = {address, BarState{}, 0};
        next = std::lower_bound(records.begin(), records.end(), key, Before) - records.begin();
        if (next == records.size() || records[next].address != address) {
            return nullptr;
        }
    }
    return &records[next++];
}

// A new record, every field 0. Without memory for it the actor gets no record this frame.
TrackedActor* Arrive(ActorTracker& tracker, HostAddress address) {
    try {
        tracker.arrivals.push_back({address, BarState{}, tracker.updateCount});
        return &tracker.arrivals.back();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The arrivals join the records in address order, each address once: one listed twice
// arrived twice, from the same memory, so either copy will do. The merge runs from the back
// into the records' own grown storage. Without memory to grow, none gets a record this frame.
void MergeArrivals(ActorTracker& tracker) {
    std::vector<TrackedActor>& records = tracker.records;
    std::vector<TrackedActor>& arrivals = tracker.arrivals;
    std::sort(arrivals.begin(), arrivals.end(), Before);
    arrivals.erase(std::unique(arrivals.begin(), arrivals.end(), SameAddress), arrivals.end());
    std::size_t kept = records.size(), arrived = arrivals.size();
    try {
        records.resize(kept + arrived);
    } catch (const std::bad_alloc&) {
        return;
    }
    for (std::size_t to = records.size(); arrived > 0;) {
        const bool keptLast = kept > 0 && records[kept - 1].address > arrivals[arrived - 1].address;
        records[--to] = keptLast ? records[--kept] : arrivals[--arrived];
    }
}

void PruneLowestDeparted(ActorTracker& tracker) {
    std::vector<TrackedActor>& records = tracker.records;
    const auto departed = std::find_if(records.begin(), records.end(), [&](const TrackedActor& r) {
        return r.listedOnUpdate != tracker.updateCount;
    });
    if (departed != records.end()) {
        records.erase(departed);
    }
}

} // namespace

// No record moves until the walk is over: records found on the way are refreshed in place,
// and new ones wait among the arrivals.
void UpdateTrackedActors(ActorTracker& tracker) {
    const std::int32_t count = ReadHostActorCount();
    if (count <= 0) {
        return;
    }
    ++tracker.updateCount;
    tracker.arrivals.clear();
    std::size_t next = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const ListedActor actor = ReadListedActor(i);
        TrackedActor* record = Lookup(tracker.records, actor.address, next);
        // An untracked kind gets no new record, and one it has is kept unrefreshed.
        if (record != nullptr) {
            record->listedOnUpdate = tracker.updateCount;
        } else if (actor.tracked) {
            record = Arrive(tracker, actor.address);
        }
        if (record != nullptr && actor.tracked) {
            Refresh(record->bar, actor);
        }
    }
    MergeArrivals(tracker);
    PruneLowestDeparted(tracker);
}

void ClearTrackedActors(ActorTracker& tracker) {
    tracker = ActorTracker{};
}
