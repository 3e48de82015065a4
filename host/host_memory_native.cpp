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
} // namespace

unsigned char* const hostMemoryBase = MapHostMemory();

void ResetHostMemory() {
    madvise(hostMemoryBase, hostAddressSpace, MADV_DONTNEED);
}

IDirect3DDevice9* nativeHostDevice = nullptr;
