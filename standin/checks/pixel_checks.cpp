#include "standin/checks/checks.h"

#include "host/host_layout.h"
#include "standin/checks/frame_capture.h"
#include "standin/host/host_world.h"
#include "standin/host/scene_device.h"

namespace {

// In the stage's order.
enum Actor { fullHealth, behindWall, beforeWall, tooNear, tooFar, excluded };

bool InsideAnyBar(const HostScene& scene, const Stage& stage, int x, int y) {
    constexpr float margin = 4.0f;
    for (int i = 0; i < stage.count; ++i) {
        const ScreenPoint low = BarPoint(scene, stage.actors[i], 0.0f, -expected::barHalfHeight);
        const ScreenPoint high = BarPoint(scene, stage.actors[i], 1.0f, expected::barHalfHeight);
        if (x >= low.x - margin && x <= high.x + margin && y >= high.y - margin &&
            y <= low.y + margin) {
            return true;
        }
    }
    return false;
}

int ExpectOnlyBarsChanged(const HostScene& scene, const Stage& stage, const Capture& c) {
    int changed = 0;
    for (int y = 0; y < sceneHeight; ++y) {
        for (int x = 0; x < sceneWidth; ++x) {
            const int i = y * sceneWidth + x;
            changed += ColorDistance(c.withModule[i], c.reference[i]) > 2 &&
                       !InsideAnyBar(scene, stage, x, y);
        }
    }
    return CheckDetail(changed == 0, "image outside the bars unchanged", "%d pixel(s) differ",
                       changed);
}

ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

int CheckFirstSight(HostScene& scene, Stage& stage) {
    for (int frame = 0; frame < 3; ++frame) {
        AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, false, nullptr});
    }
    const ULONG referencesBefore = References(scene.gameTexture);
    Capture c;
    int failed = Check(CaptureFrame(stage, scene, stageStep, &c), "frame captured");
    // The bars are drawn with the game's texture bound at the call; afterwards it is bound
    // again, and the module holds no reference to it.
    IDirect3DBaseTexture9* bound = nullptr;
    scene.device->GetTexture(0, &bound);
    if (bound != nullptr) {
        bound->Release();
    }
    const ULONG referencesAfter = References(scene.gameTexture);
    failed += CheckDetail(bound == scene.gameTexture && referencesAfter == referencesBefore,
                          "game's texture bound again, its references kept",
                          "bound %p (want %p), references %lu before, %lu after",
                          static_cast<void*>(bound), static_cast<void*>(scene.gameTexture),
                          referencesBefore, referencesAfter);
    const StageActor* a = stage.actors;
    failed +=
        ExpectBar("full health bar is green", c, BarPoint(scene, a[fullHealth]), expected::green);
    failed += ExpectBar("bar in front of the wall shows", c, BarPoint(scene, a[beforeWall]),
                        expected::green);
    failed += ExpectUnchanged("bar behind the wall is hidden", c, BarPoint(scene, a[behindWall]));
    failed += ExpectUnchanged("bar nearer than depth 2 is absent", c, BarPoint(scene, a[tooNear]));
    failed +=
        ExpectUnchanged("bar farther than depth 110 is absent", c, BarPoint(scene, a[tooFar]));
    failed += ExpectUnchanged("excluded kind has no bar", c, BarPoint(scene, a[excluded]));
    failed += ExpectOnlyBarsChanged(scene, stage, c);
    return failed + CheckDetail(c.framed.stateDifferences == 0 && c.framed.calleeReached,
                                "device state kept, callee reached", "%d difference(s)",
                                c.framed.stateDifferences);
}

} // namespace

int RunPixelChecks(HostScene& scene) {
    Stage& stage = NewStage({StandingActor(6.0f, -2.0f, 0.0f), StandingActor(14.0f, 2.0f, 0.0f),
                             StandingActor(6.5f, 3.0f, 0.0f), StandingActor(1.5f, -0.6f, 0.0f),
                             StandingActor(115.0f, -12.0f, 0.0f), StandingActor(5.0f, 0.8f, 0.0f)});
    stage.actors[excluded].kind = hostlayout::untrackedActorKind;
    int failed = CheckFirstSight(scene, stage);

    Capture c;
    StageActor& hit = stage.actors[fullHealth];
    hit.damage = 0.5f;
    failed += Check(CaptureFrame(stage, scene, stageStep, &c), "frame captured");
    failed += ExpectBar("hit: fill shows the yellow band", c, BarPoint(scene, hit, 0.25f),
                        expected::yellow);
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
