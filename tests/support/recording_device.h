// Devices for tests: one that records every call the module makes, and one that does
// nothing at all (for benchmarks).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3d/d3d.h"
#include "overlay/overlay_renderer.h"

struct DeviceCall {
    std::string name; // "CreateStateBlock", "SetRenderState", "Apply", ...
    std::uint32_t a = 0, b = 0, c = 0;
    const void* pointer = nullptr;       // matrix or state block involved, if any
    std::vector<OverlayVertex> vertices; // DrawPrimitiveUP only

    bool operator==(const DeviceCall& o) const {
        return name == o.name && a == o.a && b == o.b && c == o.c;
    }
};

// An expected call, for comparing with what the device recorded.
inline DeviceCall Call(const std::string& name, std::uint32_t a = 0, std::uint32_t b = 0,
                       std::uint32_t c = 0) {
    DeviceCall call;
    call.name = name;
    call.a = a;
    call.b = b;
    call.c = c;
    return call;
}

struct RecordingDevice : IDirect3DDevice9 {
    std::vector<DeviceCall> calls;
    bool failCreateStateBlock = false;
    int liveStateBlocks = 0;
    std::vector<D3DXMATRIX> transforms; // matrices seen by SetTransform, in order

    HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DXMATRIX* matrix) override;
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                            UINT stride) override;

    std::vector<DeviceCall> CallsNamed(const std::string& name) const;
    virtual ~RecordingDevice();
};

struct NullDevice : IDirect3DDevice9 {
    HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9** block) override;
    HRESULT SetFVF(DWORD) override { return D3D_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DXMATRIX*) override { return D3D_OK; }
    HRESULT SetPixelShader(IDirect3DPixelShader9*) override { return D3D_OK; }
    HRESULT SetVertexShader(IDirect3DVertexShader9*) override { return D3D_OK; }
    HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override { return D3D_OK; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return D3D_OK; }
    virtual ~NullDevice() = default;
};
