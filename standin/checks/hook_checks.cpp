#include "standin/checks/checks.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <windows.h>

#include "host/host_layout.h"
#include "standin/host/call_site.h"
#include "standin/host/host_callee.h"
#include "standin/host/module_loader.h"

namespace {

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

// A copy of the module under another name loads as a module of its own.
std::string ModuleCopy(const char* modulePath, const char* tag) {
    char directory[MAX_PATH];
    GetTempPathA(sizeof directory, directory);
    const std::string copy = std::string(directory) + "actorbars-" + tag + ".dll";
    return CopyFileA(modulePath, copy.c_str(), FALSE) ? copy : std::string();
}

int CalleeChecks(const char* modulePath, CalleePlace place) {
    WriteFrameRoutine(place);
    const std::uint32_t hostTarget = CallSiteTarget();
    int failed = CheckDetail(hostTarget != 0 && (place == CalleePlace::below) ==
                                                    (hostTarget < hostlayout::callNextInstruction),
                             "host call site", "callee %#x (%s)", hostTarget,
                             place == CalleePlace::below ? "below" : "above");
    failed += Check(CallFrameRoutine(7) == HostCalleeResult(7), "frame call before the module");
    HMODULE module = LoadModule(modulePath);
    if (Check(module != nullptr, "LoadLibrary") != 0) {
        return failed + 1;
    }
    const std::uint32_t hooked = CallSiteTarget();
    failed += CheckDetail(hooked != hostTarget && ModuleAt(hooked) == module,
                          "call site leads into the module", "%#x", hooked);
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
    failed += ProbeFrameCall(zeroLowByte, 4);

    failed += Check(FreeLibrary(module) != 0, "FreeLibrary");
    failed += Check(ModuleAt(hooked) == module, "module stays mapped after FreeLibrary");
    for (int frame = 0; frame < 8; ++frame) {
        failed += ProbeFrameCall(frame % 2 == 0 ? zeroLowByte : nonzeroLowByte, 8);
    }
    return failed;
}

int ForeignSiteChecks(const char* modulePath) {
    WriteForeignRoutine();
    const auto before = ReadCallSite();
    int failed = Check(LoadModule(modulePath) != nullptr, "LoadLibrary");
    failed += Check(ReadCallSite() == before, "a call site without 0xE8 is left alone");
    MEMORY_BASIC_INFORMATION info;
    VirtualQuery(HostBytes(frameRoutine), &info, sizeof info);
    failed += Check(info.Protect == PAGE_EXECUTE_READ, "its page keeps its protection");
    failed += Check(CallFrameRoutine(0) == foreignRoutineResult, "the foreign routine still runs");
    return failed;
}

} // namespace

int RunHookChecks(const char* modulePath) {
    const std::string foreign = ModuleCopy(modulePath, "foreign");
    const std::string below = ModuleCopy(modulePath, "below");
    const std::string above = ModuleCopy(modulePath, "above");
    if (Check(!foreign.empty() && !below.empty() && !above.empty(), "module copies") != 0) {
        return 1;
    }
    std::printf("-- a call site without a call\n");
    int failed = ForeignSiteChecks(foreign.c_str());
    std::printf("-- callee below the call site\n");
    failed += CalleeChecks(below.c_str(), CalleePlace::below);
    std::printf("-- callee above the call site\n");
    failed += CalleeChecks(above.c_str(), CalleePlace::above);
    return failed;
}
