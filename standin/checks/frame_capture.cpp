#include "standin/checks/frame_capture.h"

#include <algorithm>
#include <cstdlib>

#include "standin/checks/checks.h"
#include "standin/host/scene_device.h"

namespace {

int Channel(std::uint32_t color, int shift) {
    return static_cast<int>((color >> shift) & 0xFF);
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

int Report(const char* name, const ScreenPoint& at, std::uint32_t seen, std::uint32_t want,
           int tolerance) {
    return Check(ColorDistance(seen, want) <= tolerance,
                 "%s: at (%d,%d) depth %.1f saw %06x, want %06x", name, static_cast<int>(at.x),
                 static_cast<int>(at.y), at.depth, static_cast<unsigned>(seen),
                 static_cast<unsigned>(want));
}

bool NearAnyBar(const HostScene& scene, const Stage& stage, int x, int y) {
    constexpr float margin = 4.0f;
    for (int i = 0; i < stage.count; ++i) {
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

bool CaptureFrame(Stage& stage, HostScene& scene, float step, Capture* capture) {
    capture->withModule.assign(sceneWidth * sceneHeight, 0);
    capture->reference.assign(sceneWidth * sceneHeight, 0);
    const FrameResult host =
        AdvanceStage(stage, scene, step, {FrameCall::hostOnly, false, capture->reference.data()});
    capture->framed =
        RenderHostFrame(scene, {FrameCall::callSite, false, capture->withModule.data()});
    return host.readBackOk && capture->framed.readBackOk;
}

int ExpectBar(const char* name, const Capture& c, const ScreenPoint& at, expected::Color color,
              int passes, int rows) {
    std::uint32_t seen = 0;
    std::uint32_t want = 0;
    for (int dy = -rows; dy <= rows; ++dy) {
        const std::uint32_t pixel = PixelAt(c.withModule, at, dy);
        const std::uint32_t blend = BlendOver(PixelAt(c.reference, at, dy), color, passes);
        if (dy == -rows || ColorDistance(pixel, blend) < ColorDistance(seen, want)) {
            seen = pixel;
            want = blend;
        }
    }
    return Report(name, at, seen, want, expected::pixelTolerance);
}

int ExpectUnchanged(const char* name, const Capture& c, const ScreenPoint& at) {
    return Report(name, at, PixelAt(c.withModule, at, 0), PixelAt(c.reference, at, 0), 2);
}

int ExpectOnlyBarsChanged(const char* name, const HostScene& scene, const Capture& c,
                          const Stage* barsOf) {
    int changed = 0;
    for (int i = 0; i < sceneWidth * sceneHeight; ++i) {
        changed += ColorDistance(c.withModule[i], c.reference[i]) > 2 &&
                   !(barsOf && NearAnyBar(scene, *barsOf, i % sceneWidth, i / sceneWidth));
    }
    return Check(changed == 0, "%s: %d pixel(s) differ", name, changed);
}

int ColorDistance(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int shift : {0, 8, 16}) {
        largest = std::max(largest, std::abs(Channel(a, shift) - Channel(b, shift)));
    }
    return largest;
}
