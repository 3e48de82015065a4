// Packing a bar's colours for the device. Inline and branch-free: every draw call packs one.
#pragma once

#include <emmintrin.h>

#include "d3d/d3d.h"
#include "overlay/bar_entry.h"

// Each component is scaled in float and truncated toward zero, never rounded: 0.7 packs to
// 0xB2 and 0.5 to 0x7F, the bytes the stand-in host's pixel checks expect. A NaN or
// out-of-range component (never produced by the bar model) is pinned to 0..255 first:
// converting it unchecked would be undefined. Both builds have SSE2, which does all four
// components at once.
inline D3DCOLOR PackColor(ColorRGBA color) {
    // Lanes in D3DCOLOR's byte order from the lowest: b, g, r, a.
    __m128 c = _mm_set_ps(color.a, color.r, color.g, color.b);
    c = _mm_mul_ps(c, _mm_set1_ps(255.0f));
    c = _mm_max_ps(c, _mm_setzero_ps()); // a NaN lane takes the second operand: 0
    c = _mm_min_ps(c, _mm_set1_ps(255.0f));
    const __m128i words = _mm_cvttps_epi32(c);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(words, words), words);
    return static_cast<D3DCOLOR>(_mm_cvtsi128_si32(bytes));
}
