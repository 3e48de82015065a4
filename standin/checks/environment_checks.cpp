#include "standin/checks/checks.h"

#include <cmath>
#include <cstdio>

#include "standin/host/game_machine.h"
#include "standin/host/host_world.h"

namespace {

// What the module's frame must run in: SSE rounding to nearest with denormals kept and every
// exception masked (its flags are the frame's own), the x87 unit at 53-bit precision,
// rounding to nearest, every exception masked.
constexpr std::uint32_t frameMxcsr = 0x1F80, mxcsrFlags = 0x3F;
constexpr std::uint16_t frameX87Control = 0x027F;

// A device, a pointer to its table of methods, that notes the environment the module calls
// it in and makes no state block, so that the module draws nothing and calls it no more. Of
// IDirect3DDevice9's methods only CreateStateBlock, its 60th, is ever reached.
std::uint32_t notedMxcsr;
std::uint16_t notedX87Control;
HRESULT WINAPI NoteEnvironment(void*, D3DSTATEBLOCKTYPE, IDirect3DStateBlock9** block) {
    asm volatile("stmxcsr %0\n\tfnstcw %1" : "=m"(notedMxcsr), "=m"(notedX87Control));
    *block = nullptr;
    return D3DERR_INVALIDCALL;
}
constexpr int createStateBlockSlot = 59;
const void* notingMethods[createStateBlockSlot + 1] = {};

// The hook's gate, which the hook mode cannot see without a scene: the frame reaches the
// device for a low byte of zero only, and runs there in its own environment.
int ExpectNotedFrames(HostScene& scene) {
    notingMethods[createStateBlockSlot] = reinterpret_cast<const void*>(&NoteEnvironment);
    static const void* const* device = notingMethods;
    SetHostDevice(reinterpret_cast<IDirect3DDevice9*>(&device));
    int failed = ProbeFrameCall(nonzeroLowByte, 8);
    failed += Check(notedX87Control == 0, "a nonzero low byte skips the frame");
    failed += ProbeFrameCall(zeroLowByte, 4);
    SetHostDevice(scene.device);
    return failed +
           Check((notedMxcsr & ~mxcsrFlags) == frameMxcsr && notedX87Control == frameX87Control,
                 "the module's frame runs in its own environment: MXCSR %#x, x87 control %#x",
                 notedMxcsr, notedX87Control);
}

} // namespace

int RunEnvironmentChecks(HostScene& scene) {
    // Among the game's floats a NaN, infinities and a damage whose health overflows the bar's
    // width: a module in the game's environment with its traps unmasked would end the game
    // at its first comparison of the NaN.
    Stage& stage =
        NewStage({StandingActor(6.0f, -2.0f, 0.0f), StandingActor(7.0f, 1.5f, 0.4f),
                  StandingActor(10.0f, -3.0f, NAN), StandingActor(10.0f, 0.0f, INFINITY),
                  StandingActor(10.0f, 3.0f, -INFINITY), StandingActor(12.0f, 5.0f, -3e38f)});
    // One frame first: the clock went back with the new stage, and stands still from here on.
    AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, false, nullptr});
    Capture usual;
    int failed = CaptureFrame(stage, scene, 0.0f, &usual);
    // The usual environment is the frame's own but for flags, which the noting device
    // ignores: only a hostile one shows that the module sets its own.
    std::printf("-- the game's environment: %s\n", hostileEnvironment.name);
    SetGameFloatEnvironment(hostileEnvironment);
    failed += ExpectNotedFrames(scene);
    // The capture's own check: the game's machine kept, its flags too.
    Capture c;
    failed += CaptureFrame(stage, scene, 0.0f, &c);
    c.reference = usual.withModule;
    failed += ExpectOnlyBarsChanged("the bars are the usual ones", scene, c, stage, 0);
    SetGameFloatEnvironment(usualEnvironment);
    return failed;
}
