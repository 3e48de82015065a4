#include "standin/host/host_frame.h"

#include "standin/host/game_machine.h"
#include "standin/host/host_callee.h"
#include "standin/host/scene_device.h"
#include "standin/host/scene_render.h"

namespace {

bool MakeFrameCall(FrameCall call) {
    const std::uint32_t calls = hostCallee.calls;
    const bool throughSite = call == FrameCall::callSite;
    const std::uint32_t result = throughSite ? CallFrameRoutine(0) : HostFrameCallee(0);
    return result == HostCalleeResult(0) && hostCallee.calls == calls + 1 &&
           hostCallee.lastArgument == 0 && (!throughSite || GameMachineKept());
}

} // namespace

FrameResult RenderHostFrame(HostScene& scene, const FrameOptions& options) {
    FrameResult result = {0, false, false};
    IDirect3DDevice9* device = scene.device;
    SetHostSceneState(device, scene.camera, scene.gameTexture);
    device->BeginScene();
    DrawHostScene(device, scene.pillars, scene.pillarCount);
    if (options.unusualState) {
        SetUnusualState(device, scene.pipeline);
    }
    static DeviceState before;
    static DeviceState after;
    ReadDeviceState(device, &before);
    result.calleeReached = MakeFrameCall(options.call);
    ReadDeviceState(device, &after);
    result.stateDifferences = CompareDeviceState(before, after);
    device->EndScene();
    if (options.readBack != nullptr) {
        result.readBackOk = ReadBackBuffer(device, options.readBack);
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
    return result;
}
