#include "tests/support/frame_invariants.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdio>

#include "host/host_game.h"

namespace frameinvariants {

namespace {

std::string Describe(const char* what, double value) {
    char text[160];
    std::snprintf(text, sizeof text, "%s (%g)", what, value);
    return text;
}

bool ColorHasNan(const ColorRGBA& c) {
    return std::isnan(c.r) || std::isnan(c.g) || std::isnan(c.b) || std::isnan(c.a);
}

std::size_t StaleRecords(const ActorTracker& tracker, const std::set<HostAddress>& listed) {
    std::size_t stale = 0;
    for (const auto& [address, record] : tracker.records) {
        (void)record;
        stale += listed.count(address) == 0 ? 1 : 0;
    }
    return stale;
}

std::string CheckTracker(const Watch& watch, const ModuleObjects& module, bool pipelineRan) {
    if (!module.driver.sceneActive && !module.tracker.records.empty()) {
        return "records survived an inactive scene";
    }
    for (const auto& [address, record] : module.tracker.records) {
        (void)record;
        if (watch.listedSinceReset.count(address) == 0) {
            return Describe("a record for an address never listed", address);
        }
    }
    if (pipelineRan && watch.listRead) {
        // One departed record goes per update, the lowest first: stale records never pile up
        // faster than the host drops actors.
        const std::size_t expected = watch.staleBefore > 0 ? watch.staleBefore - 1 : 0;
        const std::size_t stale = StaleRecords(module.tracker, watch.listedNow);
        if (stale != expected) {
            return Describe("departed records not pruned one per update", double(stale));
        }
    }
    return {};
}

std::string CheckBarList(const BarList& list) {
    float previousDepth = INFINITY;
    for (const BarEntry& entry : list) {
        if (std::isnan(entry.anchor.z)) {
            return "a bar with a NaN depth in the list";
        }
        if (ColorHasNan(entry.frameColor) || ColorHasNan(entry.fillColor) ||
            ColorHasNan(entry.trailColor)) {
            return "a bar with a NaN colour in the list";
        }
        if (!(entry.health >= 0.0f) || !(entry.trailHealth >= 0.0f)) {
            return "a bar with a NaN or negative health in the list";
        }
        if (entry.anchor.z > previousDepth) {
            return "the list is not sorted far to near";
        }
        previousDepth = entry.anchor.z;
    }
    return {};
}

// A frame's device calls: at most one state block; every call that changes or draws
// happens while that block is open; the block is applied once and released once, in that
// order, and nothing touches it afterwards.
std::string CheckDeviceCalls(const CallLogDevice& device, std::size_t first, bool mayDraw) {
    const std::size_t count = device.calls.size();
    if (!mayDraw && count != first) {
        return "a device call on a frame with no device or no bars";
    }
    if (mayDraw && (count == first || device.calls[first].kind != LoggedCall::CreateStateBlock)) {
        return "a shown frame with a device did not start with CreateStateBlock";
    }
    const void* open = nullptr;
    bool created = false, applied = false, released = false;
    for (std::size_t i = first; i < count; ++i) {
        const LoggedCall& call = device.calls[i];
        if (call.kind == LoggedCall::CreateStateBlock) {
            if (i != first) {
                return "a second CreateStateBlock in one frame";
            }
            open = call.block;
            created = open != nullptr;
        } else if (call.kind == LoggedCall::Apply) {
            if (!created || call.block != open || applied || released) {
                return "Apply of a block not created and still open in this frame";
            }
            applied = true;
        } else if (call.kind == LoggedCall::Release) {
            if (!applied || call.block != open || released) {
                return "Release not after exactly one Apply of this frame's block";
            }
            released = true;
        } else {
            if (!created || applied || released) {
                return std::string("device state touched outside an open state block: ") +
                       call.name;
            }
            if (call.kind == LoggedCall::DrawPrimitiveUP) {
                if (call.primitives == 0 || call.vertexCount == 0) {
                    return "a draw of no primitives";
                }
                for (std::size_t v = 0; v < call.vertexCount; ++v) {
                    if (std::isnan(device.vertices[call.firstVertex + v].z)) {
                        return "a vertex with a NaN depth reached the device";
                    }
                }
            }
        }
    }
    if (created && !(applied && released)) {
        return "a created state block was not applied and released in the same frame";
    }
    if (device.liveStateBlocks != 0) {
        return Describe("state blocks alive after the frame", device.liveStateBlocks);
    }
    return {};
}

} // namespace

std::string AfterFrame(Watch& watch, const ModuleObjects& module, const CallLogDevice& device,
                       bool deviceHanded) {
    // The gate's outcome: the latch set on this call or before keeps the bars off.
    const bool pipelineRan = module.driver.sceneActive && !module.driver.suppressLatch;
    std::string failure = CheckTracker(watch, module, pipelineRan);
    if (failure.empty() && pipelineRan) {
        failure = CheckBarList(module.list);
    }
    if (failure.empty()) {
        failure = CheckDeviceCalls(device, watch.callsSeen, pipelineRan && deviceHanded);
    }
    watch.callsSeen = device.calls.size();
    if (!module.driver.sceneActive) {
        watch.listedSinceReset.clear();
    }
    return failure;
}

namespace {

// A state block of the call log device: logs Apply and Release, and is gone after Release
// (ASan reports any later use).
struct LoggedStateBlock : IDirect3DStateBlock9 {
    CallLogDevice* device;
    explicit LoggedStateBlock(CallLogDevice* d) : device(d) {}
    ULONG Release() override {
        device->Log(LoggedCall::Release, "Release", this);
        --device->liveStateBlocks;
        delete this;
        return 0;
    }
    HRESULT Apply() override {
        device->Log(LoggedCall::Apply, "Apply", this);
        return D3D_OK;
    }
    virtual ~LoggedStateBlock() = default;
};

} // namespace

void BeforeFrame(Watch& watch, const ModuleObjects& module) {
    const std::int32_t count = ReadHostActorCount();
    watch.listRead = count > 0;
    // The list rarely changes from one frame to the next: a short one updates the set in
    // place, instead of allocating a node for every listed actor on every frame.
    HostAddress copied[64];
    const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
    if (n <= std::size(copied)) {
        for (std::size_t i = 0; i < n; ++i) {
            copied[i] = ReadHostActor(static_cast<std::int32_t>(i));
        }
        for (auto it = watch.listedNow.begin(); it != watch.listedNow.end();) {
            it = std::find(copied, copied + n, *it) != copied + n ? std::next(it)
                                                                  : watch.listedNow.erase(it);
        }
        watch.listedNow.insert(copied, copied + n);
    } else {
        watch.listedNow.clear();
        for (std::int32_t i = 0; i < count; ++i) {
            watch.listedNow.insert(ReadHostActor(i));
        }
    }
    watch.listedSinceReset.insert(watch.listedNow.begin(), watch.listedNow.end());
    watch.staleBefore = StaleRecords(module.tracker, watch.listedNow);
}

void CallLogDevice::Clear() {
    calls.clear();
    vertices.clear();
}

void CallLogDevice::Log(LoggedCall::Kind kind, const char* name, const void* block) {
    calls.push_back({kind, name, block, 0, 0, 0});
}

HRESULT CallLogDevice::CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9** block) {
    if (failCreateStateBlock) {
        Log(LoggedCall::CreateStateBlock, "CreateStateBlock");
        *block = nullptr;
        return D3DERR_INVALIDCALL;
    }
    auto* created = new LoggedStateBlock(this);
    ++liveStateBlocks;
    Log(LoggedCall::CreateStateBlock, "CreateStateBlock", created);
    *block = created;
    return D3D_OK;
}

