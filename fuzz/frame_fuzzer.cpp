// Turns its input into up to 200 frames of a misbehaving host (tests/support/host_churn.h),
// every choice taken from the input, over a fresh frame state. Aborts on the first frame
// after which what must hold does not; an exception that escapes the frame aborts on its own.
#include <cstdio>
#include <cstdlib>

#include "tests/support/host_churn.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Choices choose{data, size};
    fakehost::ResetHost();
    static FakeDevice device; // its log's storage kept from input to input
    // Sixteen address slots keep the host memory touched small and make addresses return.
    HostChurn churn{std::vector<fakehost::Actor>(16), 24};
    const std::string failure = RunChurn(churn, choose, device, 200, 1, nullptr);
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
