#include "standin/checks/checks.h"

#include <cstdio>
#include <string>
#include <windows.h>

#include "standin/host/call_site.h"
#include "standin/host/game_machine.h"
#include "standin/host/host_callee.h"
#include "standin/host/module_loader.h"

namespace {

// The gate reads the argument's low byte only.
constexpr std::uint32_t zeroLowByte = 0x12345600;
constexpr std::uint32_t nonzeroLowByte = 0xABCDEF5A;

HMODULE ModuleAt(std::uint32_t address) {
    HMODULE owner = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(HostBytes(address)), &owner);
    return owner;
}

DWORD WINAPI IdleThread(LPVOID) {
    return 0;
}

// A copy of the module under another name loads as a module of its own, so each case has
// a fresh one in one run: starting a program is slow under Wine.
HMODULE LoadModuleCopy(const char* modulePath, const char* tag) {
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    const std::string copy = std::string(directory) + "actorbars-" + tag + ".dll";
    HMODULE module =
        CopyFileA(modulePath, copy.c_str(), FALSE) ? LoadModule(copy.c_str()) : nullptr;
    Check(module != nullptr, "a copy of the module loaded");
    return module;
}

// Another build's code at the call site, or a call that leads into no code: the module
// must leave the game as it was.
int LeftAloneChecks(const char* modulePath, const char* tag) {
    const auto before = ReadCallSite();
    int failed = LoadModuleCopy(modulePath, tag) == nullptr;
    failed += Check(ReadCallSite() == before, "call site left alone");
    MEMORY_BASIC_INFORMATION info;
    VirtualQuery(HostBytes(frameRoutine), &info, sizeof info);
    return failed + Check(info.Protect == PAGE_EXECUTE_READ, "its page keeps its protection");
}

int CalleeChecks(const char* modulePath, CalleePlace place) {
    const bool below = place == CalleePlace::below;
    std::printf("-- callee %s the call site\n", below ? "below" : "above");
    WriteFrameRoutine(place);
    const std::uint32_t hostTarget = CallSiteTarget();
    int failed = Check(hostTarget != 0 && below == (hostTarget < game::callNext) &&
                           CallFrameRoutine(7) == HostCalleeResult(7),
                       "host call site reached before the module: callee %#x", hostTarget);
    HMODULE module = LoadModuleCopy(modulePath, below ? "below" : "above");
    if (module == nullptr) {
        return failed + 1;
    }
    const std::uint32_t hooked = CallSiteTarget();
    failed += Check(hooked != hostTarget && ModuleAt(hooked) == module,
                    "call site leads into the module: %#x", hooked);
    for (std::uint32_t argument : {zeroLowByte, nonzeroLowByte, 0U, 0xFFU}) {
        for (std::uint32_t misalign : {0U, 4U, 8U, 12U}) {
            failed += ProbeFrameCall(argument, misalign);
        }
    }

    // Thread attach and detach reach the module's entry; neither may patch again.
    const auto site = ReadCallSite();
    HANDLE thread = CreateThread(nullptr, 0, IdleThread, nullptr, 0, nullptr);
    const bool ran = thread != nullptr && WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0 &&
                     CloseHandle(thread);
    failed += Check(ran && ReadCallSite() == site, "thread attach/detach leave the call site");
    return failed + ProbeFrameCall(zeroLowByte, 4);
}

} // namespace

int ProbeFrameCall(std::uint32_t argument, std::uint32_t misalign) {
    // The call site's esp lies below the caller's by the argument, the return address and the
    // frame routine's own copy of the argument.
    constexpr std::uint32_t callSiteDepth = 12;
    const std::uint32_t callsBefore = hostCallee.calls;
    const std::uint32_t result = CallFrameRoutine(argument, misalign);
    const bool siteAligned = (gameEspBefore - callSiteDepth) % 16 == misalign;
    const bool reached = hostCallee.calls == callsBefore + 1 && hostCallee.lastArgument == argument;
    const bool returned = result == HostCalleeResult(argument);
    const bool kept = GameMachineKept();
    // The callee sees the call site's return address on top, exactly as the host pushed it.
    const bool stack = hostCallee.entryEsp == gameEspBefore - callSiteDepth - 4;
    return Check(siteAligned && reached && returned && kept && stack,
                 "frame call: arg %#010x esp%%16=%u reached=%d result=%d machine kept=%d stack=%d",
                 argument, misalign, reached, returned, kept, stack);
}

int RunHookChecks(const char* modulePath) {
    std::printf("-- a call site without a call\n");
    WriteForeignRoutine();
    int failed = LeftAloneChecks(modulePath, "foreign");
    failed += Check(CallFrameRoutine(0) == foreignRoutineResult, "the foreign routine still runs");
    std::printf("-- a call into the host's data\n");
    WriteFrameRoutine(CalleePlace::data);
    failed += LeftAloneChecks(modulePath, "data");
    failed += CalleeChecks(modulePath, CalleePlace::below);
    failed += CalleeChecks(modulePath, CalleePlace::above);
    // Another plug-in rerouted the call first: the module chains to it, and the game's
    // callee is reached through both.
    std::printf("-- callee in another module\n");
    HMODULE chained = LoadModuleCopy(modulePath, "chained");
    failed += Check(chained != nullptr && ModuleAt(CallSiteTarget()) == chained,
                    "call site leads into the second module: %#x", CallSiteTarget());
    failed += ProbeFrameCall(zeroLowByte, 4) + ProbeFrameCall(nonzeroLowByte, 8);
    // The frame the hook runs (it draws nothing: there is no scene here) and the call it
    // skips give the game back whatever environment it called in.
    std::printf("-- the game's environment: %s\n", hostileEnvironment.name);
    SetGameFloatEnvironment(hostileEnvironment);
    failed += ProbeFrameCall(zeroLowByte, 4) + ProbeFrameCall(nonzeroLowByte, 8);
    SetGameFloatEnvironment(usualEnvironment);
    return failed;
}
