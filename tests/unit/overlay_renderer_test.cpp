#include <gtest/gtest.h>

#include "overlay/overlay_renderer.h"
#include "tests/support/fake_host.h"
#include "tests/support/recording_device.h"

using fakehost::Identity;

namespace {

D3DXVECTOR4 Point(float x, float y, float z, float w = 1.0f) {
    D3DXVECTOR4 p;
    p.x = x;
    p.y = y;
    p.z = z;
    p.w = w;
    return p;
}

const ColorRGBA red = {1.0f, 0.0f, 0.0f, 0.7f};

class OverlayRendererTest : public ::testing::Test {
  protected:
    RecordingDevice device;
    OverlayRenderer renderer; // as at load
    D3DXMATRIX view = Identity();
};

// The calls as the device receives them: Direct3D 9's own numbers, each named beside it.
std::vector<DeviceCall> ExpectedBeginCalls() {
    std::vector<DeviceCall> calls = {
        Call("CreateStateBlock", 1), // D3DSBT_ALL
        Call("SetFVF", 0x42),        // D3DFVF_XYZ | D3DFVF_DIFFUSE
        Call("SetTransform", 3),     // D3DTS_PROJECTION
        Call("SetTransform", 2),     // D3DTS_VIEW
        Call("SetTransform", 256),   // D3DTS_WORLD
        Call("SetPixelShader"),      Call("SetVertexShader"), Call("SetTexture", 0),
    };
    const std::uint32_t renderStates[][2] = {
        {27, 1},  // ALPHABLENDENABLE TRUE
        {171, 1}, // BLENDOP ADD
        {14, 0},  // ZWRITEENABLE FALSE
        {19, 5},  // SRCBLEND SRCALPHA
        {20, 6},  // DESTBLEND INVSRCALPHA
        {207, 2}, // SRCBLENDALPHA ONE
        {208, 6}, // DESTBLENDALPHA INVSRCALPHA
        {8, 3},   // FILLMODE SOLID
        {9, 2},   // SHADEMODE GOURAUD
        {15, 0},  // ALPHATESTENABLE FALSE
        {22, 1},  // CULLMODE NONE
        {7, 1},   // ZENABLE TRUE
        {171, 1}, // BLENDOP ADD, a second time
        {206, 1}, // SEPARATEALPHABLENDENABLE TRUE
        {174, 1}, // SCISSORTESTENABLE TRUE
        {28, 0},  // FOGENABLE FALSE
        {48, 0},  // RANGEFOGENABLE FALSE
        {29, 0},  // SPECULARENABLE FALSE
        {52, 0},  // STENCILENABLE FALSE
        {136, 1}, // CLIPPING TRUE
        {137, 0}, // LIGHTING FALSE
    };
    for (const auto& rs : renderStates) {
        calls.push_back(Call("SetRenderState", rs[0], rs[1]));
    }
    // Stage 0 modulates texture by diffuse (COLOROP 1, ALPHAOP 4: MODULATE 4; ARG1 TEXTURE 2,
    // ARG2 DIFFUSE 0); stage 1 is disabled (DISABLE 1).
    const std::uint32_t stages[][3] = {
        {0, 1, 4}, {0, 2, 2}, {0, 3, 0}, {0, 4, 4}, {0, 5, 2}, {0, 6, 0}, {1, 1, 1}, {1, 4, 1},
    };
    for (const auto& ts : stages) {
        calls.push_back(Call("SetTextureStageState", ts[0], ts[1], ts[2]));
    }
    calls.push_back(Call("SetSamplerState", 0, 6, 2)); // MINFILTER LINEAR
    calls.push_back(Call("SetSamplerState", 0, 5, 2)); // MAGFILTER LINEAR
    return calls;
}

TEST_F(OverlayRendererTest, BeginSetsExactlyTheOverlayPipelineAndEndRestoresIt) {
    BeginOverlay(renderer, &device, &view);
    EXPECT_EQ(device.calls, ExpectedBeginCalls());
    EXPECT_EQ(device.calls[2].pointer, &renderer.identityMatrix);
    EXPECT_EQ(device.calls[3].pointer, &view);
    EXPECT_EQ(device.calls[4].pointer, &renderer.identityMatrix);
    // The game's texture would tint the bars: stage 0 is left empty, not just disabled.
    EXPECT_EQ(device.calls[7].pointer, nullptr);

    const void* block = device.calls[0].pointer;
    device.calls.clear();
    EndOverlay(renderer);
    ASSERT_EQ(device.calls.size(), 2U);
    EXPECT_EQ(device.calls[0].name, "Apply");
    EXPECT_EQ(device.calls[1].name, "Release");
    EXPECT_EQ(device.calls[0].pointer, block);
    EXPECT_EQ(device.liveStateBlocks, 0);
}

TEST_F(OverlayRendererTest, IdentityAtLoad) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(renderer.identityMatrix.m[r][c], r == c ? 1.0f : 0.0f);
        }
    }
}