HRESULT CallLogDevice::SetFVF(DWORD) {
    Log(LoggedCall::Other, "SetFVF");
    return D3D_OK;
}
HRESULT CallLogDevice::SetTransform(D3DTRANSFORMSTATETYPE, const D3DXMATRIX*) {
    Log(LoggedCall::Other, "SetTransform");
    return D3D_OK;
}
HRESULT CallLogDevice::SetPixelShader(IDirect3DPixelShader9*) {
    Log(LoggedCall::Other, "SetPixelShader");
    return D3D_OK;
}
HRESULT CallLogDevice::SetVertexShader(IDirect3DVertexShader9*) {
    Log(LoggedCall::Other, "SetVertexShader");
    return D3D_OK;
}
HRESULT CallLogDevice::SetTexture(DWORD, IDirect3DBaseTexture9*) {
    Log(LoggedCall::Other, "SetTexture");
    return D3D_OK;
}
HRESULT CallLogDevice::SetRenderState(D3DRENDERSTATETYPE, DWORD) {
    Log(LoggedCall::Other, "SetRenderState");
    return D3D_OK;
}
HRESULT CallLogDevice::SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) {
    Log(LoggedCall::Other, "SetTextureStageState");
    return D3D_OK;
}
HRESULT CallLogDevice::SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) {
    Log(LoggedCall::Other, "SetSamplerState");
    return D3D_OK;
}

HRESULT CallLogDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data,
                                       UINT) {
    // As many vertices as the primitives need, copied: a short buffer is an ASan report.
    const UINT vertexCount = type == D3DPT_LINESTRIP ? primitiveCount + 1 : primitiveCount * 3;
    const auto* v = static_cast<const OverlayVertex*>(data);
    calls.push_back({LoggedCall::DrawPrimitiveUP, "DrawPrimitiveUP", nullptr, primitiveCount,
                     vertices.size(), vertexCount});
    vertices.insert(vertices.end(), v, v + vertexCount);
    return D3D_OK;
}

} // namespace frameinvariants
