#include "tests/support/counting_allocator.h"

#include <cstdlib>
#include <new>

namespace countingallocator {
std::size_t allocations = 0;
std::size_t liveAllocations = 0;
bool failAllocations = false;
} // namespace countingallocator

namespace {
void* CountedAllocate(std::size_t size) {
    using namespace countingallocator;
    if (failAllocations) {
        throw std::bad_alloc();
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    ++allocations;
    ++liveAllocations;
    return p;
}

void CountedFree(void* p) {
    if (p != nullptr) {
        --countingallocator::liveAllocations;
        std::free(p);
    }
}
} // namespace

void* operator new(std::size_t size) {
    return CountedAllocate(size);
}
void* operator new[](std::size_t size) {
    return CountedAllocate(size);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}

// Some libraries (libFuzzer among them) allocate with the nothrow forms and free with plain
// delete: both must go through the same counted malloc.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return CountedAllocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    CountedFree(p);
}
