// The only way the module touches the host's memory. Addresses stay 32-bit everywhere: in
// the DLL a read is a plain load at that address; natively the address is an offset into
// a region that tests fill, so the same code runs in both.
#pragma once

#include <cstdint>
#include <cstddef>
#include <cstring>
#include <type_traits>

#if defined(_WIN32)
using HostAddress = std::uint32_t;
inline unsigned char* HostBytes(HostAddress address) {
    return reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(address));
}
#else
#include "native/host_memory.h"
#endif

// A unit of a read, at any address: the game's garbage can point anywhere, and a load through
// a pointer aligned to 4 would be undefined there.
template <class Bits> struct Unaligned { Bits bits; } __attribute__((packed));

// Word by word (byte by byte for other sizes) through volatile loads: at any optimisation
// level each read is the module's own instruction. A copy left to the compiler may become a
// call of the runtime's memcpy, whose fault the frame guard must not take for the module's.
template <class T> T ReadHost(HostAddress address) {
    using Unit = Unaligned<std::conditional_t<sizeof(T) % 4 == 0, std::uint32_t, std::uint8_t>>;
    const auto* from = reinterpret_cast<const volatile Unit*>(HostBytes(address));
    Unit units[sizeof(T) / sizeof(Unit)];
    for (std::size_t i = 0; i < sizeof units / sizeof(Unit); ++i) {
        units[i].bits = from[i].bits;
    }
    T value;
    std::memcpy(&value, units, sizeof value);
    return value;
}
