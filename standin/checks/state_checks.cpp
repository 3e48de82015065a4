#include "standin/checks/checks.h"

#include <float.h>

#include "standin/checks/frame_capture.h"

int RunStateChecks(HostScene& scene) {
    Stage& stage = NewStage({StandingActor(6.0f, -2.0f, 0.0f), StandingActor(7.0f, 1.5f, 0.4f),
                             StandingActor(20.0f, -6.0f, 1.0f)});
    // The device was made as a game makes its own, without FPU_PRESERVE: Direct3D has left
    // the x87 unit at single precision, and every frame of the module runs so.
    int failed = Check((_control87(0, 0) & _MCW_PC) == _PC_24, "x87 unit at single precision");
    for (int frame = 0; frame < 12; ++frame) {
        if (frame == 4) {
            stage.actors[0].damage = 0.7f; // a trail quad joins the draws
        }
        const FrameResult result =
            AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, true, nullptr});
        failed += CheckDetail(result.stateDifferences == 0 && result.calleeReached,
                              "unusual device state read back unchanged",
                              "frame %d, %d difference(s), callee reached %d", frame,
                              result.stateDifferences, result.calleeReached);
    }
    return failed;
}
