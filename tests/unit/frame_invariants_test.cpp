// The device checks that the fuzz target and the soak test run after every frame.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/frame_invariants.h"

namespace {

class DeviceChecksTest : public ::testing::Test {
  protected:
    frameinvariants::CallLogDevice device;
    ModuleObjects module;
    frameinvariants::Watch watch;

    DeviceChecksTest() { module.driver.sceneActive = true; }

    IDirect3DStateBlock9* Begin() {
        IDirect3DStateBlock9* block = nullptr;
        device.CreateStateBlock(D3DSBT_ALL, &block);
        return block;
    }
    void Draw(float depth) {
        const OverlayVertex line[2] = {{0, 0, depth, 0}, {1, 1, depth, 0}};
        device.DrawPrimitiveUP(D3DPT_LINESTRIP, 1, line, sizeof(OverlayVertex));
    }
    // A whole frame that draws one line at this depth.
    void DrawFrame(float depth) {
        IDirect3DStateBlock9* block = Begin();
        Draw(depth);
        block->Apply();
        block->Release();
    }
    std::string Check() { return frameinvariants::AfterFrame(watch, module, device, true); }
};

TEST_F(DeviceChecksTest, WholeFramePasses) {
    IDirect3DStateBlock9* block = Begin();
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    Draw(0.5f);
    block->Apply();
    block->Release();
    EXPECT_EQ(Check(), "");
}

TEST_F(DeviceChecksTest, NanDepthReachingTheDeviceFails) {
    DrawFrame(NAN);
    EXPECT_EQ(Check(), "a vertex with a NaN depth reached the device");
}

TEST_F(DeviceChecksTest, CallOutsideTheStateBlockFails) {
    IDirect3DStateBlock9* block = Begin();
    block->Apply();
    device.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    block->Release();
    EXPECT_EQ(Check(), "device state touched outside an open state block: SetSamplerState");
}

TEST_F(DeviceChecksTest, BlockNotReleasedFails) {
    IDirect3DStateBlock9* block = Begin();
    block->Apply();
    EXPECT_EQ(Check(), "a created state block was not applied and released in the same frame");
    block->Release();
}

TEST_F(DeviceChecksTest, FailedCreateStateBlockThenNothingPasses) {
    device.failCreateStateBlock = true;
    EXPECT_EQ(Begin(), nullptr);
    EXPECT_EQ(Check(), "");
}

TEST_F(DeviceChecksTest, OnlyTheLatestFrameIsChecked) {
    DrawFrame(NAN);
    EXPECT_NE(Check(), "");
    DrawFrame(0.5f);
    EXPECT_EQ(Check(), "");
}

} // namespace
