#include "standin/host/stage.h"

StageActor StandingActor(float x, float y, float damage) {
    constexpr std::uint32_t ordinaryKind = 0x10001;
    return {D3DXVECTOR3(x, y, 0.0f), damage, true, true, true, ordinaryKind};
}

Stage& NewStage(std::initializer_list<StageActor> actors) {
    static Stage stage;
    stage = {};
    for (const StageActor& actor : actors) {
        stage.actors[stage.count++] = actor;
    }
    return stage;
}

void PublishStage(const Stage& stage, HostScene& scene) {
    static int slots[maxHostActors];
    int listed = 0;
    scene.pillarCount = 0;
    for (int i = 0; i < stage.count; ++i) {
        const StageActor& actor = stage.actors[i];
        const D3DXVECTOR3 host = WorldToHostAxes(actor.world);
        WriteHostActor(
            i, {{host.x, host.y, host.z}, actor.damage, actor.hasStats, actor.engaged, actor.kind});
        if (!actor.listed) {
            continue;
        }
        slots[listed++] = i;
        if (scene.pillarCount < static_cast<int>(sizeof scene.pillars / sizeof scene.pillars[0])) {
            scene.pillars[scene.pillarCount++] = actor.world;
        }
    }
    WriteHostActorList(slots, listed);
    SetHostClock(stage.clock, stageStep);
    SetHostMatrices(scene.camera.view.m, scene.camera.viewProjection.m);
}

FrameResult AdvanceStage(Stage& stage, HostScene& scene, float step, const FrameOptions& options) {
    stage.clock += step;
    PublishStage(stage, scene);
    return RenderHostFrame(scene, options);
}
