// The native build's stand-in for the few Direct3D 9 and D3DX 9 declarations the module
// uses. Values and layouts match the SDK; the interfaces hold only the methods the module
// calls, so that a test can implement them as a fake device.
#pragma once

#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using ULONG = std::uint32_t;
using HRESULT = std::int32_t;
using FLOAT = float;
using D3DCOLOR = std::uint32_t;

constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086CU);
#define FAILED(hr) ((HRESULT)(hr) < 0)
#define TRUE 1
#define FALSE 0

constexpr DWORD D3DFVF_XYZ = 0x002;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;

enum D3DSTATEBLOCKTYPE { D3DSBT_ALL = 1 };
enum D3DTRANSFORMSTATETYPE { D3DTS_VIEW = 2, D3DTS_PROJECTION = 3, D3DTS_WORLD = 256 };
enum D3DPRIMITIVETYPE { D3DPT_LINESTRIP = 3, D3DPT_TRIANGLELIST = 4 };
// clang-format off
enum D3DRENDERSTATETYPE {
    D3DRS_ZENABLE = 7, D3DRS_FILLMODE = 8, D3DRS_SHADEMODE = 9, D3DRS_ZWRITEENABLE = 14,
    D3DRS_ALPHATESTENABLE = 15, D3DRS_SRCBLEND = 19, D3DRS_DESTBLEND = 20, D3DRS_CULLMODE = 22,
    D3DRS_ALPHABLENDENABLE = 27, D3DRS_FOGENABLE = 28, D3DRS_SPECULARENABLE = 29,
    D3DRS_RANGEFOGENABLE = 48, D3DRS_STENCILENABLE = 52, D3DRS_CLIPPING = 136,
    D3DRS_LIGHTING = 137, D3DRS_BLENDOP = 171, D3DRS_SCISSORTESTENABLE = 174,
    D3DRS_SEPARATEALPHABLENDENABLE = 206, D3DRS_SRCBLENDALPHA = 207, D3DRS_DESTBLENDALPHA = 208,
};
enum D3DTEXTURESTAGESTATETYPE {
    D3DTSS_COLOROP = 1, D3DTSS_COLORARG1 = 2, D3DTSS_COLORARG2 = 3, D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5, D3DTSS_ALPHAARG2 = 6,
};
// clang-format on
enum D3DSAMPLERSTATETYPE { D3DSAMP_MAGFILTER = 5, D3DSAMP_MINFILTER = 6 };
constexpr DWORD D3DZB_TRUE = 1, D3DFILL_SOLID = 3, D3DSHADE_GOURAUD = 2, D3DCULL_NONE = 1;
constexpr DWORD D3DBLEND_ONE = 2, D3DBLEND_SRCALPHA = 5, D3DBLEND_INVSRCALPHA = 6;
constexpr DWORD D3DBLENDOP_ADD = 1, D3DTOP_DISABLE = 1, D3DTOP_MODULATE = 4;
constexpr DWORD D3DTA_DIFFUSE = 0, D3DTA_TEXTURE = 2, D3DTEXF_LINEAR = 2;

struct D3DXMATRIX {
    float m[4][4];
};
struct D3DXVECTOR3 {
    float x, y, z;
};
struct D3DXVECTOR4 {
    float x, y, z, w;
};

struct IDirect3DPixelShader9;
struct IDirect3DBaseTexture9;
struct IDirect3DVertexShader9;

struct IDirect3DStateBlock9 {
    virtual ULONG Release() = 0;
    virtual HRESULT Apply() = 0;
};

struct IDirect3DDevice9 {
    virtual HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block) = 0;
    virtual HRESULT SetFVF(DWORD fvf) = 0;
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DXMATRIX* matrix) = 0;
    virtual HRESULT SetPixelShader(IDirect3DPixelShader9* shader) = 0;
    virtual HRESULT SetVertexShader(IDirect3DVertexShader9* shader) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                         DWORD value) = 0;
    virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                    const void* vertices, UINT stride) = 0;
};

// D3DX 9, row-vector convention, as documented.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, FLOAT* determinant, const D3DXMATRIX* in);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
