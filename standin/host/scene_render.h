// The host's own picture: sky, a checkered ground, a wall, and a pillar for each actor.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include "standin/host/scene_camera.h"

// The host's pipeline for its scene: fixed function, coloured vertices, depth on.
// The scene's vertices are coloured; the texture stays bound without tinting them.
void SetHostSceneState(IDirect3DDevice9* device, const SceneCamera& camera,
                       IDirect3DBaseTexture9* texture);

// A small texture whose every texel is a strong colour: a bar drawn through it would show.
IDirect3DTexture9* CreateGameTexture(IDirect3DDevice9* device);

// Clears and draws the scene; pillars stand at the given world points (feet on the ground).
void DrawHostScene(IDirect3DDevice9* device, const D3DXVECTOR3* pillars, int pillarCount);
