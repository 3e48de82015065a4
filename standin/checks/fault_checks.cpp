#include "standin/checks/checks.h"

#include <iterator>
#include <malloc.h>

#include "standin/host/host_callee.h"
#include "standin/host/host_world.h"
#include "standin/host/module_loader.h"

namespace {

// A sane frame, captured: the first actor's bar is drawn.
int BarDrawn(HostScene& scene, Stage& stage, const char* name) {
    Capture c;
    const int failed = CaptureFrame(stage, scene, stageStep, &c);
    return failed + ExpectBar(name, c, BarPoint(scene, stage.actors[0]), expected::green);
}

// Every pointer the module follows, in turn, into freed memory, and last the camera's page
// unreadable (the module copies it with its own loads, before D3DX sees it): the game lives,
// and the first sane frame draws the bars again.
int UnreadableMemory(HostScene& scene, Stage& stage) {
    const char* const unreadable[] = {
        "an actor's stats",       "its position, 1st link", "its position, 2nd link",
        "its position, 3rd link", "a listed actor",         "the actor list",
        "the status object",      "the scene object",       "the UI object",
        "the UI inner object",    "a count past the list",  "the camera's page"};
    static_assert(std::size(unreadable) == std::size(everyHostLink) + 1, "a name for each");
    int failed = 0;
    for (std::size_t i = 0; i < std::size(unreadable); ++i) {
        int broken = 0;
        // More than one: the guard must take a fault on every frame, not the first only.
        for (int frame = 0; frame < 4; ++frame) {
            stage.clock += stageStep;
            PublishStage(stage, scene);
            const BrokenLink link =
                i < std::size(everyHostLink) ? BreakHostLink(everyHostLink[i]) : BreakHostCamera();
            const FrameResult r = RenderHostFrame(scene, {FrameCall::callSite, false, nullptr});
            broken += r.stateDifferences != 0 || !r.calleeReached;
            RestoreHostLink(link);
        }
        failed += Check(broken == 0, "%s unreadable: the game lives, its state and machine kept",
                        unreadable[i]);
        failed += BarDrawn(scene, stage, "  and the first sane frame has its bars");
    }
    return failed;
}

// A fault in the game's own code, during a frame call, is the game's to handle.
int GameFault(HostScene& scene, Stage& stage) {
    InstallHostFaultHandler();
    hostCallee.readFrom = FreedHostPage();
    const FrameResult r =
        AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, false, nullptr});
    hostCallee.readFrom = 0;
    return Check(r.calleeReached && hostCallee.faultsHandled == 1,
                 "the game's own fault reaches its handler: callee reached %d, handled %u",
                 r.calleeReached, hostCallee.faultsHandled);
}

// When the process ends the game's other threads are stopped wherever they were, so the
// module must free nothing, neither its frame state nor its runtime's tables. The C
// runtime's heap, which the module allocates from, is held meanwhile: only the module
// could change it.
int ProcessExit(HMODULE module) {
    const auto heap = reinterpret_cast<HANDLE>(_get_heap_handle());
    const auto busyBlocks = [heap] {
        PROCESS_HEAP_ENTRY entry = {};
        int busy = 0;
        while (HeapWalk(heap, &entry)) {
            busy += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0;
        }
        return busy;
    };
    HeapLock(heap);
    const int before = busyBlocks();
    NotifyProcessExit(module);
    const int after = busyBlocks();
    HeapUnlock(heap);
    return Check(before > 0 && after == before,
                 "the process ends: the module frees nothing: %d heap blocks before, %d after",
                 before, after);
}

} // namespace

int RunFaultChecks(HostScene& scene, HMODULE module) {
    Stage& stage = NewStage({StandingActor(6.0f, -2.0f, 0.0f), StandingActor(6.5f, 3.0f, 0.3f)});
    int failed = UnreadableMemory(scene, stage);
    failed += GameFault(scene, stage);
    failed += Check(FreeLibrary(module) != 0, "loader's FreeLibrary");
    failed += BarDrawn(scene, stage, "after FreeLibrary: bars still drawn");
    return failed + ProcessExit(module);
}
