#include "tests/support/host_churn.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "tests/support/counting_allocator.h"

using namespace fakehost;

std::uint32_t Choices::Next() {
    if (data == nullptr) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return static_cast<std::uint32_t>(seed >> 32);
    }
    std::uint32_t bits = 0;
    for (int i = 0; i < 2 && size > 0; ++i, ++data, --size) {
        bits = bits << 8 | *data;
    }
    return bits;
}

float Choices::AnyFloat() {
    using limits = std::numeric_limits<float>;
    const float special[] = {
        limits::quiet_NaN(), limits::infinity(),  -limits::infinity(), -0.0f, -1.0f,
        limits::max(),       limits::denorm_min()};
    const std::uint32_t pick = Below(10), bits = Next() << 16 | Next();
    float any;
    std::memcpy(&any, &bits, sizeof any);
    return pick < std::size(special) ? special[pick] : pick == 7 ? Between(-200, 200) : any;
}

namespace {

// Usually plausible, one time in `wild` anything.
float Plausible(Choices& choose, std::uint32_t wild, float lo, float hi) {
    return choose.OneIn(wild) ? choose.AnyFloat() : choose.Between(lo, hi);
}

void ChangeActor(Choices& choose, Actor& actor) {
    const std::uint32_t what = choose.Below(7);
    if (what == 0) { // hit, killed, or anything
        actor.damageRatio = choose.OneIn(2) ? 1.0f : Plausible(choose, 3, 0.0f, 1.0f);
    } else if (what == 1) { // healed or revived
        actor.damageRatio = choose.Between(0.0f, 0.3f);
    } else if (what == 2) {
        actor.engaged = !actor.engaged;
    } else if (what == 3) {
        actor.hasStats = !actor.hasStats;
    } else if (what == 4) {
        actor.kind = actor.kind == 1 ? game::untrackedKind : 1;
    } else {
        actor.position[choose.Below(3)] += Plausible(choose, 16, -2.0f, 2.0f);
    }
    WriteActor(actor);
}

// Mostly none or one, now and then up to five.
std::uint32_t HowMany(Choices& choose) {
    return choose.OneIn(50) ? choose.Below(6) : choose.OneIn(4);
}

// Actors leave and come, a fresh one at a slot's address: with few slots, often the address
// one just left, and at its old place in the list.
void ChurnActors(HostChurn& churn, Choices& choose) {
    auto& listed = churn.listed;
    for (std::uint32_t n = HowMany(choose); n > 0 && !listed.empty(); --n) {
        listed.erase(listed.begin() + choose.Below(std::uint32_t(listed.size())));
    }
    for (std::uint32_t n = HowMany(choose); n > 0 && listed.size() < churn.maxListed; --n) {
        const std::uint32_t slot = choose.Below(std::uint32_t(churn.actors.size()));
        if (std::find(listed.begin(), listed.end(), slot) == listed.end()) {
            // Depth is y + 1.15 through the identity camera: some outside the fade window.
            Actor& actor = churn.actors[slot] = {ActorAt(slot), choose.Between(0.0f, 0.5f)};
            for (float& p : actor.position) {
                p = choose.Between(-10.0f, 120.0f);
            }
            WriteActor(actor);
            listed.insert(listed.begin() + choose.Below(std::uint32_t(listed.size()) + 1), slot);
        }
    }
    for (const std::uint32_t slot : listed) {
        if (choose.OneIn(20)) {
            ChangeActor(choose, churn.actors[slot]);
        }
    }
}

// Listed in order, one now and then twice; the count now and then a prefix, 0 or below.
void ListActors(HostChurn& churn, Choices& choose) {
    std::vector<HostAddress> list;
    for (const std::uint32_t slot : churn.listed) {
        list.push_back(ActorAt(slot));
    }
    if (!list.empty() && choose.OneIn(100)) {
        list.push_back(list[choose.Below(std::uint32_t(list.size()))]);
    }
    SetActorList(list);
    if (choose.OneIn(200)) {
        const std::int32_t counts[] = {0, -1, INT32_MIN, std::int32_t(list.size() / 2)};
        Write(game::actorCount, counts[choose.Below(4)]);
    }
}

// The game as it keeps itself on an ordinary frame: the link broken on the last frame mended,
// the clock a 60th on, the identity camera, the scene active, the UI flag down, a status of
// its own (now and then mode 3, which lets a set latch go), the device there.
void SetOrdinaryFrame(HostChurn& churn, Choices& choose, FakeDevice& device) {
    if (churn.broken.first != 0) {
        Write(churn.broken.first, churn.broken.second);
        churn.broken = {};
    }
    churn.clock += 1.0f / 60.0f;
    Write(game::clock, churn.clock);
    Write(game::frameStep, 1.0f / 60.0f);
    Write(game::viewMatrix, identity);
    Write(game::viewProjMatrix, identity);
    SetScene(1);
    SetUiFlag(0);
    SetStatus(Plausible(choose, 32, 0.0f, 2.0f), choose.OneIn(50) ? 3 : choose.Below(2));
    SetDevice(&device);
}

// What goes wrong now and then, for a frame, each with its odds: a word of the game's nulled
// or set to 1, a float of it anything, or any element of a camera matrix anything.
enum class Garbage { null, one, anyFloat, anyElement };
struct RareWrite {
    std::uint32_t oneIn;
    HostAddress at;
    Garbage garbage;
};
const RareWrite rareWrites[] = {
    {2000, game::scene, Garbage::null}, // no scene object, or an inactive scene
    {2000, sceneObject + game::sceneActive, Garbage::null},
    {300, game::uiRoot, Garbage::null},   // the UI chain broken at either link, or its flag
    {300, uiInnerPointer, Garbage::null}, // raised: early in a scene that sets the latch
    {300, uiInnerObject + game::uiFlag, Garbage::one},
    {64, game::status, Garbage::null},
    {64, game::clock, Garbage::anyFloat},
    {128, game::frameStep, Garbage::anyFloat},
    {256, game::viewMatrix, Garbage::anyElement},
    {256, game::viewProjMatrix, Garbage::anyElement},
    {300, game::device, Garbage::null},
};

void WriteGarbage(const RareWrite& write, Choices& choose) {
    if (write.garbage == Garbage::null || write.garbage == Garbage::one) {
        Write<std::uint32_t>(write.at, write.garbage == Garbage::one);
    } else {
        const HostAddress element = write.garbage == Garbage::anyElement ? 4 * choose.Below(16) : 0;
        Write(write.at + element, choose.AnyFloat());
    }
}

void ChurnHost(HostChurn& churn, Choices& choose, FakeDevice& device) {
    SetOrdinaryFrame(churn, choose, device);
    ChurnActors(churn, choose);
    ListActors(churn, choose);
    // A pointer the module follows leads into freed memory, now and then.
    if (!churn.listed.empty() && choose.OneIn(300)) {
        churn.broken = BreakLink(everyHostLink[choose.Below(std::size(everyHostLink))]);
    }
    for (const RareWrite& write : rareWrites) {
        if (choose.OneIn(write.oneIn)) {
            WriteGarbage(write, choose);
        }
    }
    device.failCreateStateBlock = choose.OneIn(250);
    churn.withoutMemory = choose.OneIn(500);
}

// What no garbage from the host may cause: a tracker that an inactive scene emptied keeping
// its storage; a bar at a NaN depth, which no draw order can place; a device call on a frame
// that may not draw, or after a state block that could not be made; a vertex the device
// cannot place. Everything else about a frame, the unit tests pin down.
const char* CheckFrame(const FrameState& frame, const FakeDevice& device, bool mayDraw) {
    const ActorTracker& tracker = frame.tracker;
    if (!frame.driver.sceneActive && tracker.records.capacity() + tracker.arrivals.capacity()) {
        return "an inactive scene's tracker kept its storage";
    }
    for (const BarEntry& entry : frame.list.entries) {
        if (std::isnan(entry.anchor.z)) {
            return "a bar at a NaN depth";
        }
    }
    const std::vector<DeviceCall>& c = device.calls;
    const bool blockMade = !c.empty() && c[0].kind == DeviceCall::CreateStateBlock && c[0].pointer;
    if (c.size() > (!mayDraw ? 0 : blockMade ? c.size() : 1)) {
        return "a device call on a frame that may not draw, or without a state block";
    }
    for (const OverlayVertex& v : device.vertices) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
            return "a vertex that is not a finite number reached the device";
        }
    }
    return nullptr;
}

} // namespace

std::string RunChurn(HostChurn& churn, Choices& choose, FakeDevice& device, std::uint64_t frames,
                     std::uint64_t logEvery, ChurnCheck check) {
    FrameState frame;
    for (std::uint64_t n = 0; n < frames && !choose.Exhausted(); ++n) {
        ChurnHost(churn, choose, device);
        // A silent device logs nothing, so that a frame without memory cannot grow its log.
        device.silent = n % logEvery != 0 || churn.withoutMemory;
        device.Clear();
        countingallocator::failAllocations = churn.withoutMemory;
        const bool faulted = !DrawGuardedFrame(frame);
        countingallocator::failAllocations = false;
        const bool shown = frame.driver.sceneActive && !frame.driver.suppressLatch && !faulted;
        const bool handed = ReadHost<HostAddress>(game::device) != 0 && !device.silent;
        const char* failure = CheckFrame(frame, device, shown && handed);
        failure = failure || !check ? failure : check();
        if (failure) {
            return "frame " + std::to_string(n) + ": " + failure;
        }
    }
    return "";
}
