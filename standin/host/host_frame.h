// One frame of the host: scene drawn, the frame call made between BeginScene and EndScene
// as the game makes it, device state compared around the call.
#pragma once

#include <cstdint>
#include <d3d9.h>

#include "standin/host/device_state.h"
#include "standin/host/scene_camera.h"

struct HostScene {
    IDirect3DDevice9* device;
    HostPipeline pipeline;
    // Left bound at stage 0 when the game calls, as most games leave their last texture.
    IDirect3DTexture9* gameTexture;
    SceneCamera camera;
    D3DXVECTOR3 pillars[64];
    int pillarCount;
};

enum class FrameCall {
    callSite, // through the game's call site, argument 0
    hostOnly, // straight to the host's callee: the picture without the module
};

struct FrameOptions {
    FrameCall call;
    bool unusualState;       // set unusual values on every state before the call
    std::uint32_t* readBack; // back buffer copy wanted, or null
};

struct FrameResult {
    int stateDifferences;
    bool calleeReached; // once, its result back, the game's machine kept (through the site)
    bool readBackOk;
};

FrameResult RenderHostFrame(HostScene& scene, const FrameOptions& options);
