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
        limits::quiet_NaN(), limits::infinity(),  -limits::infinity(), 0.0f, -0.0f, 1.0f, -1.0f,
        limits::max(),       limits::denorm_min()};
    const std::uint32_t pick = Below(12);
    if (pick < std::size(special)) {
        return special[pick];
    }
    if (pick == 9) {
        return Between(-200.0f, 200.0f);
    }
    const std::uint32_t bits = Next() << 16 | Next();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

namespace {

// Usually plausible, one time in `wild` anything.
float Plausible(Choices& choose, std::uint32_t wild, float lo, float hi) {
    return choose.OneIn(wild) ? choose.AnyFloat() : choose.Between(lo, hi);
}

D3DXMATRIX AnyCamera(Choices& choose) {
    D3DXMATRIX m = Identity();
    switch (choose.Below(4)) {
    case 0:
        return D3DXMATRIX{}; // singular
    case 1:
        m.m[3][2] = Plausible(choose, 4, -20.0f, 20.0f);
        return m;
    case 2:
        m.m[choose.Below(4)][choose.Below(4)] = choose.AnyFloat();
        return m;
    default:
        return m;
    }
}

void ChangeActor(Choices& choose, Actor& actor) {
    switch (choose.Below(8)) {
    case 0:
        actor.damageRatio = std::min(1.0f, actor.damageRatio + choose.Between(0.0f, 0.4f));
        break;
    case 1:
        actor.damageRatio = choose.OneIn(2) ? 1.0f : Plausible(choose, 3, -0.5f, 1.5f);
        break;
    case 2:
        actor.damageRatio = choose.Between(0.0f, 0.3f); // healed or revived
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
        actor.position[choose.Below(3)] += Plausible(choose, 16, -2.0f, 2.0f);
        break;
    }
    WriteActor(actor);
}

void ChurnActors(HostChurn& churn, Choices& choose) {
    auto& population = churn.population;
    const std::uint32_t leaving = choose.OneIn(50) ? choose.Below(6) : choose.OneIn(4);
    for (std::uint32_t i = 0; i < leaving && !population.empty(); ++i) {
        const auto at = population.begin() + choose.Below(std::uint32_t(population.size()));
        churn.departed.push_back(at->address);
        population.erase(at);
    }
    if (churn.departed.size() > 64) {
        churn.departed.erase(churn.departed.begin(), churn.departed.begin() + 32);
    }
    const std::uint32_t arriving = choose.OneIn(50) ? choose.Below(6) : choose.OneIn(4);
    for (std::uint32_t i = 0; i < arriving && population.size() < churn.maxPopulation; ++i) {
        HostAddress address = ActorAt(churn.nextSlot);
        if (!churn.departed.empty() && choose.OneIn(2)) {
            const auto at =
                churn.departed.begin() + choose.Below(std::uint32_t(churn.departed.size()));
            address = *at;
            churn.departed.erase(at);
        } else {
            churn.nextSlot = (churn.nextSlot + 1) % churn.addressSlots;
        }
        if (std::none_of(population.begin(), population.end(),
                         [&](const Actor& a) { return a.address == address; })) {
            Actor actor{address, choose.Between(0.0f, 0.5f)};
            // Depth is y + 1.15 through the identity camera: some outside the fade window.
            actor.position[0] = choose.Between(-40.0f, 40.0f);
            actor.position[1] = choose.Between(-10.0f, 120.0f);
            actor.position[2] = choose.Between(-40.0f, 40.0f);
            population.push_back(actor);
            WriteActor(actor);
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

void ListActors(HostChurn& churn, Choices& choose) {
    if (churn.emptyListFramesLeft > 0) {
        --churn.emptyListFramesLeft;
        SetActorCount(choose.OneIn(2) ? 0 : choose.OneIn(2) ? -1 : INT32_MIN);
        return;
    }
    churn.emptyListFramesLeft = choose.OneIn(2000) ? int(choose.Below(20)) : 0;
    std::vector<HostAddress> list;
    for (const Actor& actor : churn.population) {
        list.push_back(actor.address);
    }
    if (!list.empty() && choose.OneIn(100)) {
        list.push_back(list[choose.Below(std::uint32_t(list.size()))]); // listed twice
    }
    SetActorList(list);
    if (!list.empty() && choose.OneIn(200)) {
        SetActorCount(std::int32_t(choose.Below(std::uint32_t(list.size())))); // a prefix
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
        choose.OneIn(2) ? ClearScene() : SetScene(false);
    } else {
        SetScene(true);
    }
    // The UI flag now and then, and mode 3 now and then, set and clear the latch.
    if (choose.OneIn(100)) {
        choose.OneIn(4) ? ClearUiRoot() : SetUiFlag(choose.OneIn(2));
    }
    if (choose.OneIn(300)) {
        Write<HostAddress>(uiRootObject + hostlayout::uiInnerOffset, 0);
    }
    if (choose.OneIn(64)) {
        ClearStatus();
    } else {
        SetStatus(Plausible(choose, 32, 0.0f, 2.0f), choose.OneIn(50) ? 3 : choose.Below(2));
    }
}

} // namespace

bool ChurnHost(HostChurn& churn, Choices& choose, FakeDevice& device) {
    churn.clock += 1.0f / 60.0f;
    SetClock(choose.OneIn(64) ? (choose.OneIn(3) ? -1.0f : choose.AnyFloat()) : churn.clock);
    SetFrameStep(choose.OneIn(128) ? choose.AnyFloat() : 1.0f / 60.0f);
    if (choose.OneIn(256)) {
        SetViewMatrix(AnyCamera(choose));
    }
    if (choose.OneIn(256)) {
        SetViewProjMatrix(AnyCamera(choose));
    }
    ChurnScene(churn, choose);
    ChurnActors(churn, choose);
    ListActors(churn, choose);
    if (choose.OneIn(300)) {
        churn.deviceOn = !churn.deviceOn;
    }
    SetDevice(churn.deviceOn ? &device : nullptr);
    device.failCreateStateBlock = choose.OneIn(250);
    return choose.OneIn(500);
}
