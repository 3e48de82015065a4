#include "standin/checks/checks.h"

#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <string>
#include <windows.h>

#include "standin/host/call_site.h"
#include "standin/host/game_machine.h"
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
    int failed = CheckDetail(hostTarget != 0 &&
                                 (place == CalleePlace::below) == (hostTarget < game::callNext),
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
    return failed + ProbeFrameCall(zeroLowByte, 4);
}

// Another build's code at the call site, or a call that leads into no code: the module
// must leave the game as it was.
int LeftAloneChecks(const char* modulePath, const char* what) {
    const auto before = ReadCallSite();
    int failed = Check(LoadModule(modulePath) != nullptr, "LoadLibrary");
    failed += CheckDetail(ReadCallSite() == before, "call site left alone", "%s", what);
    MEMORY_BASIC_INFORMATION info;
    VirtualQuery(HostBytes(frameRoutine), &info, sizeof info);
    return failed + Check(info.Protect == PAGE_EXECUTE_READ, "its page keeps its protection");
}

} // namespace

int RunHookChecks(const char* modulePath) {
    const char* const tags[] = {"foreign", "data", "below", "above", "chained"};
    std::string copies[std::size(tags)];
    for (std::size_t i = 0; i < std::size(tags); ++i) {
        copies[i] = ModuleCopy(modulePath, tags[i]);
        if (Check(!copies[i].empty(), "module copy") != 0) {
            return 1;
        }
    }
    std::printf("-- a call site without a call\n");
    WriteForeignRoutine();
    int failed = LeftAloneChecks(copies[0].c_str(), "no 0xE8");
    failed += Check(CallFrameRoutine(0) == foreignRoutineResult, "the foreign routine still runs");
    std::printf("-- a call into the host's data\n");
    WriteFrameRoutine(CalleePlace::data);
    failed += LeftAloneChecks(copies[1].c_str(), "a call into no code");
    std::printf("-- callee below the call site\n");
    failed += CalleeChecks(copies[2].c_str(), CalleePlace::below);
    std::printf("-- callee above the call site\n");
    failed += CalleeChecks(copies[3].c_str(), CalleePlace::above);
    // Another plug-in rerouted the call first: the module chains to it, and the game's
    // callee is reached through both.
    std::printf("-- callee in another module\n");
    HMODULE chained = LoadModule(copies[4].c_str());
    failed += CheckDetail(chained != nullptr && ModuleAt(CallSiteTarget()) == chained,
                          "call site leads into the second module", "%#x", CallSiteTarget());
    failed += ProbeFrameCall(zeroLowByte, 4) + ProbeFrameCall(nonzeroLowByte, 8);
    // The frame the gate stops (there is no scene here) and the call the hook skips give the
    // game back whatever environment it called in.
    std::printf("-- the game's environment: %s\n", hostileEnvironment.name);
    SetGameFloatEnvironment(hostileEnvironment);
    failed += ProbeFrameCall(zeroLowByte, 4) + ProbeFrameCall(nonzeroLowByte, 8);
    SetGameFloatEnvironment(usualEnvironment);
    return failed;
}
