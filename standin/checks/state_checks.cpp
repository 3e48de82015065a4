#include "standin/checks/checks.h"

int RunStateChecks(HostScene& scene) {
    Stage& stage = NewStage({StandingActor(6.0f, -2.0f, 0.0f), StandingActor(7.0f, 1.5f, 0.4f),
                             StandingActor(20.0f, -6.0f, 1.0f)});
    int failed = 0;
    for (int frame = 0; frame < 12; ++frame) {
        if (frame == 4) {
            stage.actors[0].damage = 0.7f; // a trail quad joins the draws
        }
        const FrameResult result =
            AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, true, nullptr});
        failed += Check(result.stateDifferences == 0 && result.calleeReached,
                        "unusual device state kept: frame %d, %d difference(s), callee reached %d",
                        frame, result.stateDifferences, result.calleeReached);
    }
    return failed;
}
