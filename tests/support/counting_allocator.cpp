#include "tests/support/counting_allocator.h"

#include <cstdlib>
#include <new>

namespace countingallocator {
std::size_t allocations = 0;
std::size_t liveAllocations = 0;
bool failAllocations = false;
} // namespace countingallocator

using namespace countingallocator;

void* operator new(std::size_t size) {
    void* p = failAllocations ? nullptr : std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    ++allocations;
    ++liveAllocations;
    return p;
}
void operator delete(void* p) noexcept {
    liveAllocations -= p != nullptr;
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
// Some libraries (libFuzzer among them) allocate with the nothrow form and free with plain
// delete: both must go through the same counted malloc. The array forms, which nothing the
// counts are about uses, stay the sanitizer's, a pair of their own.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
