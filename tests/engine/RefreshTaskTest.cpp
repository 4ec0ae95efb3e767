#include <gtest/gtest.h>

#include <string>

#include "engine/tvqmScheduledTask.h"
#include "platform/rtlResStrings.h"
#include "tests/fakes/FakeTaskScheduler.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const char* const kFolder = "Brenmoor\\Tolvex Quietmark";
const char* const kName = "Refresh Quietmark immunization";
const char* const kQuotedExe = "\"C:\\Program Files\\Tolvex\\TolvexQuietmark.exe\"";
const char* const kArguments = "/apply /silent /atlogon";

class RefreshTaskTest : public ::testing::Test {
 protected:
  fakes::FakeWindows windows;
  fakes::FakeTaskScheduler& scheduler = windows.taskScheduler;
};

TEST_F(RefreshTaskTest, RegistersTheProgramAsSystemFiveMinutesAfterBoot) {
  windows.system.now = {2026, 12, 4, 10, 9, 30, 15, 250};

  EXPECT_TRUE(SetupScheduledTask());

  const auto* task = scheduler.FindTask(kFolder, kName);
  ASSERT_NE(task, nullptr);
  const auto& d = task->definition;
  // The SYSTEM account as a service account, so the task runs before anyone logs on.
  EXPECT_EQ(d.userId, "SYSTEM");
  EXPECT_EQ(d.logonType, os::kTaskLogonServiceAccount);
  EXPECT_EQ(task->registrationUser, os::OptionalText("SYSTEM"));
  EXPECT_EQ(task->registrationLogonType, os::kTaskLogonServiceAccount);

  ASSERT_EQ(d.actions.size(), 1u);
  EXPECT_EQ(d.actions[0].type, os::kTaskActionExec);
  EXPECT_EQ(d.actions[0].id, "Run");
  EXPECT_EQ(d.actions[0].path, kQuotedExe);  // quoted once
  EXPECT_EQ(d.actions[0].arguments, kArguments);
  EXPECT_EQ(d.actions[0].workingDirectory, "");

  ASSERT_EQ(d.triggers.size(), 1u);
  EXPECT_EQ(d.triggers[0].type, os::kTaskTriggerBoot);
  EXPECT_EQ(d.triggers[0].id, "AtBoot");
  EXPECT_TRUE(d.triggers[0].enabled);
  EXPECT_EQ(d.triggers[0].startBoundary, "2026-12-10T09:30:15");
  EXPECT_EQ(d.triggers[0].endBoundary, "");
  EXPECT_EQ(d.triggers[0].delay, "PT00H05M00S");

  EXPECT_EQ(d.info, (std::map<os::RegistrationInfoField, std::string>{
                        {os::RegistrationInfoField::Author, "Tolvex Quietmark"},
                        {os::RegistrationInfoField::Description,
                         "This task will refresh your immunization against telemetry and tracking."}}));

  for (const auto& [flag, value] : d.flags) {
    const bool on = flag == os::TaskSettingFlag::Enabled || flag == os::TaskSettingFlag::AllowDemandStart ||
                    flag == os::TaskSettingFlag::AllowHardTerminate;
    EXPECT_EQ(value, on) << os::TaskSettingFlagName(flag);
  }
  EXPECT_EQ(d.idleDuration, "");
  EXPECT_EQ(d.waitTimeout, "");
}

TEST_F(RefreshTaskTest, RegisteringAgainUpdatesTheOneTaskAndMovesItsStart) {
  windows.system.now = {2026, 12, 4, 10, 9, 30, 15, 250};
  ASSERT_TRUE(SetupScheduledTask());
  windows.system.now = {2026, 12, 5, 11, 7, 45, 0, 0};
  ASSERT_TRUE(SetupScheduledTask());

  const auto* folder = scheduler.FindFolder(kFolder);
  ASSERT_NE(folder, nullptr);
  ASSERT_EQ(folder->tasks.size(), 1u);
  const auto& d = folder->tasks[0].definition;
  ASSERT_EQ(d.actions.size(), 1u);
  ASSERT_EQ(d.triggers.size(), 1u);
  EXPECT_EQ(d.triggers[0].startBoundary, "2026-12-11T07:45:00");
  EXPECT_EQ(folder->tasks[0].registrations, 2);
}

