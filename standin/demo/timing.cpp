#include "standin/demo/timing.h"

#include <algorithm>
#include <cstdio>
#include <vector>
#include <windows.h>

#include "standin/host/game_machine.h"
#include "standin/host/host_world.h"
#include "standin/host/module_loader.h"
#include "standin/host/stage.h"

namespace {

const int actorCounts[] = {10, 100, 1000};
// Fewer frames where each costs more: under emulation 1,000 bars take seconds a frame on
// the real device. Without it a frame is cheap, and ten times the frames steady the median.
const int timedFrames[] = {60, 30, 12};
constexpr int nullOnlyFrameFactor = 10;
constexpr int countKinds = sizeof actorCounts / sizeof actorCounts[0];

// Medians in microseconds, [device null, device real][actor count].
struct Medians {
    double us[2][countKinds];
};

// Actors spread over the ground in front of the camera, all in view and within range.
void FillStage(Stage& stage, int count) {
    stage = {};
    for (int i = 0; i < count; ++i) {
        const float depth = 6.0f + static_cast<float>(i % 50);
        const float side = (static_cast<float>((i / 50) % 20) - 9.5f) * 0.05f * depth;
        stage.actors[i] = StandingActor(depth, side, 0.01f * static_cast<float>(i % 90));
    }
    stage.count = count;
}

double Microseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1e6 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// Only the frame call is timed, inside the host's scene, as the game would see it.
double MedianFrameCall(HostScene& scene, Stage& stage, bool withDevice, int frames) {
    std::vector<double> samples;
    SetHostDevice(withDevice ? scene.device : nullptr);
    for (int frame = 0; frame < frames; ++frame) {
        stage.clock += stageStep;
        PublishStage(stage, scene);
        if (withDevice) {
            scene.device->BeginScene();
        }
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        CallFrameRoutine(0);
        QueryPerformanceCounter(&end);
        if (withDevice) {
            scene.device->EndScene();
            scene.device->Present(nullptr, nullptr, nullptr, nullptr);
        }
        samples.push_back(Microseconds(end.QuadPart - start.QuadPart));
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

Medians MeasureAll(HostScene& scene, int deviceCount, int factor) {
    static Stage stage;
    Medians m = {};
    for (int device = 0; device < deviceCount; ++device) {
        for (int k = 0; k < countKinds; ++k) {
            FillStage(stage, actorCounts[k]);
            m.us[device][k] = MedianFrameCall(scene, stage, device == 1, timedFrames[k] * factor);
        }
    }
    return m;
}

void PrintCost(const Medians& without, const Medians& with, int deviceCount, int factor) {
    std::printf("frame call, median over %d/%d/%d frames (microseconds):\n",
                timedFrames[0] * factor, timedFrames[1] * factor, timedFrames[2] * factor);
    std::printf("%-8s %-7s %12s %12s %12s\n", "device", "actors", "without", "with", "module");
    for (int device = 0; device < deviceCount; ++device) {
        for (int k = 0; k < countKinds; ++k) {
            const double a = without.us[device][k];
            const double b = with.us[device][k];
            std::printf("%-8s %-7d %12.1f %12.1f %12.1f\n", device == 0 ? "null" : "real",
                        actorCounts[k], a, b, b - a);
        }
    }
    std::fflush(stdout);
}

} // namespace

int RunTiming(HostScene& scene, const char* modulePath, TimedDevices devices) {
    const int deviceCount = devices == TimedDevices::nullOnly ? 1 : 2;
    const int factor = devices == TimedDevices::nullOnly ? nullOnlyFrameFactor : 1;
    const Medians without = MeasureAll(scene, deviceCount, factor);
    if (LoadModule(modulePath) == nullptr) {
        return 1;
    }
    PrintCost(without, MeasureAll(scene, deviceCount, factor), deviceCount, factor);
    return 0;
}
