#include "standin/host/device_state.h"

#include <cstdio>
#include <cstring>

#include "standin/host/scene_device.h"

namespace {

DWORD SamplerIndex(int i) {
    return i < 16 ? static_cast<DWORD>(i) : D3DVERTEXTEXTURESAMPLER0 + i - 16;
}

// vs_1_1: dcl_position v0; mov oPos, v0.  ps_1_1: mov r0, v0.
const DWORD vertexShaderCode[] = {0xFFFE0101, 0x0000001F, 0x80000000, 0x900F0000,
                                  0x00000001, 0xC00F0000, 0x90E40000, 0x0000FFFF};
const DWORD pixelShaderCode[] = {0xFFFF0101, 0x00000001, 0x800F0000, 0x90E40000, 0x0000FFFF};

const D3DVERTEXELEMENT9 declarationElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITIONT, 0},
    {0, 16, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END()};

// A state, the value the host sets before its frame call (unlike the overlay's; for a state
// the overlay leaves alone, unlike the default) and its usual value, Direct3D 9's default
// for a device with a depth buffer.
struct StateValues {
    DWORD state, unusual, usual;
};

// The overlay's own render states and a few it leaves alone.
const StateValues renderStates[] = {
    {D3DRS_ALPHABLENDENABLE, FALSE, FALSE},
    {D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT, D3DBLENDOP_ADD},
    {D3DRS_ZWRITEENABLE, TRUE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR, D3DBLEND_ONE},
    {D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR, D3DBLEND_ZERO},
    {D3DRS_SRCBLENDALPHA, D3DBLEND_DESTALPHA, D3DBLEND_ONE},
    {D3DRS_DESTBLENDALPHA, D3DBLEND_INVDESTALPHA, D3DBLEND_ZERO},
    {D3DRS_FILLMODE, D3DFILL_WIREFRAME, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_FLAT, D3DSHADE_GOURAUD},
    {D3DRS_ALPHATESTENABLE, TRUE, FALSE},
    {D3DRS_CULLMODE, D3DCULL_CW, D3DCULL_CCW},
    {D3DRS_ZENABLE, D3DZB_FALSE, D3DZB_TRUE},
    {D3DRS_SEPARATEALPHABLENDENABLE, FALSE, FALSE},
    {D3DRS_SCISSORTESTENABLE, FALSE, FALSE},
    {D3DRS_FOGENABLE, TRUE, FALSE},
    {D3DRS_RANGEFOGENABLE, TRUE, FALSE},
    {D3DRS_SPECULARENABLE, TRUE, FALSE},
    {D3DRS_STENCILENABLE, TRUE, FALSE},
    {D3DRS_CLIPPING, FALSE, TRUE},
    {D3DRS_LIGHTING, TRUE, TRUE},
    {D3DRS_ZFUNC, D3DCMP_GREATEREQUAL, D3DCMP_LESSEQUAL},
    {D3DRS_ALPHAREF, 0x5A, 0},
    {D3DRS_ALPHAFUNC, D3DCMP_NOTEQUAL, D3DCMP_ALWAYS},
    {D3DRS_FOGCOLOR, 0x00123456, 0},
    {D3DRS_STENCILREF, 3, 0},
    {D3DRS_STENCILFUNC, D3DCMP_LESS, D3DCMP_ALWAYS},
    {D3DRS_COLORWRITEENABLE, 0x5, 0xF},
    {D3DRS_AMBIENT, 0x00654321, 0},
    {D3DRS_DITHERENABLE, TRUE, FALSE},
    {D3DRS_TEXTUREFACTOR, 0x80402010, 0xFFFFFFFF},
    {D3DRS_BLENDFACTOR, 0x11223344, 0xFFFFFFFF},
    {D3DRS_NORMALIZENORMALS, TRUE, FALSE},
};

const StateValues samplerStates[] = {
    {D3DSAMP_MINFILTER, D3DTEXF_POINT, D3DTEXF_POINT},
    {D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC, D3DTEXF_POINT},
    {D3DSAMP_MIPFILTER, D3DTEXF_LINEAR, D3DTEXF_NONE},
    {D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR, D3DTADDRESS_WRAP},
    {D3DSAMP_ADDRESSV, D3DTADDRESS_BORDER, D3DTADDRESS_WRAP},
    {D3DSAMP_BORDERCOLOR, 0x00ABCDEF, 0},
    {D3DSAMP_MAXANISOTROPY, 4, 1},
};

// Every state of both tables at one of its values.
void SetTabledStates(IDirect3DDevice9* device, DWORD StateValues::*value) {
    for (const StateValues& entry : renderStates) {
        device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(entry.state), entry.*value);
    }
    for (int s = 0; s < samplerCount; ++s) {
        for (const StateValues& entry : samplerStates) {
            device->SetSamplerState(SamplerIndex(s), static_cast<D3DSAMPLERSTATETYPE>(entry.state),
                                    entry.*value);
        }
    }
}

// Differs per stage, so that a state restored to the wrong stage shows too.
void SetUnusualStage(IDirect3DDevice9* device, DWORD stage) {
    device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_ADD + stage % 3);
    device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_SPECULAR);
    device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SUBTRACT);
    device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, (stage + 3) % 8);
    device->SetTextureStageState(stage, D3DTSS_RESULTARG, D3DTA_TEMP);
    device->SetTextureStageState(stage, D3DTSS_CONSTANT, 0x01020300 + stage);
}

void SetUnusualMatrix(IDirect3DDevice9* device, D3DTRANSFORMSTATETYPE transform, float seed) {
    D3DMATRIX m;
    for (int i = 0; i < 16; ++i) {
        m.m[i / 4][i % 4] = seed + 0.25f * static_cast<float>(i);
    }
    device->SetTransform(transform, &m);
}

