// Turns its input into a run of frames of host memory, each value the host may hand over
// chosen by the input, and runs the frame driver on each with a device that logs its
// calls. Aborts on the first frame after which an invariant of frame_invariants.h does not
// hold.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "host/host_game.h"
#include "tests/support/counting_allocator.h"
#include "tests/support/fake_host.h"
#include "tests/support/frame_invariants.h"
#include "tests/support/module_objects.h"
#include "tests/support/recording_device.h"

using namespace fakehost;
using frameinvariants::CallLogDevice;

namespace {

// A small pool of actor slots keeps the touched host memory small; listing the same slot
// again reuses an address.
constexpr std::uint32_t actorSlots = 16;
constexpr std::size_t maxListed = 24;
constexpr int maxFrames = 200;

float AnyFloat(FuzzedDataProvider& in) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    switch (in.ConsumeIntegralInRange(0, 12)) {
    case 0:
        return std::numeric_limits<float>::quiet_NaN();
    case 1:
        return inf;
    case 2:
        return -inf;
    case 3:
        return 0.0f;
    case 4:
        return -0.0f;
    case 5:
        return 1.0f;
    case 6:
        return -1.0f;
    case 7:
        return std::numeric_limits<float>::max();
    case 8:
        return std::numeric_limits<float>::denorm_min();
    case 9:
        return in.ConsumeFloatingPointInRange(-2.0f, 2.0f);
    case 10:
        return in.ConsumeFloatingPointInRange(-200.0f, 200.0f);
    case 11:
        return in.ConsumeFloatingPoint<float>();
    default: {
        const std::uint32_t bits = in.ConsumeIntegral<std::uint32_t>();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    }
}

// Mostly plausible values, sometimes anything.
float Ratio(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeFloatingPointInRange(-0.5f, 1.5f) : AnyFloat(in);
}
float Coordinate(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeFloatingPointInRange(-150.0f, 150.0f) : AnyFloat(in);
}

D3DXMATRIX AnyMatrix(FuzzedDataProvider& in) {
    D3DXMATRIX m = Identity();
    switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0:
        break;
    case 1:
        m = D3DXMATRIX{}; // singular
        break;
    case 2:
        for (int c = 0; c < 3; ++c) {
            m.m[3][c] = Coordinate(in);
        }
        break;
    case 3:
        m.m[in.ConsumeIntegralInRange(0, 3)][in.ConsumeIntegralInRange(0, 3)] = AnyFloat(in);
        break;
    case 4:
        for (int r = 0; r < 4; ++r) {
            m.m[r][r] = AnyFloat(in);
        }
        break;
    default:
        for (auto& row : m.m) {
            for (float& v : row) {
                v = AnyFloat(in);
            }
        }
        break;
    }
    return m;
}

void WriteAnyActor(FuzzedDataProvider& in, HostAddress address) {
    Actor actor;
    actor.address = address;
    actor.hasStats = in.ConsumeIntegralInRange(0, 4) != 0;
    actor.damageRatio = Ratio(in);
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        actor.kind = hostlayout::untrackedActorKind;
        break;
    case 1:
        actor.kind = in.ConsumeIntegral<std::uint32_t>();
        break;
    default:
        actor.kind = 1;
        break;
    }
    actor.engaged = in.ConsumeIntegralInRange(0, 3) != 0 ? 1 : 0;
    for (float& p : actor.position) {
        p = Coordinate(in);
    }
    WriteActor(actor);
}

struct Run {
    float clock = 0.0f;
    std::vector<HostAddress> listed;
    bool written[actorSlots] = {};
};

void ChangeActors(FuzzedDataProvider& in, Run& run) {
    const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, maxListed);
    run.listed.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t slot = in.ConsumeIntegralInRange<std::uint32_t>(0, actorSlots - 1);
        const HostAddress address = ActorAt(slot);
        // An object is written wherever the host lists one; a reused address may keep the
        // object it had, or get a new one of another kind.
        if (!run.written[slot] || in.ConsumeBool()) {
            WriteAnyActor(in, address);
            run.written[slot] = true;
        }
        run.listed.push_back(address);
    }
    SetActorList(run.listed);
}

