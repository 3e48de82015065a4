// The module's per-frame entry: samples the host, keeps the clock, and decides whether
// bars are shown before running the bar pipeline.
#pragma once

#include <cstdint>

#include "d3d/d3d.h"

struct FrameClock {
    float lastClock;  // -1.0: no previous call
    float frameDelta; // seconds since the previous call; never clamped
};

struct FrameDriverState {
    float statusLevel; // last level read; kept while the status object is absent
    bool statusModeNot3;
    bool sceneActive;
    float sceneTime; // seconds since the scene became active; 0 while inactive
    std::uint8_t uiFlag;
    bool suppressLatch; // while set, no bars are shown
    D3DXMATRIX viewTransform;
    const D3DXMATRIX* viewMatrix;
    const D3DXMATRIX* viewProjMatrix;
};

extern FrameClock frameClock;
extern FrameDriverState frameDriver;

void DrawActorBars();
