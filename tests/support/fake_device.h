// The one device of the native tests, the soak and the fuzz target. It logs
// every call into storage kept from frame to frame, so that logging allocates nothing once
// it has grown; silent, it logs nothing and only hands out its state block.
#pragma once

#include <cstdint>
#include <vector>

#include "d3d/d3d.h"
#include "overlay/overlay_renderer.h"

struct DeviceCall {
    // clang-format off
    enum Kind : std::uint8_t {
        CreateStateBlock, SetFVF, SetTransform, SetPixelShader, SetVertexShader, SetTexture,
        SetRenderState, SetTextureStageState, SetSamplerState, DrawPrimitiveUP, Apply, Release
    };
    // clang-format on
    Kind kind;
    std::uint32_t a = 0, b = 0, c = 0; // the call's numbers in order (a draw's: type, count,
                                       // stride; Apply's and Release's: the block was live)
    const void* pointer = nullptr;     // the matrix, shader, texture or state block handed over
    std::size_t firstVertex = 0;       // a draw's vertices, in FakeDevice::vertices
    bool operator==(const DeviceCall& o) const {
        return kind == o.kind && a == o.a && b == o.b && c == o.c;
    }
};

struct FakeDevice : IDirect3DDevice9 {
    using K = DeviceCall;
    // The one state block: live from its creation to its release. Using it when it is not
    // is logged all the same, for the checks to see.
    struct Block : IDirect3DStateBlock9 {
        FakeDevice* device;
        bool live = false;
        explicit Block(FakeDevice* owner) : device(owner) {}
        ULONG Release() override;
        HRESULT Apply() override { return device->Log(K::Apply, live, 0, 0, this); }
        virtual ~Block() = default;
    };

    bool silent = false;
    bool failCreateStateBlock = false;
    std::vector<DeviceCall> calls;
    std::vector<OverlayVertex> vertices; // of every draw, in order
    Block block{this};

    FakeDevice() = default;
    FakeDevice(const FakeDevice&) = delete; // its block points back at it
    void Clear() {
        calls.clear();
        vertices.clear();
    }
    HRESULT Log(K::Kind kind, std::uint32_t a = 0, std::uint32_t b = 0, std::uint32_t c = 0,
                const void* pointer = nullptr);

    HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out) override;
    HRESULT SetFVF(DWORD fvf) override { return Log(K::SetFVF, fvf); }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DXMATRIX* m) override {
        return Log(K::SetTransform, state, 0, 0, m);
    }
    HRESULT SetPixelShader(IDirect3DPixelShader9* s) override {
        return Log(K::SetPixelShader, 0, 0, 0, s);
    }
    HRESULT SetVertexShader(IDirect3DVertexShader9* s) override {
        return Log(K::SetVertexShader, 0, 0, 0, s);
    }
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* t) override {
        return Log(K::SetTexture, stage, 0, 0, t);
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        return Log(K::SetRenderState, state, value);
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD v) override {
        return Log(K::SetTextureStageState, stage, type, v);
    }
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override {
        return Log(K::SetSamplerState, sampler, type, value);
    }
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data,
                            UINT stride) override;
    virtual ~FakeDevice() = default;
};
