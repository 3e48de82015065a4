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

// A `jmp rel32` or `call rel32`: both are as long as the game's call instruction.
void PutRel32(std::uint32_t at, unsigned char opcode, std::uint32_t target) {
    const std::int32_t displacement = CallDisplacement(at + hostlayout::callLength, target);
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
void WriteRoutineAround(const unsigned char site[hostlayout::callLength]) {
    static const unsigned char prologue[] = {0xFF, 0x74, 0x24, 0x04, 0x90, 0x90, 0x90};
    static const unsigned char epilogue[] = {0x83, 0xC4, 0x04, 0xC3};
    static_assert(frameRoutine + sizeof prologue == hostlayout::callSite, "routine layout");
    OpenCode(frameRoutine);
    std::memcpy(At(frameRoutine), prologue, sizeof prologue);
    std::memcpy(At(hostlayout::callSite), site, hostlayout::callLength);
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
    unsigned char site[hostlayout::callLength];
    const std::int32_t displacement = CallDisplacement(hostlayout::callNextInstruction, target);
    site[0] = hostlayout::callOpcode;
    std::memcpy(site + 1, &displacement, sizeof displacement);
    WriteRoutineAround(site);
}

void WriteForeignRoutine() {
    // mov eax, imm32: five bytes that another build might hold there.
    unsigned char site[hostlayout::callLength] = {0xB8};
    std::memcpy(site + 1, &foreignRoutineResult, sizeof foreignRoutineResult);
    WriteRoutineAround(site);
}

void ReadCallSite(unsigned char bytes[hostlayout::callLength]) {
    std::memcpy(bytes, At(hostlayout::callSite), hostlayout::callLength);
}

std::uint32_t CallSiteTarget() {
    unsigned char bytes[hostlayout::callLength];
    ReadCallSite(bytes);
    if (bytes[0] != hostlayout::callOpcode) {
        return 0;
    }
    std::int32_t displacement;
    std::memcpy(&displacement, bytes + 1, sizeof displacement);
    return CallTarget(hostlayout::callNextInstruction, displacement);
}

std::uint32_t CallFrameRoutine(std::uint32_t argument) {
    using Routine = std::uint32_t(__cdecl*)(std::uint32_t);
    return reinterpret_cast<Routine>(static_cast<std::uintptr_t>(frameRoutine))(argument);
}
