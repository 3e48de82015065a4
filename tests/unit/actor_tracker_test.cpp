#include "frame_test.h"

namespace {

class ActorTrackerTest : public FrameTest {
  protected:
    std::vector<HostAddress> Keys() const {
        std::vector<HostAddress> keys;
        for (const TrackedActor& record : tracker.records) {
            keys.push_back(record.address);
        }
        return keys;
    }
    void Update(const std::vector<Actor>& actors) {
        SetActors(actors);
        UpdateTrackedActors(tracker);
    }
};

TEST_F(ActorTrackerTest, TrailRidesOnHealthUntilHealthDrops) {
    Actor actor{ActorAt(0), 0.2f};
    Update({actor});
    BarState& bar = Record(actor.address);
    bar.trailHold = 0.1f;
    Update({actor});
    EXPECT_EQ(bar.trailHold, 0.5f) << "health equal to the trail re-arms the hold";
    bar.trailHold = 0.3f;
    actor.damageRatio = 0.6f;
    Update({actor});
    EXPECT_EQ(bar.health, 0.399999976f) << "1 - 0.6";
    EXPECT_EQ(bar.trailHealth, 0.8f) << "the trail stays";
    EXPECT_EQ(bar.trailHold, 0.3f) << "the hold is left to count down";
    for (const float damage : {NaN, 0.5f}) { // then stats go: health 0, trail kept
        actor.damageRatio = damage;
        Update({actor});
        EXPECT_EQ(bar.trailHealth, 0.8f);
        actor.hasStats = false;
    }
    EXPECT_EQ(bar.health, 0.0f);
}

TEST_F(ActorTrackerTest, HideTimerStartsOnlyFromZeroAndStopsWhenEngaged) {
    Actor actor{ActorAt(0)};
    actor.engaged = 0;
    Update({actor});
    BarState& bar = Record(actor.address);
    for (const float advanced : {1.25f, -0.5f}) {
        bar.hideTime = advanced; // as the animation leaves it
        Update({actor});
        EXPECT_EQ(bar.hideTime, advanced);
    }
    bar.hideTime = -0.0f;
    Update({actor});
    EXPECT_EQ(bar.hideTime, 0.0001f) << "-0.0 is a timer not running";
    actor.engaged = 5;
    Update({actor});
    EXPECT_EQ(bar.hideTime, 0.0f);
}

// The untracked kind gets no record, and one it already has is neither refreshed nor
// pruned while it is listed; an address listed twice ends as if updated once.
TEST_F(ActorTrackerTest, UntrackedKindKeepsItsRecordUnrefreshed) {
    Actor actor{ActorAt(0), 0.5f};
    Update({actor, {ActorAt(1)}, actor});
    EXPECT_EQ(Record(actor.address).trailHold, 0.5f);
    actor.kind = game::untrackedKind;
    actor.damageRatio = 0.9f;
    const Actor never{ActorAt(2), 0.0f, true, game::untrackedKind};
    for (int i = 0; i < 3; ++i) {
        Update({actor, never});
    }
    EXPECT_EQ(Keys(), std::vector<HostAddress>{actor.address});
    EXPECT_EQ(Record(actor.address).health, 0.5f);
}

// Slot n's actor has a damage ratio of n / 8, exact in float, so that a health shows whose
// record was refreshed, and lies n % 4 bytes past its slot: the game's garbage can leave an
// object at any address, and every read of it must be defined there. Each update lists the
// slots given, the count covering the first `count`; after it the records are those of
// `keys`: arrivals merged in address order, an address listed twice given one record, then
// the lowest departed record removed, one per update, none while the count is 0 or less;
// one that comes back before its turn keeps it.
TEST_F(ActorTrackerTest, RecordsFollowTheListInAddressOrderAndPruneOneDepartedAtATime) {
    const struct {
        std::vector<std::uint32_t> listed;
        std::int32_t count;
        std::vector<std::uint32_t> keys;
    } updates[] = {
        {{4, 0, 2}, 3, {0, 2, 4}},                // out of order: found by search
        {{3, 2, 5, 1, 4, 3}, 6, {1, 2, 3, 4, 5}}, // three arrive between; 0 departed
        {{1, 2, 3, 4, 5}, 0, {1, 2, 3, 4, 5}},    // a count of 0 and one below: nothing
        {{1, 2, 3, 4, 5}, -3, {1, 2, 3, 4, 5}},   //
        {{5, 3, 6, 1}, 3, {2, 3, 4, 5, 6}},       // 1 beyond the count: departed, and lowest
        {{4, 5, 3, 6}, 4, {3, 4, 5, 6}},          // 2 goes; 4 came back before its turn
        {{3, 4, 5, 6, 7}, 5, {3, 4, 5, 6, 7}},    // in order: each found at the hint
    };
    const auto at = [](std::uint32_t slot) { return ActorAt(slot) + slot % 4; };
    for (const auto& u : updates) {
        std::vector<Actor> actors;
        for (const std::uint32_t slot : u.listed) {
            actors.push_back({at(slot), float(slot) / 8});
        }
        SetActors(actors);
        Write(game::actorCount, u.count);
        UpdateTrackedActors(tracker);
        std::vector<HostAddress> keys;
        for (const std::uint32_t slot : u.keys) {
            keys.push_back(at(slot));
        }
        EXPECT_EQ(Keys(), keys) << "update " << &u - updates;
        for (std::int32_t i = 0; i < u.count; ++i) {
            const std::uint32_t slot = u.listed[std::size_t(i)];
            EXPECT_EQ(Record(at(slot)).health, 1 - float(slot) / 8) << "slot " << slot;
        }
    }
}

} // namespace
