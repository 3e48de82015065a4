#include "standin/checks/checks.h"

#include <vector>

#include "host/host_layout.h"
#include "standin/checks/frame_capture.h"
#include "standin/host/host_world.h"
#include "standin/host/scene_device.h"
#include "standin/host/stage.h"

namespace {

enum Actor { fullHealth, behindWall, beforeWall, tooNear, tooFar, excluded, actorCount };

void SetUpStage(Stage& stage) {
    stage = {};
    stage.actors[fullHealth] = StandingActor(6.0f, -2.0f, 0.0f);
    stage.actors[behindWall] = StandingActor(14.0f, 2.0f, 0.0f);
    stage.actors[beforeWall] = StandingActor(6.5f, 3.0f, 0.0f);
    stage.actors[tooNear] = StandingActor(1.5f, -0.6f, 0.0f);
    stage.actors[tooFar] = StandingActor(115.0f, -12.0f, 0.0f);
    stage.actors[excluded] = StandingActor(5.0f, 0.8f, 0.0f);
    stage.actors[excluded].kind = hostlayout::untrackedActorKind;
    stage.count = actorCount;
}

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
            if (ColorDistance(c.withModule[i], c.reference[i]) > 2 &&
                !InsideAnyBar(scene, stage, x, y)) {
                ++changed;
            }
        }
    }
    return CheckDetail(changed == 0, "image outside the bars unchanged", "%d pixel(s) differ",
                       changed);
}

ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// The bars are drawn with the game's texture bound at the call; afterwards it is bound
// again, and the module holds no reference to it.
int ExpectGameTextureKept(const HostScene& scene, ULONG referencesBefore) {
    IDirect3DBaseTexture9* bound = nullptr;
    scene.device->GetTexture(0, &bound);
    if (bound != nullptr) {
        bound->Release();
    }
    const ULONG referencesAfter = References(scene.gameTexture);
    return CheckDetail(bound == scene.gameTexture && referencesAfter == referencesBefore,
                       "game's texture bound again, its references kept",
                       "bound %p (want %p), references %lu before, %lu after",
                       static_cast<void*>(bound), static_cast<void*>(scene.gameTexture),
                       referencesBefore, referencesAfter);
}

int CheckFirstSight(HostScene& scene, Stage& stage) {
    Capture c;
    for (int frame = 0; frame < 3; ++frame) {
        AdvanceStage(stage, scene, stageStep, {FrameCall::callSite, false, nullptr});
    }
    const ULONG textureReferences = References(scene.gameTexture);
    int failed = Check(CaptureFrame(stage, scene, stageStep, &c), "frame captured");
    failed += ExpectGameTextureKept(scene, textureReferences);
    const StageActor* a = stage.actors;
    failed += ExpectBar("full health bar is green", c, BarPoint(scene, a[fullHealth], 0.5f, 0),
                        expected::green);
    failed += ExpectBar("bar in front of the wall shows", c,
                        BarPoint(scene, a[beforeWall], 0.5f, 0), expected::green);
    failed += ExpectUnchanged("bar behind the wall is hidden", c,
                              BarPoint(scene, a[behindWall], 0.5f, 0));
    failed += ExpectUnchanged("bar nearer than depth 2 is absent", c,
                              BarPoint(scene, a[tooNear], 0.5f, 0));
    failed += ExpectUnchanged("bar farther than depth 110 is absent", c,
                              BarPoint(scene, a[tooFar], 0.5f, 0));
    failed += ExpectUnchanged("excluded kind has no bar", c, BarPoint(scene, a[excluded], 0.5f, 0));
    failed += ExpectOnlyBarsChanged(scene, stage, c);
    failed += ExpectStateKept(c);
    return failed;
}

int CheckHit(HostScene& scene, Stage& stage) {
    Capture c;
    stage.actors[fullHealth].damage = 0.5f;
    int failed = Check(CaptureFrame(stage, scene, stageStep, &c), "frame captured");
    const StageActor& a = stage.actors[fullHealth];
    failed += ExpectBar("hit: fill shows the yellow band", c, BarPoint(scene, a, 0.25f, 0),
                        expected::yellow);
    failed += ExpectBar("hit: light grey trail between health and trail", c,
                        BarPoint(scene, a, 0.75f, 0), expected::trailGrey);
    return failed;
}

// The outline is a line: the best match within a few rows of where its top edge projects.
int ExpectDeadOutline(const HostScene& scene, const Capture& c, const StageActor& a) {
    const ScreenPoint edge = BarPoint(scene, a, 0.3f, expected::barHalfHeight);
    int best = 256;
    std::uint32_t seen = 0;
    std::uint32_t expected = 0;
    for (int dy = -3; dy <= 3; ++dy) {
        const ScreenPoint at = {edge.x, edge.y + static_cast<float>(dy), edge.depth};
        std::uint32_t want = PixelAt(c.reference.data(), at);
        const expected::Color red = expected::deadOutline;
        for (int pass = 0; pass < expected::outlinePasses; ++pass) {
            want = BlendOver(want, red.r, red.g, red.b, expected::alpha);
        }
        const std::uint32_t pixel = PixelAt(c.withModule.data(), at);
        if (ColorDistance(pixel, want) < best) {
            best = ColorDistance(pixel, want);
            seen = pixel;
            expected = want;
        }
    }
    return CheckDetail(best <= expected::pixelTolerance, "dead actor's outline is pale red",
                       "near (%d,%d) saw %06x, want %06x", static_cast<int>(edge.x),
                       static_cast<int>(edge.y), static_cast<unsigned>(seen),
                       static_cast<unsigned>(expected));
}

int CheckDeath(HostScene& scene, Stage& stage) {
    Capture c;
    stage.actors[fullHealth].damage = 1.0f;
    // The clock stands still: no blink has begun, so the outline is at full strength.
    int failed = Check(CaptureFrame(stage, scene, 0.0f, &c), "frame captured");
    failed += ExpectDeadOutline(scene, c, stage.actors[fullHealth]);
    return failed;
}

int CheckInactiveScene(HostScene& scene, Stage& stage) {
    Capture c;
    SetHostSceneActive(true, false);
    int failed = Check(CaptureFrame(stage, scene, stageStep, &c), "frame captured");
    failed += ExpectUnchanged("inactive scene shows no bars", c,
                              BarPoint(scene, stage.actors[beforeWall], 0.5f, 0));
    SetHostSceneActive(true, true);
    return failed;
}

} // namespace

int RunPixelChecks(HostScene& scene) {
    static Stage stage;
    SetUpStage(stage);
    int failed = CheckFirstSight(scene, stage);
    failed += CheckHit(scene, stage);
    failed += CheckDeath(scene, stage);
    failed += CheckInactiveScene(scene, stage);
    return failed;
}
