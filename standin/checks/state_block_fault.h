// Makes the device's CreateStateBlock fail, as a device short of memory would, by swapping
// that one slot of the device's method table.
#pragma once

#include <d3d9.h>

// True when the slot was swapped; every CreateStateBlock then fails until restored.
bool BreakCreateStateBlock(IDirect3DDevice9* device);
void RestoreCreateStateBlock(IDirect3DDevice9* device);
int FailedStateBlockCreations();
