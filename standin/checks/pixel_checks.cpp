#include "standin/checks/checks.h"

int RunPixelChecks(HostScene& scene) {
    // In the stage's order; the bar behind the wall last, as the one that must not show.
    enum Actor { fullHealth, beforeWall, behindWall };
    Stage& stage = NewStage({StandingActor(6.0f, -2.0f, 0.0f), StandingActor(6.5f, 3.0f, 0.0f),
                             StandingActor(14.0f, 2.0f, 0.0f)});
    // One frame first: the clock went back with the new stage.
    AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, false, nullptr});
    Capture c;
    int failed = CaptureFrame(stage, scene, stageStep, &c);
    failed += ExpectBar("full health bar is green", c, BarPoint(scene, stage.actors[fullHealth]),
                        expected::green);
    failed += ExpectBar("bar in front of the wall shows", c,
                        BarPoint(scene, stage.actors[beforeWall]), expected::green);
    failed += ExpectOnlyBarsChanged("bar behind the wall hidden, nothing but the bars changed",
                                    scene, c, stage, behindWall);

    // A trail is a triangle list as the fill is, its colour the native tests': the outline is
    // the one line the device draws.
    StageActor& hit = stage.actors[fullHealth];
    hit.damage = 1.0f;
    // The clock stands still: no blink has begun, so the outline is at full strength.
    failed += CaptureFrame(stage, scene, 0.0f, &c);
    // The outline is a line: the best match within a few rows of where its top edge projects.
    failed += ExpectBar("dead actor's outline is pale red", c,
                        BarPoint(scene, hit, 0.3f, expected::barHalfHeight), expected::deadOutline,
                        expected::outlinePasses, 3);
    return failed;
}
