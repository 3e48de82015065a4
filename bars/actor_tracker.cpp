#include "bars/actor_tracker.h"

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

void MarkListed(ActorTracker& tracker, TrackedActor& record) {
    if (record.listedOnUpdate != tracker.updateCount) {
        record.listedOnUpdate = tracker.updateCount;
        ++tracker.listedRecords;
    }
}

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

void PruneLowestDeparted(ActorTracker& tracker) {
    auto& records = tracker.records;
    if (tracker.listedRecords == records.size()) {
        return;
    }
    for (auto it = records.begin(); it != records.end(); ++it) {
        if (it->second.listedOnUpdate != tracker.updateCount) {
            TrackedActorMap::node_type spare = records.extract(it);
            try {
                tracker.spareRecords.push_back(std::move(spare));
            } catch (const std::bad_alloc&) {
                // Not kept: the record's storage goes back to the heap with `spare`.
            }
            return;
        }
    }
}

// A record made from spare storage when there is some: no allocation.
TrackedActorMap::iterator InsertRecord(ActorTracker& tracker, TrackedActorMap::iterator hint,
                                       HostAddress actor) {
    auto& spares = tracker.spareRecords;
    if (spares.empty()) {
        return tracker.records.emplace_hint(hint, actor, TrackedActor{});
    }
    TrackedActorMap::node_type node = std::move(spares.back());
    spares.pop_back();
    node.key() = actor;
    node.mapped() = TrackedActor{};
    return tracker.records.insert(hint, std::move(node));
}

} // namespace

TrackedActor* FindOrInsertRecord(ActorTracker& tracker, HostAddress actor) {
    auto& records = tracker.records;
    auto it = records.lower_bound(actor);
    if (it == records.end() || it->first != actor) {
        try {
            it = InsertRecord(tracker, it, actor);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return &it->second;
}

TrackedActor* FindRecord(ActorTracker& tracker, HostAddress actor) {
    auto& records = tracker.records;
    const auto it = records.find(actor);
    return it == records.end() ? nullptr : &it->second;
}

void UpdateTrackedActors(ActorTracker& tracker) {
    const std::int32_t count = ReadHostActorCount();
    if (count <= 0) {
        return;
    }
    ++tracker.updateCount;
    tracker.listedRecords = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const ListedActor actor = ReadListedActor(i);
        // An untracked kind gets no new record, but a record it has must not be pruned while
        // it is listed.
        TrackedActor* record = actor.tracked ? FindOrInsertRecord(tracker, actor.address)
                                             : FindRecord(tracker, actor.address);
        if (record == nullptr) {
            continue;
        }
        MarkListed(tracker, *record);
        if (actor.tracked) {
            Refresh(record->bar, actor);
        }
    }
    PruneLowestDeparted(tracker);
}

void ClearTrackedActors(ActorTracker& tracker) {
    tracker.records.clear();
    // Swapped out, not cleared: clear() would keep the vector's own storage.
    std::vector<TrackedActorMap::node_type>().swap(tracker.spareRecords);
    tracker.listedRecords = 0;
}
