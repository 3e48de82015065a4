#include "standin/checks/state_block_fault.h"

namespace {

// CreateStateBlock's place in the IDirect3DDevice9 method table, fixed by the COM ABI.
constexpr int createStateBlockSlot = 59;

using CreateStateBlockMethod = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, D3DSTATEBLOCKTYPE,
                                                           IDirect3DStateBlock9**);

void* savedMethod = nullptr;
int failedCreations = 0;

HRESULT STDMETHODCALLTYPE FailingCreateStateBlock(IDirect3DDevice9*, D3DSTATEBLOCKTYPE,
                                                  IDirect3DStateBlock9** block) {
    ++failedCreations;
    if (block != nullptr) {
        *block = nullptr;
    }
    return D3DERR_OUTOFVIDEOMEMORY;
}

void** MethodSlot(IDirect3DDevice9* device) {
    return *reinterpret_cast<void***>(device) + createStateBlockSlot;
}

bool WriteSlot(void** slot, void* method) {
    DWORD old;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) {
        return false;
    }
    *slot = method;
    DWORD ignored;
    VirtualProtect(slot, sizeof *slot, old, &ignored);
    return true;
}

} // namespace

bool BreakCreateStateBlock(IDirect3DDevice9* device) {
    void** slot = MethodSlot(device);
    savedMethod = *slot;
    if (!WriteSlot(slot, reinterpret_cast<void*>(&FailingCreateStateBlock))) {
        savedMethod = nullptr;
        return false;
    }
    // A call through the interface must now land here, or the slot was the wrong one.
    const int before = failedCreations;
    IDirect3DStateBlock9* block = nullptr;
    device->CreateStateBlock(D3DSBT_ALL, &block);
    if (failedCreations != before + 1) {
        RestoreCreateStateBlock(device);
        if (block != nullptr) {
            block->Release();
        }
        return false;
    }
    failedCreations = before;
    return true;
}

void RestoreCreateStateBlock(IDirect3DDevice9* device) {
    if (savedMethod != nullptr) {
        WriteSlot(MethodSlot(device), savedMethod);
        savedMethod = nullptr;
    }
}

int FailedStateBlockCreations() {
    return failedCreations;
}
