#include "standin/host/call_site.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <windows.h>

#include "standin/host/host_callee.h"
#include "standin/host/host_memory_write.h"

namespace {

// A jump to the callee placed above the call site, for a positive displacement.
constexpr std::uint32_t upperCallee = 0x6F0000;
constexpr std::uint32_t pageSize = 0x1000;

// A `jmp rel32` or `call rel32` placed at `at`: both are as long as the game's call
// instruction.
CallSiteBytes Rel32(HostAddress at, unsigned char opcode, HostAddress target) {
    const std::int32_t displacement = game::Displacement(at, target);
    CallSiteBytes bytes = {opcode};
    std::memcpy(&bytes[1], &displacement, sizeof displacement);
    return bytes;
}

void ProtectPage(std::uint32_t address, DWORD protection) {
    DWORD old;
    const std::uint32_t page = address & ~(pageSize - 1);
    if (!VirtualProtect(HostBytes(page), pageSize, protection, &old)) {
        std::fprintf(stderr, "standin: cannot protect code page %#x\n", page);
        std::exit(2);
    }
    FlushInstructionCache(GetCurrentProcess(), HostBytes(page), pageSize);
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
void WriteRoutineAround(const CallSiteBytes& site) {
    static const unsigned char prologue[] = {0xFF, 0x74, 0x24, 0x04, 0x90, 0x90, 0x90};
    static const unsigned char epilogue[] = {0x83, 0xC4, 0x04, 0xC3};
    static_assert(frameRoutine + sizeof prologue == game::callSite, "routine layout");
    OpenCode(frameRoutine);
    WriteHost(frameRoutine, prologue);
    WriteHost(game::callSite, site);
    WriteHost(game::callNext, epilogue);
    SealCode(frameRoutine);
}

} // namespace

void WriteFrameRoutine(CalleePlace place) {
    HostAddress target = AddressOf(&HostFrameCallee);
    if (place == CalleePlace::above) {
        OpenCode(upperCallee);
        WriteHost(upperCallee, Rel32(upperCallee, 0xE9, target));
        SealCode(upperCallee);
        target = upperCallee;
    } else if (place == CalleePlace::data) {
        target = AddressOf(&hostCallee);
    }
    WriteRoutineAround(Rel32(game::callSite, game::callOpcode, target));
}

void WriteForeignRoutine() {
    // mov eax, imm32: five bytes that another build might hold there.
    CallSiteBytes site = {0xB8};
    std::memcpy(&site[1], &foreignRoutineResult, sizeof foreignRoutineResult);
    WriteRoutineAround(site);
}

CallSiteBytes ReadCallSite() {
    return ReadHost<CallSiteBytes>(game::callSite);
}

std::uint32_t CallSiteTarget() {
    if (ReadHost<std::uint8_t>(game::callSite) != game::callOpcode) {
        return 0;
    }
    return game::CallTarget(game::callSite, ReadHost<std::int32_t>(game::callDisplacement));
}
