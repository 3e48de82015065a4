#include "standin/checks/checks.h"
#include "standin/checks/frame_capture.h"
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
    failed += Unloaded(scene, stage, module);
    return failed;
}
