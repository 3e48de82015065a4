#include "tests/support/fake_host.h"

#include <csetjmp>
#include <csignal>

#include "host/host_game.h"

namespace fakehost {

void ResetHost() {
    ResetHostMemory(unmappedPage);
    SetDevice(nullptr);
    SetScene(1);
    SetStatus(0.0f, 0);
    SetUiFlag(0);
    Write(viewMatrix, identity);
    Write(viewProjMatrix, identity);
    SetActorList({});
}

void SetStatus(float level, std::uint32_t mode) {
    Write(statusPointer, statusObject);
    Write(statusObject + 0x24, level);
    Write(statusObject + 0x2C, mode);
}
void SetScene(std::uint32_t activeFlag) {
    Write(scenePointer, sceneObject);
    Write(sceneObject + 0x130, activeFlag);
}
void SetUiFlag(std::uint8_t flag) {
    Write(uiRootPointer, uiRootObject);
    Write(uiInnerPointer, uiInnerObject);
    Write(uiInnerObject + 0x47, flag);
}

void WriteActor(const Actor& actor) {
    const HostAddress a = actor.address;
    const HostAddress stats = a + 0x200, link1 = a + 0x300, link2 = a + 0x400, holder = a + 0x500;
    Write(a + 0x6C, actor.kind);
    Write(a + 0x84, actor.engaged);
    Write<HostAddress>(a + 0x4C, actor.hasStats ? stats : 0);
    Write(stats + 0x3C, actor.damageRatio);
    Write(a - 0x34, link1);
    Write(link1 + 0x30, link2);
    Write(link2, holder);
    WriteHostMemory(holder + 0x10, actor.position, sizeof actor.position);
}

void SetActorList(const std::vector<HostAddress>& addresses) {
    const HostAddress list = unmappedPage - HostAddress(addresses.size() * sizeof(HostAddress));
    Write(actorList, list);
    WriteHostMemory(list, addresses.data(), addresses.size() * sizeof(HostAddress));
    Write(actorCount, static_cast<std::int32_t>(addresses.size()));
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
    Write<HostAddress>(devicePointer, device != nullptr ? 1 : 0);
}

std::pair<HostAddress, HostAddress> BreakLink(HostLink link) {
    const HostAddress list = ReadHost<HostAddress>(actorList);
    const HostAddress actor = ReadHost<HostAddress>(list);
    const HostAddress root = ReadHost<HostAddress>(actor - 0x34);
    // Where each link's word lies, in the order of HostLink. The list ends where the freed
    // page begins: one more in its count runs into it.
    const HostAddress words[] = {
        actor + 0x4C,  actor - 0x34,   root + 0x30,   ReadHost<HostAddress>(root + 0x30),
        list,          actorList,      statusPointer, scenePointer,
        uiRootPointer, uiInnerPointer, actorCount};
    const HostAddress at = words[int(link)], was = ReadHost<HostAddress>(at);
    Write(at, link == HostLink::countPastList ? was + 1 : unmappedPage);
    return {at, was};
}

namespace {
sigjmp_buf* guardedFrame = nullptr;
struct sigaction notOurs;

// A fault outside a guarded frame is not ours: the handler there before (the sanitizer's or
// the fuzzer's) takes it when the faulting read runs again.
void OnFault(int signal, siginfo_t*, void*) {
    if (sigjmp_buf* resume = guardedFrame) {
        guardedFrame = nullptr;
        siglongjmp(*resume, 1);
    }
    sigaction(signal, &notOurs, nullptr);
}
} // namespace

bool DrawGuardedFrame(FrameState& frame) {
    [[maybe_unused]] static const int installed = [] {
        struct sigaction onFault = {};
        onFault.sa_sigaction = OnFault;
        onFault.sa_flags = SA_SIGINFO | SA_NODEFER;
        return sigaction(SIGSEGV, &onFault, &notOurs);
    }();
    sigjmp_buf resume;
    if (sigsetjmp(resume, 1) != 0) {
        EndFaultedFrame(frame);
        return false;
    }
    guardedFrame = &resume;
    DrawActorBars(frame);
    guardedFrame = nullptr;
    return true;
}

} // namespace fakehost
