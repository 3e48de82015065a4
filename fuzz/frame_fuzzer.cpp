// Turns its input into up to 200 frames of a misbehaving host (tests/support/host_churn.h),
// every choice taken from the input, and runs the module's frame on each over a fresh frame
// state. Aborts on the first frame after which an invariant of frame_invariants.h does not
// hold, or from which an exception escaped.
#include <cstdio>
#include <cstdlib>

#include "host/host_game.h"
#include "tests/support/counting_allocator.h"
#include "tests/support/frame_invariants.h"
#include "tests/support/host_churn.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Choices choose{data, size};
    fakehost::ResetHost();
    FrameState frame; // as at load
    // Kept from input to input for the storage of its log.
    static FakeDevice device;
    // Sixteen address slots keep the host memory touched small and make addresses return.
    HostChurn churn{16, 24};
    frameinvariants::Watch watch;
    for (int n = 0; n < 200 && !choose.Exhausted(); ++n) {
        const bool withoutMemory = ChurnHost(churn, choose, device);
        frameinvariants::BeforeFrame(watch, frame);
        device.Clear();
        // The device's log may not grow on a frame without memory: it stays silent.
        device.silent = withoutMemory;
        countingallocator::failAllocations = withoutMemory;
        bool faulted = false;
        try {
            faulted = !fakehost::DrawGuardedFrame(frame);
        } catch (...) {
            std::fprintf(stderr, "frame %d: an exception escaped the frame\n", n);
            std::abort();
        }
        countingallocator::failAllocations = false;
        const bool handed = ReadHostDevice() == &device && !device.silent;
        const std::string failure =
            frameinvariants::AfterFrame(watch, frame, device, handed, faulted);
        if (!failure.empty()) {
            std::fprintf(stderr, "frame %d: %s\n", n, failure.c_str());
            std::abort();
        }
    }
    return 0;
}
