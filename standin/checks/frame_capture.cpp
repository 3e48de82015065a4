#include "standin/checks/frame_capture.h"

#include <cstdlib>
#include <initializer_list>

#include "standin/checks/checks.h"
#include "standin/host/scene_device.h"

namespace {

int Channel(std::uint32_t color, int shift) {
    return static_cast<int>((color >> shift) & 0xFF);
}

int BlendChannel(float source, int below, float alpha) {
    const float value = source * 255.0f * alpha + static_cast<float>(below) * (1.0f - alpha);
    return static_cast<int>(value + 0.5f);
}

} // namespace

std::uint32_t PixelAt(const std::uint32_t* pixels, const ScreenPoint& point) {
    int x = static_cast<int>(point.x);
    int y = static_cast<int>(point.y);
    x = x < 0 ? 0 : (x >= sceneWidth ? sceneWidth - 1 : x);
    y = y < 0 ? 0 : (y >= sceneHeight ? sceneHeight - 1 : y);
    return pixels[y * sceneWidth + x];
}

std::uint32_t BlendOver(std::uint32_t below, float r, float g, float b, float alpha) {
    const int red = BlendChannel(r, Channel(below, 16), alpha);
    const int green = BlendChannel(g, Channel(below, 8), alpha);
    const int blue = BlendChannel(b, Channel(below, 0), alpha);
    return static_cast<std::uint32_t>(red << 16 | green << 8 | blue);
}

int ColorDistance(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int shift : {0, 8, 16}) {
        const int d = std::abs(Channel(a, shift) - Channel(b, shift));
        largest = d > largest ? d : largest;
    }
    return largest;
}

int ExpectPixel(const char* name, const std::uint32_t* frame, const ScreenPoint& point,
                std::uint32_t expected, int tolerance) {
    const std::uint32_t seen = PixelAt(frame, point);
    return CheckDetail(ColorDistance(seen, expected) <= tolerance, name,
                       "at (%d,%d) depth %.1f saw %06x, want %06x", static_cast<int>(point.x),
                       static_cast<int>(point.y), point.depth, static_cast<unsigned>(seen),
                       static_cast<unsigned>(expected));
}

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
