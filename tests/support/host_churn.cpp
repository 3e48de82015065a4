#include "tests/support/host_churn.h"

#include <algorithm>
#include <cstring>
#include <limits>

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
    const std::uint32_t pick = Below(10);
    const std::uint32_t bits = Next() << 16 | Next();
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
    switch (choose.Below(7)) {
    case 0: // hit, killed, or anything
        actor.damageRatio = choose.OneIn(2) ? 1.0f : Plausible(choose, 3, 0.0f, 1.0f);
        break;
    case 1: // healed or revived
        actor.damageRatio = choose.Between(0.0f, 0.3f);
        break;
    case 2:
        actor.engaged = !actor.engaged;
        break;
    case 3:
        actor.hasStats = !actor.hasStats;
        break;
    case 4:
        actor.kind = actor.kind == 1 ? untrackedKind : 1;
        break;
    default:
        actor.position[choose.Below(3)] += Plausible(choose, 16, -2.0f, 2.0f);
        break;
    }
    WriteActor(actor);
}

void ChurnActors(HostChurn& churn, Choices& choose) {
    auto& population = churn.population;
    for (std::uint32_t n = choose.OneIn(50) ? choose.Below(6) : choose.OneIn(4);
         n > 0 && !population.empty(); --n) {
        const auto leaving = population.begin() + choose.Below(std::uint32_t(population.size()));
        churn.departed.push_back(leaving->address);
        population.erase(leaving);
    }
    if (churn.departed.size() > 64) {
        churn.departed.erase(churn.departed.begin(), churn.departed.begin() + 32);
    }
    for (std::uint32_t n = choose.OneIn(50) ? choose.Below(6) : choose.OneIn(4);
         n > 0 && population.size() < churn.maxPopulation; --n) {
        HostAddress address = ActorAt(churn.nextSlot++ % churn.addressSlots);
        if (!churn.departed.empty() && choose.OneIn(2)) { // back at its old address
            const auto back =
                churn.departed.begin() + choose.Below(std::uint32_t(churn.departed.size()));
            address = *back;
            churn.departed.erase(back);
        }
        if (std::none_of(population.begin(), population.end(),
                         [&](const Actor& a) { return a.address == address; })) {
            // Depth is y + 1.15 through the identity camera: some outside the fade window.
            population.push_back({address, choose.Between(0.0f, 0.5f)});
            for (float& p : population.back().position) {
                p = choose.Between(-10.0f, 120.0f);
            }
            WriteActor(population.back());
        }
    }
    for (Actor& actor : population) {
        if (choose.OneIn(20)) {
            ChangeActor(choose, actor);
        }
    }
    if (population.size() > 1 && choose.OneIn(100)) {
        std::swap(population[choose.Below(std::uint32_t(population.size()))], population.back());
    }
}

// Listed in order, one now and then twice; the count now and then a prefix, 0 or below.
void ListActors(HostChurn& churn, Choices& choose) {
    std::vector<HostAddress> list;
    for (const Actor& actor : churn.population) {
        list.push_back(actor.address);
    }
    if (!list.empty() && choose.OneIn(100)) {
        list.push_back(list[choose.Below(std::uint32_t(list.size()))]);
    }
    SetActorList(list);
    if (choose.OneIn(200)) {
        const std::int32_t counts[] = {0, -1, INT32_MIN, std::int32_t(list.size() / 2)};
        SetActorCount(counts[choose.Below(4)]);
    }
}

void ChurnScene(HostChurn& churn, Choices& choose) {
    if (churn.inactiveFramesLeft > 0) {
        --churn.inactiveFramesLeft;
    } else if (choose.OneIn(1000)) {
        churn.inactiveFramesLeft = 1 + int(choose.Below(30));
        churn.population.clear(); // a new scene brings its own actors
    }
    if (churn.inactiveFramesLeft > 0) {
        choose.OneIn(2) ? ClearScene() : SetScene(0);
    } else {
        SetScene(1);
    }
    // The UI flag and mode 3 now and then set and clear the latch.
    if (choose.OneIn(100)) {
        const std::uint32_t ui = choose.Below(4);
        ui == 0 ? ClearUiRoot() : ui == 1 ? ClearUiInner() : SetUiFlag(ui == 2);
    }
    if (choose.OneIn(64)) {
        ClearStatus();
    } else {
        SetStatus(Plausible(choose, 32, 0.0f, 2.0f), choose.OneIn(50) ? 3 : choose.Below(2));
    }
}

// The camera now and then singular, moved along its depth, or with one element anything.
void ChurnCamera(Choices& choose, void (*set)(const D3DXMATRIX&)) {
    if (!choose.OneIn(256)) {
        return;
    }
    D3DXMATRIX m = Identity();
    switch (choose.Below(3)) {
    case 0:
        m = D3DXMATRIX{};
        break;
    case 1:
        m.m[3][2] = Plausible(choose, 2, -20.0f, 20.0f);
        break;
    default:
        m.m[choose.Below(4)][choose.Below(4)] = choose.AnyFloat();
        break;
    }
    set(m);
}

} // namespace

bool ChurnHost(HostChurn& churn, Choices& choose, FakeDevice& device) {
    if (churn.broken.first != 0) {
        Write(churn.broken.first, churn.broken.second);
        churn.broken = {};
    }
    churn.clock += 1.0f / 60.0f;
    SetClock(choose.OneIn(64) ? (choose.OneIn(3) ? -1.0f : choose.AnyFloat()) : churn.clock);
    SetFrameStep(choose.OneIn(128) ? choose.AnyFloat() : 1.0f / 60.0f);
    ChurnCamera(choose, SetViewMatrix);
    ChurnCamera(choose, SetViewProjMatrix);
    ChurnScene(churn, choose);
    ChurnActors(churn, choose);
    ListActors(churn, choose);
    if (!churn.population.empty() && choose.OneIn(300)) {
        churn.broken = BreakLink(everyHostLink[choose.Below(std::size(everyHostLink))]);
    }
    churn.deviceOn = churn.deviceOn != choose.OneIn(300);
    SetDevice(churn.deviceOn ? &device : nullptr);
    device.failCreateStateBlock = choose.OneIn(250);
    return choose.OneIn(500);
}
