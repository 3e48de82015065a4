#include "standin/host/scene_device.h"

#include <cstdio>

namespace {

HWND CreateSceneWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"actorbars-standin";
    RegisterClassW(&windowClass);
    RECT rect = {0, 0, sceneWidth, sceneHeight};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowW(L"actorbars-standin", L"actorbars stand-in host", WS_OVERLAPPEDWINDOW, 0,
                         0, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

D3DPRESENT_PARAMETERS PresentParameters(HWND window) {
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = sceneWidth;
    parameters.BackBufferHeight = sceneHeight;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return parameters;
}

} // namespace

bool CreateSceneDevice(SceneDevice* scene) {
    *scene = {};
    scene->window = CreateSceneWindow();
    if (scene->window == nullptr) {
        std::fprintf(stderr, "standin: no window (error %lu)\n", GetLastError());
        return false;
    }
    ShowWindow(scene->window, SW_SHOWNOACTIVATE);
    scene->d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (scene->d3d == nullptr) {
        std::fprintf(stderr, "standin: Direct3DCreate9 failed\n");
        return false;
    }
    D3DPRESENT_PARAMETERS parameters = PresentParameters(scene->window);
    // As games create theirs: hardware vertex processing, and without FPU_PRESERVE, so the
    // x87 unit runs at single precision while the module's frame runs.
    const HRESULT result =
        scene->d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, scene->window,
                                 D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &scene->device);
    if (FAILED(result)) {
        std::fprintf(stderr, "standin: CreateDevice failed (%#lx)\n",
                     static_cast<unsigned long>(result));
        scene->device = nullptr;
        return false;
    }
    return true;
}

void DestroySceneDevice(SceneDevice* scene) {
    DropReference(scene->device);
    DropReference(scene->d3d);
    if (scene->window != nullptr) {
        DestroyWindow(scene->window);
    }
    *scene = {};
}

bool ReadBackBuffer(IDirect3DDevice9* device, std::uint32_t* pixels) {
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* copy = nullptr;
    D3DLOCKED_RECT locked;
    const bool ok =
        SUCCEEDED(device->GetRenderTarget(0, &target)) &&
        SUCCEEDED(device->CreateOffscreenPlainSurface(sceneWidth, sceneHeight, D3DFMT_X8R8G8B8,
                                                      D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(target, copy)) &&
        SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    if (ok) {
        for (int y = 0; y < sceneHeight; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const unsigned char*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < sceneWidth; ++x) {
                pixels[y * sceneWidth + x] = row[x] & 0xFFFFFF;
            }
        }
        copy->UnlockRect();
    }
    DropReference(copy);
    DropReference(target);
    return ok;
}
