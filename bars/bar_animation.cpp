// The arithmetic here is written term for term, and some forms look redundant on purpose:
// `(d - deathFadeStart) + (d - deathFadeStart)` rather than a product, `+ 0.0f` in the
// near fade, `0.0f - (...)` in the far fade, and the living trail's drain computed in
// double from the widened floats. Each is the form whose float result, to the last bit and
// the sign of a zero, is the one every bar is drawn with; an algebraically equal rewrite
// may round differently (the drain in float does: 0.247500002 instead of 0.247500017).
#include "bars/bar_animation.h"

#include <cmath>
#include <iterator>

#include "bars/bar_look.h"

using namespace barlook;

namespace {

constexpr float fullOpacity = 1.0f;

ColorRGBA FillColorFor(float h) {
    const double health = h;
    for (const HealthBand& band : healthBands) {
        if (health > band.above) {
            return band.fill;
        }
    }
    return healthBands[std::size(healthBands) - 1].fill;
}

float Clamp01Fade(float t) {
    if (0.0f > t) {
        return 0.0f;
    }
    return t < 1.0f ? t : 1.0f;
}

// 0 at the fade's start, 1 from its end on.
float NearFade(float depth) {
    return Clamp01Fade((depth - nearFadeStart) / nearFadeLength + 0.0f);
}

// 1 until the fade begins, 0 from its end on.
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

bool AnimateBar(BarState& bar, float frameDelta, const D3DXMATRIX& viewMatrix, BarEntry* entry) {
    const bool dead = bar.health <= 0.0f; // NaN health counts as alive
    float deathFade = fullOpacity;
    if (dead && bar.deathTime >= deathDisplayTime) {
        return false;
    }
    if (bar.hideTime > 0.0f) {
        bar.hideTime += frameDelta;
        if (bar.hideTime > hideTimeout) {
            return false;
        }
    }

    ColorRGBA frameColor = outlineAlive;
    if (!dead) {
        bar.deathTime = 0.0f;
    } else {
        frameColor = outlineDead;
        const float d = bar.deathTime;
        if (d == 0.0f) {
            // First dead frame: latch a drain rate that empties the trail within a second.
            bar.trailDrainRate =
                minDeathDrainRate > bar.trailHealth ? minDeathDrainRate : bar.trailHealth;
            bar.trailHold = 0.0f;
        }
        if (d > deathFadeStart) {
            deathFade = fullOpacity - ((d - deathFadeStart) + (d - deathFadeStart));
        }
        bar.deathTime = d + frameDelta;
    }

    AdvanceTrail(bar, frameDelta);

    if (dead) {
        const float x = bar.deathTime / blinkDivisor + blinkPhase;
        const float s = static_cast<float>(std::sin(static_cast<double>(x)));
        deathFade = (s * blinkScale + blinkOffset) * deathFade;
    }

    D3DXVECTOR3 point;
    point.x = bar.position[2];
    point.y = -bar.position[0];
    point.z = bar.position[1] + anchorLift;
    D3DXVECTOR4 anchor;
    D3DXVec3Transform(&anchor, &point, &viewMatrix);

    const float h = PositiveOrZero(bar.health);
    const float tr = PositiveOrZero(bar.trailHealth);
    const float opacity = FarFade(anchor.z) * (NearFade(anchor.z) * deathFade);
    // A NaN depth or opacity (bad host positions, camera or clock) gets no bar: it would
    // break the depth sort and the colour packing. A NaN opacity must fail this test, not
    // pass it: the bar would be drawn, invisible. Edges that are not finite numbers are the
    // geometry's to refuse.
    if (std::isnan(anchor.z) || !(opacity > 0.0f)) {
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
