// What a modder tunes about a bar's colours, place, fades and timing, each in one place.
// The bar's size lives with its shape, in overlay/bar_geometry.h. Times are in seconds,
// distances in host world units.
#pragma once

#include <limits>

#include "overlay/color.h"

namespace barlook {

// Every colour's alpha before distance and death fade it.
constexpr float colorAlpha = 0.7f;

// The fill's colour by health, from the top: the first row whose lower bound the health
// lies strictly above; the last row takes everything else. Bounds compare in double, and
// health is 1 - the game's damage ratio in float, so a boundary falls on either side: ratios
// 0.2 and 0.4 leave 0.8f and 0.6f, just above their bounds (the colour above), but 0.6 and
// 0.8 leave 0.39999998 and 0.19999999, just below theirs (the colour below).
struct HealthBand {
    double above;
    ColorRGBA fill;
};
constexpr double belowEverything = -std::numeric_limits<double>::infinity();
constexpr HealthBand healthBands[] = {
    {0.8, {0.0f, 1.0f, 0.0f, colorAlpha}},             // green
    {0.6, {0.75f, 1.0f, 0.375f, colorAlpha}},          // yellow-green
    {0.4, {1.0f, 1.0f, 0.0f, colorAlpha}},             // yellow
    {0.2, {1.0f, 0.5f, 0.0f, colorAlpha}},             // orange
    {belowEverything, {1.0f, 0.0f, 0.0f, colorAlpha}}, // red
};

constexpr ColorRGBA outlineAlive = {1.0f, 1.0f, 1.0f, colorAlpha};
constexpr ColorRGBA outlineDead = {1.0f, 0.5f, 0.5f, colorAlpha};
constexpr ColorRGBA trailGrey = {0.9f, 0.9f, 0.9f, colorAlpha};

// The bar floats this far above the actor's position, along the host's up axis.
constexpr float anchorLift = 1.15f;

// Bars fade in over depths 2 to 5 and out over depths 70 to 110.
constexpr float nearFadeStart = 2.0f;
constexpr float nearFadeLength = 3.0f;
constexpr float farFadeEnd = 110.0f;
constexpr float farFadeLength = 40.0f;

// The recent-damage trail stands still this long after health last reached it, then
// drains at this rate (a full bar is 1), computed in double. At death it drains at least
// this fast, or fast enough to empty within a second.
constexpr float trailHoldTime = 0.5f;
constexpr double livingDrainRate = 0.75;
constexpr float minDeathDrainRate = 0.75f;

// A dead actor's bar blinks, fades out linearly from deathFadeStart at two units of opacity
// a second, and is gone at deathDisplayTime.
constexpr float deathFadeStart = 1.0f;
constexpr float deathDisplayTime = 1.5f;
// The blink: sin(deathTime / blinkDivisor + blinkPhase), scaled and lifted into 0..1. The
// phase is deliberately not the float nearest pi/2.
constexpr float blinkDivisor = 0.05f;
constexpr float blinkPhase = 1.5708f;
constexpr float blinkScale = 0.5f;
constexpr float blinkOffset = 0.5f;

// A bar goes this long after its actor stops being engaged.
constexpr float hideTimeout = 2.0f;

// The game's status can hold bars off only at the start of a scene: the suppression latch
// (bars/frame_driver.cpp) is set only while the scene has run less than this.
constexpr float latchSceneTimeLimit = 1.0f;

} // namespace barlook
