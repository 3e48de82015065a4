// 4 GiB of address space reserved up front, so that every host address maps to base +
// address. Pages cost nothing until written.
#include "native/host_memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sys/mman.h>

namespace {
constexpr std::size_t hostAddressSpace = std::size_t{1} << 32;
constexpr std::size_t pageSize = 4096;

unsigned char* const hostMemory = [] {
    void* base = mmap(nullptr, hostAddressSpace, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED) {
        std::perror("reserving native host memory");
        std::abort();
    }
    // Address 0 faults, as in the game's process: a null pointer the module follows
    // untested crashes here too, instead of reading zeros.
    if (mprotect(base, pageSize, PROT_NONE) != 0) {
        std::perror("protecting native host memory's first page");
        std::abort();
    }
    return static_cast<unsigned char*>(base);
}();

// Dropping the whole region costs a walk of its page tables, and every page written again
// faults in: far more than a fuzz input's frames. So a reset zeroes what was written,
// unless more was written than this list holds.
struct Written {
    HostAddress address;
    std::uint32_t size;
};
Written written[65536];
std::size_t writtenCount = 0;
bool tooManyWritten = false;

HostAddress freedPage = 0;

void Protect(HostAddress page, int protection) {
    if (mprotect(hostMemory + page - page % pageSize, pageSize, protection) != 0) {
        std::perror("protecting native host memory");
        std::abort();
    }
}
} // namespace

const unsigned char* const hostMemoryBase = hostMemory;
IDirect3DDevice9* nativeHostDevice = nullptr;

void WriteHostMemory(HostAddress address, const void* bytes, std::size_t size) {
    if (size == 0) {
        return;
    }
    if (std::size_t{address} + size > hostAddressSpace) {
        std::fprintf(stderr, "host write of %zu bytes at %#x runs past 4 GiB\n", size, address);
        std::abort();
    }
    if (writtenCount < std::size(written)) {
        written[writtenCount++] = {address, static_cast<std::uint32_t>(size)};
    } else {
        tooManyWritten = true;
    }
    std::memcpy(hostMemory + address, bytes, size);
}

void ResetHostMemory(HostAddress freed) {
    if (freedPage >= pageSize) {
        Protect(freedPage, PROT_READ | PROT_WRITE);
    }
    if (tooManyWritten && madvise(hostMemory, hostAddressSpace, MADV_DONTNEED) != 0) {
        std::perror("dropping native host memory");
        std::abort();
    }
    for (std::size_t i = 0; i < writtenCount && !tooManyWritten; ++i) {
        std::memset(hostMemory + written[i].address, 0, written[i].size);
    }
    writtenCount = 0;
    tooManyWritten = false;
    freedPage = freed;
    Protect(freedPage, PROT_NONE);
}
