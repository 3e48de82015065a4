#include "standin/checks/checks.h"

#include <cstdio>

#include "standin/checks/frame_capture.h"
#include "standin/host/host_callee.h"
#include "standin/host/host_world.h"

namespace {

// Makes the device's CreateStateBlock fail, as a device short of memory would, by swapping
// that one slot of the device's method table, whose place the COM ABI fixes.
constexpr int createStateBlockSlot = 59;

void* savedMethod = nullptr;
int failedCreations = 0;

HRESULT STDMETHODCALLTYPE FailingCreateStateBlock(IDirect3DDevice9*, D3DSTATEBLOCKTYPE,
                                                  IDirect3DStateBlock9** block) {
    ++failedCreations;
    if (block != nullptr) {
        *block = nullptr;
    }
    return D3DERR_OUTOFVIDEOMEMORY;
}

void** MethodSlot(IDirect3DDevice9* device) {
    return *reinterpret_cast<void***>(device) + createStateBlockSlot;
}

bool WriteSlot(void** slot, void* method) {
    DWORD old;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) {
        return false;
    }
    *slot = method;
    DWORD ignored;
    VirtualProtect(slot, sizeof *slot, old, &ignored);
    return true;
}

void RestoreCreateStateBlock(IDirect3DDevice9* device) {
    if (savedMethod != nullptr) {
        WriteSlot(MethodSlot(device), savedMethod);
        savedMethod = nullptr;
    }
}

bool BreakCreateStateBlock(IDirect3DDevice9* device) {
    void** slot = MethodSlot(device);
    savedMethod = *slot;
    if (!WriteSlot(slot, reinterpret_cast<void*>(&FailingCreateStateBlock))) {
        savedMethod = nullptr;
        return false;
    }
    // A call through the interface must now land here, or the slot was the wrong one.
    const int before = failedCreations;
    IDirect3DStateBlock9* block = nullptr;
    device->CreateStateBlock(D3DSBT_ALL, &block);
    if (failedCreations != before + 1) {
        RestoreCreateStateBlock(device);
        if (block != nullptr) {
            block->Release();
        }
        return false;
    }
    failedCreations = before;
    return true;
}

constexpr int faultFrames = 4;

void SetUpStage(Stage& stage) {
    stage = {};
    stage.actors[0] = StandingActor(6.0f, -2.0f, 0.0f);
    stage.actors[1] = StandingActor(6.5f, 3.0f, 0.3f);
    stage.count = 2;
}

// A few frames under the fault, then one captured: the host's state and callee are intact.
int FramesUnderFault(HostScene& scene, Stage& stage, Capture* c) {
    int failed = 0;
    for (int frame = 0; frame < faultFrames; ++frame) {
        const FrameResult r =
            AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, false, nullptr});
        failed += r.stateDifferences != 0 || !r.calleeReached;
    }
    failed += !CaptureFrame(stage, scene, stageStep, c);
    return Check(failed == 0, "frames run, state kept, callee reached") + ExpectStateKept(*c);
}

int ExpectBarsBack(HostScene& scene, Stage& stage, const char* name) {
    Capture c;
    int failed = FramesUnderFault(scene, stage, &c);
    failed += ExpectBar(name, c, BarPoint(scene, stage.actors[0], 0.5f, 0), expected::green);
    return failed;
}

int NullDevice(HostScene& scene, Stage& stage) {
    Capture c;
    SetHostDevice(nullptr);
    int failed = FramesUnderFault(scene, stage, &c);
    failed += ExpectUnchanged("null device pointer: no bar drawn", c,
                              BarPoint(scene, stage.actors[0], 0.5f, 0));
    SetHostDevice(scene.device);
    return failed + ExpectBarsBack(scene, stage, "device back: bars back");
}

int FailingStateBlock(HostScene& scene, Stage& stage) {
    if (Check(BreakCreateStateBlock(scene.device), "CreateStateBlock made to fail") != 0) {
        return 1;
    }
    Capture c;
    int failed = FramesUnderFault(scene, stage, &c);
    failed += Check(failedCreations > 0, "the module asked for a state block");
    // Nothing could restore the host's state, so nothing may be drawn.
    failed += ExpectUnchanged("no state block: no bar drawn", c,
                              BarPoint(scene, stage.actors[0], 0.5f, 0));
    RestoreCreateStateBlock(scene.device);
    return failed + ExpectBarsBack(scene, stage, "state blocks back: bars back");
}