int CompareWords(const DWORD* before, const DWORD* after, int count, const char* what, int outer) {
    int differences = 0;
    for (int i = 0; i < count; ++i) {
        if (before[i] != after[i]) {
            if (differences < 4) {
                std::printf("     %s [%d][%d]: %#lx before, %#lx after\n", what, outer, i,
                            before[i], after[i]);
            }
            ++differences;
        }
    }
    return differences;
}

template <class T> int CompareBlock(const T& before, const T& after, const char* what) {
    if (std::memcmp(&before, &after, sizeof before) == 0) {
        return 0;
    }
    std::printf("     %s differs\n", what);
    return 1;
}

} // namespace

bool CreateHostPipeline(IDirect3DDevice9* device, HostPipeline* pipeline) {
    *pipeline = {};
    const bool vs =
        SUCCEEDED(device->CreateVertexShader(vertexShaderCode, &pipeline->vertexShader));
    const bool ps = SUCCEEDED(device->CreatePixelShader(pixelShaderCode, &pipeline->pixelShader));
    const bool decl =
        SUCCEEDED(device->CreateVertexDeclaration(declarationElements, &pipeline->declaration));
    return vs && ps && decl;
}

void ReleaseHostPipeline(HostPipeline* pipeline) {
    DropReference(pipeline->vertexShader);
    DropReference(pipeline->pixelShader);
    DropReference(pipeline->declaration);
    *pipeline = {};
}

void ReadDeviceState(IDirect3DDevice9* device, DeviceState* state) {
    std::memset(state, 0, sizeof *state);
    for (int i = 0; i < renderStateCount; ++i) {
        device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(i), &state->renderStates[i]);
    }
    for (int stage = 0; stage < textureStages; ++stage) {
        for (int i = 1; i < stageStateCount; ++i) {
            device->GetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(i),
                                         &state->stageStates[stage][i]);
        }
    }
    for (int s = 0; s < samplerCount; ++s) {
        for (int i = 1; i < samplerStateCount; ++i) {
            device->GetSamplerState(SamplerIndex(s), static_cast<D3DSAMPLERSTATETYPE>(i),
                                    &state->samplerStates[s][i]);
        }
    }
    device->GetVertexShader(&state->vertexShader);
    device->GetPixelShader(&state->pixelShader);
    device->GetVertexDeclaration(&state->declaration);
    device->GetTexture(0, &state->texture0);
    DropReference(state->vertexShader);
    DropReference(state->pixelShader);
    DropReference(state->declaration);
    DropReference(state->texture0);
    device->GetFVF(&state->fvf);
    device->GetTransform(D3DTS_VIEW, &state->view);
    device->GetTransform(D3DTS_PROJECTION, &state->projection);
    device->GetTransform(D3DTS_WORLD, &state->world);
    device->GetScissorRect(&state->scissor);
    device->GetViewport(&state->viewport);
}

void SetUnusualState(IDirect3DDevice9* device, const HostPipeline& pipeline) {
    SetTabledStates(device, &StateValues::unusual);
    for (DWORD stage = 0; stage < textureStages; ++stage) {
        SetUnusualStage(device, stage);
    }
    device->SetVertexShader(pipeline.vertexShader);
    device->SetPixelShader(pipeline.pixelShader);
    device->SetVertexDeclaration(pipeline.declaration);
    SetUnusualMatrix(device, D3DTS_VIEW, 1.5f);
    SetUnusualMatrix(device, D3DTS_PROJECTION, -2.0f);
    SetUnusualMatrix(device, D3DTS_WORLD, 3.25f);
    const RECT scissor = {13, 17, 301, 203};
    device->SetScissorRect(&scissor);
}

void SetUsualState(IDirect3DDevice9* device) {
    SetTabledStates(device, &StateValues::usual);
    for (DWORD stage = 0; stage < textureStages; ++stage) {
        const bool first = stage == 0;
        device->SetTextureStageState(stage, D3DTSS_COLOROP,
                                     first ? D3DTOP_MODULATE : D3DTOP_DISABLE);
        device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_ALPHAOP,
                                     first ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
        device->SetTextureStageState(stage, D3DTSS_RESULTARG, D3DTA_CURRENT);
        device->SetTextureStageState(stage, D3DTSS_CONSTANT, 0);
    }
    device->SetVertexShader(nullptr);
    device->SetPixelShader(nullptr);
}

int CompareDeviceState(const DeviceState& before, const DeviceState& after) {
    int differences =
        CompareWords(before.renderStates, after.renderStates, renderStateCount, "render state", 0);
    for (int stage = 0; stage < textureStages; ++stage) {
        differences += CompareWords(before.stageStates[stage], after.stageStates[stage],
                                    stageStateCount, "texture stage state", stage);
    }
    for (int s = 0; s < samplerCount; ++s) {
        differences += CompareWords(before.samplerStates[s], after.samplerStates[s],
                                    samplerStateCount, "sampler state", s);
    }
    differences += CompareBlock(before.vertexShader, after.vertexShader, "vertex shader");
    differences += CompareBlock(before.pixelShader, after.pixelShader, "pixel shader");
    differences += CompareBlock(before.declaration, after.declaration, "vertex declaration");
    differences += CompareBlock(before.texture0, after.texture0, "texture of stage 0");
    differences += CompareBlock(before.fvf, after.fvf, "FVF");
    differences += CompareBlock(before.view, after.view, "view transform");
    differences += CompareBlock(before.projection, after.projection, "projection transform");
    differences += CompareBlock(before.world, after.world, "world transform");
    differences += CompareBlock(before.scissor, after.scissor, "scissor rect");
    differences += CompareBlock(before.viewport, after.viewport, "viewport");
    return differences;
}
