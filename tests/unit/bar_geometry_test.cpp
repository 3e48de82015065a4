#include <gtest/gtest.h>

#include "overlay/bar_geometry.h"
#include "tests/support/fake_host.h"
#include "tests/support/recording_device.h"

using fakehost::Identity;

namespace {

BarEntry Entry(float x, float y, float z, float health, float trail) {
    BarEntry e{};
    e.anchor.x = x;
    e.anchor.y = y;
    e.anchor.z = z;
    e.anchor.w = 1.0f;
    e.frameColor = {1.0f, 1.0f, 1.0f, 0.7f};
    e.fillColor = {1.0f, 1.0f, 0.0f, 0.7f};
    e.trailColor = {0.9f, 0.9f, 0.9f, 0.7f};
    e.health = health;
    e.trailHealth = trail;
    return e;
}

class BarGeometryTest : public ::testing::Test {
  protected:
    RecordingDevice device;
    IDirect3DDevice9* handed = &device;
    OverlayRenderer renderer; // as at load
    D3DXMATRIX view = Identity();

    std::vector<DeviceCall> Draw(const BarEntry& entry) {
        BeginOverlay(renderer, handed, &view);
        device.calls.clear();
        DrawBar(renderer, entry);
        std::vector<DeviceCall> draws = device.calls;
        EndOverlay(renderer);
        return draws;
    }
};

void ExpectQuad(const DeviceCall& draw, float x0, float x1, D3DCOLOR color) {
    EXPECT_EQ(draw.a, static_cast<std::uint32_t>(D3DPT_TRIANGLELIST));
    EXPECT_EQ(draw.b, 2U);
    EXPECT_EQ(draw.c, 16U);
    ASSERT_EQ(draw.vertices.size(), 6U);
    const float xs[6] = {x0, x1, x1, x1, x0, x0};
    const float ys[6] = {-0.065f, -0.065f, 0.065f, 0.065f, 0.065f, -0.065f};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(draw.vertices[i].x, xs[i]) << "vertex " << i;
        EXPECT_FLOAT_EQ(draw.vertices[i].y, ys[i]) << "vertex " << i;
        EXPECT_EQ(draw.vertices[i].z, 10.0f);
        EXPECT_EQ(draw.vertices[i].diffuse, color);
    }
}

TEST_F(BarGeometryTest, HalfHealthWithTrailIsFillTrailAndFourOutlines) {
    const auto draws = Draw(Entry(0.0f, 0.0f, 10.0f, 0.5f, 0.8f));
    ASSERT_EQ(draws.size(), 6U);
    ExpectQuad(draws[0], -0.7f, 0.0f, 0xB2FFFF00U);
    ExpectQuad(draws[1], 0.0f, 0.42f, 0xB2E5E5E5U);
    const float outline[8][2] = {{-0.7f, -0.065f}, {0.7f, -0.065f}, {0.7f, -0.065f},
                                 {0.7f, 0.065f},   {0.7f, 0.065f},  {-0.7f, 0.065f},
                                 {-0.7f, 0.065f},  {-0.7f, -0.065f}};
    for (int pass = 2; pass < 6; ++pass) {
        const DeviceCall& strip = draws[pass];
        EXPECT_EQ(strip.a, static_cast<std::uint32_t>(D3DPT_LINESTRIP));
        EXPECT_EQ(strip.b, 7U);
        ASSERT_EQ(strip.vertices.size(), 8U);
        for (int i = 0; i < 8; ++i) {
            EXPECT_FLOAT_EQ(strip.vertices[i].x, outline[i][0]);
            EXPECT_FLOAT_EQ(strip.vertices[i].y, outline[i][1]);
            EXPECT_EQ(strip.vertices[i].z, 10.0f);
            EXPECT_EQ(strip.vertices[i].diffuse, 0xB2FFFFFFU);
        }
    }
}

TEST_F(BarGeometryTest, FullHealthFillsTheWholeBarAndZeroHealthIsAZeroWidthQuad) {
    auto draws = Draw(Entry(0.0f, 0.0f, 10.0f, 1.0f, 1.0f));
    ASSERT_EQ(draws.size(), 5U) << "no trail when it equals health";
    EXPECT_EQ(draws[0].vertices[1].x, 0.7f) << "the right edge";

    draws = Draw(Entry(0.0f, 0.0f, 10.0f, 0.0f, 0.0f));
    ASSERT_EQ(draws.size(), 5U);
    EXPECT_EQ(draws[0].vertices[0].x, draws[0].vertices[1].x);
}

TEST_F(BarGeometryTest, TrailBelowHealthIsNotDrawn) {
    EXPECT_EQ(Draw(Entry(0.0f, 0.0f, 10.0f, 0.6f, 0.4f)).size(), 5U);
}

TEST_F(BarGeometryTest, NullDeviceDrawsNothing) {
    handed = nullptr;
    EXPECT_TRUE(Draw(Entry(0.0f, 0.0f, 10.0f, 0.5f, 0.8f)).empty());
    EXPECT_TRUE(device.calls.empty());
}

} // namespace
