// The native build's host memory: the 32-bit host address space is a reserved region that
// tests, benchmarks and the fuzz target fill, so that the module's reads run unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

using HostAddress = std::uint32_t;

// Read-only here: host memory changes only through WriteHostMemory, so the module cannot
// write it at all.
extern const unsigned char* const hostMemoryBase;
inline const unsigned char* HostBytes(HostAddress address) {
    return hostMemoryBase + address;
}

// Stands in for the host writing its own memory.
void WriteHostMemory(HostAddress address, const void* bytes, std::size_t size);
// Forgets everything written: every byte reads 0 again, but for the first page, which is
// never readable. The 4 KiB page that holds `freed` becomes unreadable too, as memory the
// game has freed: a read of it raises SIGSEGV.
void ResetHostMemory(HostAddress freed);

struct IDirect3DDevice9;
// A native device cannot live at a 32-bit address: the host's device word is a handle, and
// any nonzero handle stands for this device.
extern IDirect3DDevice9* nativeHostDevice;
