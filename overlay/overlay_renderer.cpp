#include "overlay/overlay_renderer.h"

#include <cstddef>
#include <cstring>

namespace {

struct RenderStateValue {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

// Every render state the overlay depends on, in the order set. The blend operation is set
// twice, second and thirteenth: the device sees this sequence call for call.
constexpr RenderStateValue overlayRenderStates[] = {
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_ZWRITEENABLE, FALSE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE},
    {D3DRS_DESTBLENDALPHA, D3DBLEND_INVSRCALPHA},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_ZENABLE, D3DZB_TRUE},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_SEPARATEALPHABLENDENABLE, TRUE},
    {D3DRS_SCISSORTESTENABLE, TRUE},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_RANGEFOGENABLE, FALSE},
    {D3DRS_SPECULARENABLE, FALSE},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_CLIPPING, TRUE},
    {D3DRS_LIGHTING, FALSE},
};

// A texture stage's or a sampler's state.
template <class Type> struct IndexedState {
    DWORD index;
    Type type;
    DWORD value;
};

constexpr IndexedState<D3DTEXTURESTAGESTATETYPE> overlayTextureStages[] = {
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},  {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
};

constexpr IndexedState<D3DSAMPLERSTATETYPE> overlaySamplers[] = {
    {0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
    {0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
};

void SetOverlayPipeline(const OverlayRenderer& renderer, const D3DXMATRIX& viewTransform) {
    IDirect3DDevice9* device = renderer.device;
    device->SetFVF(overlayVertexFvf);
    device->SetTransform(D3DTS_PROJECTION, &renderer.identityMatrix);
    device->SetTransform(D3DTS_VIEW, &viewTransform);
    device->SetTransform(D3DTS_WORLD, &renderer.identityMatrix);
    device->SetPixelShader(nullptr);
    device->SetVertexShader(nullptr);
    // Stage 0 modulates by its texture: whatever the game left bound would tint every bar.
    // The state block puts the game's texture back.
    device->SetTexture(0, nullptr);
    for (const RenderStateValue& rs : overlayRenderStates) {
        device->SetRenderState(rs.state, rs.value);
    }
    for (const auto& ts : overlayTextureStages) {
        device->SetTextureStageState(ts.index, ts.type, ts.value);
    }
    for (const auto& ss : overlaySamplers) {
        device->SetSamplerState(ss.index, ss.type, ss.value);
    }
}

} // namespace

void BeginOverlay(OverlayRenderer& renderer, IDirect3DDevice9* device,
                  const D3DXMATRIX& viewTransform) {
    renderer.device = device;
    renderer.stateBlock = nullptr;
    if (renderer.device == nullptr) {
        return;
    }
    IDirect3DStateBlock9* block = nullptr;
    if (FAILED(renderer.device->CreateStateBlock(D3DSBT_ALL, &block)) || block == nullptr) {
        // Nothing could put the host's state back: leave the device alone this frame.
        renderer.device = nullptr;
        return;
    }
    renderer.stateBlock = block;
    SetOverlayPipeline(renderer, viewTransform);
}

// A point's x, y and z are the vertex's; its w makes way for the colour.
static_assert(sizeof(D3DXVECTOR4) == sizeof(OverlayVertex) &&
                  offsetof(OverlayVertex, diffuse) == offsetof(D3DXVECTOR4, w),
              "a point is copied into a vertex whole");

void DrawPolyline(OverlayRenderer& renderer, D3DCOLOR diffuse, std::int32_t count,
                  const D3DXVECTOR4* points) {
    IDirect3DDevice9* const device = renderer.device;
    if (device == nullptr || count < minPolylinePoints) {
        return;
    }
    const std::int32_t n = count > maxPolylinePoints ? maxPolylinePoints : count;
    OverlayVertex vertices[maxPolylinePoints];
    for (std::int32_t i = 0; i < n; ++i) {
        std::memcpy(&vertices[i], &points[i], sizeof vertices[i]);
        vertices[i].diffuse = diffuse;
    }
    device->DrawPrimitiveUP(D3DPT_LINESTRIP, static_cast<UINT>(n - 1), vertices,
                            sizeof(OverlayVertex));
}

void EndOverlay(OverlayRenderer& renderer) {
    if (renderer.device == nullptr || renderer.stateBlock == nullptr) {
        return;
    }
    renderer.stateBlock->Apply();
    renderer.stateBlock->Release();
    // The block is gone: nothing may reach it after this frame.
    renderer.stateBlock = nullptr;
}