int MissingHostObjects(HostScene& scene, Stage& stage) {
    SetHostStatus(false, 0.0f, 0);
    SetHostUiFlag(false, 0);
    const int failed = ExpectBarsBack(scene, stage, "status and UI pointers null: bars drawn");
    SetHostStatus(true, 1.0f, 3);
    SetHostUiFlag(true, 0);
    return failed;
}

// Under qemu's user-mode emulator (where the kernel cannot run 32-bit code) Wine does not
// resume a thread from an exception handler: the context a handler changes is not taken up
// and the read faults again, or, left by a jump, the thread's signals stay blocked. Neither
// the module's handler nor the game's can work there, so these checks say they are skipped
// and run wherever 32-bit code runs natively (scripts/with-wine.sh sets the variable).
bool HandlersCanResume() {
    if (GetEnvironmentVariableA("ACTORBARS_EMULATED", nullptr, 0) == 0) {
        return true;
    }
    std::printf("skip faults the module or the game must resume from: Wine under qemu cannot\n");
    return false;
}

// A frame of the module ends at once when its read of the game's memory faults: the game's
// process lives, its callee is reached with its registers and stack, its device state is
// kept, and the first sane frame draws the bars again.
int FreedMemory(HostScene& scene, Stage& stage) {
    const struct {
        HostLink link;
        const char* name;
    } links[] = {
        {HostLink::actorStats, "an actor's stats"},
        {HostLink::positionRoot, "the first link to an actor's position"},
        {HostLink::positionLink, "the second link to an actor's position"},
        {HostLink::positionHolder, "the third link to an actor's position"},
        {HostLink::listedActor, "an actor in the list"},
        {HostLink::list, "the actor list"},
        {HostLink::countPastList, "a count running past the list"},
        {HostLink::status, "the status object"},
        {HostLink::scene, "the scene object"},
        {HostLink::uiRoot, "the UI object"},
        {HostLink::uiInner, "the UI chain's inner object"},
    };
    int failed = 0;
    for (const auto& freed : links) {
        int broken = 0;
        for (int frame = 0; frame < faultFrames; ++frame) {
            stage.clock += stageStep;
            PublishStage(stage, scene);
            const BrokenLink link = BreakHostLink(freed.link);
            const FrameResult r = RenderHostFrame(scene, {FrameCall::callSite, false, nullptr});
            broken += r.stateDifferences != 0 || !r.calleeReached;
            broken += frame == 0 ? ProbeFrameCall(0xC0FFEE00U, 4) : 0;
            RestoreHostLink(link);
        }
        failed += CheckDetail(broken == 0, "freed memory: the game lives, its state kept", "%s",
                              freed.name);
        Capture c;
        failed += Check(CaptureFrame(stage, scene, stageStep, &c), "the first sane frame") +
                  ExpectStateKept(c);
        failed += ExpectBar("  and its bars are back", c, BarPoint(scene, stage.actors[0], 0.5f, 0),
                            expected::green);
    }
    return failed;
}

// A fault in the game's own code, during a frame call, is the game's to handle.
int GameFault(HostScene& scene, Stage& stage) {
    InstallHostFaultHandler();
    hostCallee.readFrom = FreedHostPage();
    const std::uint32_t handled = hostCallee.faultsHandled;
    stage.clock += stageStep;
    PublishStage(stage, scene);
    const FrameResult r = RenderHostFrame(scene, {FrameCall::callSite, false, nullptr});
    hostCallee.readFrom = 0;
    return CheckDetail(r.calleeReached && hostCallee.faultsHandled == handled + 1,
                       "a fault in the game's callee reaches the game's handler",
                       "callee reached %d, handled %u", r.calleeReached,
                       hostCallee.faultsHandled - handled);
}

int Unloaded(HostScene& scene, Stage& stage, HMODULE module) {
    int failed = Check(module != nullptr && FreeLibrary(module) != 0, "loader's FreeLibrary");
    return failed + ExpectBarsBack(scene, stage, "after FreeLibrary: bars still drawn");
}

} // namespace

int RunFaultChecks(HostScene& scene, HMODULE module) {
    static Stage stage;
    SetUpStage(stage);
    int failed = ExpectBarsBack(scene, stage, "bars drawn before any fault");
    failed += NullDevice(scene, stage);
    failed += FailingStateBlock(scene, stage);
    failed += MissingHostObjects(scene, stage);
    if (HandlersCanResume()) {
        failed += FreedMemory(scene, stage);
        failed += GameFault(scene, stage);
    }
    failed += Unloaded(scene, stage, module);
    return failed;
}
