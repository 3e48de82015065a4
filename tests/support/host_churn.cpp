#include "tests/support/host_churn.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "host/host_game.h"
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
        actor.kind = actor.kind == 1 ? untrackedKind : 1;
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
        Write(actorCount, counts[choose.Below(4)]);
    }
}

void ChurnScene(HostChurn& churn, Choices& choose) {
    if (churn.inactiveFramesLeft > 0) {
        --churn.inactiveFramesLeft;
    } else if (choose.OneIn(1000)) {
        churn.inactiveFramesLeft = 1 + int(choose.Below(30));
        churn.listed.clear(); // a new scene brings its own actors
    }
    if (churn.inactiveFramesLeft == 0) {
        SetScene(1);
    } else {
        choose.OneIn(2) ? Clear(scenePointer) : SetScene(0);
    }
    // The UI flag and mode 3 now and then set and clear the latch.
    if (choose.OneIn(100)) {
        const std::uint32_t ui = choose.Below(4);
        ui < 2 ? Clear(ui == 0 ? uiRootPointer : uiInnerPointer) : SetUiFlag(ui == 2);
    }
    if (choose.OneIn(64)) {
        Clear(statusPointer);
    } else {
        SetStatus(Plausible(choose, 32, 0.0f, 2.0f), choose.OneIn(50) ? 3 : choose.Below(2));
    }
}

// The camera now and then singular, moved along its depth, or with one element anything.
void ChurnCamera(Choices& choose, HostAddress matrix) {
    if (choose.OneIn(256)) {
        D3DXMATRIX m = identity;
        const std::uint32_t how = choose.Below(3);
        if (how == 0) {
            m = D3DXMATRIX{};
        } else if (how == 1) {
            m.m[3][2] = Plausible(choose, 2, -20.0f, 20.0f);
        } else {
            m.m[choose.Below(4)][choose.Below(4)] = choose.AnyFloat();
        }
        Write(matrix, m);
    }
}

// Returns whether every allocation is to fail on the next frame.
bool ChurnHost(HostChurn& churn, Choices& choose, FakeDevice& device) {
    if (churn.broken.first != 0) {
        Write(churn.broken.first, churn.broken.second);
        churn.broken = {};
    }
    churn.clock += 1.0f / 60.0f;
    Write(gameClock,
          choose.OneIn(64) ? (choose.OneIn(3) ? -1.0f : choose.AnyFloat()) : churn.clock);
    Write(frameStep, choose.OneIn(128) ? choose.AnyFloat() : 1.0f / 60.0f);
    ChurnCamera(choose, viewMatrix);
    ChurnCamera(choose, viewProjMatrix);
    ChurnScene(churn, choose);
    ChurnActors(churn, choose);
    ListActors(churn, choose);
    if (!churn.listed.empty() && choose.OneIn(300)) {
        churn.broken = BreakLink(everyHostLink[choose.Below(std::size(everyHostLink))]);
    }
    churn.deviceOn = churn.deviceOn != choose.OneIn(300);
    SetDevice(churn.deviceOn ? &device : nullptr);
    device.failCreateStateBlock = choose.OneIn(250);
    return choose.OneIn(500);
}

} // namespace

std::string RunChurnedFrame(HostChurn& churn, Choices& choose, FakeDevice& device,
                            FrameState& frame, bool silent, bool& faulted) {
    const bool withoutMemory = ChurnHost(churn, choose, device);
    for (const std::uint32_t slot : churn.listed) {
        churn.listedSinceReset.insert(ActorAt(slot));
    }
    device.silent = silent || withoutMemory;
    device.Clear();
    countingallocator::failAllocations = withoutMemory;
    faulted = !DrawGuardedFrame(frame);
    countingallocator::failAllocations = false;
    const bool handed = ReadHostDevice() == &device && !device.silent;
    std::string failure =
        CheckFrameInvariants(frame, churn.listedSinceReset, device, handed, faulted);
    if (!frame.driver.sceneActive) {
        churn.listedSinceReset.clear();
    }
    return failure;
}
