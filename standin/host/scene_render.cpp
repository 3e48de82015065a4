#include "standin/host/scene_render.h"

#include <vector>

#include "standin/host/device_state.h"
#include "standin/host/scene_device.h"

namespace {

struct SceneVertex {
    float x, y, z;
    D3DCOLOR color;
};

constexpr DWORD sceneFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr D3DCOLOR skyColor = 0x008FB4D8;
constexpr float groundTile = 8.0f;
constexpr float groundNear = 0.5f;
constexpr int groundTilesDeep = 20;
constexpr int groundTilesWide = 24;
constexpr float pillarHalf = 0.25f;
constexpr float pillarHeight = 1.0f;
// The wall stands across the view; actors beyond it are hidden from the camera.
constexpr float wallNear = 9.0f;
constexpr float wallFar = 9.6f;
constexpr float wallLeft = -0.5f;
constexpr float wallRight = 6.0f;
constexpr float wallHeight = 3.0f;

void AddQuad(std::vector<SceneVertex>& out, const D3DXVECTOR3 corners[4], D3DCOLOR color) {
    const int order[6] = {0, 1, 2, 2, 3, 0};
    for (int i : order) {
        out.push_back({corners[i].x, corners[i].y, corners[i].z, color});
    }
}

// The faces of an axis-aligned box that the camera sees, front, left, right and top, by
// corner: corner i takes the high x, y and z where bits 0, 1 and 2 of i are set. Each has a
// shade of its own (front, side, top) so that edges read.
struct BoxFace {
    int corners[4];
    int shade;
};
const BoxFace boxFaces[] = {
    {{0, 2, 6, 4}, 0}, {{0, 1, 5, 4}, 1}, {{2, 3, 7, 6}, 1}, {{4, 5, 7, 6}, 2}};

void AddBox(std::vector<SceneVertex>& out, const D3DXVECTOR3& low, const D3DXVECTOR3& high,
            const D3DCOLOR (&shades)[3]) {
    for (const BoxFace& face : boxFaces) {
        D3DXVECTOR3 quad[4];
        for (int i = 0; i < 4; ++i) {
            const int c = face.corners[i];
            quad[i] = {c & 1 ? high.x : low.x, c & 2 ? high.y : low.y, c & 4 ? high.z : low.z};
        }
        AddQuad(out, quad, shades[face.shade]);
    }
}

void AddGround(std::vector<SceneVertex>& out) {
    for (int row = 0; row < groundTilesDeep; ++row) {
        for (int column = 0; column < groundTilesWide; ++column) {
            const float x0 = groundNear + row * groundTile;
            const float y0 = (column - groundTilesWide / 2) * groundTile;
            const D3DXVECTOR3 tile[4] = {{x0, y0, 0.0f},
                                         {x0 + groundTile, y0, 0.0f},
                                         {x0 + groundTile, y0 + groundTile, 0.0f},
                                         {x0, y0 + groundTile, 0.0f}};
            AddQuad(out, tile, (row + column) % 2 == 0 ? 0x00766C5C : 0x00665D4F);
        }
    }
}

// Opaque red, 0xFFFF0000, in every texel.
void WINAPI FillWithGameColor(D3DXVECTOR4* texel, const D3DXVECTOR2*, const D3DXVECTOR2*, void*) {
    *texel = D3DXVECTOR4(1.0f, 0.0f, 0.0f, 1.0f);
}

} // namespace

void SetHostSceneState(IDirect3DDevice9* device, const SceneCamera& camera,
                       IDirect3DBaseTexture9* texture) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    SetUsualState(device);
    device->SetTexture(0, texture);
    device->SetFVF(sceneFvf);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &camera.view);
    device->SetTransform(D3DTS_PROJECTION, &camera.projection);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    const RECT full = {0, 0, sceneWidth, sceneHeight};
    device->SetScissorRect(&full);
}

void DrawHostScene(IDirect3DDevice9* device, const D3DXVECTOR3* pillars, int pillarCount) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, skyColor, 1.0f,
                  0);
    std::vector<SceneVertex> vertices;
    vertices.reserve(6 * (groundTilesDeep * groundTilesWide + 4 * (pillarCount + 1)));
    AddGround(vertices);
    AddBox(vertices, {wallNear, wallLeft, 0.0f}, {wallFar, wallRight, wallHeight},
           {0x009A4A32, 0x008A4230, 0x007A3A28});
    for (int i = 0; i < pillarCount; ++i) {
        const D3DXVECTOR3& p = pillars[i];
        AddBox(vertices, {p.x - pillarHalf, p.y - pillarHalf, p.z},
               {p.x + pillarHalf, p.y + pillarHalf, p.z + pillarHeight},
               {0x003050A0, 0x00284488, 0x004060B8});
    }
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(vertices.size() / 3),
                            vertices.data(), sizeof(SceneVertex));
}

IDirect3DTexture9* CreateGameTexture(IDirect3DDevice9* device) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                     nullptr)) ||
        FAILED(D3DXFillTexture(texture, FillWithGameColor, nullptr))) {
        DropReference(texture);
        return nullptr;
    }
    return texture;
}
