#include "standin/modes.h"

#include <cstdio>
#include <cstring>

#include "standin/checks/checks.h"
#include "standin/demo/demo.h"
#include "standin/demo/timing.h"
#include "standin/host/call_site.h"
#include "standin/host/host_world.h"
#include "standin/host/module_loader.h"
#include "standin/host/scene_device.h"
#include "standin/host/scene_render.h"

namespace {

// What a mode needs before it runs.
enum class Needs {
    callSite,       // the call site only; the mode writes its routine and loads the module
    scene,          // the host's world, scene and Direct3D 9 device; loads the module itself
    sceneAndModule, // the same, with the module (--module) loaded before the mode starts
};

struct ModeRun {
    const CommandLine& line;
    HostScene* scene; // null for modes that need only the call site
    HMODULE module;   // loaded for the mode, or null
};

struct Mode {
    const char* name;
    const char* what; // one line of the usage
    Needs needs;
    int (*run)(const ModeRun& run);
};

// Every device check in one run, the faults last: they unload the module and break the
// device's state blocks for a while.
int SceneMode(const ModeRun& run) {
    std::printf("-- device state\n");
    int failed = RunStateChecks(*run.scene);
    std::printf("-- pixels\n");
    failed += RunPixelChecks(*run.scene);
    std::printf("-- floating-point environments\n");
    failed += RunEnvironmentChecks(*run.scene);
    std::printf("-- faults\n");
    return failed + RunFaultChecks(*run.scene, run.module);
}

const Mode modes[] = {
    {"hook", "the frame hook: call sites left alone, callees below, above and chained",
     Needs::callSite, [](const ModeRun& run) { return RunHookChecks(run.line.modulePath); }},
    {"scene", "with the Direct3D 9 device: state, pixels, environments, then faults",
     Needs::sceneAndModule, SceneMode},
    {"state", "the device's state read back unchanged around the frame call", Needs::sceneAndModule,
     [](const ModeRun& run) { return RunStateChecks(*run.scene); }},
    {"pixels", "the bars' pixels, where and as the player must see them", Needs::sceneAndModule,
     [](const ModeRun& run) { return RunPixelChecks(*run.scene); }},
    {"environments", "frames called in a hostile floating-point environment, the game's back",
     Needs::sceneAndModule, [](const ModeRun& run) { return RunEnvironmentChecks(*run.scene); }},
    {"faults",
     "pointers into freed memory, an unreadable camera, a fault of the game's own, "
     "FreeLibrary, the process ending",
     Needs::sceneAndModule,
     [](const ModeRun& run) { return RunFaultChecks(*run.scene, run.module); }},
    {"demo", "plays --scenario FILE and writes the pictures it asks for (--out)",
     Needs::sceneAndModule,
     [](const ModeRun& run) { return RunDemo(*run.scene, run.line.scenario, run.line.outDir); }},
    {"timing", "times the frame call without and with the module", Needs::scene,
     [](const ModeRun& run) {
         return RunTiming(*run.scene, run.line.modulePath, TimedDevices::nullAndReal);
     }},
    {"timing-null", "the same with no device only, over ten times the frames", Needs::scene,
     [](const ModeRun& run) {
         return RunTiming(*run.scene, run.line.modulePath, TimedDevices::nullOnly);
     }},
};

const Mode* FindMode(const char* name) {
    for (const Mode& mode : modes) {
        if (std::strcmp(mode.name, name) == 0) {
            return &mode;
        }
    }
    return nullptr;
}

// The host's world and scene with its device, the module loaded if the mode wants it.
int RunInScene(const Mode& mode, const CommandLine& line) {
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
    ModeRun run = {line, &scene, nullptr};
    if (mode.needs == Needs::sceneAndModule) {
        run.module = LoadModule(line.modulePath);
        if (run.module == nullptr) {
            return 1;
        }
    }
    const int failed = mode.run(run);
    SetHostDevice(nullptr);
    ReleaseHostPipeline(&scene.pipeline);
    scene.gameTexture->Release();
    DestroySceneDevice(&device);
    return failed;
}

} // namespace

bool IsMode(const char* name) {
    return FindMode(name) != nullptr;
}

int RunMode(const CommandLine& line) {
    const Mode& mode = *FindMode(line.mode);
    if (mode.needs == Needs::callSite) {
        return mode.run({line, nullptr, nullptr});
    }
    return RunInScene(mode, line);
}

void PrintUsage() {
    std::fprintf(stderr, "usage: standin MODE [--module DLL] [--out DIR] [--scenario FILE]\n"
                         "modes:\n");
    for (const Mode& mode : modes) {
        std::fprintf(stderr, "  %-13s %s\n", mode.name, mode.what);
    }
}
