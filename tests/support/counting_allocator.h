// Global allocation counters, and a switch that makes every allocation fail, for the
// programs that link the counting allocator.
#pragma once

#include <cstddef>

namespace countingallocator {
extern std::size_t allocations;
extern std::size_t liveAllocations;
// While true, every operator new throws std::bad_alloc.
extern bool failAllocations;
} // namespace countingallocator
