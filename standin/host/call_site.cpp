#include "standin/host/call_site.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <windows.h>

#include "host/host_layout.h"
#include "module/call_patch.h"
#include "standin/host/host_callee.h"

namespace {

// A jump to the callee placed above the call site, for a positive displacement.
constexpr std::uint32_t upperCallee = 0x6F0000;
constexpr std::uint32_t pageSize = 0x1000;

unsigned char* At(std::uint32_t address) {
    return reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(address));
}

void PutRel32(std::uint32_t at, unsigned char opcode, std::uint32_t target) {
    const std::int32_t displacement = CallDisplacement(at + 5, target);
    At(at)[0] = opcode;
    std::memcpy(At(at + 1), &displacement, sizeof displacement);
}

void ProtectPage(std::uint32_t address, DWORD protection) {
    DWORD old;
    const std::uint32_t page = address & ~(pageSize - 1);
    if (!VirtualProtect(At(page), pageSize, protection, &old)) {
        std::fprintf(stderr, "standin: cannot protect code page %#x\n", page);
        std::exit(2);
    }
    FlushInstructionCache(GetCurrentProcess(), At(page), pageSize);
}

// Game code is read and execute only; the module must make it writable itself. The host
// opens it again only to write a new routine (a later check in the same run).
void SealCode(std::uint32_t address) {
    ProtectPage(address, PAGE_EXECUTE_READ);
}
void OpenCode(std::uint32_t address) {
    ProtectPage(address, PAGE_READWRITE);
}

// push dword [esp+4]; nops up to the call site; <call site>; add esp, 4; ret
void WriteRoutineAround(const unsigned char site[5]) {
    static const unsigned char prologue[] = {0xFF, 0x74, 0x24, 0x04, 0x90, 0x90, 0x90};
    static const unsigned char epilogue[] = {0x83, 0xC4, 0x04, 0xC3};
    static_assert(frameRoutine + sizeof prologue == hostlayout::callSite, "routine layout");
    OpenCode(frameRoutine);
    std::memcpy(At(frameRoutine), prologue, sizeof prologue);
    std::memcpy(At(hostlayout::callSite), site, 5);
    std::memcpy(At(hostlayout::callNextInstruction), epilogue, sizeof epilogue);
    SealCode(frameRoutine);
}

std::uint32_t CalleeAddress() {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&HostFrameCallee));
}

} // namespace

void WriteFrameRoutine(CalleePlace place) {
    std::uint32_t target = CalleeAddress();
    if (place == CalleePlace::above) {
        OpenCode(upperCallee);
        PutRel32(upperCallee, 0xE9, target);
        SealCode(upperCallee);
        target = upperCallee;
    }
    unsigned char site[5];
    const std::int32_t displacement = CallDisplacement(hostlayout::callNextInstruction, target);
    site[0] = hostlayout::callOpcode;
    std::memcpy(site + 1, &displacement, sizeof displacement);
    WriteRoutineAround(site);
}

void WriteForeignRoutine() {
    // mov eax, imm32: five bytes that another build might hold there.
    const unsigned char site[5] = {0xB8, 0x78, 0x56, 0x34, 0x12};
    WriteRoutineAround(site);
}

void ReadCallSite(unsigned char bytes[5]) {
    std::memcpy(bytes, At(hostlayout::callSite), 5);
}

std::uint32_t CallSiteTarget() {
    unsigned char bytes[5];
    ReadCallSite(bytes);
    if (bytes[0] != hostlayout::callOpcode) {
        return 0;
    }
    std::int32_t displacement;
    std::memcpy(&displacement, bytes + 1, sizeof displacement);
    return hostlayout::callNextInstruction + static_cast<std::uint32_t>(displacement);
}

std::uint32_t CallFrameRoutine(std::uint32_t argument) {
    using Routine = std::uint32_t(__cdecl*)(std::uint32_t);
    return reinterpret_cast<Routine>(static_cast<std::uintptr_t>(frameRoutine))(argument);
}
