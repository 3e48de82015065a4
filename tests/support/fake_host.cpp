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
    Write(game::viewMatrix, identity);
    Write(game::viewProjMatrix, identity);
    SetActorList({});
}

void SetStatus(float level, std::uint32_t mode) {
    Write(game::status, statusObject);
    Write(statusObject + game::statusLevel, level);
    Write(statusObject + game::statusMode, mode);
}
void SetScene(std::uint32_t activeFlag) {
    Write(game::scene, sceneObject);
    Write(sceneObject + game::sceneActive, activeFlag);
}
void SetUiFlag(std::uint8_t flag) {
    Write(game::uiRoot, uiRootObject);
    Write(uiInnerPointer, uiInnerObject);
    Write(uiInnerObject + game::uiFlag, flag);
}

void WriteActor(const Actor& actor) {
    const HostAddress a = actor.address;
    const HostAddress stats = a + 0x200, link1 = a + 0x300, link2 = a + 0x400, holder = a + 0x500;
    Write(a + game::kind, actor.kind);
    Write(a + game::engaged, actor.engaged);
    Write<HostAddress>(a + game::stats, actor.hasStats ? stats : 0);
    Write(stats + game::damageRatio, actor.damageRatio);
    Write(a - game::positionRoot, link1);
    Write(link1 + game::positionLink, link2);
    Write(link2 + game::positionHolder, holder);
    WriteHostMemory(holder + game::position, actor.position, sizeof actor.position);
}

void SetActorList(const std::vector<HostAddress>& addresses) {
    const HostAddress list = unmappedPage - HostAddress(addresses.size() * sizeof(HostAddress));
    Write(game::actorList, list);
    WriteHostMemory(list, addresses.data(), addresses.size() * sizeof(HostAddress));
    Write(game::actorCount, static_cast<std::int32_t>(addresses.size()));
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
    Write<HostAddress>(game::device, device != nullptr ? 1 : 0);
}

// The list ends where the freed page begins: one more in its count runs into it.
std::pair<HostAddress, HostAddress> BreakLink(HostLink link) {
    const HostAddress at = LinkWord(link), was = ReadHost<HostAddress>(at);
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
