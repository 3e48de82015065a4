#include "tests/support/recording_device.h"

namespace {

struct RecordingStateBlockImpl : IDirect3DStateBlock9 {
    RecordingDevice* device;
    explicit RecordingStateBlockImpl(RecordingDevice* d) : device(d) {}
    ULONG Release() override {
        device->calls.push_back({"Release", 0, 0, 0, this, {}});
        --device->liveStateBlocks;
        delete this;
        return 0;
    }
    HRESULT Apply() override {
        device->calls.push_back({"Apply", 0, 0, 0, this, {}});
        return D3D_OK;
    }
    virtual ~RecordingStateBlockImpl() = default;
};

struct NullStateBlock : IDirect3DStateBlock9 {
    ULONG Release() override { return 0; }
    HRESULT Apply() override { return D3D_OK; }
    virtual ~NullStateBlock() = default;
};

NullStateBlock nullStateBlock;

} // namespace

HRESULT RecordingDevice::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block) {
    if (failCreateStateBlock) {
        calls.push_back({"CreateStateBlock", static_cast<std::uint32_t>(type), 0, 0, nullptr, {}});
        *block = nullptr;
        return D3DERR_INVALIDCALL;
    }
    auto* created = new RecordingStateBlockImpl(this);
    ++liveStateBlocks;
    calls.push_back({"CreateStateBlock", static_cast<std::uint32_t>(type), 0, 0, created, {}});
    *block = created;
    return D3D_OK;
}

HRESULT RecordingDevice::SetFVF(DWORD fvf) {
    calls.push_back({"SetFVF", fvf, 0, 0, nullptr, {}});
    return D3D_OK;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DXMATRIX* matrix) {
    calls.push_back({"SetTransform", static_cast<std::uint32_t>(state), 0, 0, matrix, {}});
    transforms.push_back(*matrix);
    return D3D_OK;
}

HRESULT RecordingDevice::SetPixelShader(IDirect3DPixelShader9* shader) {
    calls.push_back({"SetPixelShader", 0, 0, 0, shader, {}});
    return D3D_OK;
}

HRESULT RecordingDevice::SetVertexShader(IDirect3DVertexShader9* shader) {
    calls.push_back({"SetVertexShader", 0, 0, 0, shader, {}});
    return D3D_OK;
}

HRESULT RecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    calls.push_back({"SetTexture", stage, 0, 0, texture, {}});
    return D3D_OK;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    calls.push_back({"SetRenderState", static_cast<std::uint32_t>(state), value, 0, nullptr, {}});
    return D3D_OK;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD value) {
    calls.push_back(
        {"SetTextureStageState", stage, static_cast<std::uint32_t>(type), value, nullptr, {}});
    return D3D_OK;
}

HRESULT RecordingDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    calls.push_back(
        {"SetSamplerState", sampler, static_cast<std::uint32_t>(type), value, nullptr, {}});
    return D3D_OK;
}

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                         const void* vertices, UINT stride) {
    DeviceCall call{
        "DrawPrimitiveUP", static_cast<std::uint32_t>(type), primitiveCount, stride, nullptr, {}};
    const UINT vertexCount = type == D3DPT_LINESTRIP ? primitiveCount + 1 : primitiveCount * 3;
    const auto* v = static_cast<const OverlayVertex*>(vertices);
    call.vertices.assign(v, v + vertexCount);
    calls.push_back(call);
    return D3D_OK;
}

std::vector<DeviceCall> RecordingDevice::CallsNamed(const std::string& name) const {
    std::vector<DeviceCall> named;
    for (const DeviceCall& call : calls) {
        if (call.name == name) {
            named.push_back(call);
        }
    }
    return named;
}

RecordingDevice::~RecordingDevice() = default;

HRESULT NullDevice::CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9** block) {
    *block = &nullStateBlock;
    return D3D_OK;
}
