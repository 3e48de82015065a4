#include <cmath>
#include <cstring>
#include <limits>

#include "bars/actor_tracker.h"
#include "module_fixture.h"
#include "tests/support/counting_allocator.h"

using namespace fakehost;

namespace {

const float nan = std::numeric_limits<float>::quiet_NaN();

std::uint32_t Bits(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

class ActorTrackerTest : public ModuleTest {
  protected:
    std::vector<HostAddress> TrackedAddresses() const {
        std::vector<HostAddress> keys;
        for (const auto& [address, record] : tracker.records) {
            keys.push_back(address);
        }
        return keys;
    }
};

TEST_F(ActorTrackerTest, NewActorTrailStartsOnItsHealthUnlessHealthIsNegative) {
    SetActors({{ActorAt(0), 0.25f}, {ActorAt(1), 1.5f}});
    UpdateTrackedActors(tracker);
    EXPECT_EQ(Record(ActorAt(0)).health, 0.75f);
    EXPECT_EQ(Record(ActorAt(0)).trailHealth, 0.75f);
    EXPECT_EQ(Record(ActorAt(0)).trailHold, 0.5f);
    EXPECT_EQ(Record(ActorAt(1)).health, -0.5f) << "stored unclamped";
    EXPECT_EQ(Record(ActorAt(1)).trailHealth, 0.0f);
    EXPECT_EQ(Record(ActorAt(1)).trailHold, 0.0f);
}

TEST_F(ActorTrackerTest, HoldReArmsWhileHealthIsAtTheTrailAndStaysWhenItDrops) {
    Actor actor{ActorAt(0), 0.2f};
    SetActors({actor});
    UpdateTrackedActors(tracker);
    tracker.records.at(actor.address).bar.trailHold = 0.1f;
    UpdateTrackedActors(tracker); // health equal to the trail re-arms
    EXPECT_EQ(Record(actor.address).trailHold, 0.5f);

    tracker.records.at(actor.address).bar.trailHold = 0.3f;
    actor.damageRatio = 0.6f;
    SetActors({actor});
    UpdateTrackedActors(tracker);
    EXPECT_EQ(Record(actor.address).health, 0.399999976f) << "1 - 0.6, just below 0.4f";
    EXPECT_EQ(Record(actor.address).trailHealth, 0.8f) << "trail stays where it was";
    EXPECT_EQ(Record(actor.address).trailHold, 0.3f) << "hold left to count down";
}

TEST_F(ActorTrackerTest, NanDamageGivesNanHealthAndLeavesTheTrail) {
    Actor actor{ActorAt(0), 0.5f};
    SetActors({actor});
    UpdateTrackedActors(tracker);
    actor.damageRatio = nan;
    SetActors({actor});
    UpdateTrackedActors(tracker);
    EXPECT_TRUE(std::isnan(Record(actor.address).health));
    EXPECT_EQ(Record(actor.address).trailHealth, 0.5f);
}

TEST_F(ActorTrackerTest, ActorWithoutStatsHasZeroHealthButFreshPositionAndHideTimer) {
    Actor actor{ActorAt(0), 0.0f, false};
    actor.position[0] = 1.0f;
    actor.position[1] = -2.0f;
    actor.position[2] = 3.0f;
    actor.engaged = 0;
    SetActors({actor});
    UpdateTrackedActors(tracker);
    const BarState& bar = Record(actor.address);
    EXPECT_EQ(bar.health, 0.0f);
    EXPECT_EQ(bar.trailHealth, 0.0f);
    EXPECT_EQ(bar.position[0], 1.0f);
    EXPECT_EQ(bar.position[1], -2.0f);
    EXPECT_EQ(bar.position[2], 3.0f);
    EXPECT_EQ(Bits(bar.hideTime), 0x38D1B717U);
}

TEST_F(ActorTrackerTest, ActorThatLosesItsStatsDropsToZeroHealthKeepingItsTrail) {
    Actor actor{ActorAt(0), 0.25f};
    SetActors({actor});
    UpdateTrackedActors(tracker);
    actor.hasStats = false;
    SetActors({actor});
    UpdateTrackedActors(tracker);
    EXPECT_EQ(Record(actor.address).health, 0.0f);
    EXPECT_EQ(Record(actor.address).trailHealth, 0.75f);
}

TEST_F(ActorTrackerTest, PositionIsCopiedBitForBit) {
    Actor actor{ActorAt(0)};
    const std::uint32_t signallingNan = 0x7F800001U;
    std::memcpy(&actor.position[1], &signallingNan, 4);
    SetActors({actor});
    UpdateTrackedActors(tracker);
    EXPECT_EQ(Bits(Record(actor.address).position[1]), signallingNan);
}

TEST_F(ActorTrackerTest, HideTimerStartsOnceAndResetsWhenEngagedAgain) {
    Actor actor{ActorAt(0)};
    actor.engaged = 0;
    SetActors({actor});
    UpdateTrackedActors(tracker);
    tracker.records.at(actor.address).bar.hideTime = 1.25f; // advanced by the animation
    UpdateTrackedActors(tracker);
    EXPECT_EQ(Record(actor.address).hideTime, 1.25f);

    tracker.records.at(actor.address).bar.hideTime = -0.5f;
    UpdateTrackedActors(tracker);
    EXPECT_EQ(Record(actor.address).hideTime, -0.5f) << "only an exact zero starts the timer";

    tracker.records.at(actor.address).bar.hideTime = -0.0f;
    UpdateTrackedActors(tracker);
    EXPECT_EQ(Bits(Record(actor.address).hideTime), 0x38D1B717U) << "-0.0 counts as not running";

    actor.engaged = 5;
    SetActors({actor});
    UpdateTrackedActors(tracker);
    EXPECT_EQ(Record(actor.address).hideTime, 0.0f);
}

TEST_F(ActorTrackerTest, AddressListedTwiceEndsAsIfUpdatedOnce) {
    const Actor actor{ActorAt(0), 0.3f};
    WriteActor(actor);
    SetActorList({actor.address, actor.address});
    UpdateTrackedActors(tracker);
    ASSERT_EQ(tracker.records.size(), 1U);
    EXPECT_EQ(Record(actor.address).health, 0.7f);
    EXPECT_EQ(Record(actor.address).trailHold, 0.5f);
}

TEST_F(ActorTrackerTest, ExcludedKindIsNeitherTrackedRefreshedNorPruned) {
    Actor actor{ActorAt(0), 0.5f};
    SetActors({actor, {ActorAt(1)}});
    UpdateTrackedActors(tracker);
    actor.kind = hostlayout::untrackedActorKind;
    actor.damageRatio = 0.9f;
    SetActors({actor});
    for (int i = 0; i < 3; ++i) {
        UpdateTrackedActors(tracker);
    }
    EXPECT_EQ(TrackedAddresses(), std::vector<HostAddress>{actor.address});
    EXPECT_EQ(Record(actor.address).health, 0.5f) << "not refreshed";

    SetActors({{ActorAt(2), 0.0f, true, hostlayout::untrackedActorKind}});
    UpdateTrackedActors(tracker);
    EXPECT_EQ(tracker.records.count(ActorAt(2)), 0U) << "never gets a record";
}

TEST_F(ActorTrackerTest, DepartedActorsArePrunedOnePerCallLowestAddressFirst) {
    std::vector<Actor> actors;
    for (std::uint32_t n : {4U, 1U, 3U, 0U, 2U}) {
        actors.push_back({ActorAt(n)});
    }
    SetActors(actors);
    UpdateTrackedActors(tracker);
    ASSERT_EQ(tracker.records.size(), 5U);

    SetActorList({ActorAt(2), ActorAt(4)}); // 0, 1 and 3 leave together
    UpdateTrackedActors(tracker);
    EXPECT_EQ(TrackedAddresses(),
              (std::vector<HostAddress>{ActorAt(1), ActorAt(2), ActorAt(3), ActorAt(4)}));
    UpdateTrackedActors(tracker);
    EXPECT_EQ(TrackedAddresses(), (std::vector<HostAddress>{ActorAt(2), ActorAt(3), ActorAt(4)}));
    UpdateTrackedActors(tracker);
    EXPECT_EQ(TrackedAddresses(), (std::vector<HostAddress>{ActorAt(2), ActorAt(4)}));
    UpdateTrackedActors(tracker);
    EXPECT_EQ(tracker.records.size(), 2U);
}

TEST_F(ActorTrackerTest, ReturningActorBeforeItsPruneKeepsItsRecord) {
    SetActors({{ActorAt(0), 0.5f}, {ActorAt(1), 0.5f}, {ActorAt(2)}});
    UpdateTrackedActors(tracker);
    SetActorList({ActorAt(2)});
    UpdateTrackedActors(tracker); // prunes ActorAt(0) only
    SetActorList({ActorAt(1), ActorAt(2)});
    UpdateTrackedActors(tracker);
    EXPECT_EQ(TrackedAddresses(), (std::vector<HostAddress>{ActorAt(1), ActorAt(2)}));
    EXPECT_EQ(Record(ActorAt(1)).trailHealth, 0.5f);
}

TEST_F(ActorTrackerTest, CountOfZeroOrLessKeepsEveryRecordUntouched) {
    SetActors({{ActorAt(0), 0.5f}, {ActorAt(1)}});
    UpdateTrackedActors(tracker);
    Record(ActorAt(0)).health = 0.125f;
    for (const std::int32_t count : {0, -3}) {
        SetActorCount(count);
        UpdateTrackedActors(tracker);
        EXPECT_EQ(tracker.records.size(), 2U);
        EXPECT_EQ(Record(ActorAt(0)).health, 0.125f);
    }
}

TEST_F(ActorTrackerTest, RecordThatCannotBeAllocatedIsSkippedForThatFrame) {
    SetActors({{ActorAt(0)}});
    countingallocator::failAllocations = true;
    UpdateTrackedActors(tracker);
    countingallocator::failAllocations = false;
    EXPECT_TRUE(tracker.records.empty());
    UpdateTrackedActors(tracker);
    EXPECT_EQ(tracker.records.size(), 1U);
}

TEST_F(ActorTrackerTest, SteadyUpdatesDoNotAllocate) {
    std::vector<Actor> actors;
    for (std::uint32_t n = 0; n < 50; ++n) {
        actors.push_back({ActorAt(n)});
    }
    SetActors(actors);
    UpdateTrackedActors(tracker);
    const std::size_t before = countingallocator::allocations;
    for (int i = 0; i < 10; ++i) {
        UpdateTrackedActors(tracker);
    }
    EXPECT_EQ(countingallocator::allocations, before);
}

// Under churn a new record takes a pruned one's storage: no allocation, and nothing of the
// departed actor's record leaks into the new one.
TEST_F(ActorTrackerTest, NewRecordReusesAPrunedRecordsStorageAsIfFresh) {
    Actor dying{ActorAt(0), 1.0f};
    dying.engaged = 0;
    SetActors({dying, {ActorAt(1)}});
    UpdateTrackedActors(tracker);
    BarState& departing = Record(ActorAt(0));
    departing.trailHealth = 0.9f;
    departing.trailHold = 0.3f;
    departing.deathTime = 0.75f;
    departing.trailDrainRate = 2.0f;
    SetActors({{ActorAt(1)}});
    UpdateTrackedActors(tracker); // prunes the first actor
    ASSERT_EQ(tracker.spareRecords.size(), 1U);

    Actor hit{ActorAt(2), 0.5f};
    hit.hasStats = false;
    SetActors({{ActorAt(1)}, hit});
    const std::size_t before = countingallocator::allocations;
    UpdateTrackedActors(tracker);
    EXPECT_EQ(countingallocator::allocations, before);
    EXPECT_TRUE(tracker.spareRecords.empty());
    const BarState& fresh = Record(ActorAt(2));
    EXPECT_EQ(fresh.trailHealth, 0.0f);
    EXPECT_EQ(fresh.trailHold, 0.0f);
    EXPECT_EQ(fresh.deathTime, 0.0f);
    EXPECT_EQ(fresh.trailDrainRate, 0.0f);
    EXPECT_EQ(Record(ActorAt(2)).health, 0.0f);
}

TEST_F(ActorTrackerTest, EmptyingTheTrackerGivesSpareRecordsBack) {
    SetActors({{ActorAt(0)}, {ActorAt(1)}});
    UpdateTrackedActors(tracker);
    SetActors({{ActorAt(1)}});
    UpdateTrackedActors(tracker);
    ASSERT_EQ(tracker.spareRecords.size(), 1U);
    const std::size_t live = countingallocator::liveAllocations;
    ClearTrackedActors(tracker);
    EXPECT_EQ(tracker.spareRecords.capacity(), 0U);
    EXPECT_EQ(countingallocator::liveAllocations, live - 3) << "two records and the spare list";
}

} // namespace
