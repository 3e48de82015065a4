#include "standin/host/game_machine.h"

#include <cstddef>
#include <cstring>

#include "standin/host/call_site.h"
#include "standin/host/host_callee.h"

namespace {

// Where an fxsave image keeps what the game's callee must find as the game left it. The
// instruction pointers the image also holds are the processor's to fill.
constexpr std::size_t x87Control = 0, x87Status = 2, x87Tags = 4, mxcsr = 24, xmmRegisters = 160;
struct Span {
    std::size_t offset, size;
};
constexpr Span keptState[] = {{x87Control, 5}, {mxcsr, 4}, {xmmRegisters, 8 * 16}};

} // namespace

// Each value the asm reads or writes is a symbol of its own: no struct layout to keep in step.
extern "C" {
std::uint32_t gameCallTarget = frameRoutine;
// Loaded into eax, ecx, edx, ebx, esi, edi and ebp before the call; ebx to ebp after it.
std::uint32_t gameRegisters[7] = {0x0BADB0B0, 0x1BADB0B1, 0x2BADB0B2, 0x3BADB0B3,
                                  0x4BADB0B4, 0x5BADB0B5, 0x6BADB0B6};
std::uint32_t gameRegistersAfter[4];
alignas(16) unsigned char gameMachine[512];
alignas(16) unsigned char hostMachine[512];
std::uint32_t hostEsp, gameEspBefore, gameEspAfter;
std::uint32_t GameFrameCall(std::uint32_t argument, std::uint32_t misalign);
}

// esp before the argument push is misalign + 12 mod 16, which puts the call site's esp at
// misalign; the host's esp is kept in memory because ebp is one of the registers loaded.
asm(R"(
    .text
    .globl _GameFrameCall
    .def _GameFrameCall; .scl 2; .type 32; .endef
_GameFrameCall:
    pushl %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    fxsave _hostMachine
    movl 20(%esp), %ecx
    movl 24(%esp), %edx
    movl %esp, _hostEsp
    andl $-16, %esp
    subl $52, %esp
    addl %edx, %esp
    fxrstor _gameMachine
    movl %esp, _gameEspBefore
    pushl %ecx
    movl _gameRegisters, %eax
    movl _gameRegisters+4, %ecx
    movl _gameRegisters+8, %edx
    movl _gameRegisters+12, %ebx
    movl _gameRegisters+16, %esi
    movl _gameRegisters+20, %edi
    movl _gameRegisters+24, %ebp
    call *_gameCallTarget
    addl $4, %esp
    movl %esp, _gameEspAfter
    movl %ebx, _gameRegistersAfter
    movl %esi, _gameRegistersAfter+4
    movl %edi, _gameRegistersAfter+8
    movl %ebp, _gameRegistersAfter+12
    movl _hostEsp, %esp
    fxrstor _hostMachine
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

void SetGameFloatEnvironment(const GameFloatEnvironment& environment) {
    // The host's own image, for fields the game does not choose; then the game's words, an
    // empty x87 stack, and a value of its own in each xmm register.
    asm volatile("fxsave %0" : "=m"(gameMachine));
    std::memcpy(gameMachine + x87Control, &environment.x87Control, 2);
    std::memcpy(gameMachine + x87Status, &environment.x87Status, 2);
    gameMachine[x87Tags] = 0;
    std::memcpy(gameMachine + mxcsr, &environment.mxcsr, 4);
    for (std::uint32_t word = 0; word < 8 * 4; ++word) {
        const std::uint32_t value = 0xC0DE0000U | word;
        std::memcpy(gameMachine + xmmRegisters + 4 * word, &value, 4);
    }
}

std::uint32_t CallFrameRoutine(std::uint32_t argument, std::uint32_t misalign) {
    static const bool environmentSet = (SetGameFloatEnvironment(usualEnvironment), true);
    (void)environmentSet;
    return GameFrameCall(argument, misalign);
}

bool GameMachineKept() {
    bool kept =
        std::memcmp(hostCalleeRegisters, gameRegisters, sizeof gameRegisters) == 0 &&
        std::memcmp(gameRegistersAfter, gameRegisters + 3, sizeof gameRegistersAfter) == 0 &&
        gameEspAfter == gameEspBefore;
    for (const Span& span : keptState) {
        kept = kept && std::memcmp(hostCalleeMachine + span.offset, gameMachine + span.offset,
                                   span.size) == 0;
    }
    return kept;
}
