// 4 GiB of address space reserved up front, so that every host address maps to base +
// address. Pages cost nothing until written.
#include "native/host_memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    std::memcpy(hostMemory + address, bytes, size);
}

void ResetHostMemory(HostAddress freed) {
    if (freedPage >= pageSize) {
        Protect(freedPage, PROT_READ | PROT_WRITE);
    }
    if (madvise(hostMemory, hostAddressSpace, MADV_DONTNEED) != 0) {
        std::perror("dropping native host memory");
        std::abort();
    }
    freedPage = freed;
    Protect(freedPage, PROT_NONE);
}
