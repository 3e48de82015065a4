// Native host memory: 4 GiB of address space reserved up front, so that every 32-bit host
// address maps to base + address. Pages cost nothing until a test writes them.
#include "host/host_game.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>

namespace {
constexpr std::size_t hostAddressSpace = std::size_t{1} << 32;

unsigned char* MapHostMemory() {
    void* base = mmap(nullptr, hostAddressSpace, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED) {
        std::perror("reserving native host memory");
        std::abort();
    }
    return static_cast<unsigned char*>(base);
}

unsigned char* const hostMemory = MapHostMemory();

// Dropping the whole region costs a walk of its page tables and a TLB flush, and every
// page written afterwards faults in again: far more than the frames a test or a fuzz input
// drives. So writes mark the pages they touch, and a reset zeroes just those, unless more
// were written than the list holds.
constexpr std::size_t trackedPageSize = 4096;
constexpr std::size_t trackedPages = hostAddressSpace / trackedPageSize;
constexpr std::size_t maxListedPages = 4096;

std::uint64_t writtenBits[trackedPages / 64];
std::uint32_t writtenPages[maxListedPages];
std::size_t writtenCount = 0;
bool tooManyWritten = false;

void MarkWritten(std::size_t page) {
    std::uint64_t& word = writtenBits[page / 64];
    const std::uint64_t bit = std::uint64_t{1} << (page % 64);
    if ((word & bit) != 0) {
        return;
    }
    word |= bit;
    if (writtenCount < maxListedPages) {
        writtenPages[writtenCount++] = static_cast<std::uint32_t>(page);
    } else {
        tooManyWritten = true;
    }
}
} // namespace

const unsigned char* const hostMemoryBase = hostMemory;

void WriteHostMemory(HostAddress address, const void* bytes, std::size_t size) {
    if (size == 0) {
        return;
    }
    const std::size_t end = std::size_t{address} + size;
    if (end > hostAddressSpace) {
        std::fprintf(stderr, "host write of %zu bytes at %#x runs past 4 GiB\n", size, address);
        std::abort();
    }
    for (std::size_t page = address / trackedPageSize; page <= (end - 1) / trackedPageSize;
         ++page) {
        MarkWritten(page);
    }
    std::memcpy(hostMemory + address, bytes, size);
}

void ResetHostMemory() {
    if (tooManyWritten) {
        if (madvise(hostMemory, hostAddressSpace, MADV_DONTNEED) != 0) {
            std::perror("dropping native host memory");
            std::abort();
        }
        std::memset(writtenBits, 0, sizeof writtenBits);
    } else {
        for (std::size_t i = 0; i < writtenCount; ++i) {
            const std::size_t page = writtenPages[i];
            std::memset(hostMemory + page * trackedPageSize, 0, trackedPageSize);
            writtenBits[page / 64] &= ~(std::uint64_t{1} << (page % 64));
        }
    }
    writtenCount = 0;
    tooManyWritten = false;
}

IDirect3DDevice9* nativeHostDevice = nullptr;
