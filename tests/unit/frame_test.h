// Every test gets the frame state as it is at load, the fake device, and a host that shows
// bars: scene active, UI flag clear, identity camera, no actors.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "bars/frame_driver.h"
#include "tests/support/fake_device.h"
#include "tests/support/fake_host.h"

using namespace fakehost;

inline const float NaN = std::numeric_limits<float>::quiet_NaN();

class FrameTest : public ::testing::Test {
  protected:
    FrameState frame;
    ActorTracker& tracker = frame.tracker;
    BarList& list = frame.list;
    FrameDriverState& driver = frame.driver;
    FakeDevice device;

    void SetUp() override {
        ResetHost();
        SetDevice(&device);
    }
    void TearDown() override { ResetHost(); }

    // Runs one frame; true when it drew, which with a device a frame does only to show bars.
    bool Frame() {
        const std::size_t calls = device.calls.size();
        DrawActorBars(frame);
        return device.calls.size() > calls;
    }

    // The record of an address, where it lies now.
    BarState& Record(HostAddress address) {
        for (TrackedActor& record : tracker.records) {
            if (record.address == address) {
                return record.bar;
            }
        }
        ADD_FAILURE() << "no record for " << std::hex << address;
        static BarState none;
        return none;
    }
};