TEST_F(OverlayRendererTest, NullDeviceMakesNoCallAtAll) {
    BeginOverlay(renderer, nullptr, &view);
    EXPECT_EQ(renderer.device, nullptr);
    DrawPolyline(renderer, red, 2, Point(0, 0, 1), Point(1, 0, 1));
    EndOverlay(renderer);
    EXPECT_TRUE(device.calls.empty());
}

TEST_F(OverlayRendererTest, DeviceGoneNullNeverTouchesTheOldStateBlock) {
    BeginOverlay(renderer, &device, &view);
    EndOverlay(renderer);
    const std::size_t callsAfterFirstFrame = device.calls.size();
    BeginOverlay(renderer, nullptr, &view);
    EndOverlay(renderer);
    EXPECT_EQ(device.calls.size(), callsAfterFirstFrame);
}

TEST_F(OverlayRendererTest, FailedStateBlockSetsNoStateAndDrawsNothing) {
    device.failCreateStateBlock = true;
    BeginOverlay(renderer, &device, &view);
    DrawPolyline(renderer, red, 2, Point(0, 0, 1), Point(1, 0, 1));
    EndOverlay(renderer);
    ASSERT_EQ(device.calls.size(), 1U);
    EXPECT_EQ(device.calls[0].name, "CreateStateBlock");
}

TEST_F(OverlayRendererTest, PolylineIsOneLineStripOfTheGivenPointsWithWIgnored) {
    BeginOverlay(renderer, &device, &view);
    device.calls.clear();
    DrawPolyline(renderer, red, 3, Point(1, 2, 3, 0), Point(1, 2, 3, 1), Point(-4, 5, 6, 9));
    ASSERT_EQ(device.calls.size(), 1U);
    const DeviceCall& draw = device.calls[0];
    EXPECT_EQ(draw.a, static_cast<std::uint32_t>(D3DPT_LINESTRIP));
    EXPECT_EQ(draw.b, 2U);
    EXPECT_EQ(draw.c, 16U);
    ASSERT_EQ(draw.vertices.size(), 3U);
    EXPECT_EQ(draw.vertices[0].x, draw.vertices[1].x);
    EXPECT_EQ(draw.vertices[0].z, draw.vertices[1].z);
    EXPECT_EQ(draw.vertices[2].x, -4.0f);
    EXPECT_EQ(draw.vertices[2].z, 6.0f);
    for (const OverlayVertex& v : draw.vertices) {
        EXPECT_EQ(v.diffuse, 0xB2FF0000U);
    }
    EndOverlay(renderer);
}

#define P(i) Point(static_cast<float>(i), 0, 1)
#define P8(i) P(i), P(i + 1), P(i + 2), P(i + 3), P(i + 4), P(i + 5), P(i + 6), P(i + 7)
#define P64 P8(0), P8(8), P8(16), P8(24), P8(32), P8(40), P8(48), P8(56)

TEST_F(OverlayRendererTest, PolylineIsCappedAtSixtyFourPoints) {
    BeginOverlay(renderer, &device, &view);
    device.calls.clear();
    DrawPolyline(renderer, red, 64, P64);
    DrawPolyline(renderer, red, 65, P64, P(64));
    DrawPolyline(renderer, red, 1000, P64, P(64));
    ASSERT_EQ(device.calls.size(), 3U);
    for (const DeviceCall& draw : device.calls) {
        EXPECT_EQ(draw.b, 63U);
        EXPECT_EQ(draw.vertices.back().x, 63.0f);
    }
    EndOverlay(renderer);
}

TEST_F(OverlayRendererTest, PolylineOfFewerThanTwoPointsDrawsNothing) {
    BeginOverlay(renderer, &device, &view);
    device.calls.clear();
    DrawPolyline(renderer, red, 1, Point(0, 0, 1));
    DrawPolyline(renderer, red, 0);
    DrawPolyline(renderer, red, -5);
    EXPECT_TRUE(device.calls.empty());
    DrawPolyline(renderer, red, 2, Point(0, 0, 1), Point(1, 0, 1));
    ASSERT_EQ(device.calls.size(), 1U);
    EXPECT_EQ(device.calls[0].b, 1U);
    EndOverlay(renderer);
}

} // namespace
