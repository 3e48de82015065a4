#include "bars/actor_tracker.h"

#include <new>

#include "host/host_game.h"

namespace {

// Null when the host's address space is exhausted: that actor simply gets no record on
// this frame.
TrackedActor* FindOrInsertRecord(HostAddress actor) {
    auto& records = actorTracker.records;
    auto it = records.lower_bound(actor);
    if (it == records.end() || it->first != actor) {
        try {
            it = records.emplace_hint(it, actor, TrackedActor{});
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return &it->second;
}

void MarkListed(TrackedActor& record) {
    if (record.listedOnUpdate != actorTracker.updateCount) {
        record.listedOnUpdate = actorTracker.updateCount;
        ++actorTracker.listedRecords;
    }
}

void RefreshFromHost(BarState& bar, HostAddress actor) {
    bar.health = 0.0f;
    float damageRatio;
    if (ReadActorDamageRatio(actor, &damageRatio)) {
        const float h = 1.0f - damageRatio;
        bar.health = h;
        // While health is at or above the trail the trail rides on it and the hold re-arms;
        // once health drops below, the trail stays for the hold, then drains.
        if (h >= bar.trailHealth) {
            bar.trailHealth = h;
            bar.trailHold = 0.5f;
        }
    }
    ReadActorPosition(actor, bar.position);
    if (ReadActorEngaged(actor) == 0) {
        if (bar.hideTime == 0.0f) {
            bar.hideTime = 0.0001f;
        }
    } else {
        bar.hideTime = 0.0f;
    }
}

void PruneLowestDeparted() {
    auto& records = actorTracker.records;
    if (actorTracker.listedRecords == records.size()) {
        return;
    }
    for (auto it = records.begin(); it != records.end(); ++it) {
        if (it->second.listedOnUpdate != actorTracker.updateCount) {
            records.erase(it);
            return;
        }
    }
}

} // namespace

void UpdateTrackedActors() {
    const std::int32_t count = ReadHostActorCount();
    if (count <= 0) {
        return;
    }
    ++actorTracker.updateCount;
    actorTracker.listedRecords = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        const HostAddress actor = ReadHostActor(i);
        if (ReadActorKind(actor) == hostlayout::untrackedActorKind) {
            // Not refreshed, but still listed: its record must not be pruned.
            const auto it = actorTracker.records.find(actor);
            if (it != actorTracker.records.end()) {
                MarkListed(it->second);
            }
            continue;
        }
        TrackedActor* record = FindOrInsertRecord(actor);
        if (record == nullptr) {
            continue;
        }
        MarkListed(*record);
        RefreshFromHost(record->bar, actor);
    }
    PruneLowestDeparted();
}

void ClearTrackedActors() {
    actorTracker.records.clear();
    actorTracker.listedRecords = 0;
}
