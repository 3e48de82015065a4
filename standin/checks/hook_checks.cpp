#include "standin/checks/checks.h"

#include <string>

#include "standin/host/call_site.h"
#include "standin/host/game_machine.h"
#include "standin/host/host_callee.h"
#include "standin/host/module_loader.h"

namespace {

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
// a fresh one in one run: starting a program is slow under Wine. Null if it cannot.
HMODULE LoadModuleCopy(const char* modulePath, const char* tag) {
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    const std::string copy = std::string(directory) + "actorbars-" + tag + ".dll";
    return CopyFileA(modulePath, copy.c_str(), FALSE) ? LoadModule(copy.c_str()) : nullptr;
}

// The module loaded with the routine as it now is. Another build's code at the call site, or
// a call into data: the module leaves the call site alone. A call to the game's callee, below
// or above the call site or through another plug-in's hook (chained), where `placed` says:
// the module leads it into itself, and the game's callee is reached through it. Either way
// the page keeps its protection.
int CallSiteChecks(const char* modulePath, const char* tag, bool hooks, bool placed = true) {
    const auto before = ReadCallSite();
    const std::uint32_t hostTarget = CallSiteTarget();
    const HMODULE module = LoadModuleCopy(modulePath, tag);
    const std::uint32_t target = CallSiteTarget();
    MEMORY_BASIC_INFORMATION info;
    VirtualQuery(HostBytes(frameRoutine), &info, sizeof info);
    const bool led = hooks ? ModuleAt(target) == module : ReadCallSite() == before;
    int failed = Check(placed && module != nullptr && led && info.Protect == PAGE_EXECUTE_READ,
                       "%s call site: to %#x, with the module to %#x; its protection kept", tag,
                       hostTarget, target);
    if (!hooks) {
        return failed;
    }
    for (std::uint32_t argument : {zeroLowByte, nonzeroLowByte}) {
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
    const std::uint32_t callsBefore = hostCallee.calls;
    const std::uint32_t result = CallFrameRoutine(argument, misalign);
    const bool reached = hostCallee.calls == callsBefore + 1 && hostCallee.lastArgument == argument;
    const bool returned = result == HostCalleeResult(argument);
    const bool kept = GameMachineKept();
    // The callee finds the call site's return address on top, where the call put it: below the
    // argument, the routine's return address and the routine's own copy of the argument.
    const bool stack = hostCallee.entryEsp == gameEspBefore - 16;
    return Check(reached && returned && kept && stack,
                 "frame call: arg %#010x esp%%16=%u reached=%d result=%d machine kept=%d stack=%d",
                 argument, misalign, reached, returned, kept, stack);
}

int RunHookChecks(const char* modulePath) {
    WriteForeignRoutine();
    int failed = CallSiteChecks(modulePath, "foreign", false);
    WriteFrameRoutine(CalleePlace::data);
    failed += CallSiteChecks(modulePath, "data", false);
    WriteFrameRoutine(CalleePlace::below);
    failed += CallSiteChecks(modulePath, "below", true, CallSiteTarget() < game::callNext);
    WriteFrameRoutine(CalleePlace::above);
    failed += CallSiteChecks(modulePath, "above", true, CallSiteTarget() > game::callNext);
    return failed + CallSiteChecks(modulePath, "chained", true,
                                   ModuleAt(CallSiteTarget()) != GetModuleHandleW(nullptr));
}
