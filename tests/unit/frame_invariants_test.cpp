// The device checks give the same verdict whichever device logged the calls: the soak test
// reads a RecordingDevice, the fuzz target a CallLogDevice.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/frame_invariants.h"

namespace {

template <class Device> class DeviceChecksTest : public ::testing::Test {
  protected:
    Device device;
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

using Devices = ::testing::Types<RecordingDevice, frameinvariants::CallLogDevice>;
TYPED_TEST_SUITE(DeviceChecksTest, Devices);

TYPED_TEST(DeviceChecksTest, WholeFramePasses) {
    IDirect3DStateBlock9* block = this->Begin();
    this->device.SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    this->Draw(0.5f);
    block->Apply();
    block->Release();
    EXPECT_EQ(this->Check(), "");
}

TYPED_TEST(DeviceChecksTest, NanDepthReachingTheDeviceFails) {
    this->DrawFrame(NAN);
    EXPECT_EQ(this->Check(), "a vertex with a NaN depth reached the device");
}

TYPED_TEST(DeviceChecksTest, CallOutsideTheStateBlockFails) {
    IDirect3DStateBlock9* block = this->Begin();
    block->Apply();
    this->device.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    block->Release();
    EXPECT_EQ(this->Check(), "device state touched outside an open state block: SetSamplerState");
}

TYPED_TEST(DeviceChecksTest, BlockNotReleasedFails) {
    IDirect3DStateBlock9* block = this->Begin();
    block->Apply();
    EXPECT_EQ(this->Check(),
              "a created state block was not applied and released in the same frame");
    block->Release();
}

TYPED_TEST(DeviceChecksTest, FailedCreateStateBlockThenNothingPasses) {
    this->device.failCreateStateBlock = true;
    EXPECT_EQ(this->Begin(), nullptr);
    EXPECT_EQ(this->Check(), "");
}

TYPED_TEST(DeviceChecksTest, OnlyTheLatestFrameIsChecked) {
    this->DrawFrame(NAN);
    EXPECT_NE(this->Check(), "");
    this->DrawFrame(0.5f);
    EXPECT_EQ(this->Check(), "");
}

} // namespace
