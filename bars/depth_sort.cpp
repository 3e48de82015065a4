#include "bars/depth_sort.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// A key is the depth's FartherFirstKey in its upper 32 bits and the entry's index in the
// lower 32.
constexpr int indexBits = 32;
constexpr std::uint64_t indexMask = 0xFFFFFFFFU;
constexpr std::uint32_t floatSignBit = 0x80000000U;

bool FartherFirst(const BarEntry& a, const BarEntry& b) {
    return a.anchor.z > b.anchor.z;
}

// Least significant digit first; a digit that every key shares costs no pass. Returns
// whichever buffer ends up holding the sorted keys.
std::uint64_t* RadixSortKeys(std::uint64_t* keys, std::uint64_t* spare, std::size_t n,
                             std::uint32_t (&counts)[radixPasses][radixDigits]) {
    std::memset(counts, 0, sizeof counts);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t k = keys[i] >> indexBits;
        ++counts[0][k & (radixDigits - 1)];
        ++counts[1][(k >> radixDigitBits) & (radixDigits - 1)];
        ++counts[2][k >> (2 * radixDigitBits)];
    }
    for (int pass = 0; pass < radixPasses; ++pass) {
        const int shift = indexBits + radixDigitBits * pass;
        std::uint32_t* count = counts[pass];
        if (count[(keys[0] >> shift) & (radixDigits - 1)] == n) {
            continue;
        }
        std::uint32_t offset = 0;
        for (std::size_t digit = 0; digit < radixDigits; ++digit) {
            const std::uint32_t c = count[digit];
            count[digit] = offset;
            offset += c;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint64_t k = keys[i];
            spare[count[(k >> shift) & (radixDigits - 1)]++] = k;
        }
        std::swap(keys, spare);
    }
    return keys;
}

// Moves every entry to its place along the permutation's cycles; an index that has been
// placed is marked by pointing at itself.
void PermuteList(BarEntry* list, std::uint64_t* order, std::size_t n) {
    for (std::size_t start = 0; start < n; ++start) {
        if ((order[start] & indexMask) == start) {
            continue;
        }
        const BarEntry first = list[start];
        std::size_t to = start;
        for (;;) {
            const std::size_t from = order[to] & indexMask;
            order[to] = to;
            if (from == start) {
                list[to] = first;
                break;
            }
            list[to] = list[from];
            to = from;
        }
    }
}

bool GrowScratch(DepthSortScratch& scratch, std::size_t n) {
    try {
        if (scratch.keys.size() < n) {
            scratch.keys.resize(n);
        }
        if (n >= radixSortMinimum && scratch.spare.size() < n) {
            scratch.spare.resize(n);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

} // namespace

std::uint32_t FartherFirstKey(float depth) {
    std::uint32_t bits;
    std::memcpy(&bits, &depth, sizeof bits);
    // Negative floats order backwards as integers: flipping every bit of those and only the
    // sign bit of the others gives keys that ascend with the depth.
    const std::uint32_t ascending = (bits & floatSignBit) != 0 ? ~bits : bits | floatSignBit;
    return ~ascending;
}

void SortFarToNear(BarList& list, DepthSortScratch& scratch) {
    const std::size_t n = list.size();
    if (n < 2) {
        return;
    }
    if (!GrowScratch(scratch, n)) {
        std::sort(list.begin(), list.end(), FartherFirst);
        return;
    }
    // The entry's index in the low half makes every key unique, so equal depths keep
    // their order.
    std::uint64_t* keys = scratch.keys.data();
    for (std::size_t i = 0; i < n; ++i) {
        keys[i] = std::uint64_t{FartherFirstKey(list[i].anchor.z)} << indexBits | i;
    }
    if (n < radixSortMinimum) {
        std::sort(keys, keys + n);
    } else {
        keys = RadixSortKeys(keys, scratch.spare.data(), n, scratch.counts);
    }
    PermuteList(list.data(), keys, n);
}
