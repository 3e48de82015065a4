#include "bars/bar_animation.h"

#include <cmath>

namespace {

constexpr float deathDisplayTime = 1.5f;
constexpr float hideTimeout = 2.0f;
constexpr float deathFadeStart = 1.0f;
constexpr float minDeathDrainRate = 0.75f;
constexpr double livingDrainRate = 0.75;
constexpr float blinkDivisor = 0.05f;
constexpr float blinkPhase = 1.5708f; // deliberately not the float nearest pi/2
constexpr float anchorLift = 1.15f;
constexpr float nearFadeStart = 2.0f;
constexpr float nearFadeLength = 3.0f;
constexpr float farFadeEnd = 110.0f;
constexpr float farFadeLength = 40.0f;
constexpr float colorAlpha = 0.7f;

constexpr ColorRGBA frameAlive = {1.0f, 1.0f, 1.0f, colorAlpha};
constexpr ColorRGBA frameDead = {1.0f, 0.5f, 0.5f, colorAlpha};
constexpr ColorRGBA trailGrey = {0.9f, 0.9f, 0.9f, colorAlpha};

// NaN health counts as alive.
bool IsDead(float health) {
    return health <= 0.0f;
}

// Health bands compare in double, so a float that rounds above a threshold (0.8f > 0.8)
// lands in the upper band.
ColorRGBA FillColorFor(float h) {
    const double health = h;
    if (health > 0.8) {
        return {0.0f, 1.0f, 0.0f, colorAlpha};
    }
    if (health > 0.6) {
        return {0.75f, 1.0f, 0.375f, colorAlpha};
    }
    if (health > 0.4) {
        return {1.0f, 1.0f, 0.0f, colorAlpha};
    }
    if (health > 0.2) {
        return {1.0f, 0.5f, 0.0f, colorAlpha};
    }
    return {1.0f, 0.0f, 0.0f, colorAlpha};
}

float Clamp01Fade(float t) {
    if (0.0f > t) {
        return 0.0f;
    }
    return t < 1.0f ? t : 1.0f;
}

// 0 at depth 2, 1 from depth 5 on.
float NearFade(float depth) {
    return Clamp01Fade((depth - nearFadeStart) / nearFadeLength + 0.0f);
}

// 1 up to depth 70, 0 from depth 110 on.
float FarFade(float depth) {
    return Clamp01Fade(0.0f - (depth - farFadeEnd) / farFadeLength);
}

float PositiveOrZero(float value) {
    return value > 0.0f ? value : 0.0f;
}

ColorRGBA WithOpacity(ColorRGBA color, float opacity) {
    color.a *= opacity;
    return color;
}

void AdvanceTrail(BarState& bar, float frameDelta) {
    if (!(bar.trailHealth > bar.health)) {
        return;
    }
    if (bar.trailHold > 0.0f) {
        bar.trailHold -= frameDelta;
    } else if (bar.health > 0.0f) {
        const float t = static_cast<float>(static_cast<double>(bar.trailHealth) -
                                           static_cast<double>(frameDelta) * livingDrainRate);
        bar.trailHealth = t;
        if (bar.health > t) {
            bar.trailHealth = bar.health;
        }
    } else {
        bar.trailHealth = bar.trailHealth - bar.trailDrainRate * frameDelta;
    }
}

} // namespace

bool AnimateBar(BarState& bar, float frameDelta, const D3DXMATRIX* viewMatrix, BarEntry* entry) {
    const bool dead = IsDead(bar.health);
    float deathFade = 1.0f;
    if (dead && bar.deathTime >= deathDisplayTime) {
        return false;
    }
    if (bar.hideTime > 0.0f) {
        bar.hideTime += frameDelta;
        if (bar.hideTime > hideTimeout) {
            return false;
        }
    }

    ColorRGBA frameColor = frameAlive;
    if (!dead) {
        bar.deathTime = 0.0f;
    } else {
        frameColor = frameDead;
        const float d = bar.deathTime;
        if (d == 0.0f) {
            // First dead frame: latch a drain rate that empties the trail within a second.
            bar.trailDrainRate =
                minDeathDrainRate > bar.trailHealth ? minDeathDrainRate : bar.trailHealth;
            bar.trailHold = 0.0f;
        }
        if (d > deathFadeStart) {
            deathFade = 1.0f - ((d - 1.0f) + (d - 1.0f));
        }
        bar.deathTime = d + frameDelta;
    }

    AdvanceTrail(bar, frameDelta);

    if (dead) {
        const float x = bar.deathTime / blinkDivisor + blinkPhase;
        const float s = static_cast<float>(std::sin(static_cast<double>(x)));
        deathFade = (s * 0.5f + 0.5f) * deathFade;
    }

    D3DXVECTOR3 point;
    point.x = bar.position[2];
    point.y = -bar.position[0];
    point.z = bar.position[1] + anchorLift;
    D3DXVECTOR4 anchor;
    D3DXVec3Transform(&anchor, &point, viewMatrix);

    const float h = PositiveOrZero(bar.health);
    const float tr = PositiveOrZero(bar.trailHealth);
    const float opacity = FarFade(anchor.z) * (NearFade(anchor.z) * deathFade);
    // A NaN anchor or opacity (bad host positions, camera or clock) gets no bar: it would
    // break the depth sort and the colour packing, and draw nothing sensible.
    if (std::isnan(anchor.x) || std::isnan(anchor.y) || std::isnan(anchor.z) || !(opacity > 0.0f)) {
        return false;
    }

    entry->anchor = anchor;
    entry->frameColor = WithOpacity(frameColor, opacity);
    entry->fillColor = WithOpacity(FillColorFor(h), opacity);
    entry->trailColor = WithOpacity(trailGrey, opacity);
    entry->health = h;
    entry->trailHealth = tr;
    return true;
}
