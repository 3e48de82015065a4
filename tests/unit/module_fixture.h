// Every test starts from the module as loaded and an empty host.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/fake_host.h"

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override { fakehost::ResetModuleAndHost(); }
    void TearDown() override { fakehost::ResetModuleAndHost(); }
};
