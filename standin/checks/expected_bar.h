// What a bar must look like on screen, written down here and not taken from the module's
// headers: the checks hold the module's pixels against these values, and values read from
// the module would let a wrong constant there pass its own check. They are the bar's
// documented size and colours, as the device receives them.
#pragma once

#include <d3dx9.h>

#include "standin/host/scene_camera.h"
#include "standin/host/stage.h"

namespace expected {

// In world units: the bar's centre line floats anchorLift above the actor's feet.
constexpr float anchorLift = 1.15f;
constexpr float barWidth = 1.4f;
constexpr float barHalfHeight = 0.065f;
// The outline is blended this many times over itself.
constexpr int outlinePasses = 4;

// Each colour component reaches the device as a byte, truncated: 0.7 as 178, 0.5 as 127.
constexpr float alpha = 178.0f / 255.0f;
struct Color {
    float r, g, b;
};
constexpr Color green = {0.0f, 1.0f, 0.0f}; // the fill above 0.8 health
constexpr Color deadOutline = {1.0f, 127.0f / 255.0f, 127.0f / 255.0f};

// Largest channel difference between a pixel and the blend it should show: the device's
// blending rounds on its own terms.
constexpr int pixelTolerance = 8;

} // namespace expected

// Where on screen a point of an actor's bar lies, by default its centre: `along` 0..1 from
// the bar's left edge to its right, `up` in world units above the bar's centre line. View x
// runs along world y and view y along world z for the host's camera.
inline ScreenPoint BarPoint(const HostScene& scene, const StageActor& actor, float along = 0.5f,
                            float up = 0.0f) {
    const D3DXVECTOR3 point(actor.world.x, actor.world.y + (along - 0.5f) * expected::barWidth,
                            actor.world.z + expected::anchorLift + up);
    return ProjectToScreen(scene.camera, point);
}
