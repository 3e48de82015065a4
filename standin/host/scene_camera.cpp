#include "standin/host/scene_camera.h"

#include "standin/host/scene_device.h"

namespace {

const D3DXVECTOR3 eye(0.0f, 0.0f, 1.6f);
const D3DXVECTOR3 target(1.0f, 0.0f, 1.6f);
const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
constexpr float fieldOfView = D3DX_PI / 3.0f;
constexpr float nearPlane = 0.5f;
constexpr float farPlane = 400.0f;

} // namespace

SceneCamera MakeSceneCamera() {
    SceneCamera camera;
    D3DXMatrixLookAtLH(&camera.view, &eye, &target, &up);
    D3DXMatrixPerspectiveFovLH(&camera.projection, fieldOfView,
                               static_cast<float>(sceneWidth) / sceneHeight, nearPlane, farPlane);
    D3DXMatrixMultiply(&camera.viewProjection, &camera.view, &camera.projection);
    return camera;
}

ScreenPoint ProjectToScreen(const SceneCamera& camera, const D3DXVECTOR3& world) {
    D3DXVECTOR4 clip;
    D3DXVec3Transform(&clip, &world, &camera.viewProjection);
    D3DXVECTOR4 viewSpace;
    D3DXVec3Transform(&viewSpace, &world, &camera.view);
    const float x = clip.x / clip.w;
    const float y = clip.y / clip.w;
    return {(x * 0.5f + 0.5f) * sceneWidth, (0.5f - y * 0.5f) * sceneHeight, viewSpace.z};
}

D3DXVECTOR3 WorldToHostAxes(const D3DXVECTOR3& world) {
    // The module takes a host position (x, y, z) to the world point (z, -x, y).
    return D3DXVECTOR3(-world.y, world.z, world.x);
}