TEST_F(RefreshTaskTest, ATranslatedNameRegistersATaskOfThatName) {
  ASSERT_TRUE(SetupScheduledTask());
  const auto previous = rtl::SetResStringTranslator([](const rtl::ResourceString& text) {
    return std::string(text.Name) == "rsscheduledtaskdisplayname" ? "Quietmark-Schutz erneuern" : "";
  });
  const bool registered = SetupScheduledTask();
  rtl::SetResStringTranslator(previous);

  EXPECT_TRUE(registered);
  EXPECT_NE(scheduler.FindTask(kFolder, "Quietmark-Schutz erneuern"), nullptr);
  EXPECT_NE(scheduler.FindTask(kFolder, kName), nullptr);
}

TEST_F(RefreshTaskTest, FailuresAnswerFalseAndNeverRaise) {
  struct Case {
    const char* call;
    os::HResult code;
  };
  // The folder that cannot be created, a task that cannot be made, a trigger kind the
  // scheduler refuses (as Wine's does) and a registration that fails: one debugger message each.
  const Case cases[] = {
      {"ITaskFolder::CreateFolder", os::kEAccessDenied},
      {"ITaskService::NewTask", os::kEAccessDenied},
      {"ITaskFolder::RegisterTaskDefinition", os::kEAccessDenied},
      {"ITriggerCollection::Create", os::kENotImpl},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    fakes::FakeWindows fresh;
    fresh.taskScheduler.failures.Fail(c.call, c.code);
    bool result = true;
    EXPECT_NO_THROW(result = SetupScheduledTask());
    EXPECT_FALSE(result);
    EXPECT_EQ(fresh.taskScheduler.FindTask(kFolder, kName), nullptr);
    EXPECT_EQ(fresh.system.debugOutput.size(), 1u);
  }

  fakes::FakeWindows none;
  none.taskScheduler.createResult = os::kEClassNotRegistered;
  none.taskScheduler10.failures.Fail("CoCreateInstance", os::ts10::kClassNotRegistered);
  EXPECT_FALSE(SetupScheduledTask());
  EXPECT_TRUE(none.system.debugOutput.empty());
}

TEST_F(RefreshTaskTest, WithTest10TheJobRunsTheProgramAsSystemAtStartUp) {
  windows.process.SetCommandLine({"/setuptask", "/test10"});
  windows.system.now = {2026, 12, 4, 10, 9, 30, 15, 250};

  EXPECT_TRUE(SetupScheduledTask());

  const auto* job = windows.taskScheduler10.FindJob(kName);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->applicationName, kQuotedExe);
  EXPECT_EQ(job->parameters, kArguments);
  EXPECT_EQ(job->workingDirectory, "");
  EXPECT_EQ(job->account, std::optional<std::string>(""));  // the local system account
  EXPECT_EQ(job->creator, "Tolvex Quietmark");
  EXPECT_EQ(job->comment, "This task will refresh your immunization against telemetry and tracking.");
  EXPECT_EQ(job->flags & os::ts10::kFlagDisabled, 0u);
  ASSERT_EQ(job->triggers.size(), 1u);
  EXPECT_EQ(job->triggers[0].TriggerType, os::ts10::kEventTriggerAtSystemStart);
  EXPECT_EQ(job->triggers[0].wBeginYear, 2026);
  EXPECT_EQ(job->triggers[0].wBeginMonth, 12);
  EXPECT_EQ(job->triggers[0].wBeginDay, 10);
  EXPECT_EQ(job->triggers[0].wStartHour, 9);
  EXPECT_EQ(job->triggers[0].wStartMinute, 30);
  EXPECT_EQ(scheduler.CountCalls("ITaskFolder::RegisterTaskDefinition"), 0u);
  // The 2.0 folder is still opened or created.
  EXPECT_NE(scheduler.FindFolder(kFolder), nullptr);
}

}  // namespace
