// Every piece of device state the module could disturb, read back from the device, and the
// unusual values the host sets first so that a missed restore shows.
#pragma once

#include <d3d9.h>

constexpr int renderStateCount = 210;
constexpr int textureStages = 8;
constexpr int stageStateCount = 33;
constexpr int samplerCount = 20; // 16 pixel samplers and 4 vertex samplers
constexpr int samplerStateCount = 14;

struct DeviceState {
    DWORD renderStates[renderStateCount];
    DWORD stageStates[textureStages][stageStateCount];
    DWORD samplerStates[samplerCount][samplerStateCount];
    IDirect3DVertexShader9* vertexShader;
    IDirect3DPixelShader9* pixelShader;
    IDirect3DVertexDeclaration9* declaration;
    IDirect3DBaseTexture9* texture0;
    DWORD fvf;
    D3DMATRIX view, projection, world;
    RECT scissor;
    D3DVIEWPORT9 viewport;
};

// Shaders and a declaration of the host's own, made once per device.
struct HostPipeline {
    IDirect3DVertexShader9* vertexShader;
    IDirect3DPixelShader9* pixelShader;
    IDirect3DVertexDeclaration9* declaration;
};

bool CreateHostPipeline(IDirect3DDevice9* device, HostPipeline* pipeline);
void ReleaseHostPipeline(HostPipeline* pipeline);

// Reads the whole state; the COM pointers it holds are not kept referenced.
void ReadDeviceState(IDirect3DDevice9* device, DeviceState* state);

// Sets a value unlike the overlay's on every state the host can set, so that a state the
// module changes and fails to restore shows. Some cannot also differ from the default: the
// overlay sets five boolean states to the opposite of their defaults.
void SetUnusualState(IDirect3DDevice9* device, const HostPipeline& pipeline);

// Puts every state SetUnusualState touches back to the device's default, so that a frame
// drawn after the state checks sees the device a fresh host would.
void SetUsualState(IDirect3DDevice9* device);

// Prints each difference (at most a few) and returns how many there are.
int CompareDeviceState(const DeviceState& before, const DeviceState& after);
