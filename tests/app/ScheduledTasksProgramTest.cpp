#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/TolvexQuietmark.h"
#include "platform/bmrDebug.h"
#include "tests/fakes/FakeTaskScheduler.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const char* const kRefreshFolder = "Brenmoor\\Tolvex Quietmark";
const char* const kRefreshName = "Refresh Quietmark immunization";
const char* const kCeipFolder = "Microsoft\\Windows\\Customer Experience Improvement Program";

class ScheduledTasksProgramTest : public ::testing::Test {
 protected:
  // Later tests of the logger start it again themselves.
  void TearDown() override { InitializeBmrDebug(); }

  bool ConsolidatorEnabled(fakes::FakeWindows& w) {
    return w.taskScheduler.FindTask(kCeipFolder, "Consolidator")->definition.flags.at(os::TaskSettingFlag::Enabled);
  }
};

TEST_F(ScheduledTasksProgramTest, SetupTaskRegistersTheRefreshTaskAndNothingElse) {
  struct Case {
    std::vector<std::string> arguments;
    bool registered;
    bool applied;
  };
  const std::vector<Case> cases = {
      {{"/setuptask", "/silent"}, true, false},
      {{"/setuptask", "/silent", "/apply"}, true, false},
      {{"/silent", "/apply"}, false, true},
      {{"/SetupTask", "/silent"}, false, false},
      // Without silent the start goes on to the window, whose first show applies once.
      {{"/setuptask", "/apply"}, true, true},
      {{"/apply", "/setuptask"}, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
    fakes::FakeWindows w;
    w.taskScheduler.AddTask(kCeipFolder, "Consolidator", {});
    w.process.SetCommandLine(c.arguments);

    EXPECT_EQ(RunTolvexQuietmark(), 0);

    EXPECT_EQ(w.taskScheduler.FindTask(kRefreshFolder, kRefreshName) != nullptr, c.registered);
    // With setuptask and silent the walk does not run, even with apply.
    EXPECT_EQ(ConsolidatorEnabled(w), !c.applied);
  }
}

TEST_F(ScheduledTasksProgramTest, TheSilentWalkDisablesAndEnablesTheCeipTasks) {
  fakes::FakeWindows w;
  w.taskScheduler.AddTask(kCeipFolder, "Consolidator", {});

  w.process.SetCommandLine({"/silent", "/apply"});
  EXPECT_EQ(RunTolvexQuietmark(), 0);
  EXPECT_FALSE(ConsolidatorEnabled(w));

  w.process.SetCommandLine({"/silent", "/undo"});
  EXPECT_EQ(RunTolvexQuietmark(), 0);
  EXPECT_TRUE(ConsolidatorEnabled(w));
  EXPECT_EQ(w.process.standardError, "");
}

}  // namespace
