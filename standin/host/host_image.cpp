#include "standin/host/host_image.h"

#include <cstdint>
#include <windows.h>

namespace {

// Zero-filled by the loader. Wherever the linker puts it after the code, 6 MiB starting
// below 0x6E7000 reaches past 0x9A0000.
constexpr std::uint32_t hostImageSize = 0x600000;
__attribute__((aligned(4096), used)) unsigned char hostImage[hostImageSize];

constexpr std::uintptr_t layoutBegin = 0x6E7000;
constexpr std::uintptr_t layoutEnd = 0x9A0000;

bool InsideOwnImage(std::uintptr_t address) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info) == 0) {
        return false;
    }
    return info.State == MEM_COMMIT && info.Type == MEM_IMAGE &&
           info.AllocationBase == GetModuleHandleW(nullptr);
}

} // namespace

bool HostImageCoversLayout() {
    const auto begin = reinterpret_cast<std::uintptr_t>(hostImage);
    if (begin > layoutBegin || begin + hostImageSize < layoutEnd) {
        return false;
    }
    for (std::uintptr_t page = layoutBegin; page < layoutEnd; page += 0x1000) {
        if (!InsideOwnImage(page)) {
            return false;
        }
    }
    return true;
}
