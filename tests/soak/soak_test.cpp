// A long session of churn: actors appear, take damage, die, leave and come back at reused
// and fresh addresses, the list reorders and repeats itself, scenes close and reopen, the
// device comes and goes. After every frame the invariants of frame_invariants.h hold and
// the heap holds no more than one allocation per record plus a few named buffers. At the end
// the module's objects are destroyed and their storage must go back; LeakSanitizer checks
// the rest at exit.
//
// Usage: soak_test [frames]   (default 1,000,000)
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include "host/host_game.h"
#include "tests/support/counting_allocator.h"
#include "tests/support/fake_host.h"
#include "tests/support/frame_invariants.h"
#include "tests/support/module_objects.h"
#include "tests/support/recording_device.h"

using namespace fakehost;

namespace {

// Buffers that may stay allocated between frames whatever the number of records, by name,
// so that any other one fails the run.
constexpr std::size_t barListStorage = 1;  // the list keeps its storage from frame to frame
constexpr std::size_t sortKeyBuffers = 2;  // the depth sort's keys and its spare keys
constexpr std::size_t listedIndex = 1;     // the tracker's memory of the host's list order
constexpr std::size_t spareRecordList = 1; // the tracker's list of pruned records' storage
constexpr std::size_t deviceLogs = 2;      // the test's own: calls and vertices
constexpr std::size_t fixedBuffers =
    barListStorage + sortKeyBuffers + listedIndex + spareRecordList + deviceLogs;
// Fresh addresses cycle through this many slots (32 MiB of host memory); a slot comes back
// only after all others were used.
constexpr std::uint32_t addressSlots = 8192;
constexpr std::size_t maxPopulation = 48;

std::uint64_t rngState = 0x9E3779B97F4A7C15ULL;

std::uint32_t Random() {
    rngState ^= rngState << 13;
    rngState ^= rngState >> 7;
    rngState ^= rngState << 17;
    return static_cast<std::uint32_t>(rngState >> 32);
}
bool OneIn(std::uint32_t n) {
    return Random() % n == 0;
}
float Uniform(float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(Random() % 100000) / 100000.0f;
}

struct Churn {
    std::vector<Actor> population;     // listed, in list order
    std::vector<HostAddress> departed; // recently left: candidates for coming back
    std::uint32_t nextFreshSlot = 0;
    float clock = 0.0f;
    int inactiveFramesLeft = 0;
    int emptyListFramesLeft = 0;
    bool deviceOn = true;
};

Actor NewActor(HostAddress address) {
    Actor actor;
    actor.address = address;
    actor.damageRatio = Uniform(0.0f, 0.5f);
    actor.position[0] = Uniform(-40.0f, 40.0f);
    actor.position[1] = Uniform(-10.0f, 120.0f); // depth y + 1.15: some out of the fade window
    actor.position[2] = Uniform(-40.0f, 40.0f);
    return actor;
}

void ChangeActor(Actor& actor) {
    switch (Random() % 8) {
    case 0:
        actor.damageRatio = std::min(1.0f, actor.damageRatio + Uniform(0.0f, 0.4f)); // hit
        break;
    case 1:
        actor.damageRatio = 1.0f; // dies, stays listed
        break;
    case 2:
        actor.damageRatio = Uniform(0.0f, 0.3f); // healed or revived
        break;
    case 3:
        actor.engaged = actor.engaged != 0 ? 0 : 1;
        break;
    case 4:
        actor.hasStats = !actor.hasStats;
        break;
    case 5:
        actor.kind = actor.kind == 1 ? hostlayout::untrackedActorKind : 1;
        break;
    default:
        actor.position[1] += Uniform(-2.0f, 2.0f);
        break;
    }
    WriteActor(actor);
}

void ChurnActors(Churn& churn) {
    auto& population = churn.population;
    // Leaving: a few at once now and then, so that departed records queue for pruning.
    const int leaving = OneIn(50) ? static_cast<int>(Random() % 6) : (OneIn(4) ? 1 : 0);
    for (int i = 0; i < leaving && !population.empty(); ++i) {
        const std::size_t at = Random() % population.size();
        churn.departed.push_back(population[at].address);
        population.erase(population.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (churn.departed.size() > 64) {
        churn.departed.erase(churn.departed.begin(), churn.departed.begin() + 32);
    }
    // Arriving: back at a departed address, or at a fresh one.
    const int arriving = OneIn(50) ? static_cast<int>(Random() % 6) : (OneIn(4) ? 1 : 0);
    for (int i = 0; i < arriving && population.size() < maxPopulation; ++i) {
        HostAddress address;
        if (!churn.departed.empty() && OneIn(2)) {
            const std::size_t at = Random() % churn.departed.size();
            address = churn.departed[at];
            churn.departed.erase(churn.departed.begin() + static_cast<std::ptrdiff_t>(at));
        } else {
            address = ActorAt(churn.nextFreshSlot);
            churn.nextFreshSlot = (churn.nextFreshSlot + 1) % addressSlots;
        }
        const bool listed = std::any_of(population.begin(), population.end(),
                                        [&](const Actor& a) { return a.address == address; });
        if (!listed) {
            population.push_back(NewActor(address));
            WriteActor(population.back());
        }
    }
    for (Actor& actor : population) {
        if (OneIn(20)) {
            ChangeActor(actor);
        }
    }
    if (OneIn(200) && population.size() > 1) {
        std::swap(population[Random() % population.size()],
                  population[Random() % population.size()]);
    }
}

void ListActors(const Churn& churn) {
    if (churn.emptyListFramesLeft > 0) {
        SetActorCount(OneIn(2) ? 0 : -1);
        return;
    }
    std::vector<HostAddress> list;
    for (const Actor& actor : churn.population) {
        list.push_back(actor.address);
    }
    if (!list.empty() && OneIn(100)) {
        list.push_back(list[Random() % list.size()]); // listed twice
    }
    SetActorList(list);
}

void ChurnHost(Churn& churn, std::uint64_t frame, frameinvariants::CallLogDevice& device,
               NullDevice& quiet) {
    churn.clock += 1.0f / 60.0f;
    if (churn.clock > 3600.0f) {
        churn.clock = 0.0f; // the host's clock restarts: one negative step
    }
    SetClock(churn.clock);
    SetFrameStep(1.0f / 60.0f);
    if (churn.inactiveFramesLeft > 0) {
        --churn.inactiveFramesLeft;
    } else if (OneIn(2000)) {
        churn.inactiveFramesLeft = 1 + static_cast<int>(Random() % 30);
        churn.population.clear(); // a new scene brings its own actors
    }
    if (churn.inactiveFramesLeft > 0) {
        if (OneIn(2)) {
            ClearScene();
        } else {
            SetScene(false);
        }
        SetUiFlag(OneIn(3) ? 1 : 0);
    } else {
        SetScene(true);
    }
    // Mode 3 now and then lets a latch set at a scene start go again.
    SetStatus(0.5f, OneIn(100) ? 3 : 0);
    if (churn.emptyListFramesLeft > 0) {
        --churn.emptyListFramesLeft;
    } else if (OneIn(5000)) {
        churn.emptyListFramesLeft = static_cast<int>(Random() % 20);
    }
    ChurnActors(churn);
    ListActors(churn);
    if (OneIn(500)) {
        churn.deviceOn = !OneIn(3);
    }
    // One frame in four goes to the logging device, which checks every call; the others to
    // a device that records nothing, which keeps a million frames affordable under ASan.
    IDirect3DDevice9* handed = frame % 4 == 0 ? static_cast<IDirect3DDevice9*>(&device) : &quiet;
    SetDevice(churn.deviceOn ? handed : nullptr);
    device.failCreateStateBlock = OneIn(250);
}

[[noreturn]] void Fail(std::uint64_t frame, const char* what) {
    std::fprintf(stderr, "soak: frame %" PRIu64 ": %s\n", frame, what);
    std::exit(1);
}

struct Totals {
    std::uint64_t shownFrames = 0, sceneResets = 0;
    std::size_t peakRecords = 0, peakLive = 0, moduleAllocations = 0, moduleFrames = 0;
};

// What the checker itself keeps: its sets hold one allocation per element.
std::size_t CheckerAllocations(const frameinvariants::Watch& watch,
                               const std::set<HostAddress>& everListed) {
    return watch.listedSinceReset.size() + watch.listedNow.size() + everListed.size();
}

// Runs every frame on the module's objects, made here as the DLL makes them at load and
// destroyed on return as at unload.
void RunFrames(std::uint64_t frames, Churn& churn, frameinvariants::CallLogDevice& device,
               NullDevice& quiet, frameinvariants::Watch& watch, std::set<HostAddress>& everListed,
               std::size_t baseline, Totals& totals) {
    ModuleObjects module;
    bool wasActive = false;
    for (std::uint64_t frame = 0; frame < frames; ++frame) {
        ChurnHost(churn, frame, device, quiet);
        frameinvariants::BeforeFrame(watch, module);
        everListed.insert(watch.listedNow.begin(), watch.listedNow.end());
        const std::size_t allocationsBeforeFrame = countingallocator::allocations;
        DrawFrame(module);
        const bool deviceHanded = ReadHostDevice() == &device;
        // The logging device allocates for its log; other frames count the module alone.
        if (!deviceHanded) {
            totals.moduleAllocations += countingallocator::allocations - allocationsBeforeFrame;
            ++totals.moduleFrames;
        }
        const std::string failure =
            frameinvariants::AfterFrame(watch, module, device, deviceHanded);
        if (!failure.empty()) {
            Fail(frame, failure.c_str());
        }
        device.Clear();
        watch.callsSeen = 0;

        totals.shownFrames += module.driver.sceneActive && !module.driver.suppressLatch ? 1 : 0;
        totals.sceneResets += wasActive && !module.driver.sceneActive ? 1 : 0;
        wasActive = module.driver.sceneActive;
        const std::size_t records = module.tracker.records.size();
        const std::size_t live =
            countingallocator::liveAllocations - baseline - CheckerAllocations(watch, everListed);
        totals.peakRecords = std::max(totals.peakRecords, records);
        totals.peakLive = std::max(totals.peakLive, live);
        if (records > everListed.size()) {
            Fail(frame, "more records than distinct addresses ever listed");
        }
        // Spare records are pruned records' storage: together with the records they never
        // outnumber the most records once held (within a frame, one more than at its end:
        // the one the prune removes), and an emptied tracker gives them back.
        const std::vector<TrackedActorMap::node_type>& spares = module.tracker.spareRecords;
        if (records + spares.size() > totals.peakRecords + 1) {
            Fail(frame, "records and spare records outnumber the most records once held");
        }
        if (!module.driver.sceneActive && spares.capacity() != 0) {
            Fail(frame, "an emptied tracker kept its spare records");
        }
        if (live > records + spares.size() + fixedBuffers) {
            char what[128];
            std::snprintf(what, sizeof what, "%zu live allocations for %zu records and %zu spares",
                          live, records, spares.size());
            Fail(frame, what);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t frames = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;

    ResetHost();
    frameinvariants::Watch watch;
    std::set<HostAddress> everListed;
    Totals totals;
    {
        frameinvariants::CallLogDevice device;
        NullDevice quiet;
        Churn churn;
        churn.population.reserve(maxPopulation);
        churn.departed.reserve(128);
        SetUpShowingHost();
        SetDevice(&device);
        const std::size_t baseline = countingallocator::liveAllocations;
        device.calls.reserve(4096);
        device.vertices.reserve(8192);
        const std::size_t allocationsBefore = countingallocator::allocations;

        RunFrames(frames, churn, device, quiet, watch, everListed, baseline, totals);
        const std::size_t allocations = countingallocator::allocations - allocationsBefore;

        std::printf("soak: frames %" PRIu64 ", shown %" PRIu64 ", scene resets %" PRIu64 "\n",
                    frames, totals.shownFrames, totals.sceneResets);
        std::printf("soak: distinct addresses listed %zu, peak records %zu\n", everListed.size(),
                    totals.peakRecords);
        std::printf("soak: peak live allocations %zu (records + buffers), allocations total %zu"
                    " (checker and device log included)\n",
                    totals.peakLive, allocations);
        std::printf("soak: allocations by the module on the %zu frames without the logging"
                    " device: %zu (%.3f per frame)\n",
                    totals.moduleFrames, totals.moduleAllocations,
                    double(totals.moduleAllocations) /
                        double(totals.moduleFrames ? totals.moduleFrames : 1));

        // The module's objects are gone: only the test's own logs may be left.
        const std::size_t left =
            countingallocator::liveAllocations - baseline - CheckerAllocations(watch, everListed);
        std::printf("soak: live allocations after the module's objects are destroyed: %zu\n", left);
        if (left > deviceLogs) {
            Fail(frames, "storage not given back when the module's objects were destroyed");
        }
    }
    return 0;
}
