#include "standin/checks/checks.h"

#include <iterator>

#include "standin/checks/frame_capture.h"
#include "standin/host/host_callee.h"
#include "standin/host/host_world.h"

namespace {

constexpr int faultFrames = 4;

// Frames under whatever fault is set, then one captured: every one keeps the host's device
// state and reaches its callee, and the captured one shows the first actor's bar or not.
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
           (barShown ? ExpectBar(name, c, at, expected::green) : ExpectUnchanged(name, c, at));
}

int failedCreations = 0;

// As on a device short of memory.
HRESULT STDMETHODCALLTYPE FailingCreateStateBlock(IDirect3DDevice9*, D3DSTATEBLOCKTYPE,
                                                  IDirect3DStateBlock9** block) {
    ++failedCreations;
    *block = nullptr;
    return D3DERR_OUTOFVIDEOMEMORY;
}

// Puts `method` in the device's CreateStateBlock slot, whose place in the method table the
// COM ABI fixes; gives back the method it replaced, or null when the table stays as it was.
void* SwapCreateStateBlock(IDirect3DDevice9* device, void* method) {
    void** slot = *reinterpret_cast<void***>(device) + 59;
    DWORD protection;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) {
        return nullptr;
    }
    void* const replaced = *slot;
    *slot = method;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return replaced;
}

int FailingStateBlock(HostScene& scene, Stage& stage) {
    void* const created =
        SwapCreateStateBlock(scene.device, reinterpret_cast<void*>(&FailingCreateStateBlock));
    if (Check(created != nullptr, "CreateStateBlock made to fail") != 0) {
        return 1;
    }
    // Nothing could restore the host's state, so nothing may be drawn.
    int failed = UnderFault(scene, stage, "no state block: no bar drawn", false);
    failed += Check(failedCreations > 0, "the module asked for a state block");
    SwapCreateStateBlock(scene.device, created);
    return failed + UnderFault(scene, stage, "state blocks back: bars back", true);
}

// A frame of the module ends at once when its read of the game's memory faults: the game's
// process lives, its callee is reached with its registers and stack, its device state is
// kept, and the first sane frame draws the bars again.
int FreedMemory(HostScene& scene, Stage& stage) {
    const char* const freed[] = {
        "an actor's stats",       "its position, 1st link", "its position, 2nd link",
        "its position, 3rd link", "a listed actor",         "the actor list",
        "the status object",      "the scene object",       "the UI object",
        "the UI inner object",    "a count past the list"};
    static_assert(std::size(freed) == std::size(everyHostLink), "a name for each link, in order");
    int failed = 0;
    for (std::size_t i = 0; i < std::size(everyHostLink); ++i) {
        int broken = 0;
        for (int frame = 0; frame < faultFrames; ++frame) {
            stage.clock += stageStep;
            PublishStage(stage, scene);
            const BrokenLink link = BreakHostLink(everyHostLink[i]);
            const FrameResult r = RenderHostFrame(scene, {FrameCall::callSite, false, nullptr});
            broken += r.stateDifferences != 0 || !r.calleeReached;
            broken += frame == 0 ? ProbeFrameCall(0xC0FFEE00U, 4) : 0;
            RestoreHostLink(link);
        }
        failed += CheckDetail(broken == 0, "freed memory: the game lives, its state kept", "%s",
                              freed[i]);
        failed += UnderFault(scene, stage, "  and the first sane frame has its bars", true, 0);
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

} // namespace

int RunFaultChecks(HostScene& scene, HMODULE module) {
    Stage& stage = NewStage({StandingActor(6.0f, -2.0f, 0.0f), StandingActor(6.5f, 3.0f, 0.3f)});
    int failed = UnderFault(scene, stage, "bars drawn before any fault", true);
    SetHostDevice(nullptr);
    failed += UnderFault(scene, stage, "null device pointer: no bar drawn", false);
    SetHostDevice(scene.device);
    failed += UnderFault(scene, stage, "device back: bars back", true);
    failed += FailingStateBlock(scene, stage);
    SetHostStatus(false, 0.0f, 0);
    SetHostUiFlag(false, 0);
    failed += UnderFault(scene, stage, "status and UI pointers null: bars drawn", true);
    SetHostStatus(true, 1.0f, 3);
    SetHostUiFlag(true, 0);
    failed += FreedMemory(scene, stage);
    failed += GameFault(scene, stage);
    failed += Check(module != nullptr && FreeLibrary(module) != 0, "loader's FreeLibrary");
    return failed + UnderFault(scene, stage, "after FreeLibrary: bars still drawn", true);
}
