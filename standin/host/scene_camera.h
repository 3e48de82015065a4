// The host's camera. The scene's world has z up; the matrices are what the game publishes
// as hostViewMatrix and hostViewProjMatrix.
#pragma once

#include <d3dx9.h>

struct SceneCamera {
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DXMATRIX viewProjection;
};

SceneCamera MakeSceneCamera();

// Where a world point lands in the back buffer, and its depth in view space.
struct ScreenPoint {
    float x, y, depth;
};
ScreenPoint ProjectToScreen(const SceneCamera& camera, const D3DXVECTOR3& world);

// Host axes (y up) of a world point, as the game stores an actor's position.
D3DXVECTOR3 WorldToHostAxes(const D3DXVECTOR3& world);
