#include "standin/checks/checks.h"

#include <algorithm>
#include <cstdlib>

#include "standin/host/scene_device.h"

namespace {

int Channel(std::uint32_t color, int shift) {
    return static_cast<int>((color >> shift) & 0xFF);
}

// Largest channel difference between two 0x00RRGGBB colours.
int ColorDistance(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int shift : {0, 8, 16}) {
        largest = std::max(largest, std::abs(Channel(a, shift) - Channel(b, shift)));
    }
    return largest;
}

std::uint32_t PixelAt(const std::vector<std::uint32_t>& frame, const ScreenPoint& at, int dy) {
    const int x = std::clamp(static_cast<int>(at.x), 0, sceneWidth - 1);
    const int y = std::clamp(static_cast<int>(at.y + static_cast<float>(dy)), 0, sceneHeight - 1);
    return frame[y * sceneWidth + x];
}

// Source alpha over inverse source alpha, as the device blends the bars.
std::uint32_t BlendOver(std::uint32_t below, const expected::Color& color, int passes) {
    const float source[] = {color.b, color.g, color.r};
    for (int pass = 0; pass < passes; ++pass) {
        std::uint32_t blended = 0;
        for (int i = 0; i < 3; ++i) {
            const float value =
                source[i] * 255.0f * expected::alpha +
                static_cast<float>(Channel(below, 8 * i)) * (1.0f - expected::alpha);
            blended |= static_cast<std::uint32_t>(value + 0.5f) << 8 * i;
        }
        below = blended;
    }
    return below;
}

bool NearAnyBar(const HostScene& scene, const Stage& stage, int shown, int x, int y) {
    constexpr float margin = 4.0f;
    for (int i = 0; i < shown; ++i) {
        const ScreenPoint low = BarPoint(scene, stage.actors[i], 0.0f, -expected::barHalfHeight);
        const ScreenPoint high = BarPoint(scene, stage.actors[i], 1.0f, expected::barHalfHeight);
        if (x >= low.x - margin && x <= high.x + margin && y >= high.y - margin &&
            y <= low.y + margin) {
            return true;
        }
    }
    return false;
}

} // namespace

int CaptureFrame(Stage& stage, HostScene& scene, float step, Capture* capture) {
    capture->withModule.assign(sceneWidth * sceneHeight, 0);
    capture->reference.assign(sceneWidth * sceneHeight, 0);
    const FrameResult host =
        AdvanceStage(stage, scene, step, {FrameCall::hostOnly, false, capture->reference.data()});
    const FrameResult r =
        RenderHostFrame(scene, {FrameCall::callSite, false, capture->withModule.data()});
    return Check(host.readBackOk && r.readBackOk && r.stateDifferences == 0 && r.calleeReached,
                 "frame captured: state kept, callee reached, machine kept");
}

int ExpectBar(const char* name, const Capture& c, const ScreenPoint& at, expected::Color color,
              int passes, int rows) {
    std::uint32_t seen = 0, want = 0;
    for (int dy = -rows; dy <= rows; ++dy) {
        const std::uint32_t pixel = PixelAt(c.withModule, at, dy);
        const std::uint32_t blend = BlendOver(PixelAt(c.reference, at, dy), color, passes);
        if (dy == -rows || ColorDistance(pixel, blend) < ColorDistance(seen, want)) {
            seen = pixel;
            want = blend;
        }
    }
    return Check(ColorDistance(seen, want) <= expected::pixelTolerance,
                 "%s: at (%.2f,%.2f) depth %.1f saw %06x, want %06x", name, at.x, at.y, at.depth,
                 seen, want);
}

int ExpectOnlyBarsChanged(const char* name, const HostScene& scene, const Capture& c,
                          const Stage& stage, int shown) {
    int changed = 0;
    for (int i = 0; i < sceneWidth * sceneHeight; ++i) {
        changed += ColorDistance(c.withModule[i], c.reference[i]) > 2 &&
                   !NearAnyBar(scene, stage, shown, i % sceneWidth, i / sceneWidth);
    }
    return Check(changed == 0, "%s: %d pixel(s) differ", name, changed);
}
