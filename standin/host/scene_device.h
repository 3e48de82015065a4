// The host's window and Direct3D 9 device, and reading back what it rendered.
#pragma once

#include <cstdint>
#include <d3d9.h>

constexpr int sceneWidth = 800;
constexpr int sceneHeight = 600;

struct SceneDevice {
    HWND window;
    IDirect3D9* d3d;
    IDirect3DDevice9* device;
};

// False, with the reason on stderr, when no device can be had (no display, no Direct3D).
bool CreateSceneDevice(SceneDevice* scene);
void DestroySceneDevice(SceneDevice* scene);

// Releases a COM object of the device's, if there is one.
template <class T> void DropReference(T* object) {
    if (object != nullptr) {
        object->Release();
    }
}

// The back buffer as 0x00RRGGBB pixels, row after row; false if it cannot be read.
bool ReadBackBuffer(IDirect3DDevice9* device, std::uint32_t* pixels);
