// What one host frame costs the module: the whole DrawActorBars call into a device that does
// nothing, and the bar pipeline alone (tracker update, list build, sort), at growing actor
// counts, with the same actors every frame (steady), a tenth of them replaced (churn), or
// every one new (a scene's first frame); with the caches as the last frame left them, or as
// the game's own frame leaves them (cold).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bars/bar_look.h"
#include "host/host_game.h"
#include "tests/support/counting_allocator.h"
#include "tests/support/fake_host.h"

using namespace fakehost;

namespace {

constexpr float frameSeconds = 1.0f / 60.0f;

// Does nothing at all: the benchmark measures the module, not a test device.
struct NullStateBlock : IDirect3DStateBlock9 {
    ULONG Release() override { return 0; }
    HRESULT Apply() override { return D3D_OK; }
    virtual ~NullStateBlock() = default;
} nullStateBlock;

struct NullDevice : IDirect3DDevice9 {
    HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9** block) override {
        *block = &nullStateBlock;
        return D3D_OK;
    }
    HRESULT SetFVF(DWORD) override { return D3D_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DXMATRIX*) override { return D3D_OK; }
    HRESULT SetPixelShader(IDirect3DPixelShader9*) override { return D3D_OK; }
    HRESULT SetVertexShader(IDirect3DVertexShader9*) override { return D3D_OK; }
    HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override { return D3D_OK; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return D3D_OK; }
    virtual ~NullDevice() = default;
} nullDevice;

struct Vec3 {
    float x, y, z;
};

