// The actors the host shows, in the scene's world (z up), and publishing them into the
// host's memory together with the clock and the camera.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <d3dx9.h>

#include "standin/host/host_frame.h"
#include "standin/host/host_world.h"

constexpr float stageStep = 1.0f / 30.0f;

struct StageActor {
    D3DXVECTOR3 world; // feet on the ground
    float damage;      // the game's damage ratio: health is 1 - damage
    bool hasStats;
    bool engaged;
    bool listed;
    std::uint32_t kind;
};

struct Stage {
    StageActor actors[maxHostActors];
    int count;
    float clock;
};

StageActor StandingActor(float x, float y, float damage);

// The one stage, being too big for the stack, emptied and given `actors`.
Stage& NewStage(std::initializer_list<StageActor> actors);

// Writes every actor, the list of listed ones, the clock and the camera, and the pillars
// the scene draws for listed actors.
void PublishStage(const Stage& stage, HostScene& scene);

// The clock moves on by one frame (or stands still when `step` is 0), then one host frame.
FrameResult AdvanceStage(Stage& stage, HostScene& scene, float step, const FrameOptions& options);
