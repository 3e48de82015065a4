// What must hold after every DrawActorBars call, whatever the host handed over. Shared by
// the fuzz target and the soak test: call BeforeFrame, run the frame, then AfterFrame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "host/host_memory.h"
#include "tests/support/module_objects.h"
#include "overlay/overlay_renderer.h"

namespace frameinvariants {

struct Watch {
    // Every address the host listed since the tracker was last emptied by an inactive scene:
    // the only addresses a record may have.
    std::set<HostAddress> listedSinceReset;
    // This frame's list, and the records not in it before the frame ran.
    std::set<HostAddress> listedNow;
    std::size_t staleBefore = 0;
    bool listRead = false;
    // Calls of the logging device already checked.
    std::size_t callsSeen = 0;
};

// One device call, as much of it as the checks read.
struct LoggedCall {
    enum Kind : std::uint8_t { CreateStateBlock, Apply, Release, DrawPrimitiveUP, Other };
    Kind kind;
    const char* name;
    const void* block;        // CreateStateBlock, Apply and Release
    std::uint32_t primitives; // DrawPrimitiveUP
    std::size_t firstVertex, vertexCount;
};

// The device the checks read: it logs what they need into storage kept from frame to
// frame, so that logging allocates nothing once it has grown (a RecordingDevice allocates
// on most calls, which under ASan cost the fuzz target more than the frames themselves).
struct CallLogDevice : IDirect3DDevice9 {
    std::vector<LoggedCall> calls;
    std::vector<OverlayVertex> vertices; // of every DrawPrimitiveUP, in order
    bool failCreateStateBlock = false;
    int liveStateBlocks = 0;

    // Forgets the calls logged; keeps the storage.
    void Clear();
    void Log(LoggedCall::Kind kind, const char* name, const void* block = nullptr);

    HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** block) override;
    HRESULT SetFVF(DWORD) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DXMATRIX*) override;
    HRESULT SetPixelShader(IDirect3DPixelShader9*) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9*) override;
    HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override;
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override;
    HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                            UINT stride) override;
    virtual ~CallLogDevice() = default;
};

// Samples the host's actor list and the tracker before the frame.
void BeforeFrame(Watch& watch, const ModuleObjects& module);

// Checks the module and the device calls of the frame just run. `device` is the device the
// host may hand over; `deviceHanded` whether the host's device word was nonzero. Returns an
// empty string, or what was violated.
std::string AfterFrame(Watch& watch, const ModuleObjects& module, const CallLogDevice& device,
                       bool deviceHanded);

} // namespace frameinvariants
