// Every test gets the module's objects as they are at load, fresh, and an empty host.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/fake_host.h"
#include "tests/support/module_objects.h"

class ModuleTest : public ::testing::Test {
  protected:
    ModuleObjects module;
    ActorTracker& tracker = module.tracker;
    BarList& list = module.list;
    FrameClock& clock = module.clock;
    FrameDriverState& driver = module.driver;

    void SetUp() override { fakehost::ResetHost(); }
    void TearDown() override { fakehost::ResetHost(); }

    // The record the tracker keeps for an address; fails the test when there is none.
    BarState& Record(HostAddress address) {
        TrackedActor* record = FindRecord(tracker, address);
        if (record == nullptr) {
            ADD_FAILURE() << "no record for " << std::hex << address;
            static BarState none{};
            return none;
        }
        return record->bar;
    }
};
