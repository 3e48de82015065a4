// A long session of a host that misbehaves (tests/support/host_churn.h). After every frame
// the invariants of frame_invariants.h hold, and the heap holds no more than a few named
// buffers, however many records. At the end the frame state is destroyed as at unload and
// its storage must go back; LeakSanitizer checks the rest at exit.
//
// Usage: soak_test [frames]   (default 1,000,000)
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "tests/support/counting_allocator.h"
#include "tests/support/host_churn.h"

namespace {

// The module's buffers, by name, so that any other allocation fails the run: the bar list's
// entries and draw order, the tracker's records and its arrivals.
constexpr std::size_t moduleBuffers = 4;

[[noreturn]] void Fail(std::uint64_t frame, const char* what) {
    std::fprintf(stderr, "soak: frame %" PRIu64 ": %s\n", frame, what);
    std::exit(1);
}

struct Totals {
    std::uint64_t shownFrames = 0, faultedFrames = 0;
    std::size_t peakRecords = 0;
};

// The frame state is made here as the DLL makes it at load, and destroyed on return as at
// unload. `baseline` counts everything else alive: the test's own storage, grown in advance.
void RunFrames(std::uint64_t frames, HostChurn& churn, FakeDevice& device, std::size_t baseline,
               Totals& totals) {
    FrameState frame;
    Choices choose;
    for (std::uint64_t n = 0; n < frames; ++n) {
        // Logging every call of every frame would cost the sanitizers more than the frames.
        bool faulted = false;
        const std::string failure =
            RunChurnedFrame(churn, choose, device, frame, n % 4 != 0, faulted);
        if (!failure.empty()) {
            Fail(n, failure.c_str());
        }
        totals.shownFrames += frame.driver.sceneActive && !frame.driver.suppressLatch;
        totals.faultedFrames += faulted;
        const ActorTracker& tracker = frame.tracker;
        totals.peakRecords = std::max(totals.peakRecords, tracker.records.size());
        if (!frame.driver.sceneActive &&
            tracker.records.capacity() + tracker.arrivals.capacity() != 0) {
            Fail(n, "an emptied tracker kept its storage");
        }
        const std::size_t live =
            countingallocator::liveAllocations - baseline - churn.listedSinceReset.size();
        if (live > moduleBuffers) {
            Fail(n, "more live allocations than the module's named buffers");
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t frames = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    fakehost::ResetHost();
    Totals totals;
    // 128 addresses for at most 48 listed actors: addresses often come back.
    HostChurn churn{std::vector<fakehost::Actor>(128), 48};
    FakeDevice device;
    churn.listed.reserve(churn.maxListed);
    device.calls.reserve(4096);
    device.vertices.reserve(8192);
    const std::size_t baseline = countingallocator::liveAllocations;
    RunFrames(frames, churn, device, baseline, totals);
    const std::size_t left =
        countingallocator::liveAllocations - baseline - churn.listedSinceReset.size();
    std::printf("soak: %" PRIu64 " frames, %" PRIu64 " shown, %" PRIu64 " ended by a fault, peak "
                "records %zu; %zu allocations left after unload\n",
                frames, totals.shownFrames, totals.faultedFrames, totals.peakRecords, left);
    if (left != 0) {
        Fail(frames, "storage not given back when the frame state was destroyed");
    }
    return 0;
}
