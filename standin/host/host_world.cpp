#include "standin/host/host_world.h"

#include "standin/host/game_layout.h"
#include "standin/host/host_memory_write.h"

namespace {

// The pointer chain of an actor's position: actor - 0x34 -> root, root + 0x30 -> link,
// link + 0 -> holder, holder + 0x10 = float[3].
struct ActorObject {
    alignas(16) unsigned char bytes[0x100];
    unsigned char root[0x40];
    unsigned char link[0x10];
    unsigned char holder[0x20];
    unsigned char stats[0x40];
};
constexpr HostAddress actorBase = 0x40; // the actor's address within its object

ActorObject actors[maxHostActors];
HostAddress actorList[maxHostActors];
unsigned char statusObject[0x40];
unsigned char sceneObject[0x140];
unsigned char uiRoot[0x20];
unsigned char uiInner[0x50];

HostAddress ActorAddress(int slot) {
    return AddressOf(actors[slot].bytes) + actorBase;
}

} // namespace

void PlaceHostObjects() {
    for (int slot = 0; slot < maxHostActors; ++slot) {
        ActorObject& object = actors[slot];
        WriteHost(ActorAddress(slot) - game::positionRoot, AddressOf(object.root));
        WriteHost(AddressOf(object.root) + game::positionLink, AddressOf(object.link));
        WriteHost(AddressOf(object.link) + game::positionHolder, AddressOf(object.holder));
    }
    WriteHost(game::actorList, AddressOf(actorList));
    WriteHost(game::actorCount, std::int32_t{0});
    // As in play: the status at level 1 in mode 3, the UI's flag clear, the scene active.
    SetHostStatus(true, 1.0f, 3);
    SetHostSceneActive(true);
    SetHostUiFlag(0);
    SetHostClock(0.0f, 0.0f);
}

void SetHostClock(float seconds, float step) {
    WriteHost(game::clock, seconds);
    WriteHost(game::frameStep, step);
}

void SetHostStatus(bool present, float level, std::uint32_t mode) {
    WriteHost(AddressOf(statusObject) + game::statusLevel, level);
    WriteHost(AddressOf(statusObject) + game::statusMode, mode);
    WriteHost(game::status, present ? AddressOf(statusObject) : HostAddress{0});
}

void SetHostSceneActive(bool active) {
    WriteHost(AddressOf(sceneObject) + game::sceneActive, std::uint32_t{active ? 1U : 0U});
    WriteHost(game::scene, AddressOf(sceneObject));
}

void SetHostUiFlag(std::uint8_t flag) {
    WriteHost(AddressOf(uiInner) + game::uiFlag, flag);
    WriteHost(AddressOf(uiRoot) + game::uiInner, AddressOf(uiInner));
    WriteHost(game::uiRoot, AddressOf(uiRoot));
}

void SetHostDevice(IDirect3DDevice9* device) {
    WriteHost(game::device, AddressOf(device));
}

void SetHostMatrices(const float (&view)[4][4], const float (&viewProj)[4][4]) {
    WriteHost(game::viewMatrix, view);
    WriteHost(game::viewProjMatrix, viewProj);
}

void WriteHostActor(int slot, const ActorSpec& actor) {
    ActorObject& object = actors[slot];
    const HostAddress address = ActorAddress(slot);
    WriteHost(address + game::kind, actor.kind);
    WriteHost(address + game::engaged, std::uint32_t{actor.engaged ? 1U : 0U});
    WriteHost(AddressOf(object.stats) + game::damageRatio, actor.damageRatio);
    WriteHost(address + game::stats, actor.hasStats ? AddressOf(object.stats) : 0U);
    WriteHost(AddressOf(object.holder) + game::position, actor.position);
}

void WriteHostActorList(const int* slots, int count) {
    for (int i = 0; i < count; ++i) {
        actorList[i] = ActorAddress(slots[i]);
    }
    WriteHost(game::actorCount, std::int32_t{count});
}

HostAddress FreedHostPage() {
    // The first 64 KiB of a Windows process are never mapped. Memory the game has freed is
    // often only reserved, but a read of a reserved page takes qemu's user-mode emulator
    // down before Wine sees the fault, where the game's process on Windows or plain Wine
    // gets it as any other: these pages fault the same way on every machine the tests run on.
    return 0x00008000;
}

BrokenLink BreakHostLink(HostLink link) {
    const HostAddress at = LinkWord(link);
    const BrokenLink broken = {at, ReadHost<HostAddress>(at), 0};
    // Past the listed actors lie zeros, which the module takes for actors at address 0, and
    // actors listed before.
    WriteHost(at, link == HostLink::countPastList ? broken.was + 1000 : FreedHostPage());
    return broken;
}

// Both matrices lie in one page: the module reads neither while it is unreadable.
static_assert(game::viewMatrix / 0x1000 == (game::viewProjMatrix + 63) / 0x1000, "one page");

BrokenLink BreakHostCamera() {
    BrokenLink broken = {game::viewMatrix, 0, 0};
    VirtualProtect(HostBytes(game::viewMatrix), 1, PAGE_NOACCESS, &broken.protection);
    return broken;
}

void RestoreHostLink(const BrokenLink& broken) {
    if (broken.protection != 0) {
        DWORD ignored;
        VirtualProtect(HostBytes(broken.at), 1, broken.protection, &ignored);
    } else {
        WriteHost(broken.at, broken.was);
    }
}
