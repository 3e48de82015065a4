#include "standin/command_line.h"

#include <cstdio>
#include <cstring>

#include "standin/host/call_site.h"
#include "standin/checks/check_report.h"
#include "standin/demo/demo.h"
#include "standin/demo/timing.h"
#include "standin/checks/fault_checks.h"
#include "standin/host/host_world.h"
#include "standin/host/module_loader.h"
#include "standin/checks/pixel_checks.h"
#include "standin/host/scene_device.h"
#include "standin/host/scene_render.h"
#include "standin/checks/state_checks.h"

namespace {

struct SceneRun {
    const CommandLine* line;
    HMODULE module;
};

struct SceneMode {
    const char* name;
    int (*run)(HostScene& scene, const SceneRun& run);
    bool loadsModuleItself;
};

int StateMode(HostScene& scene, const SceneRun&) {
    return RunStateChecks(scene);
}
int PixelMode(HostScene& scene, const SceneRun&) {
    return RunPixelChecks(scene);
}
int FaultMode(HostScene& scene, const SceneRun& run) {
    return RunFaultChecks(scene, run.module);
}

// Every device check in one run, the faults last: they unload the module and break the
// device's state blocks for a while.
int CheckMode(HostScene& scene, const SceneRun& run) {
    std::printf("-- device state\n");
    int failed = RunStateChecks(scene);
    std::printf("-- pixels\n");
    failed += RunPixelChecks(scene);
    std::printf("-- faults\n");
    return failed + RunFaultChecks(scene, run.module);
}

int DemoMode(HostScene& scene, const SceneRun& run) {
    return RunDemo(scene, run.line->scenario, run.line->outDir);
}
int TimingMode(HostScene& scene, const SceneRun& run) {
    return RunTiming(scene, run.line->modulePath);
}

const SceneMode sceneModes[] = {
    {"state", StateMode, false}, {"pixels", PixelMode, false}, {"faults", FaultMode, false},
    {"demo", DemoMode, false},   {"scene", CheckMode, false},  {"timing", TimingMode, true},
};

const SceneMode* FindSceneMode(const char* name) {
    for (const SceneMode& mode : sceneModes) {
        if (std::strcmp(mode.name, name) == 0) {
            return &mode;
        }
    }
    return nullptr;
}

} // namespace

int RunSceneMode(const CommandLine& line) {
    const SceneMode* mode = FindSceneMode(line.mode);
    if (mode == nullptr) {
        std::fprintf(stderr, "standin: unknown mode %s\n", line.mode);
        return 1;
    }
    PlaceHostObjects();
    WriteFrameRoutine(CalleePlace::below);
    static SceneDevice device;
    // Every check of these modes needs the device: without one they fail, they do not pass.
    if (Check(CreateSceneDevice(&device),
              "Direct3D 9 device (needs a display, e.g. Xvfb through scripts/with-wine.sh, and "
              "32-bit Mesa: libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386)") != 0) {
        return 1;
    }
    static HostScene scene;
    scene.device = device.device;
    scene.gameTexture = CreateGameTexture(device.device);
    if (Check(scene.gameTexture != nullptr, "the game's texture created") != 0) {
        DestroySceneDevice(&device);
        return 1;
    }
    scene.camera = MakeSceneCamera();
    if (!CreateHostPipeline(device.device, &scene.pipeline)) {
        std::printf("note: the device takes no shaders; their state is checked as null\n");
    }
    SetHostDevice(device.device);
    SceneRun run = {&line, nullptr};
    if (line.modulePath != nullptr && !mode->loadsModuleItself) {
        run.module = LoadModule(line.modulePath);
        if (run.module == nullptr) {
            return 1;
        }
    }
    const int failed = mode->run(scene, run);
    SetHostDevice(nullptr);
    ReleaseHostPipeline(&scene.pipeline);
    scene.gameTexture->Release();
    scene.gameTexture = nullptr;
    DestroySceneDevice(&device);
    return failed;
}
