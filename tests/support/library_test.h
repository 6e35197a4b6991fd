// Base fixture: a freshly loaded library talking to the fake platform, with
// host records filled as a typical host fills them.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/library_state.h"
#include "plvlib32.h"
#include "support/fake_platform.h"

namespace plv::testing {

class LibraryTest : public ::testing::Test {
  protected:
    LibraryTest();
    ~LibraryTest() override;

    // Calls InitializePLVLIB with the fake host window and the records.
    void Initialize(const char *banner = nullptr);

    FakePlatform fake;
    PLVAgentRuntime runtime{};
    PLVAgentState agent{};
    PLVHWND *activeWindowCell = nullptr;

  private:
    Platform *previous_ = nullptr;
};

}  // namespace plv::testing
