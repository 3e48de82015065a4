#include "bars/bar_list.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "bars/bar_animation.h"
#include "bars/frame_driver.h"
#include "host/host_game.h"

namespace {

// The sort moves 8-byte keys, not 72-byte entries, and each entry once at the end. Kept
// across frames like the list, so steady frames do not allocate.
std::vector<std::uint64_t> sortKeys;
std::vector<std::uint64_t> sortSpare;

// Below this a comparison sort of the keys beats the radix passes.
constexpr std::size_t radixSortMinimum = 1024;

bool FartherFirst(const BarEntry& a, const BarEntry& b) {
    return a.anchor.z > b.anchor.z;
}

// Ascending key order is descending depth. Depths are never NaN here; -0 and +0 become
// neighbouring keys, which is as good as equal.
std::uint32_t FartherFirstKey(float depth) {
    std::uint32_t bits;
    std::memcpy(&bits, &depth, sizeof bits);
    const std::uint32_t ascending = (bits & 0x80000000U) != 0 ? ~bits : bits | 0x80000000U;
    return ~ascending;
}

// Three passes of 11, 11 and 10 bits over the key's upper 32 bits, least significant
// first; a digit that every key shares costs no pass. Returns whichever buffer ends up
// holding the sorted keys.
constexpr int radixPasses = 3;
constexpr int radixDigitBits = 11;
constexpr std::size_t radixDigits = std::size_t{1} << radixDigitBits;

std::uint64_t* RadixSortKeys(std::uint64_t* keys, std::uint64_t* spare, std::size_t n) {
    static std::uint32_t counts[radixPasses][radixDigits];
    std::memset(counts, 0, sizeof counts);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t k = keys[i] >> 32;
        ++counts[0][k & (radixDigits - 1)];
        ++counts[1][(k >> radixDigitBits) & (radixDigits - 1)];
        ++counts[2][k >> (2 * radixDigitBits)];
    }
    for (int pass = 0; pass < radixPasses; ++pass) {
        const int shift = 32 + radixDigitBits * pass;
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
void PermuteList(std::uint64_t* order, std::size_t n) {
    BarEntry* list = barList.data();
    for (std::size_t start = 0; start < n; ++start) {
        if ((order[start] & 0xFFFFFFFFU) == start) {
            continue;
        }
        const BarEntry first = list[start];
        std::size_t to = start;
        for (;;) {
            const std::size_t from = order[to] & 0xFFFFFFFFU;
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

bool GrowSortScratch(std::size_t n) {
    try {
        if (sortKeys.size() < n) {
            sortKeys.resize(n);
        }
        if (n >= radixSortMinimum && sortSpare.size() < n) {
            sortSpare.resize(n);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Far to near; entries of equal depth may come in any order.
void SortFarToNear() {
    const std::size_t n = barList.size();
    if (n < 2) {
        return;
    }
    if (!GrowSortScratch(n)) {
        std::sort(barList.begin(), barList.end(), FartherFirst);
        return;
    }
    std::uint64_t* keys = sortKeys.data();
    for (std::size_t i = 0; i < n; ++i) {
        keys[i] = std::uint64_t{FartherFirstKey(barList[i].anchor.z)} << 32 | i;
    }
    if (n < radixSortMinimum) {
        std::sort(keys, keys + n);
    } else {
        keys = RadixSortKeys(keys, sortSpare.data(), n);
    }
    PermuteList(keys, n);
}

} // namespace

void BuildBarList() {
    barList.clear();
    const float frameDelta = frameClock.frameDelta;
    const D3DXMATRIX* viewMatrix = HostViewMatrix();
    for (auto& [address, record] : actorTracker.records) {
        BarEntry entry;
        if (!AnimateBar(record.bar, frameDelta, viewMatrix, &entry)) {
            continue;
        }
        try {
            barList.push_back(entry);
        } catch (const std::bad_alloc&) {
            // The list keeps the bars it has; every record's timers still advance.
        }
    }
    SortFarToNear();
}
