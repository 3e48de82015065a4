#include "standin/checks/frame_capture.h"

#include "standin/checks/check_report.h"
#include "standin/checks/pixel_probe.h"
#include "standin/host/scene_device.h"

bool CaptureFrame(Stage& stage, HostScene& scene, float step, Capture* capture) {
    capture->withModule.assign(sceneWidth * sceneHeight, 0);
    capture->reference.assign(sceneWidth * sceneHeight, 0);
    stage.clock += step;
    PublishStage(stage, scene);
    const FrameResult host =
        RenderHostFrame(scene, {FrameCall::hostOnly, false, capture->reference.data()});
    const FrameResult framed =
        RenderHostFrame(scene, {FrameCall::callSite, false, capture->withModule.data()});
    capture->stateDifferences = framed.stateDifferences;
    capture->calleeReached = framed.calleeReached;
    return host.readBackOk && framed.readBackOk;
}

int ExpectBar(const char* name, const Capture& c, const ScreenPoint& at, expected::Color color) {
    const std::uint32_t below = PixelAt(c.reference.data(), at);
    return ExpectPixel(name, c.withModule.data(), at,
                       BlendOver(below, color.r, color.g, color.b, expected::alpha),
                       expected::pixelTolerance);
}

int ExpectUnchanged(const char* name, const Capture& c, const ScreenPoint& at) {
    return ExpectPixel(name, c.withModule.data(), at, PixelAt(c.reference.data(), at), 2);
}

int ExpectStateKept(const Capture& c) {
    return CheckDetail(c.stateDifferences == 0 && c.calleeReached,
                       "device state kept, callee reached", "%d difference(s)", c.stateDifferences);
}
