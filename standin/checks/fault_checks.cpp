#include "standin/checks/checks.h"

#include <cmath>
#include <cstdint>
#include <iterator>
#include <malloc.h>

#include "host/host_layout.h"
#include "standin/checks/frame_capture.h"
#include "standin/host/host_callee.h"
#include "standin/host/host_world.h"

namespace {

constexpr int faultFrames = 4;

// Frames under whatever fault is set, then one captured: every one keeps the host's device
// state and reaches its callee, and the captured one shows the first actor's bar, or no
// bar at all.
int UnderFault(HostScene& scene, Stage& stage, const char* name, bool barShown,
               int frames = faultFrames) {
    int broken = 0;
    for (int frame = 0; frame < frames; ++frame) {
        const FrameResult r =
            AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, false, nullptr});
        broken += r.stateDifferences != 0 || !r.calleeReached;
    }
    Capture c;
    broken += !CaptureFrame(stage, scene, stageStep, &c) || c.framed.stateDifferences != 0 ||
              !c.framed.calleeReached;
    const ScreenPoint at = BarPoint(scene, stage.actors[0]);
    return Check(broken == 0, "frames drawn, state kept, callee reached") +
           (barShown ? ExpectBar(name, c, at, expected::green)
                     : ExpectOnlyBarsChanged(name, scene, c, nullptr));
}

// Frames on which `breakMemory` leaves the game's memory unreadable where the module reads
// it, until `restore`: the module's frame ends at its faulting read, the game's process
// lives, its callee is reached with its registers and stack, its device state is kept, and
// the first sane frame draws the bars again.
template <class Break, class Restore>
int BrokenFrames(HostScene& scene, Stage& stage, const char* what, Break breakMemory,
                 Restore restore) {
    int broken = 0;
    for (int frame = 0; frame < faultFrames; ++frame) {
        stage.clock += stageStep;
        PublishStage(stage, scene);
        const auto undo = breakMemory();
        const FrameResult r = RenderHostFrame(scene, {FrameCall::callSite, false, nullptr});
        broken += r.stateDifferences != 0 || !r.calleeReached;
        broken += frame == 0 ? ProbeFrameCall(0xC0FFEE00U, 4) : 0;
        restore(undo);
    }
    return CheckDetail(broken == 0, "unreadable memory: the game lives, its state kept", "%s",
                       what) +
           UnderFault(scene, stage, "  and the first sane frame has its bars", true, 0);
}

// Every pointer the module follows, in turn, into freed memory; then the camera's own page
// unreadable, which the module copies with its own loads before D3DX sees it.
int UnreadableMemory(HostScene& scene, Stage& stage) {
    const char* const freed[] = {
        "an actor's stats",       "its position, 1st link", "its position, 2nd link",
        "its position, 3rd link", "a listed actor",         "the actor list",
        "the status object",      "the scene object",       "the UI object",
        "the UI inner object",    "a count past the list"};
    static_assert(std::size(freed) == std::size(everyHostLink), "a name for each link, in order");
    int failed = 0;
    for (std::size_t i = 0; i < std::size(everyHostLink); ++i) {
        failed += BrokenFrames(
            scene, stage, freed[i], [&] { return BreakHostLink(everyHostLink[i]); },
            RestoreHostLink);
    }
    void* const camera = HostBytes(hostlayout::viewMatrix);
    return failed + BrokenFrames(
                        scene, stage, "the camera's page",
                        [&] {
                            DWORD was = 0;
                            VirtualProtect(camera, sizeof(D3DXMATRIX), PAGE_NOACCESS, &was);
                            return was;
                        },
                        [&](DWORD was) { VirtualProtect(camera, sizeof(D3DXMATRIX), was, &was); });
}

// Damage ratios of -inf and -3e38 leave a health whose fill edge lies at infinity: no bar
// at all, and the game's frame as it was. Each actor alone in the list, since a trail once
// at infinity stays there.
int UnplaceableHealth(HostScene& scene, Stage& stage) {
    const float damage[] = {-INFINITY, -3e38f};
    const char* const names[] = {"damage -inf: no bar drawn", "damage -3e38: no bar drawn"};
    int failed = 0;
    for (int i = 0; i < 2; ++i) {
        stage.actors[i].damage = damage[i];
        stage.actors[i].listed = true;
        stage.actors[1 - i].listed = false;
        failed += UnderFault(scene, stage, names[i], false);
    }
    return failed;
}

// A fault in the game's own code, during a frame call, is the game's to handle.
int GameFault(HostScene& scene, Stage& stage) {
    InstallHostFaultHandler();
    hostCallee.readFrom = FreedHostPage();
    const std::uint32_t handled = hostCallee.faultsHandled;
    const FrameResult r =
        AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, false, nullptr});
    hostCallee.readFrom = 0;
    return CheckDetail(r.calleeReached && hostCallee.faultsHandled == handled + 1,
                       "a fault in the game's callee reaches the game's handler",
                       "callee reached %d, handled %u", r.calleeReached,
                       hostCallee.faultsHandled - handled);
}

int BusyHeapBlocks(HANDLE heap) {
    PROCESS_HEAP_ENTRY entry = {};
    int busy = 0;
    while (HeapWalk(heap, &entry)) {
        busy += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0;
    }
    return busy;
}

// The loader's word that the process is ending, as Windows sends it to the module's entry
// point: by then the game's other threads are stopped wherever they were, so the module
// must free nothing, neither its frame state nor its runtime's tables. The C runtime's heap,
// which the module allocates from, is held meanwhile, so that only the module could change it.
int ProcessExit(HMODULE module) {
    const auto base = reinterpret_cast<std::uintptr_t>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    using Entry = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID);
    const auto entry = reinterpret_cast<Entry>(base + nt->OptionalHeader.AddressOfEntryPoint);
    const auto heap = reinterpret_cast<HANDLE>(_get_heap_handle());
    HeapLock(heap);
    const int before = BusyHeapBlocks(heap);
    entry(module, DLL_PROCESS_DETACH, reinterpret_cast<LPVOID>(1));
    const int after = BusyHeapBlocks(heap);
    HeapUnlock(heap);
    return CheckDetail(before > 0 && after == before, "the process ends: the module frees nothing",
                       "%d heap blocks before, %d after", before, after);
}

} // namespace

int RunFaultChecks(HostScene& scene, HMODULE module) {
    Stage& stage = NewStage({StandingActor(6.0f, -2.0f, 0.0f), StandingActor(6.5f, 3.0f, 0.3f)});
    int failed = UnderFault(scene, stage, "bars drawn before any fault", true);
    failed += UnreadableMemory(scene, stage);
    failed += GameFault(scene, stage);
    failed += Check(FreeLibrary(module) != 0, "loader's FreeLibrary");
    failed += UnderFault(scene, stage, "after FreeLibrary: bars still drawn", true);
    failed += UnplaceableHealth(scene, stage);
    return failed + ProcessExit(module);
}
