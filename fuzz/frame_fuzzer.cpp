// Turns its input into up to 200 frames of a misbehaving host (tests/support/host_churn.h),
// every choice taken from the input, and runs the module's frame on each over a fresh frame
// state. Aborts on the first frame after which an invariant of frame_invariants.h does not
// hold; an exception that escapes the frame aborts on its own.
#include <cstdio>
#include <cstdlib>

#include "tests/support/host_churn.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Choices choose{data, size};
    fakehost::ResetHost();
    FrameState frame; // as at load
    // Kept from input to input for the storage of its log.
    static FakeDevice device;
    // Sixteen address slots keep the host memory touched small and make addresses return.
    HostChurn churn{std::vector<fakehost::Actor>(16), 24};
    for (int n = 0; n < 200 && !choose.Exhausted(); ++n) {
        bool faulted = false;
        const std::string failure = RunChurnedFrame(churn, choose, device, frame, false, faulted);
        if (!failure.empty()) {
            std::fprintf(stderr, "frame %d: %s\n", n, failure.c_str());
            std::abort();
        }
    }
    return 0;
}
