#include "frame_test.h"

namespace {

class ActorTrackerTest : public FrameTest {
  protected:
    std::vector<HostAddress> Keys() const {
        std::vector<HostAddress> keys;
        for (const auto& record : tracker.records) {
            keys.push_back(record.first);
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
    actor.kind = untrackedKind;
    actor.damageRatio = 0.9f;
    const Actor never{ActorAt(2), 0.0f, true, untrackedKind};
    for (int i = 0; i < 3; ++i) {
        Update({actor, never});
    }
    EXPECT_EQ(Keys(), std::vector<HostAddress>{actor.address});
    EXPECT_EQ(Record(actor.address).health, 0.5f);
}

// Departed records go one per update, lowest address first; none while the count is 0 or
// less; one that comes back before its turn keeps its record.
TEST_F(ActorTrackerTest, DepartedRecordsArePrunedOnePerUpdateLowestFirst) {
    Update({{ActorAt(4)}, {ActorAt(1)}, {ActorAt(3)}, {ActorAt(0), 0.5f}, {ActorAt(2)}});
    for (const std::int32_t count : {0, -3}) {
        Write(actorCount, count);
        UpdateTrackedActors(tracker);
    }
    EXPECT_EQ(tracker.records.size(), 5U);
    SetActorList({ActorAt(2), ActorAt(4)});
    UpdateTrackedActors(tracker);
    EXPECT_EQ(Keys(), (std::vector<HostAddress>{ActorAt(1), ActorAt(2), ActorAt(3), ActorAt(4)}));
    SetActorList({ActorAt(3), ActorAt(2), ActorAt(4)});
    UpdateTrackedActors(tracker);
    EXPECT_EQ(Keys(), (std::vector<HostAddress>{ActorAt(2), ActorAt(3), ActorAt(4)}));
}

// A new record made from a pruned one's storage keeps nothing of the departed actor.
TEST_F(ActorTrackerTest, RecordMadeFromPrunedStorageStartsFresh) {
    Update({{ActorAt(0), 0.5f}, {ActorAt(1)}});
    Record(ActorAt(0)).deathTime = 0.75f;
    Record(ActorAt(0)).trailDrainRate = 2.0f;
    Update({{ActorAt(1)}});
    Actor statless{ActorAt(2)};
    statless.hasStats = false;
    Update({{ActorAt(1)}, statless});
    const BarState& fresh = Record(ActorAt(2));
    EXPECT_EQ(fresh.trailHealth + fresh.trailHold + fresh.deathTime + fresh.trailDrainRate, 0.0f);
}

} // namespace
