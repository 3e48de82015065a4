// A long session of a host that misbehaves (tests/support/host_churn.h). After every frame
// what must hold holds, and the heap holds no more than the module's named buffers, however
// many records. At the end the frame state is destroyed as at unload and its storage must
// go back; LeakSanitizer checks the rest at exit.
//
// Usage: soak_test [frames]   (default 1,000,000)
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "tests/support/counting_allocator.h"
#include "tests/support/host_churn.h"

namespace {

// The module's buffers, by name, so that any other allocation fails the run: the bar list's
// entries and draw order, the tracker's records and its arrivals.
constexpr std::size_t moduleBuffers = 4;

// Everything alive before the frame state was made: the test's own storage, grown in advance.
std::size_t baseline = 0;

std::size_t ModuleAllocations() {
    return countingallocator::liveAllocations - baseline;
}

const char* CheckHeap() {
    return ModuleAllocations() > moduleBuffers ? "an allocation past the named ones" : nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t frames = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    fakehost::ResetHost();
    // 128 addresses for at most 48 listed actors: addresses often come back.
    HostChurn churn{std::vector<fakehost::Actor>(128), 48};
    FakeDevice device;
    churn.listed.reserve(churn.maxListed);
    device.calls.reserve(4096);
    device.vertices.reserve(8192);
    baseline = countingallocator::liveAllocations;
    Choices choose;
    // Logging every call of every frame would cost the sanitizers more than the frames.
    std::string failure = RunChurn(churn, choose, device, frames, 4, CheckHeap);
    if (failure.empty() && ModuleAllocations() != 0) {
        failure = "storage not given back at unload";
    }
    std::printf("soak: %" PRIu64 " frames: %s\n", frames, failure.empty() ? "ok" : failure.c_str());
    return failure.empty() ? 0 : 1;
}