Vec3 Add(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 Scale(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Normalize(Vec3 a) {
    return Scale(a, 1.0f / std::sqrt(Dot(a, a)));
}

// A left-handed camera in the host's world, whose third axis is up, turned and tilted
// slightly down, with a 60 degree 16:9 perspective.
struct Camera {
    Vec3 eye, right, up, forward;
    D3DXMATRIX view, viewProj;
};

Camera MakeCamera() {
    Camera c;
    c.eye = {1200.0f, -340.0f, 45.0f};
    c.forward = Normalize({std::cos(0.6f), std::sin(0.6f), -0.15f});
    c.right = Normalize(Cross({0.0f, 0.0f, 1.0f}, c.forward));
    c.up = Cross(c.forward, c.right);
    D3DXMATRIX& v = c.view;
    v = D3DXMATRIX{};
    const Vec3 axes[3] = {c.right, c.up, c.forward};
    for (int col = 0; col < 3; ++col) {
        v.m[0][col] = axes[col].x;
        v.m[1][col] = axes[col].y;
        v.m[2][col] = axes[col].z;
        v.m[3][col] = -Dot(axes[col], c.eye);
    }
    v.m[3][3] = 1.0f;

    const float nearZ = 1.0f, farZ = 2000.0f;
    const float yScale = 1.0f / std::tan(0.5f * 1.0471976f);
    D3DXMATRIX p{};
    p.m[0][0] = yScale / (16.0f / 9.0f);
    p.m[1][1] = yScale;
    p.m[2][2] = farZ / (farZ - nearZ);
    p.m[2][3] = 1.0f;
    p.m[3][2] = -nearZ * farZ / (farZ - nearZ);
    D3DXMatrixMultiply(&c.viewProj, &c.view, &p);
    return c;
}

std::uint32_t NextRandom(std::uint32_t& seed) {
    seed = seed * 1664525U + 1013904223U;
    return seed >> 8;
}
float Uniform(std::uint32_t& seed, float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(NextRandom(seed)) / 16777216.0f;
}

// The host position whose bar anchor lands at view-space (vx, vy, depth): the anchor is
// (z, -x, y + the lift) in world axes, seen through the camera. The lift is the module's
// own, so that a modder who changes it still gets every actor in view.
void PlaceInView(const Camera& c, float vx, float vy, float depth, float position[3]) {
    const Vec3 p =
        Add(c.eye, Add(Scale(c.right, vx), Add(Scale(c.up, vy), Scale(c.forward, depth))));
    position[0] = -p.y;
    position[1] = p.z - barlook::anchorLift;
    position[2] = p.x;
}

enum class Flow { steady, churn, first };
enum class Caches { warm, cold };

// Every actor the scene can list is written to host memory once; a frame only rewrites the
// host's actor array where actors are replaced, and the clock.
struct Scene {
    FrameState state; // as at load when the scene is made
    Flow flow;
    std::int32_t listedCount;
    std::vector<HostAddress> addresses; // every address the scene may list
    std::vector<std::uint32_t> listed;  // index into addresses, per host list slot
    std::vector<std::uint32_t> away;    // ring of addresses not listed, oldest first
    std::size_t awayHead = 0;
    std::size_t nextSlot = 0; // the host list slot replaced next
    std::uint64_t frame = 0;
    float clock = 100.0f;
};

// Steady scenes list healthy and wounded, engaged actors. Churn scenes also list dying
// ones (health 0: they blink out within 1.5 s) and ones no longer engaged (gone after 2 s).
Actor MakeActor(HostAddress address, std::uint32_t n, Flow flow, const Camera& camera,
                std::uint32_t& seed) {
    Actor a;
    a.address = address;
    a.damageRatio = Uniform(seed, 0.0f, 0.9f);
    const float depth = Uniform(seed, 5.0f, 70.0f);
    const float vx = Uniform(seed, -0.9f, 0.9f) * depth;
    const float vy = Uniform(seed, -0.4f, 0.4f) * depth;
    PlaceInView(camera, vx, vy, depth, a.position);
    if (flow == Flow::churn) {
        if (n % 10 == 3) {
            a.damageRatio = 1.0f;
        } else if (n % 10 == 7) {
            a.engaged = 0;
        }
    }
    return a;
}

constexpr HostAddress actorArray = 0x31000000;

void WriteListSlot(std::size_t slot, HostAddress address) {
    Write(actorArray + static_cast<HostAddress>(slot) * hostlayout::actorListEntrySize, address);
}

// A churn scene has twice as many actors as it lists. One in ten of them comes back at its
// other address each time: the tracker sees returning addresses whose record still lives,
// addresses whose record has been pruned, and departed records waiting for the prune.
void MakeScene(Scene& scene, std::int32_t count, Flow flow) {
    ResetHost();
    const Camera camera = MakeCamera();
    Write(game::viewMatrix, camera.view);
    Write(game::viewProjMatrix, camera.viewProj);
    SetDevice(&nullDevice);

    scene.flow = flow;
    scene.listedCount = count;
    const std::uint32_t n = static_cast<std::uint32_t>(count);
    const std::uint32_t total = flow == Flow::churn ? 4 * n : n;
    std::uint32_t seed = 12345;
    for (std::uint32_t i = 0; i < total; ++i) {
        scene.addresses.push_back(ActorAt(i));
        WriteActor(MakeActor(ActorAt(i), i, flow, camera, seed));
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        scene.listed.push_back(i);
        WriteListSlot(i, scene.addresses[i]);
    }
    if (flow == Flow::churn) {
        for (std::uint32_t i = n; i < 2 * n; ++i) {
            scene.away.push_back(i);
        }
    }
    Write(hostlayout::actorListPointer, actorArray);
    Write(game::actorCount, count);
    Write(game::clock, scene.clock);
}

// Actor k's second address is k + 2n.
std::uint32_t ReturningAddress(std::uint32_t index, std::uint32_t n) {
    if (index >= 2 * n) {
        return index - 2 * n;
    }
    return index % 10 == 9 ? index + 2 * n : index;
}

// A tenth of the listed actors leave and as many come back, spread evenly over frames when
// a tenth is less than one actor.
void ReplaceActors(Scene& scene) {
    const std::uint64_t n = static_cast<std::uint64_t>(scene.listedCount);
    const std::uint64_t replaced = (scene.frame + 1) * n / 10 - scene.frame * n / 10;
    for (std::uint64_t r = 0; r < replaced; ++r) {
        const std::size_t slot = scene.nextSlot;
        scene.nextSlot = (slot + 1) % n;
        const std::uint32_t leaving = scene.listed[slot];
        const std::uint32_t coming = scene.away[scene.awayHead];
        scene.away[scene.awayHead] = ReturningAddress(leaving, static_cast<std::uint32_t>(n));
        scene.awayHead = (scene.awayHead + 1) % scene.away.size();
        scene.listed[slot] = coming;
        WriteListSlot(slot, scene.addresses[coming]);
    }
}

void NextFrame(Scene& scene) {
    if (scene.flow == Flow::churn) {
        ReplaceActors(scene);
    }
    ++scene.frame;
    scene.clock += frameSeconds;
    Write(game::clock, scene.clock);
}

void RunModuleFrame(Scene& scene, bool wholeFrame) {
    FrameState& m = scene.state;
    if (wholeFrame) {
        DrawActorBars(m);
    } else {
        UpdateTrackedActors(m.tracker);
        const D3DXMATRIX view = ReadHostViewMatrix();
        BuildBarList(m.tracker, m.list, frameSeconds, view);
    }
}

// The module's frame alone, kept out of line and not used to warm up, so that a profiler can
// collect exactly the measured frames:
// valgrind --tool=callgrind --toggle-collect='*MeasuredFrame*'
__attribute__((noinline)) void MeasuredFrame(Scene& scene, bool wholeFrame) {
    RunModuleFrame(scene, wholeFrame);
}

void RunFrame(Scene& scene, bool wholeFrame) {
    NextFrame(scene);
    RunModuleFrame(scene, wholeFrame);
}

// What the game's own frame does to the caches between two of the module's: it works through
// far more memory than they hold. 64 MiB written, twice the last-level cache of the machine
// measured, leaves none of the module's records and none of the game's actors in any cache.
std::vector<unsigned char> gameFrameMemory(std::size_t{64} << 20);

void RunGameFrame() {
    static unsigned char value = 0;
    std::memset(gameFrameMemory.data(), ++value, gameFrameMemory.size());
    benchmark::ClobberMemory();
}

// The frame before a scene's first: the scene closed, so the module empties its tracker.
void CloseScene(Scene& scene) {
    SetScene(0);
    DrawActorBars(scene.state);
    SetScene(1);
}

// Enough frames for the tracker and the list to reach their sizes (churn: every address
// has come and gone more than once, and the tracker has held its most records, so that its
// storage covers every record the prune removes and makes again).
void WarmUp(Scene& scene, bool wholeFrame) {
    if (scene.flow != Flow::churn) {
        for (int i = 0; i < 3; ++i) {
            RunFrame(scene, wholeFrame);
        }
        return;
    }
    constexpr int minFrames = 400, maxFrames = 10000, framesWithoutNewPeak = 200;
    std::size_t peak = 0;
    int sincePeak = 0;
    for (int i = 0; i < maxFrames && (i < minFrames || sincePeak < framesWithoutNewPeak); ++i) {
        RunFrame(scene, wholeFrame);
        const std::size_t records = scene.state.tracker.records.size();
        sincePeak = records > peak ? 0 : sincePeak + 1;
        peak = records > peak ? records : peak;
    }
}

// Set when a measured frame allocated: the run then fails, so the smoke test catches it.
bool frameAllocated = false;

// A scene's first frame allocates by design: emptying the tracker gave its storage back.
void Report(benchmark::State& state, const Scene& scene, std::int32_t count,
            std::size_t allocations) {
    if (allocations != 0 && scene.flow != Flow::first) {
        frameAllocated = true;
        state.SkipWithError("a frame allocated after warm-up");
    }
    state.counters["actors"] = count;
    if (count > 0) {
        state.counters["per_actor"] = benchmark::Counter(
            count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    }
    state.counters["allocs/frame"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
    state.counters["bars"] = static_cast<double>(scene.state.list.entries.size());
    state.counters["records"] = static_cast<double>(scene.state.tracker.records.size());
}

// Measured frames, whole or the bar pipeline alone; the pipeline leaves out the frame
// driver's clock step: every frame is one 60th of a second. The time includes the fake
// host's own update before each frame (the clock, and in churn a tenth of the list), but not
// what runs between frames for a first or a cold one.
void Frames(benchmark::State& state, Flow flow, Caches caches, bool wholeFrame) {
    const auto count = static_cast<std::int32_t>(state.range(0));
    Scene scene;
    MakeScene(scene, count, flow);
    WarmUp(scene, wholeFrame);
    const bool betweenFrames = flow == Flow::first || caches == Caches::cold;
    const std::size_t before = countingallocator::allocations;
    for (auto _ : state) {
        if (betweenFrames) {
            state.PauseTiming();
            if (flow == Flow::first) {
                CloseScene(scene);
            }
            if (caches == Caches::cold) {
                RunGameFrame();
            }
            state.ResumeTiming();
        }
        NextFrame(scene);
        MeasuredFrame(scene, wholeFrame);
    }
    Report(state, scene, count, countingallocator::allocations - before);
}

// From `fewest` actors to 10,000, in powers of ten, under the names that BENCHMARKS.md and
// count-instructions.sh use. A cold frame costs the 64 MiB between frames too: a fixed
// number of them.
void Register(const char* name, Flow flow, Caches caches, bool wholeFrame, std::int64_t fewest) {
    auto* benchmark = benchmark::RegisterBenchmark(name, Frames, flow, caches, wholeFrame)
                          ->RangeMultiplier(10)
                          ->Range(fewest, 10000);
    if (caches == Caches::cold) {
        benchmark->Iterations(200);
    }
}

} // namespace

int main(int argc, char** argv) {
    Register("WholeFrameSteady", Flow::steady, Caches::warm, true, 0);
    Register("WholeFrameChurn", Flow::churn, Caches::warm, true, 1);
    Register("WholeFrameFirst", Flow::first, Caches::warm, true, 100);
    Register("WholeFrameSteadyCold", Flow::steady, Caches::cold, true, 100);
    Register("WholeFrameChurnCold", Flow::churn, Caches::cold, true, 100);
    Register("WholeFrameFirstCold", Flow::first, Caches::cold, true, 100);
    Register("PipelineSteady", Flow::steady, Caches::warm, false, 10);
    Register("PipelineChurn", Flow::churn, Caches::warm, false, 10);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return frameAllocated ? 1 : 0;
}
