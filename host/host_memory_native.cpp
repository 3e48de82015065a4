// Native host memory: 4 GiB of address space reserved up front, so that every 32-bit host
// address maps to base + address. Pages cost nothing until a test writes them.
#include "host/host_game.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>

namespace {
constexpr std::size_t hostAddressSpace = std::size_t{1} << 32;

unsigned char* Reserve(std::size_t size) {
    void* base = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED) {
        std::perror("reserving native host memory");
        std::abort();
    }
    return static_cast<unsigned char*>(base);
}

void Drop(void* region, std::size_t size) {
    if (madvise(region, size, MADV_DONTNEED) != 0) {
        std::perror("dropping native host memory");
        std::abort();
    }
}

unsigned char* const hostMemory = Reserve(hostAddressSpace);

// Dropping the whole region costs a walk of its page tables and a TLB flush, and every
// page written afterwards faults in again: far more than the frames a test or a fuzz input
// drives. So writes mark the 64-byte lines they touch, and a reset zeroes just those,
// unless more were written than the list holds.
constexpr std::size_t lineSize = 64;
constexpr std::size_t lineCount = hostAddressSpace / lineSize;
constexpr std::size_t maxListedLines = 65536;

std::uint64_t* const writtenBits = reinterpret_cast<std::uint64_t*>(Reserve(lineCount / 8));
std::uint32_t writtenLines[maxListedLines];
std::size_t writtenCount = 0;
bool tooManyWritten = false;

void MarkWritten(std::size_t line) {
    std::uint64_t& word = writtenBits[line / 64];
    const std::uint64_t bit = std::uint64_t{1} << (line % 64);
    if ((word & bit) != 0) {
        return;
    }
    word |= bit;
    if (writtenCount < maxListedLines) {
        writtenLines[writtenCount++] = static_cast<std::uint32_t>(line);
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
    for (std::size_t line = address / lineSize; line <= (end - 1) / lineSize; ++line) {
        MarkWritten(line);
    }
    std::memcpy(hostMemory + address, bytes, size);
}

void ResetHostMemory() {
    if (tooManyWritten) {
        Drop(hostMemory, hostAddressSpace);
        Drop(writtenBits, lineCount / 8);
    } else {
        for (std::size_t i = 0; i < writtenCount; ++i) {
            const std::size_t line = writtenLines[i];
            std::memset(hostMemory + line * lineSize, 0, lineSize);
            writtenBits[line / 64] &= ~(std::uint64_t{1} << (line % 64));
        }
    }
    writtenCount = 0;
    tooManyWritten = false;
}

IDirect3DDevice9* nativeHostDevice = nullptr;
