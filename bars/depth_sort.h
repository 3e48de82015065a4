// Orders a bar list far to near. The sort moves 8-byte keys, not 72-byte entries, and each
// entry once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bars/bar_list.h"

// Below this a comparison sort of the keys beats the radix passes.
constexpr std::size_t radixSortMinimum = 1024;

// Three passes of 11, 11 and 10 bits over a key's upper 32 bits.
constexpr int radixPasses = 3;
constexpr int radixDigitBits = 11;
constexpr std::size_t radixDigits = std::size_t{1} << radixDigitBits;

// Kept across frames like the list, so steady frames do not allocate.
struct DepthSortScratch {
    std::vector<std::uint64_t> keys;
    std::vector<std::uint64_t> spare;
    std::uint32_t counts[radixPasses][radixDigits] = {};
};

// Ascending key order is descending depth. -0 and +0 become neighbouring keys (+0 first),
// which is as good as equal. Not for NaN.
std::uint32_t FartherFirstKey(float depth);

// Sorts by FartherFirstKey, entries of equal key keeping their order. Without scratch
// memory it falls back to an unstable sort by depth.
void SortFarToNear(BarList& list, DepthSortScratch& scratch);
