#include "standin/checks/checks.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <windows.h>

#include "host/host_layout.h"
#include "standin/checks/call_probe.h"
#include "standin/host/host_callee.h"
#include "standin/host/module_loader.h"

// One frame call through the probe: the callee ran once with the host's argument, its result
// came back, and the registers and stack the host relies on are as the host left them.
int ProbeFrameCall(std::uint32_t argument, std::uint32_t misalign) {
    const std::uint32_t callsBefore = hostCallee.calls;
    ProbeFrameRoutine(argument, misalign);
    const CallProbe& p = callProbe;
    const bool siteAligned = (p.espBefore - probeCallSiteDepth) % 16 == misalign;
    const bool reached = hostCallee.calls == callsBefore + 1 && hostCallee.lastArgument == argument;
    const bool result = p.result == HostCalleeResult(argument);
    const bool saved = p.ebx == probeEbx && p.esi == probeEsi && p.edi == probeEdi &&
                       p.ebp == probeEbp && p.espAfter == p.espBefore;
    // The callee sees the call site's return address on top, exactly as the host pushed it.
    const bool stack = hostCallee.entryEsp == p.espBefore - probeCallSiteDepth - 4;
    return CheckDetail(siteAligned && reached && result && saved && stack, "frame call",
                       "arg %#010x esp%%16=%u reached=%d result=%d saved=%d stack=%d", argument,
                       misalign, reached, result, saved, stack);
}

namespace {

constexpr std::uint32_t zeroLowByte = 0x12345600;
constexpr std::uint32_t nonzeroLowByte = 0xABCDEF5A;

bool SameSite(const unsigned char a[hostlayout::callLength],
              const unsigned char b[hostlayout::callLength]) {
    return std::memcmp(a, b, hostlayout::callLength) == 0;
}

HMODULE ModuleAt(std::uint32_t address) {
    HMODULE owner = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(address)), &owner);
    return owner;
}

int ProbeAll() {
    int failed = 0;
    for (std::uint32_t argument : {zeroLowByte, nonzeroLowByte, 0U, 0xFFU}) {
        for (std::uint32_t misalign : {0U, 4U, 8U, 12U}) {
            failed += ProbeFrameCall(argument, misalign);
        }
    }
    return failed;
}

DWORD WINAPI IdleThread(LPVOID) {
    return 0;
}

// Thread attach and detach reach the module's entry; neither may patch again.
int ThreadNotificationsLeaveSite() {
    unsigned char before[hostlayout::callLength];
    ReadCallSite(before);
    HANDLE thread = CreateThread(nullptr, 0, IdleThread, nullptr, 0, nullptr);
    const bool ran = thread != nullptr && WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
    if (thread != nullptr) {
        CloseHandle(thread);
    }
    unsigned char after[hostlayout::callLength];
    ReadCallSite(after);
    return Check(ran && SameSite(before, after), "thread attach/detach leave the call site");
}

} // namespace

int RunHookChecks(const char* modulePath, CalleePlace place) {
    int failed = 0;
    const std::uint32_t hostTarget = CallSiteTarget();
    failed += CheckDetail(hostTarget != 0 && (place == CalleePlace::below) ==
                                                 (hostTarget < hostlayout::callNextInstruction),
                          "host call site", "callee %#x (%s)", hostTarget,
                          place == CalleePlace::below ? "below" : "above");
    failed += Check(CallFrameRoutine(7) == HostCalleeResult(7), "frame call before the module");

    HMODULE module = LoadModule(modulePath);
    failed += Check(module != nullptr, "LoadLibrary");
    if (module == nullptr) {
        return failed;
    }
    const std::uint32_t hooked = CallSiteTarget();
    failed += CheckDetail(hooked != hostTarget && ModuleAt(hooked) == module,
                          "call site leads into the module", "%#x", hooked);
    failed += ProbeAll();
    failed += ThreadNotificationsLeaveSite();
    failed += ProbeFrameCall(zeroLowByte, 4);

    failed += Check(FreeLibrary(module) != 0, "FreeLibrary");
    failed += Check(ModuleAt(hooked) == module, "module stays mapped after FreeLibrary");
    for (int frame = 0; frame < 8; ++frame) {
        failed += ProbeFrameCall(frame % 2 == 0 ? zeroLowByte : nonzeroLowByte, 8);
    }
    return failed;
}

int RunForeignSiteCheck(const char* modulePath) {
    int failed = 0;
    WriteForeignRoutine();
    unsigned char before[hostlayout::callLength];
    ReadCallSite(before);
    HMODULE module = LoadModule(modulePath);
    failed += Check(module != nullptr, "LoadLibrary");
    unsigned char after[hostlayout::callLength];
    ReadCallSite(after);
    failed += Check(SameSite(before, after), "a call site without 0xE8 is left alone");
    MEMORY_BASIC_INFORMATION info;
    VirtualQuery(reinterpret_cast<void*>(static_cast<std::uintptr_t>(frameRoutine)), &info,
                 sizeof info);
    failed += Check(info.Protect == PAGE_EXECUTE_READ, "its page keeps its protection");
    failed += Check(CallFrameRoutine(0) == foreignRoutineResult, "the foreign routine still runs");
    return failed;
}

namespace {

// A copy of the module under another name loads as a module of its own.
std::string ModuleCopy(const char* modulePath, const char* tag) {
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    const std::string copy = std::string(directory) + "actorbars-" + tag + ".dll";
    return CopyFileA(modulePath, copy.c_str(), FALSE) ? copy : std::string();
}

} // namespace

int RunAllHookChecks(const char* modulePath) {
    const std::string foreign = ModuleCopy(modulePath, "foreign");
    const std::string below = ModuleCopy(modulePath, "below");
    const std::string above = ModuleCopy(modulePath, "above");
    if (Check(!foreign.empty() && !below.empty() && !above.empty(), "module copies") != 0) {
        return 1;
    }
    std::printf("-- a call site without a call\n");
    int failed = RunForeignSiteCheck(foreign.c_str());
    std::printf("-- callee below the call site\n");
    WriteFrameRoutine(CalleePlace::below);
    failed += RunHookChecks(below.c_str(), CalleePlace::below);
    std::printf("-- callee above the call site\n");
    WriteFrameRoutine(CalleePlace::above);
    failed += RunHookChecks(above.c_str(), CalleePlace::above);
    return failed;
}
