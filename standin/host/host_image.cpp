#include "standin/host/host_image.h"

#include <algorithm>
#include <cstdint>
#include <windows.h>

#include "standin/host/game_layout.h"

namespace {

constexpr std::uintptr_t pageSize = 0x1000;

// The highest of the game's fixed addresses, with room past it for the largest value kept at
// any of them (a matrix).
constexpr std::uintptr_t highestFixedAddress = std::max(
    {game::clock, game::frameStep, game::actorCount, game::viewMatrix, game::viewProjMatrix,
     game::status, game::scene, game::uiRoot, game::actorList, game::device});
constexpr std::uintptr_t largestFixedValue = 16 * sizeof(float);

// From the page of the call site up past the highest fixed address.
constexpr std::uintptr_t layoutBegin = game::callSite & ~(pageSize - 1);
constexpr std::uintptr_t layoutEnd =
    (highestFixedAddress + largestFixedValue + pageSize - 1) & ~(pageSize - 1);

// Zero-filled by the loader. Wherever the linker puts it after the code, 6 MiB starting
// below the call site's page reaches past layoutEnd.
constexpr std::uint32_t hostImageSize = 0x600000;
__attribute__((aligned(4096), used)) unsigned char hostImage[hostImageSize];

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
    for (std::uintptr_t page = layoutBegin; page < layoutEnd; page += pageSize) {
        if (!InsideOwnImage(page)) {
            return false;
        }
    }
    return true;
}
