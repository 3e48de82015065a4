// libFuzzer allocates with nothrow new and frees with plain delete. The counting allocator
// replaces only the throwing forms, so the nothrow ones must come from the same malloc, or
// ASan reports every such pair as a mismatch. They honour the failure switch too.
#include <cstdlib>
#include <new>

#include "tests/support/counting_allocator.h"

namespace {
void* AllocateOrNull(std::size_t size) {
    return countingallocator::failAllocations ? nullptr : std::malloc(size == 0 ? 1 : size);
}
} // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
