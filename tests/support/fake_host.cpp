#include "tests/support/fake_host.h"

#include "host/host_game.h"

namespace fakehost {

void ResetHost() {
    ResetHostMemory();
    SetDevice(nullptr);
    SetScene(true);
    SetStatus(0.0f, 0);
    SetUiFlag(0);
    SetViewMatrix(Identity());
    SetViewProjMatrix(Identity());
    SetActorList({});
}

D3DXMATRIX Identity() {
    D3DXMATRIX m{};
    for (int i = 0; i < 4; ++i) {
        m.m[i][i] = 1.0f;
    }
    return m;
}

void SetClock(float seconds) {
    Write(hostlayout::clock, seconds);
}
void SetFrameStep(float seconds) {
    Write(hostlayout::frameStep, seconds);
}
void SetStatus(float level, std::uint32_t mode) {
    Write(hostlayout::statusPointer, statusObject);
    Write(statusObject + hostlayout::statusLevelOffset, level);
    Write(statusObject + hostlayout::statusModeOffset, mode);
}
void ClearStatus() {
    Write<HostAddress>(hostlayout::statusPointer, 0);
}
void SetScene(bool active) {
    Write(hostlayout::scenePointer, sceneObject);
    Write<std::uint32_t>(sceneObject + hostlayout::sceneActiveOffset, active ? 1 : 0);
}
void ClearScene() {
    Write<HostAddress>(hostlayout::scenePointer, 0);
}
void SetUiFlag(std::uint8_t flag) {
    Write(hostlayout::uiRootPointer, uiRootObject);
    Write(uiRootObject + hostlayout::uiInnerOffset, uiInnerObject);
    Write(uiInnerObject + hostlayout::uiFlagOffset, flag);
}
void ClearUiRoot() {
    Write<HostAddress>(hostlayout::uiRootPointer, 0);
}
void SetViewMatrix(const D3DXMATRIX& m) {
    Write(hostlayout::viewMatrix, m);
}
void SetViewProjMatrix(const D3DXMATRIX& m) {
    Write(hostlayout::viewProjMatrix, m);
}

void WriteActor(const Actor& actor) {
    const HostAddress a = actor.address;
    const HostAddress stats = a + 0x200, link1 = a + 0x300, link2 = a + 0x400, holder = a + 0x500;
    Write(a + hostlayout::actorKindOffset, actor.kind);
    Write(a + hostlayout::actorEngagedOffset, actor.engaged);
    Write<HostAddress>(a + hostlayout::actorStatsOffset, actor.hasStats ? stats : 0);
    Write(stats + hostlayout::damageRatioOffset, actor.damageRatio);
    Write(a - hostlayout::actorPositionRootOffset, link1);
    Write(link1 + hostlayout::positionLink1Offset, link2);
    Write(link2 + hostlayout::positionLink2Offset, holder);
    WriteHostMemory(holder + hostlayout::positionOffset, actor.position, sizeof actor.position);
}

void SetActorList(const std::vector<HostAddress>& addresses) {
    Write(hostlayout::actorListPointer, actorArray);
    WriteHostMemory(actorArray, addresses.data(), addresses.size() * sizeof(HostAddress));
    SetActorCount(static_cast<std::int32_t>(addresses.size()));
}

void SetActorCount(std::int32_t count) {
    Write(hostlayout::actorCount, count);
}

void SetActors(const std::vector<Actor>& actors) {
    std::vector<HostAddress> addresses;
    for (const Actor& actor : actors) {
        WriteActor(actor);
        addresses.push_back(actor.address);
    }
    SetActorList(addresses);
}

void SetDevice(IDirect3DDevice9* device) {
    nativeHostDevice = device;
    Write<HostAddress>(hostlayout::devicePointer, device != nullptr ? 1 : 0);
}

} // namespace fakehost
