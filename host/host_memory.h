// The only way the module touches the host's memory. Addresses stay 32-bit everywhere: in
// the DLL a read is a plain load at that address; natively the address is an offset into
// a reserved region that tests fill, so the same code runs in both.
#pragma once

#include <cstdint>
#include <cstring>

using HostAddress = std::uint32_t;

#if defined(_WIN32)
inline unsigned char* HostBytes(HostAddress address) {
    return reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(address));
}
#else
// Read-only here: natively, host memory changes only through WriteHostMemory, so that a
// reset knows everything that was written (and the module cannot write it at all).
extern const unsigned char* const hostMemoryBase;
inline const unsigned char* HostBytes(HostAddress address) {
    return hostMemoryBase + address;
}
// Stands in for the host writing its own memory (tests, benchmarks, fuzzing).
void WriteHostMemory(HostAddress address, const void* bytes, std::size_t size);
// Forgets everything written to the native host memory (every byte reads 0 again).
void ResetHostMemory();
#endif

template <class T> T ReadHost(HostAddress address) {
    T value;
    std::memcpy(&value, HostBytes(address), sizeof value);
    return value;
}

template <class T> const T* HostObject(HostAddress address) {
    return reinterpret_cast<const T*>(HostBytes(address));
}
