// The arithmetic here is written term for term, and some forms look redundant on purpose:
// `(d - deathFadeStart) + (d - deathFadeStart)` rather than a product, `+ 0.0f` in the
// near fade, `0.0f - (...)` in the far fade, and the living trail's drain computed in
// double from the widened floats. Each is the form whose float result, to the last bit and
// the sign of a zero, is the one every bar is drawn with; an algebraically equal rewrite
// may round differently (the drain in float does: 0.247500002 instead of 0.247500017).
// The tests that pin these results: BarAnimationTest.LivingDrainIsComputedInDouble,
// .TrailHoldsThenDrainsInDoubleAndStopsAtHealth, .DeathFadeStartsAfterOneSecondAndBlinks
// and .DistanceFadesInFromTwoToFiveAndOutFromSeventyToOneTen.
#include "bars/bar_animation.h"

#include <cmath>

namespace {

// A dead actor's bar: shown for this long after death, fading out linearly from
// deathFadeStart, two units of opacity per second (1.0 s to 1.5 s), and blinking all along.
constexpr float deathDisplayTime = 1.5f;
constexpr float deathFadeStart = 1.0f;
constexpr float fullOpacity = 1.0f;
// The blink: sin(deathTime / blinkDivisor + blinkPhase), scaled and lifted into 0..1.
constexpr float blinkDivisor = 0.05f;
constexpr float blinkPhase = 1.5708f; // deliberately not the float nearest pi/2
constexpr float blinkScale = 0.5f;
constexpr float blinkOffset = 0.5f;

// Seconds after an actor stops being engaged until its bar goes.
constexpr float hideTimeout = 2.0f;

// The trail drains at this rate per second while the actor lives (computed in double);
// at death it latches at least this rate, so that it empties within a second.
constexpr double livingDrainRate = 0.75;
constexpr float minDeathDrainRate = 0.75f;

// The bar floats this far above the actor's position, along the host's up axis.
constexpr float anchorLift = 1.15f;

// Distance fades: in over depths 2 to 5, out over depths 70 to 110.
constexpr float nearFadeStart = 2.0f;
constexpr float nearFadeLength = 3.0f;
constexpr float farFadeEnd = 110.0f;
constexpr float farFadeLength = 40.0f;

// Every colour's alpha before the opacity multiplies it.
constexpr float colorAlpha = 0.7f;

constexpr ColorRGBA frameAlive = {1.0f, 1.0f, 1.0f, colorAlpha};
constexpr ColorRGBA frameDead = {1.0f, 0.5f, 0.5f, colorAlpha};
constexpr ColorRGBA trailGrey = {0.9f, 0.9f, 0.9f, colorAlpha};

// Health bands, from the top: each fill colour is used above its threshold.
constexpr double greenAbove = 0.8;
constexpr double yellowGreenAbove = 0.6;
constexpr double yellowAbove = 0.4;
constexpr double orangeAbove = 0.2;
constexpr ColorRGBA fillGreen = {0.0f, 1.0f, 0.0f, colorAlpha};
constexpr ColorRGBA fillYellowGreen = {0.75f, 1.0f, 0.375f, colorAlpha};
constexpr ColorRGBA fillYellow = {1.0f, 1.0f, 0.0f, colorAlpha};
constexpr ColorRGBA fillOrange = {1.0f, 0.5f, 0.0f, colorAlpha};
constexpr ColorRGBA fillRed = {1.0f, 0.0f, 0.0f, colorAlpha};

// NaN health counts as alive.
bool IsDead(float health) {
    return health <= 0.0f;
}

// Health bands compare in double, so a float that rounds above a threshold (0.8f > 0.8)
// lands in the upper band.
ColorRGBA FillColorFor(float h) {
    const double health = h;
    if (health > greenAbove) {
        return fillGreen;
    }
    if (health > yellowGreenAbove) {
        return fillYellowGreen;
    }
    if (health > yellowAbove) {
        return fillYellow;
    }
    if (health > orangeAbove) {
        return fillOrange;
    }
    return fillRed;
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
