#include <gtest/gtest.h>

#include "app/TolvexQuietmark.h"
#include "platform/bmrConsoleHelp.h"
#include "platform/bmrCredits.h"
#include "platform/bmrDebug.h"
#include "platform/bmrWindows.h"
#include "tests/fakes/FakeWindows.h"

namespace {

class ProgramTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CurrentOperatingSystems = saved_;
    // Later tests of the logger start it again themselves.
    InitializeBmrDebug();
  }
  fakes::FakeWindows windows;
  TOperatingSystems saved_ = CurrentOperatingSystems;
};

TEST_F(ProgramTest, SilentStartRunsStartUpAndShutDownAndEndsWithZero) {
  windows.process.SetCommandLine({"/silent"});
  windows.system.version = {6, 1, 7601, 2, "Service Pack 1"};

  EXPECT_EQ(RunTolvexQuietmark(), 0);

  // Start-up computed the system's versions; shut-down freed what it had built.
  EXPECT_TRUE(CurrentOperatingSystems.Contains(osWindows7));
  EXPECT_TRUE(CurrentOperatingSystems.Contains(osWinNTSeries));
  EXPECT_EQ(CLPSilent, nullptr);
  EXPECT_EQ(DebugLogger().get(), nullptr);
  EXPECT_TRUE(RegisteredCredits().empty());
  EXPECT_EQ(windows.registry.OpenHandleCount(), 0u);
}

TEST_F(ProgramTest, StartWithoutSwitchesEndsWithZero) {
  EXPECT_EQ(RunTolvexQuietmark(), 0);
}

}  // namespace
