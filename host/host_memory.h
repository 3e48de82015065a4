// The only way the module touches the host's memory. Addresses stay 32-bit everywhere: in
// the DLL a read is a plain load at that address; natively the address is an offset into
// a region that tests fill, so the same code runs in both.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(_WIN32)
using HostAddress = std::uint32_t;
inline unsigned char* HostBytes(HostAddress address) {
    return reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(address));
}
#else
#include "native/host_memory.h"
#endif

template <class T> T ReadHost(HostAddress address) {
    T value;
    std::memcpy(&value, HostBytes(address), sizeof value);
    return value;
}
