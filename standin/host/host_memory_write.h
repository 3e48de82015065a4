// Writes into the host's memory at the fixed addresses: the stand-in's side of host/.
#pragma once

#include <cstring>

#include "host/host_memory.h"

template <class T> void WriteHost(HostAddress address, const T& value) {
    std::memcpy(HostBytes(address), &value, sizeof value);
}

template <class T> HostAddress AddressOf(T* object) {
    return static_cast<HostAddress>(reinterpret_cast<std::uintptr_t>(object));
}