// Returns whether every allocation fails on this frame.
bool ChangeHost(FuzzedDataProvider& in, Run& run, CallLogDevice& device) {
    const std::uint16_t change = in.ConsumeIntegral<std::uint16_t>();
    if (change & 1U << 0) {
        if (in.ConsumeIntegralInRange(0, 3) == 0) {
            ClearStatus();
        } else {
            const std::uint32_t mode = in.ConsumeBool() ? in.ConsumeIntegralInRange(0U, 4U)
                                                        : in.ConsumeIntegral<std::uint32_t>();
            SetStatus(in.ConsumeBool() ? in.ConsumeFloatingPointInRange(0.0f, 2.0f) : AnyFloat(in),
                      mode);
        }
    }
    if (change & 1U << 1) {
        switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0:
            run.clock = -1.0f;
            break;
        case 1:
            run.clock = AnyFloat(in);
            break;
        case 2:
            run.clock += AnyFloat(in);
            break;
        default:
            run.clock += in.ConsumeFloatingPointInRange(0.0f, 0.5f);
            break;
        }
    } else {
        run.clock += 1.0f / 60.0f;
    }
    SetClock(run.clock);
    if (change & 1U << 2) {
        SetFrameStep(in.ConsumeBool() ? 1.0f / 60.0f : AnyFloat(in));
    }
    if (change & 1U << 3) {
        SetViewMatrix(AnyMatrix(in));
    }
    if (change & 1U << 4) {
        SetViewProjMatrix(AnyMatrix(in));
    }
    if (change & 1U << 5) {
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            ClearScene();
            break;
        case 1:
            SetScene(false);
            break;
        default:
            SetScene(true);
            break;
        }
    }
    if (change & 1U << 6) {
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            ClearUiRoot();
            break;
        case 1:
            SetUiFlag(0);
            Write<HostAddress>(uiRootObject + hostlayout::uiInnerOffset, 0); // inner link null
            break;
        default:
            SetUiFlag(in.ConsumeIntegral<std::uint8_t>());
            break;
        }
    }
    if (change & 1U << 7) {
        ChangeActors(in, run);
    }
    if ((change & 1U << 8) && !run.listed.empty()) {
        // A listed actor changes in place: kind, stats, health, engagement or position.
        const std::size_t i = in.ConsumeIntegralInRange<std::size_t>(0, run.listed.size() - 1);
        WriteAnyActor(in, run.listed[i]);
    }
    if (change & 1U << 9) {
        // Zero, negative, or a prefix of the list written: never more than the host holds.
        SetActorCount(in.ConsumeIntegralInRange<std::int32_t>(
            in.ConsumeBool() ? std::numeric_limits<std::int32_t>::min() : -3,
            static_cast<std::int32_t>(run.listed.size())));
    }
    if (change & 1U << 10) {
        SetDevice(in.ConsumeIntegralInRange(0, 3) == 0 ? nullptr : &device);
    }
    if (change & 1U << 11) {
        device.failCreateStateBlock = in.ConsumeIntegralInRange(0, 3) == 0;
    }
    return (change & 1U << 12) != 0;
}

// A frame on which the heap is exhausted. The logging device needs memory for its state
// blocks and its log: a device that records nothing stands in for it on that frame.
void DrawWithoutMemory(ModuleObjects& module, CallLogDevice& device) {
    static NullDevice quiet;
    const bool recording = ReadHostDevice() == &device;
    if (recording) {
        SetDevice(&quiet);
    }
    countingallocator::failAllocations = true;
    DrawFrame(module);
    countingallocator::failAllocations = false;
    if (recording) {
        SetDevice(&device);
    }
}

// Frames driven over the whole run, printed at exit: inputs/s alone hides how much each
// input does.
std::uint64_t framesDriven = 0;
std::chrono::steady_clock::time_point runStart;

void PrintFrameRate() {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - runStart).count();
    std::fprintf(stderr, "frames: %llu in %.1f s (%.0f/s)\n",
                 static_cast<unsigned long long>(framesDriven), seconds,
                 seconds > 0 ? framesDriven / seconds : 0.0);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    runStart = std::chrono::steady_clock::now();
    std::atexit(PrintFrameRate);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    ResetHost();
    ModuleObjects module; // fresh for every input, as at load
    // Kept from input to input for the storage of its log; otherwise as new.
    static CallLogDevice device;
    device.Clear();
    device.failCreateStateBlock = false;
    Run run;
    run.listed.reserve(maxListed);
    frameinvariants::Watch watch;
    SetUpShowingHost();
    SetDevice(&device);
    for (int n = 0; n < maxFrames && in.remaining_bytes() > 0; ++n) {
        const bool withoutMemory = ChangeHost(in, run, device);
        ++framesDriven;
        frameinvariants::BeforeFrame(watch, module);
        // An exception leaving the frame would unwind into the host's code.
        try {
            if (withoutMemory) {
                DrawWithoutMemory(module, device);
            } else {
                DrawFrame(module);
            }
        } catch (...) {
            std::fprintf(stderr, "frame %d: an exception escaped DrawActorBars\n", n);
            std::abort();
        }
        const bool deviceHanded = !withoutMemory && ReadHostDevice() == &device;
        const std::string failure =
            frameinvariants::AfterFrame(watch, module, device, deviceHanded);
        if (!failure.empty()) {
            std::fprintf(stderr, "frame %d: %s\n", n, failure.c_str());
            std::abort();
        }
        // The checks read only the frame just run.
        device.Clear();
        watch.callsSeen = 0;
    }
    ResetHost();
    return 0;
}
