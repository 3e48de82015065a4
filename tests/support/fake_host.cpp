#include "tests/support/fake_host.h"

#include <csetjmp>
#include <csignal>

#include "host/host_game.h"

namespace fakehost {

namespace {
// The game's layout, written out here and not taken from host/host_layout.h: a fake host
// that wrote through the module's own constants would let a wrong one there pass.
constexpr HostAddress clock = 0x9885D8, statusPointer = 0x9885E0, viewMatrix = 0x9842D0;
constexpr HostAddress viewProjMatrix = 0x984350, scenePointer = 0x993CC8, frameStep = 0x9259BC;
constexpr HostAddress uiRootPointer = 0x91CF90, actorCount = 0x92CEA4, actorList = 0x92CE9C;
constexpr HostAddress devicePointer = 0x982BDC;
} // namespace

void ResetHost() {
    ResetHostMemory();
    UnmapHostPage(unmappedPage);
    SetDevice(nullptr);
    SetScene(1);
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
    Write(clock, seconds);
}
void SetFrameStep(float seconds) {
    Write(frameStep, seconds);
}
void SetStatus(float level, std::uint32_t mode) {
    Write(statusPointer, statusObject);
    Write(statusObject + 0x24, level);
    Write(statusObject + 0x2C, mode);
}
void ClearStatus() {
    Write<HostAddress>(statusPointer, 0);
}
void SetScene(std::uint32_t activeFlag) {
    Write(scenePointer, sceneObject);
    Write(sceneObject + 0x130, activeFlag);
}
void ClearScene() {
    Write<HostAddress>(scenePointer, 0);
}
void SetUiFlag(std::uint8_t flag) {
    Write(uiRootPointer, uiRootObject);
    Write(uiRootObject + 0x10, uiInnerObject);
    Write(uiInnerObject + 0x47, flag);
}
void ClearUiRoot() {
    Write<HostAddress>(uiRootPointer, 0);
}
void ClearUiInner() {
    Write<HostAddress>(uiRootObject + 0x10, 0);
}
void SetViewMatrix(const D3DXMATRIX& m) {
    Write(viewMatrix, m);
}
void SetViewProjMatrix(const D3DXMATRIX& m) {
    Write(viewProjMatrix, m);
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
    Write(actorList, actorArray);
    WriteHostMemory(actorArray, addresses.data(), addresses.size() * sizeof(HostAddress));
    SetActorCount(static_cast<std::int32_t>(addresses.size()));
}

void SetActorCount(std::int32_t count) {
    Write(actorCount, count);
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
    const auto count = ReadHost<std::int32_t>(actorCount);
    // Where each link's word lies, in the order of HostLink.
    const HostAddress words[] = {actor + 0x4C,  actor - 0x34,
                                 root + 0x30,   ReadHost<HostAddress>(root + 0x30),
                                 list,          actorList,
                                 statusPointer, scenePointer,
                                 uiRootPointer, ReadHost<HostAddress>(uiRootPointer) + 0x10,
                                 actorList};
    const HostAddress at = words[int(link)];
    const std::pair<HostAddress, HostAddress> broken = {at, ReadHost<HostAddress>(at)};
    HostAddress to = unmappedPage;
    if (link == HostLink::countPastList) {
        // The list moved to end where the freed page begins, and counted on into it.
        to -= 4 * HostAddress(count);
        for (std::int32_t i = 0; i < count; ++i) {
            Write(to + 4 * HostAddress(i), ReadHost<HostAddress>(list + 4 * HostAddress(i)));
        }
        Write(actorCount, count + 1000);
    }
    Write(at, to);
    return broken;
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
    static const int installed = [] {
        struct sigaction onFault = {};
        onFault.sa_sigaction = OnFault;
        onFault.sa_flags = SA_SIGINFO | SA_NODEFER;
        return sigaction(SIGSEGV, &onFault, &notOurs);
    }();
    (void)installed;
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
