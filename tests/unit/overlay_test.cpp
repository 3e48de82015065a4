#include <gtest/gtest.h>

#include <cmath>

#include "overlay/bar_geometry.h"
#include "tests/support/fake_device.h"
#include "tests/support/fake_host.h"

namespace {

using K = DeviceCall;

D3DXVECTOR4 P(float x, float y = 0.0f, float z = 1.0f, float w = 1.0f) {
    return {x, y, z, w};
}

class OverlayTest : public ::testing::Test {
  protected:
    FakeDevice device;
    OverlayRenderer renderer; // as at load
    D3DXMATRIX view = fakehost::identity;

    // What one overlay frame draws, between the pipeline and the restore.
    template <class Draw> std::vector<DeviceCall> Draws(Draw draw) {
        BeginOverlay(renderer, &device, view);
        const std::size_t begun = device.calls.size();
        draw();
        EndOverlay(renderer);
        return {device.calls.begin() + long(begun), device.calls.end() - 2};
    }
    const OverlayVertex* Vertices(const DeviceCall& draw) {
        return &device.vertices[draw.firstVertex];
    }
};

// Direct3D 9's own numbers: the state block (D3DSBT_ALL), the vertex format (XYZ | DIFFUSE),
// projection, view and world, both shaders and stage 0's texture off; then the render
// states: blending, no z writes, solid, no cull, z test, scissor, no fog, light or stencil;
// stage 0 modulating texture by diffuse, stage 1 off; linear filtering; the block put back.
TEST_F(OverlayTest, BeginSetsExactlyTheOverlayPipelineAndEndRestoresTheHostsState) {
    const K::Kind rs = K::SetRenderState, ts = K::SetTextureStageState, ss = K::SetSamplerState;
    // clang-format off
    const std::vector<DeviceCall> expected = {
        {K::CreateStateBlock, 1}, {K::SetFVF, 0x42}, {K::SetTransform, 3}, {K::SetTransform, 2},
        {K::SetTransform, 256}, {K::SetPixelShader}, {K::SetVertexShader}, {K::SetTexture, 0},
        {rs, 27, 1}, {rs, 171, 1}, {rs, 14, 0}, {rs, 19, 5}, {rs, 20, 6}, {rs, 207, 2},
        {rs, 208, 6}, {rs, 8, 3}, {rs, 9, 2}, {rs, 15, 0}, {rs, 22, 1}, {rs, 7, 1}, {rs, 171, 1},
        {rs, 206, 1}, {rs, 174, 1}, {rs, 28, 0}, {rs, 48, 0}, {rs, 29, 0}, {rs, 52, 0},
        {rs, 136, 1}, {rs, 137, 0}, {ts, 0, 1, 4}, {ts, 0, 2, 2}, {ts, 0, 3, 0}, {ts, 0, 4, 4},
        {ts, 0, 5, 2}, {ts, 0, 6, 0}, {ts, 1, 1, 1}, {ts, 1, 4, 1}, {ss, 0, 6, 2}, {ss, 0, 5, 2},
        {K::Apply, 1}, {K::Release, 1}};
    // clang-format on
    EXPECT_TRUE(Draws([] {}).empty());
    EXPECT_EQ(device.calls, expected);
    EXPECT_EQ(device.calls[3].pointer, &view);
    EXPECT_EQ(device.calls[7].pointer, nullptr) << "the game's texture would tint the bars";
}

// One line strip through the first 64 points at most, w ignored; fewer than two points draw
// nothing. A colour component is x 255, truncated, and pinned to 0..255: a NaN is 0.
TEST_F(OverlayTest, PolylineIsOneLineStripOfAtMostSixtyFourPoints) {
    const D3DCOLOR odd = PackColor({NAN, -1.0f, 0.5f, 2.0f});
    const D3DXVECTOR4 three[] = {P(1, 2, 3, 0), P(1, 2, 3, 1), P(-4, 5, 6, 9)};
    D3DXVECTOR4 many[65]; // a count of 1000 reads no further, or the sanitizer says so
    for (int i = 0; i < 65; ++i) {
        many[i] = P(float(i));
    }
    const auto draws = Draws([&] {
        DrawPolyline(renderer, odd, 3, three);
        DrawPolyline(renderer, 0xB2FF0000, 1, many);
        DrawPolyline(renderer, 0xB2FF0000, 1000, many);
    });
    ASSERT_EQ(draws.size(), 2U);
    EXPECT_EQ(draws[0], (DeviceCall{K::DrawPrimitiveUP, D3DPT_LINESTRIP, 2, 16}));
    const OverlayVertex* v = Vertices(draws[0]);
    EXPECT_EQ(v[1].x + v[1].y + v[1].z, 6.0f);
    EXPECT_EQ(v[2].diffuse, 0xFF00007FU) << "a 2 -> 255, r NaN -> 0, g -1 -> 0, b 0.5 -> 127";
    EXPECT_EQ(draws[1].b, 63U);
    EXPECT_EQ(Vertices(draws[1])[63].x, 63.0f);
}

// Anchor (0, 0, 10), health 0.5, trail 0.8: the fill spans x -0.7 to 0, the trail 0 to 0.42,
// both over y -0.065 to 0.065, as two triangles from the lower left; then the outline runs
// round the corners four times. Each colour is its components x 255, truncated.
TEST_F(OverlayTest, BarIsFillTrailAndFourOutlines) {
    const ColorRGBA white = {1, 1, 1, 0.7f}, yellow = {1, 1, 0, 0.7f},
                    grey = {0.9f, 0.9f, 0.9f, 0.7f};
    BarEntry entry = {{0, 0, 10, 7}, white, yellow, grey, 0.5f, 0.8f};
    const auto draws = Draws([&] { DrawBar(renderer, entry); });
    const float h = 0.065f, l = -0.7f, r = 0.7f, t = 0.42f;
    struct Draw {
        std::uint32_t type, primitives, vertices;
        D3DCOLOR color;
        float xy[8][2];
    };
    // D3DPT_TRIANGLELIST is 4, D3DPT_LINESTRIP 3.
    // clang-format off
    const Draw fill = {4, 2, 6, 0xB2FFFF00U, {{l, -h}, {0, -h}, {0, h}, {0, h}, {l, h}, {l, -h}}};
    const Draw trail = {4, 2, 6, 0xB2E5E5E5U, {{0, -h}, {t, -h}, {t, h}, {t, h}, {0, h}, {0, -h}}};
    const Draw outline = {3, 7, 8, 0xB2FFFFFFU,
                          {{l, -h}, {r, -h}, {r, -h}, {r, h}, {r, h}, {l, h}, {l, h}, {l, -h}}};
    // clang-format on
    const Draw expected[] = {fill, trail, outline, outline, outline, outline};
    ASSERT_EQ(draws.size(), 6U);
    for (std::size_t d = 0; d < 6; ++d) {
        const Draw& e = expected[d];
        EXPECT_EQ(draws[d], (DeviceCall{K::DrawPrimitiveUP, e.type, e.primitives, 16})) << d;
        for (std::uint32_t i = 0; i < e.vertices; ++i) {
            const OverlayVertex& v = Vertices(draws[d])[i];
            EXPECT_FLOAT_EQ(v.x, e.xy[i][0]) << d << i;
            EXPECT_EQ(v.y, e.xy[i][1]) << d << i;
            EXPECT_EQ(v.z, 10.0f);
            EXPECT_EQ(v.diffuse, e.color);
        }
    }
    entry.trailHealth = entry.health = 1.0f; // no trail where it equals health
    const auto full = Draws([&] { DrawBar(renderer, entry); });
    ASSERT_EQ(full.size(), 5U);
    EXPECT_EQ(Vertices(full[0])[1].x, 0.7f) << "a full fill reaches the right edge";
    for (const float past : {INFINITY, 3e38f}) { // the fill's edge at 1.4 x health overflows
        entry.trailHealth = entry.health = past;
        EXPECT_TRUE(Draws([&] { DrawBar(renderer, entry); }).empty()) << past;
        entry.health = 0.5f; // a trail without a place, or NaN, leaves fill and outline
        for (const float trail : {past, NAN}) {
            entry.trailHealth = trail;
            EXPECT_EQ(Draws([&] { DrawBar(renderer, entry); }).size(), 5U) << trail;
        }
    }
    entry.anchor.z = INFINITY; // nor is a bar at a depth of infinity
    EXPECT_TRUE(Draws([&] { DrawBar(renderer, entry); }).empty());
}

} // namespace
