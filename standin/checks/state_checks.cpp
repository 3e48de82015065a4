#include "standin/checks/checks.h"

#include "standin/host/stage.h"

namespace {

constexpr int checkedFrames = 12;

void SetUpStage(Stage& stage) {
    stage = {};
    stage.actors[0] = StandingActor(6.0f, -2.0f, 0.0f);
    stage.actors[1] = StandingActor(7.0f, 1.5f, 0.4f);
    stage.actors[2] = StandingActor(20.0f, -6.0f, 1.0f);
    stage.count = 3;
}

} // namespace

int RunStateChecks(HostScene& scene) {
    static Stage stage;
    SetUpStage(stage);
    int failed = 0;
    for (int frame = 0; frame < checkedFrames; ++frame) {
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
