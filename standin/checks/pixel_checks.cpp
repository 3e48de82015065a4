#include "standin/checks/checks.h"

#include "standin/checks/frame_capture.h"

namespace {

// In the stage's order.
enum Actor { fullHealth, behindWall, beforeWall };

int CheckFirstSight(HostScene& scene, Stage& stage) {
    for (int frame = 0; frame < 3; ++frame) {
        AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, false, nullptr});
    }
    Capture c;
    int failed = Check(CaptureFrame(stage, scene, stageStep, &c), "frame captured");
    const StageActor* a = stage.actors;
    failed +=
        ExpectBar("full health bar is green", c, BarPoint(scene, a[fullHealth]), expected::green);
    failed += ExpectBar("bar in front of the wall shows", c, BarPoint(scene, a[beforeWall]),
                        expected::green);
    failed += ExpectUnchanged("bar behind the wall is hidden", c, BarPoint(scene, a[behindWall]));
    return failed + ExpectOnlyBarsChanged("image outside the bars unchanged", scene, c, &stage);
}

} // namespace

int RunPixelChecks(HostScene& scene) {
    Stage& stage = NewStage({StandingActor(6.0f, -2.0f, 0.0f), StandingActor(14.0f, 2.0f, 0.0f),
                             StandingActor(6.5f, 3.0f, 0.0f)});
    int failed = CheckFirstSight(scene, stage);

    Capture c;
    StageActor& hit = stage.actors[fullHealth];
    hit.damage = 0.5f;
    failed += Check(CaptureFrame(stage, scene, stageStep, &c), "frame captured");
    failed += ExpectBar("hit: light grey trail between health and trail", c,
                        BarPoint(scene, hit, 0.75f), expected::trailGrey);

    hit.damage = 1.0f;
    // The clock stands still: no blink has begun, so the outline is at full strength.
    failed += Check(CaptureFrame(stage, scene, 0.0f, &c), "frame captured");
    // The outline is a line: the best match within a few rows of where its top edge projects.
    failed += ExpectBar("dead actor's outline is pale red", c,
                        BarPoint(scene, hit, 0.3f, expected::barHalfHeight), expected::deadOutline,
                        expected::outlinePasses, 3);
    return failed;
}
