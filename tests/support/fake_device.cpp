#include "tests/support/fake_device.h"

HRESULT FakeDevice::Log(K::Kind kind, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                        const void* pointer) {
    if (!silent) {
        calls.push_back({kind, a, b, c, pointer, vertices.size()});
    }
    return D3D_OK;
}

HRESULT FakeDevice::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out) {
    *out = failCreateStateBlock ? nullptr : &block;
    block.live = block.live || *out != nullptr;
    Log(K::CreateStateBlock, type, 0, 0, *out);
    return failCreateStateBlock ? D3DERR_INVALIDCALL : D3D_OK;
}

ULONG FakeDevice::Block::Release() {
    device->Log(K::Release, live, 0, 0, this);
    live = false;
    return 0;
}

// As many vertices as the primitives need are copied: a short buffer is an ASan report.
HRESULT FakeDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data,
                                    UINT stride) {
    if (silent) {
        return D3D_OK;
    }
    Log(K::DrawPrimitiveUP, type, primitiveCount, stride);
    const auto* v = static_cast<const OverlayVertex*>(data);
    vertices.insert(vertices.end(), v,
                    v + (type == D3DPT_LINESTRIP ? primitiveCount + 1 : primitiveCount * 3));
    return D3D_OK;
}
