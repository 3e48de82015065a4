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

// An instruction as long as the game's call: an opcode and a 32-bit operand.
CallSiteBytes Instruction(unsigned char opcode, std::uint32_t operand) {
    CallSiteBytes bytes = {opcode};
    std::memcpy(&bytes[1], &operand, sizeof operand);
    return bytes;
}

// A `jmp rel32` or `call rel32` placed at `at`.
CallSiteBytes Rel32(HostAddress at, unsigned char opcode, HostAddress target) {
    return Instruction(opcode, static_cast<std::uint32_t>(game::Displacement(at, target)));
}

// Game code is read and execute only; the module must make it writable itself. The host
// opens it again only to write a new routine (a later check in the same run).
void ProtectPage(std::uint32_t address, DWORD protection) {
    DWORD old;
    const std::uint32_t page = address & ~(pageSize - 1);
    if (!VirtualProtect(HostBytes(page), pageSize, protection, &old)) {
        std::fprintf(stderr, "standin: cannot protect code page %#x\n", page);
        std::exit(2);
    }
    FlushInstructionCache(GetCurrentProcess(), HostBytes(page), pageSize);
}

// push dword [esp+4]; nops up to the call site; <call site>; add esp, 4; ret
void WriteRoutineAround(const CallSiteBytes& site) {
    static const unsigned char prologue[] = {0xFF, 0x74, 0x24, 0x04, 0x90, 0x90, 0x90};
    static const unsigned char epilogue[] = {0x83, 0xC4, 0x04, 0xC3};
    static_assert(frameRoutine + sizeof prologue == game::callSite, "routine layout");
    ProtectPage(frameRoutine, PAGE_READWRITE);
    WriteHost(frameRoutine, prologue);
    WriteHost(game::callSite, site);
    WriteHost(game::callNext, epilogue);
    ProtectPage(frameRoutine, PAGE_EXECUTE_READ);
}

} // namespace

void WriteFrameRoutine(CalleePlace place) {
    HostAddress target = AddressOf(&HostFrameCallee);
    if (place == CalleePlace::above) {
        ProtectPage(upperCallee, PAGE_READWRITE);
        WriteHost(upperCallee, Rel32(upperCallee, 0xE9, target));
        ProtectPage(upperCallee, PAGE_EXECUTE_READ);
        target = upperCallee;
    } else if (place == CalleePlace::data) {
        target = AddressOf(&hostCallee);
    }
    WriteRoutineAround(Rel32(game::callSite, game::callOpcode, target));
}

void WriteForeignRoutine() {
    // mov eax, imm32: five bytes another build might hold there. Its immediate, read as a
    // call's displacement, leads into the host's callee: only the opcode tells the two apart.
    WriteRoutineAround(Rel32(game::callSite, 0xB8, AddressOf(&HostFrameCallee)));
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
