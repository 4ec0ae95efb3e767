#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "platform/bmrTaskScheduler.h"
#include "platform/os/TaskScheduler.h"
#include "tests/fakes/FakeWindows.h"

namespace {

using fakes::FakeActionData;
using fakes::FakeDefinitionData;
using fakes::FakeTriggerData;
using os::RegistrationInfoField;
using os::TaskSettingFlag;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TDateTime At(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour = 0,
             std::uint16_t minute = 0, std::uint16_t second = 0, std::uint16_t ms = 0) {
  return SystemTimeToDateTime({year, month, 0, day, hour, minute, second, ms});
}

constexpr double kMinute = 1.0 / 1440;
constexpr double kSecond = 1.0 / 86400;

// --- conversions ---

TEST(TaskSchedulerTexts, DateTimeToISO8601) {
  const struct {
    TDateTime value;
    const char* text;
  } cases[] = {
      {At(2016, 3, 9, 14, 5, 7, 800), "2016-03-09T14:05:07"},
      {At(2016, 3, 10), "2016-03-10T00:00:00"},
      // 0.4 ms before midnight rounds to the next day.
      {At(2016, 3, 10) - 0.0004 * kSecond, "2016-03-10T00:00:00"},
      {At(2016, 3, 10) - 0.6 * kSecond, "2016-03-09T23:59:59"},
      {At(2024, 2, 29, 23, 59, 59), "2024-02-29T23:59:59"},
      {0, "1899-12-30T00:00:00"},
  };
  for (const auto& c : cases) EXPECT_EQ(DateTimeToISO8601(c.value), c.text) << c.text;
}

TEST(TaskSchedulerTexts, DurationToISO8601) {
  const struct {
    TDateTime value;
    const char* text;
  } cases[] = {
      {0, ""},
      {5 * kMinute, "PT00H05M00S"},
      {1.0 / 24, "PT01H00M00S"},
      {1.5, "P01DT12H00M00S"},
      {1.0, "P01DT00H00M00S"},
      {100 + 10 * kSecond, "P100DT00H00M10S"},
      {1 - kSecond, "PT23H59M59S"},
  };
  for (const auto& c : cases) EXPECT_EQ(DurationToISO8601(c.value), c.text) << c.text;
}

TEST(TaskSchedulerTexts, MinutesOfTime) {
  const struct {
    TDateTime value;
    std::int32_t minutes;
  } cases[] = {
      {5 * kMinute, 5}, {0, 0}, {1.5, 720}, {90 * kSecond, 1}, {90 * kMinute, 90}, {At(2016, 3, 9, 23, 59, 59), 1439},
  };
  for (const auto& c : cases) EXPECT_EQ(MinutesOfTime(c.value), c.minutes) << c.value;
}

// Values outside the calendar give the fixed texts, never an overflowed number (the sanitizer
// run reports one).
TEST(TaskSchedulerTexts, ValuesOutsideTheCalendarGiveFixedTexts) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const double value : {nan, inf, -inf, 1e300, -1e300, 2958466.0, 2958466.0 - 0.0004 * kSecond, -693594.0,
                             9.3e15, -9.3e15}) {
    SCOPED_TRACE(value);
    EXPECT_EQ(DateTimeToISO8601(value), kOutOfCalendarDateTimeText);
    EXPECT_EQ(MinutesOfTime(value), 0);
    if (!(value < 0)) {
      EXPECT_EQ(DurationToISO8601(value), kOutOfCalendarDurationText);
    }
  }
  EXPECT_EQ(DurationToISO8601(-inf), std::string("-") + kOutOfCalendarDurationText);
  EXPECT_EQ(DateTimeToISO8601(2958466.0 - kSecond), "9999-12-31T23:59:59") << "the last second is in";
  EXPECT_EQ(DateTimeToISO8601(-693593.0), "0001-01-01T00:00:00") << "the first day is in";
  EXPECT_EQ(DurationToISO8601(2958465.0), "P2958465DT00H00M00S");
}

TEST(TaskSchedulerTexts, AccountNamesAreEmptyWhenTheQueryFails) {
  fakes::FakeWindows windows;
  EXPECT_EQ(GetCurrentUserName(), "Tester");
  EXPECT_EQ(GetCurrentComputerName(), "TESTPC");

  windows.accounts.userName = std::string(256, 'u');  // more than the 256-character buffer holds
  windows.accounts.computerNameFails = true;
  EXPECT_EQ(GetCurrentUserName(), "");
  EXPECT_EQ(GetCurrentComputerName(), "");
}

// --- construction and folders ---

class TaskSchedulerTest : public ::testing::Test {
 protected:
  fakes::FakeWindows windows;
  fakes::FakeTaskScheduler& library = windows.taskScheduler;

  std::vector<std::string>& DebugOutput() { return windows.system.debugOutput; }

  // A registered system task as the platform holds it: SYSTEM, a boot trigger, a program.
  FakeDefinitionData SystemTask() {
    FakeDefinitionData definition;
    definition.userId = "SYSTEM";
    definition.logonType = os::kTaskLogonServiceAccount;
    definition.flags[TaskSettingFlag::Hidden] = true;
    definition.idleDuration = "PT05M";
    definition.info[RegistrationInfoField::Author] = "Maker";
    definition.info[RegistrationInfoField::Source] = "Setup";
    FakeTriggerData trigger;
    trigger.type = os::kTaskTriggerBoot;
    trigger.id = "Boot";
    trigger.startBoundary = "2015-01-01T00:00:00";
    trigger.delay = "PT10M";
    definition.triggers.push_back(trigger);
    FakeActionData action;
    action.id = "Exec";
    action.path = "%windir%\\system32\\tool.exe";
    action.arguments = "-run";
    definition.actions.push_back(action);
    return definition;
  }
};

TEST_F(TaskSchedulerTest, NewTaskHasItsDefaultsAndIsConnectedToTheRootFolder) {
  TScheduledTask task;
  EXPECT_EQ(task.ApiVersion, 2);
  EXPECT_EQ(task.LogonMode, 1);
  ASSERT_TRUE(task.TaskService && task.RootFolder);
  EXPECT_EQ(task.FFolderTask, task.RootFolder);
  EXPECT_TRUE(task.Actions.empty());
  EXPECT_TRUE(task.Triggers.empty());
  EXPECT_EQ(task.RegistrationInfo.Author + task.RegistrationInfo.Description + task.RegistrationInfo.Version, "");

  const TScheduledTaskSettings& s = task.Settings;
  EXPECT_TRUE(s.Enabled && s.AllowDemandStart && s.AllowHardTerminate);
  EXPECT_FALSE(s.RunOnlyIfNetworkAvailable || s.WakeToRun || s.Hidden || s.DisallowStartIfOnBatteries ||
               s.StopIfGoingOnBatteries || s.StartWhenAvailable || s.RunOnlyIfIdle);
  EXPECT_FALSE(s.Conditions.RestartOnIdle || s.Conditions.StopOnIdleEnd);
  EXPECT_EQ(s.Conditions.IdleDuration, 0);
  EXPECT_THAT(library.calls,
              ElementsAre("CoCreateInstance TaskScheduler", "ITaskService::Connect |||", "ITaskService::GetFolder \\"));
}

TEST_F(TaskSchedulerTest, Test10SwitchSelectsTaskScheduler10OnlyInItsExactForm) {
  const struct {
    const char* argument;
    std::int32_t apiVersion;
  } cases[] = {{"/test10", 1}, {"-test10", 1}, {"-TEST10", 2}, {"test10", 2}, {"/test10x", 2}};
  for (const auto& c : cases) {
    windows.process.SetCommandLine({"/silent", c.argument});
    TScheduledTask task;
    EXPECT_EQ(task.ApiVersion, c.apiVersion) << c.argument;
    EXPECT_TRUE(task.TaskService) << c.argument;  // 2.0 stays connected either way
  }
}

TEST_F(TaskSchedulerTest, Test10StillOpensTheFolderInTaskScheduler20) {
  windows.process.SetCommandLine({"/test10"});
  TScheduledTask task;
  task.SetFolder("Brenmoor\\Tolvex Quietmark");
  EXPECT_NE(library.FindFolder("Brenmoor\\Tolvex Quietmark"), nullptr);
  EXPECT_NE(task.FFolderTask, task.RootFolder);
}

TEST_F(TaskSchedulerTest, UnreachableTaskScheduler20LeavesTheServiceEmpty) {
  const struct {
    const char* call;
  } cases[] = {{"CoCreateInstance"}, {"ITaskService::Connect"}, {"ITaskService::GetFolder"}};
  for (const auto& c : cases) {
    library.failures.Clear();
    library.failures.Fail(c.call, os::kEAccessDenied);
    TScheduledTask task;
    EXPECT_FALSE(task.TaskService) << c.call;
    EXPECT_FALSE(task.RootFolder || task.FFolderTask) << c.call;
    EXPECT_EQ(task.ApiVersion, task.FTaskScheduler10 ? 1 : 0) << c.call;

    // The folder name is only stored; nothing reaches a scheduler.
    const auto callsBefore = library.calls.size();
    task.SetFolder("Microsoft\\Windows\\Autochk");
    EXPECT_EQ(task.FolderName, "Microsoft\\Windows\\Autochk");
    EXPECT_EQ(library.calls.size(), callsBefore) << c.call;
  }
}

TEST_F(TaskSchedulerTest, WithoutAnySchedulerEveryOperationAnswersFalse) {
  library.createResult = os::kEClassNotRegistered;
  windows.taskScheduler10.failures.Fail("CoCreateInstance", os::kEClassNotRegistered);
  TScheduledTask task;
  ASSERT_EQ(task.ApiVersion, 0);
  task.TaskName = "Any";
  EXPECT_FALSE(task.TaskExists());
  EXPECT_FALSE(task.CreateOrUpdateTask());
  EXPECT_FALSE(task.UpdateTaskEnabled(false));
}

TEST_F(TaskSchedulerTest, Test10WithoutTaskScheduler10AnswersFalseThoughTaskScheduler20IsConnected) {
  library.AddTask("", "T", {});
  windows.taskScheduler10.failures.Fail("CoCreateInstance", os::kEClassNotRegistered);
  windows.process.SetCommandLine({"/test10"});
  TScheduledTask task;
  ASSERT_EQ(task.ApiVersion, 1);
  ASSERT_TRUE(task.TaskService);
  task.TaskName = "T";
  EXPECT_FALSE(task.TaskExists());
  EXPECT_FALSE(task.CreateOrUpdateTask());
  EXPECT_FALSE(task.UpdateTaskEnabled(false));
  EXPECT_EQ(library.CountCalls("ITaskFolder::GetTask"), 0u);
}

TEST_F(TaskSchedulerTest, SetFolderOpensAnExistingFolderAndCreatesAMissingOne) {
  library.MakeFolder("Microsoft\\Windows\\Autochk");
  {
    TScheduledTask task;
    task.SetFolder("Microsoft\\Windows\\Autochk");
    EXPECT_EQ(library.CountCalls("ITaskFolder::CreateFolder"), 0u);
    std::string path;
    task.FFolderTask->get_Path(path);
    EXPECT_EQ(path, "\\Microsoft\\Windows\\Autochk");
  }
  {
    TScheduledTask task;
    task.SetFolder("Brenmoor\\Tolvex Quietmark");  // two levels at once
    EXPECT_EQ(library.CountCalls("ITaskFolder::CreateFolder \\Brenmoor\\Tolvex Quietmark"), 1u);
    EXPECT_NE(library.FindFolder("Brenmoor\\Tolvex Quietmark"), nullptr);
  }
}

TEST_F(TaskSchedulerTest, SetFolderLetsAFailedCreationReachTheCaller) {
  library.failures.Fail("ITaskFolder::CreateFolder", os::kEAccessDenied);
  TScheduledTask task;
  try {
    task.SetFolder("Brenmoor");
    FAIL() << "no error";
  } catch (const ETaskSchedulerError& error) {
    EXPECT_EQ(error.ErrorCode, os::kEAccessDenied);
    EXPECT_EQ(error.Message(), "Access is denied.");
  }
  EXPECT_EQ(task.FolderName, "Brenmoor");
}

TEST_F(TaskSchedulerTest, ListsKeepEveryEntryInOrder) {
  TScheduledTask task;
  auto* first = task.AddBootTrigger("AtBoot", At(2020, 1, 2), 5 * kMinute);
  auto* second = task.AddBootTrigger("AtBoot", At(2021, 1, 2), 0);
  auto* action = task.AddExecutionAction("\"C:\\x.exe\"", "Run", "/apply", "C:\\");
  ASSERT_EQ(task.Triggers.size(), 2u);
  EXPECT_EQ(task.Triggers[0].second.get(), first);
  EXPECT_EQ(task.Triggers[1].second.get(), second);
  EXPECT_EQ(task.Triggers[1].first, "AtBoot");
  EXPECT_EQ(first->Delay, 5 * kMinute);
  EXPECT_TRUE(first->Enabled);
  EXPECT_FALSE(first->Repetition.Enabled);
  EXPECT_EQ(first->EndBoundary, 0);
  EXPECT_EQ(action->Path, "\"C:\\x.exe\"");
  EXPECT_EQ(action->Arguments, "/apply");
  EXPECT_EQ(action->WorkingDirectory, "C:\\");
  EXPECT_EQ(task.Actions[0].first, "Run");
}

TEST_F(TaskSchedulerTest, NewTriggerStartsAtTheCurrentLocalTime) {
  windows.system.now = {2026, 12, 4, 10, 9, 30, 15, 250};
  TScheduledTaskTrigger trigger;
  EXPECT_EQ(DateTimeToISO8601(trigger.StartBoundary), "2026-12-10T09:30:15");
}

// --- the existence check ---

TEST_F(TaskSchedulerTest, TaskExistsReadsTheRegisteredSettingsBack) {
  FakeDefinitionData definition = SystemTask();
  definition.flags[TaskSettingFlag::Enabled] = false;
  definition.flags[TaskSettingFlag::AllowDemandStart] = false;
  definition.flags[TaskSettingFlag::WakeToRun] = true;
  definition.flags[TaskSettingFlag::RunOnlyIfIdle] = true;
  definition.stopOnIdleEnd = true;
  definition.restartOnIdle = true;
  library.AddTask("Microsoft\\Windows\\Autochk", "Proxy", definition);

  TScheduledTask task;
  task.SetFolder("Microsoft\\Windows\\Autochk");
  task.TaskName = "Proxy";
  ASSERT_TRUE(task.TaskExists());
  const TScheduledTaskSettings& s = task.Settings;
  EXPECT_FALSE(s.Enabled);
  EXPECT_FALSE(s.AllowDemandStart);
  EXPECT_TRUE(s.WakeToRun && s.Hidden && s.RunOnlyIfIdle && s.DisallowStartIfOnBatteries);
  EXPECT_TRUE(s.Conditions.StopOnIdleEnd && s.Conditions.RestartOnIdle);
  EXPECT_EQ(s.Conditions.IdleDuration, 0);  // durations are not read

  task.TaskName = "Missing";
  EXPECT_FALSE(task.TaskExists());
}

TEST_F(TaskSchedulerTest, TaskExistsKeepsWhatWasReadBeforeAFailedRead) {
  FakeDefinitionData definition;
  definition.flags[TaskSettingFlag::AllowDemandStart] = false;
  definition.flags[TaskSettingFlag::Hidden] = true;
  definition.flags[TaskSettingFlag::Enabled] = false;
  library.AddTask("", "T", definition);
  library.failures.Fail("ITaskSettings::get", os::kEFail, "Hidden");

  TScheduledTask task;
  task.TaskName = "T";
  EXPECT_TRUE(task.TaskExists());
  EXPECT_FALSE(task.Settings.AllowDemandStart);  // read before the failure
  EXPECT_FALSE(task.Settings.Hidden);            // not read
  EXPECT_TRUE(task.Settings.Enabled);            // not read
  EXPECT_EQ(library.CountCalls("IIdleSettings::"), 0u);
}

TEST_F(TaskSchedulerTest, TaskExistsIsFalseWhenTheDefinitionCannotBeRead) {
  library.AddTask("", "T", {});
  library.failures.Fail("IRegisteredTask::get_Definition", os::kEAccessDenied);
  TScheduledTask task;
  task.TaskName = "T";
  EXPECT_FALSE(task.TaskExists());
  EXPECT_THAT(DebugOutput(), IsEmpty());
}

// --- the registration ---

class TaskRegistrationTest : public TaskSchedulerTest {
 protected:
  // The refresh task's model.
  std::unique_ptr<TScheduledTask> BootTask() {
    auto task = std::make_unique<TScheduledTask>();
    task->SetFolder("Brenmoor\\Tolvex Quietmark");
    task->TaskName = "Refresh";
    task->LogonMode = 0;
    task->AddExecutionAction("\"C:\\Program Files\\Tolvex\\TolvexQuietmark.exe\"", "Run", "/apply /silent /atlogon",
                             "");
    task->AddBootTrigger("AtBoot", At(2026, 12, 10, 9, 30, 15), 5 * kMinute);
    task->RegistrationInfo.Author = "Tolvex Quietmark";
    task->RegistrationInfo.Description = "Refreshes.";
    return task;
  }
  fakes::FakeRegisteredTaskData* Registered() { return library.FindTask("Brenmoor\\Tolvex Quietmark", "Refresh"); }
};

TEST_F(TaskRegistrationTest, NewTaskIsRegisteredCompletelyAsSystem) {
  ASSERT_TRUE(BootTask()->CreateOrUpdateTask());
  EXPECT_THAT(DebugOutput(), IsEmpty());
  const auto* task = Registered();
  ASSERT_NE(task, nullptr);
  EXPECT_EQ(task->registrationFlags, os::kTaskCreateOrUpdate);
  // The service account itself, so the task runs at boot before anyone logs on.
  EXPECT_EQ(task->registrationUser, "SYSTEM");
  EXPECT_EQ(task->registrationLogonType, os::kTaskLogonServiceAccount);
  EXPECT_EQ(task->definition.userId, "SYSTEM");
  EXPECT_EQ(task->definition.logonType, os::kTaskLogonServiceAccount);

  const FakeDefinitionData& d = task->definition;
  ASSERT_EQ(d.actions.size(), 1u);
  EXPECT_EQ(d.actions[0].type, os::kTaskActionExec);
  EXPECT_EQ(d.actions[0].id, "Run");
  EXPECT_EQ(d.actions[0].path, "\"C:\\Program Files\\Tolvex\\TolvexQuietmark.exe\"");  // not quoted twice
  EXPECT_EQ(d.actions[0].arguments, "/apply /silent /atlogon");
  ASSERT_EQ(d.triggers.size(), 1u);
  EXPECT_EQ(d.triggers[0].type, os::kTaskTriggerBoot);
  EXPECT_EQ(d.triggers[0].id, "AtBoot");
  EXPECT_EQ(d.triggers[0].startBoundary, "2026-12-10T09:30:15");
  EXPECT_EQ(d.triggers[0].delay, "PT00H05M00S");
  EXPECT_EQ(d.triggers[0].endBoundary, "");
  EXPECT_EQ(d.triggers[0].repetitionInterval, "");
  EXPECT_EQ(d.info.at(RegistrationInfoField::Author), "Tolvex Quietmark");
  EXPECT_EQ(d.info.at(RegistrationInfoField::Description), "Refreshes.");
  EXPECT_EQ(d.info.count(RegistrationInfoField::Source), 0u);
  // Every flag is written from the model, and zero idle durations as empty texts.
  EXPECT_FALSE(d.flags.at(TaskSettingFlag::DisallowStartIfOnBatteries));
  EXPECT_FALSE(d.flags.at(TaskSettingFlag::StopIfGoingOnBatteries));
  EXPECT_TRUE(d.flags.at(TaskSettingFlag::Enabled));
  EXPECT_EQ(d.idleDuration, "");
  EXPECT_EQ(d.waitTimeout, "");
}

TEST_F(TaskRegistrationTest, RegisteringAgainUpdatesTheTaskInPlace) {
  ASSERT_TRUE(BootTask()->CreateOrUpdateTask());
  auto again = BootTask();
  dynamic_cast<TScheduledTaskBootTrigger&>(*again->Triggers[0].second).StartBoundary = At(2027, 1, 1, 8);
  ASSERT_TRUE(again->CreateOrUpdateTask());

  const auto* task = Registered();
  EXPECT_EQ(task->registrations, 2);
  ASSERT_EQ(task->definition.actions.size(), 1u);
  ASSERT_EQ(task->definition.triggers.size(), 1u);
  EXPECT_EQ(task->definition.triggers[0].startBoundary, "2027-01-01T08:00:00");
}

TEST_F(TaskRegistrationTest, InteractiveModeNamesTheCurrentUser) {
  auto task = BootTask();
  task->LogonMode = 1;
  windows.accounts.computerNameFails = true;
  ASSERT_TRUE(task->CreateOrUpdateTask());
  EXPECT_EQ(Registered()->definition.userId, "\\Tester");
  EXPECT_EQ(Registered()->definition.logonType, os::kTaskLogonInteractiveToken);
  EXPECT_EQ(Registered()->registrationUser, std::nullopt);
  EXPECT_EQ(Registered()->registrationLogonType, os::kTaskLogonInteractiveToken);
}

TEST_F(TaskRegistrationTest, ModelWithoutItemsKeepsWhatIsRegistered) {
  const FakeDefinitionData before = SystemTask();
  library.AddTask("Microsoft\\Windows\\Autochk", "Proxy", before);

  TScheduledTask task;
  task.SetFolder("Microsoft\\Windows\\Autochk");
  task.TaskName = "Proxy";
  task.LogonMode = 2;  // no account
  ASSERT_TRUE(task.TaskExists());
  task.Settings.Enabled = false;
  ASSERT_TRUE(task.CreateOrUpdateTask());

  const FakeDefinitionData& after = library.FindTask("Microsoft\\Windows\\Autochk", "Proxy")->definition;
  EXPECT_EQ(after.triggers, before.triggers);
  EXPECT_EQ(after.actions, before.actions);
  EXPECT_EQ(after.info, before.info);
  EXPECT_EQ(after.userId, "SYSTEM");
  EXPECT_FALSE(after.flags.at(TaskSettingFlag::Enabled));
  EXPECT_TRUE(after.flags.at(TaskSettingFlag::Hidden));  // read back and written again
  EXPECT_EQ(library.CountCalls("IPrincipal::"), 0u);
}

TEST_F(TaskRegistrationTest, TriggersAndActionsAreMatchedByTheirIds) {
  FakeDefinitionData registered;
  FakeTriggerData trigger;
  trigger.type = os::kTaskTriggerBoot;
  trigger.id = "AtBoot";
  trigger.enabled = false;
  trigger.endBoundary = "2030-01-01T00:00:00";
  trigger.repetitionInterval = "PT01H00M00S";
  registered.triggers.push_back(trigger);
  FakeTriggerData other = trigger;
  other.id = "Other";
  registered.triggers.push_back(other);
  FakeTriggerData daily;  // another kind under a model trigger's Id
  daily.type = os::kTaskTriggerDaily;
  daily.id = "Kind";
  daily.enabled = false;
  daily.daysInterval = 7;
  registered.triggers.push_back(daily);
  FakeActionData message;
  message.type = os::kTaskActionShowMessage;
  message.id = "Run";  // another kind under the model's action Id
  message.title = "Hello";
  registered.actions.push_back(message);
  library.AddTask("Brenmoor\\Tolvex Quietmark", "Refresh", registered);

  auto task = BootTask();
  task->AddBootTrigger("AtBoot", At(2028, 5, 6, 7, 8, 9), 0);  // a second entry under the same Id
  auto base = std::make_unique<TScheduledTaskTrigger>();
  base->Id = "Other";
  task->Triggers.emplace_back("Other", std::move(base));
  task->AddBootTrigger("Kind", At(2029, 1, 2, 3, 4, 5), 5 * kMinute);
  ASSERT_TRUE(task->CreateOrUpdateTask());

  const FakeDefinitionData& d = Registered()->definition;
  ASSERT_EQ(d.triggers.size(), 3u);
  // Found by Id and written over by both entries; what the model does not write stays.
  EXPECT_TRUE(d.triggers[0].enabled);
  EXPECT_EQ(d.triggers[0].startBoundary, "2028-05-06T07:08:09");
  EXPECT_EQ(d.triggers[0].delay, "");
  EXPECT_EQ(d.triggers[0].endBoundary, "2030-01-01T00:00:00");
  EXPECT_EQ(d.triggers[0].repetitionInterval, "PT01H00M00S");
  // A base-class entry writes nothing, even to an item with its Id.
  EXPECT_EQ(d.triggers[1], other);
  // A daily trigger matched by a boot entry gets the common properties only, and the
  // registration goes on.
  EXPECT_EQ(d.triggers[2].type, os::kTaskTriggerDaily);
  EXPECT_TRUE(d.triggers[2].enabled);
  EXPECT_EQ(d.triggers[2].startBoundary, "2029-01-02T03:04:05");
  EXPECT_EQ(d.triggers[2].daysInterval, 7);
  EXPECT_EQ(d.triggers[2].delay, "");
  // The message action under "Run" gets only its Id; no execution action is added.
  ASSERT_EQ(d.actions.size(), 1u);
  EXPECT_EQ(d.actions[0].type, os::kTaskActionShowMessage);
  EXPECT_EQ(d.actions[0].title, "Hello");
  EXPECT_EQ(d.actions[0].path, "");
}

TEST_F(TaskRegistrationTest, EveryTriggerKindWritesItsFields) {
  TScheduledTask task;
  task.TaskName = "Kinds";
  task.LogonMode = 2;
  auto add = [&](std::unique_ptr<TScheduledTaskTrigger> trigger, const char* id) {
    trigger->Id = id;
    trigger->StartBoundary = At(2020, 1, 1);
    task.Triggers.emplace_back(id, std::move(trigger));
  };
  auto logon = std::make_unique<TScheduledTaskLogonTrigger>();
  logon->Delay = 1.0 / 24;
  logon->EndBoundary = At(2021, 1, 1);
  logon->Repetition = {true, 1.0, 10 * kMinute, true};
  add(std::move(logon), "L");
  add(std::make_unique<TScheduledTaskIdleTrigger>(), "I");
  auto daily = std::make_unique<TScheduledTaskDailyTrigger>();
  daily->DaysInterval = 3;
  add(std::move(daily), "D");
  auto weekly = std::make_unique<TScheduledTaskWeeklyTrigger>();
  weekly->WeeksInterval = 2;
  weekly->DaysOfWeek = 0x41;
  add(std::move(weekly), "W");
  auto monthly = std::make_unique<TScheduledTaskMonthlyTrigger>();
  monthly->DaysOfMonth = 0x8001;
  monthly->MonthsOfYear = 0xFFF;
  monthly->RunOnLastDayOfMonth = true;
  add(std::move(monthly), "M");
  auto dow = std::make_unique<TScheduledTaskMonthlyDoWTrigger>();
  dow->DaysOfWeek = 2;
  dow->WeeksOfMonth = 4;
  dow->MonthsOfYear = 0x10;
  dow->RunOnLastWeekOfMonth = true;
  add(std::move(dow), "O");
  ASSERT_TRUE(task.CreateOrUpdateTask());

  const auto& t = library.FindTask("", "Kinds")->definition.triggers;
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[0].type, os::kTaskTriggerLogon);
  EXPECT_EQ(t[0].delay, "PT01H00M00S");
  EXPECT_EQ(t[0].endBoundary, "2021-01-01T00:00:00");
  EXPECT_EQ(t[0].repetitionDuration, "P01DT00H00M00S");
  EXPECT_EQ(t[0].repetitionInterval, "PT00H10M00S");
  EXPECT_TRUE(t[0].repetitionStopAtDurationEnd);
  EXPECT_EQ(t[1].type, os::kTaskTriggerIdle);
  EXPECT_EQ(t[1].id, "I");
  EXPECT_EQ(t[2].type, os::kTaskTriggerDaily);
  EXPECT_EQ(t[2].daysInterval, 3);
  EXPECT_EQ(t[3].type, os::kTaskTriggerWeekly);
  EXPECT_EQ(t[3].weeksInterval, 2);
  EXPECT_EQ(t[3].daysOfWeek, 0x41);
  EXPECT_EQ(t[4].type, os::kTaskTriggerMonthly);
  EXPECT_EQ(t[4].daysOfMonth, 0x8001);  // zero-extended, not sign-extended
  EXPECT_EQ(t[4].monthsOfYear, 0xFFF);
  EXPECT_TRUE(t[4].runOnLastDayOfMonth);
  EXPECT_EQ(t[5].type, os::kTaskTriggerMonthlyDow);
  EXPECT_EQ(t[5].daysOfWeek, 2);
  EXPECT_EQ(t[5].weeksOfMonth, 4);
  EXPECT_EQ(t[5].monthsOfYear, 0x10);
  EXPECT_TRUE(t[5].runOnLastWeekOfMonth);
}

TEST_F(TaskRegistrationTest, OnlyNonEmptyRegistrationTextsAreWritten) {
  auto task = BootTask();
  task->RegistrationInfo.Version = "1.2";
  ASSERT_TRUE(task->CreateOrUpdateTask());
  EXPECT_EQ(library.CountCalls("IRegistrationInfo::put"), 3u);
  EXPECT_EQ(Registered()->definition.info.at(RegistrationInfoField::Version), "1.2");
  EXPECT_EQ(Registered()->definition.info.count(RegistrationInfoField::Source), 0u);
}

TEST_F(TaskRegistrationTest, FailuresThatEndTheRegistration) {
  const struct {
    const char* call;
    const char* subject;
  } cases[] = {
      {"ITaskService::NewTask", ""},  // the task does not exist yet
      {"ITaskDefinition::get_Principal", ""}, {"IPrincipal::put_LogonType", ""},
      {"IPrincipal::put_UserId", ""},         {"IRegistrationInfo::put", "Author"},
      {"ITaskDefinition::get_Triggers", ""},  {"ITriggerCollection::Create", ""},
      {"ITrigger::put_StartBoundary", ""},    {"ITrigger::put_Delay", ""},
      {"ITaskDefinition::get_Actions", ""},   {"IActionCollection::Create", ""},
      {"IExecAction::put_Path", ""},          {"ITaskFolder::RegisterTaskDefinition", ""},
  };
  for (const auto& c : cases) {
    library.failures.Clear();
    library.failures.Fail(c.call, os::kENotImpl, c.subject);
    DebugOutput().clear();
    auto task = BootTask();
    const auto registrationsBefore = library.CountCalls("ITaskFolder::RegisterTaskDefinition");
    EXPECT_FALSE(task->CreateOrUpdateTask()) << c.call;
    EXPECT_THAT(DebugOutput(), ElementsAre("Not implemented")) << c.call;
    EXPECT_EQ(Registered(), nullptr) << c.call;
    if (std::string(c.call) != "ITaskFolder::RegisterTaskDefinition") {
      EXPECT_EQ(library.CountCalls("ITaskFolder::RegisterTaskDefinition"), registrationsBefore) << c.call;
    }
  }
}

TEST_F(TaskRegistrationTest, FailuresThatAreAbsorbed) {
  const struct {
    const char* call;
    const char* subject;
  } cases[] = {
      {"ITaskSettings::put", "AllowHardTerminate"},
      {"IIdleSettings::put_IdleDuration", ""},
      {"IAction::put_Id", ""},
      {"ITaskFolder::GetTask", ""},  // a new definition is used instead
  };
  for (const auto& c : cases) {
    library.failures.Clear();
    library.failures.Fail(c.call, os::kEAccessDenied, c.subject);
    DebugOutput().clear();
    EXPECT_TRUE(BootTask()->CreateOrUpdateTask()) << c.call;
    EXPECT_THAT(DebugOutput(), IsEmpty()) << c.call;
  }
  // The settings group stops at its first failure.
  library.failures.Clear();
  library.calls.clear();
  library.failures.Fail("ITaskSettings::put", os::kEAccessDenied, "WakeToRun");
  BootTask()->CreateOrUpdateTask();
  EXPECT_EQ(library.CountCalls("ITaskSettings::put Hidden"), 0u);
  EXPECT_EQ(library.CountCalls("IIdleSettings::put"), 0u);
}

TEST_F(TaskRegistrationTest, DescriptionFallsBackToTheCode) {
  library.failures.Fail("ITaskFolder::RegisterTaskDefinition", static_cast<os::HResult>(0x80041318));
  EXPECT_FALSE(BootTask()->CreateOrUpdateTask());
  EXPECT_THAT(DebugOutput(), ElementsAre("Task Scheduler error 0x80041318"));
}

// --- changing only the enabled state ---

TEST_F(TaskRegistrationTest, UpdateTaskEnabledChangesNothingElse) {
  FakeDefinitionData before = SystemTask();
  library.AddTask("Microsoft\\Windows\\Autochk", "Proxy", before);

  for (bool enabled : {false, true}) {
    TScheduledTask task;  // the default logon mode must not matter
    task.SetFolder("Microsoft\\Windows\\Autochk");
    task.TaskName = "Proxy";
    ASSERT_TRUE(task.UpdateTaskEnabled(enabled));
    EXPECT_EQ(task.Settings.Enabled, enabled);

    const auto* registered = library.FindTask("Microsoft\\Windows\\Autochk", "Proxy");
    FakeDefinitionData expected = before;
    expected.flags[TaskSettingFlag::Enabled] = enabled;
    EXPECT_EQ(registered->definition, expected) << enabled;
    EXPECT_EQ(registered->registrationFlags, os::kTaskUpdate);
    EXPECT_EQ(registered->registrationUser, "SYSTEM");
    EXPECT_EQ(registered->registrationLogonType, os::kTaskLogonServiceAccount);
  }
  EXPECT_THAT(DebugOutput(), IsEmpty());
  EXPECT_EQ(library.CountCalls("IPrincipal::put"), 0u);
}

TEST_F(TaskRegistrationTest, UpdateTaskEnabledKeepsAGroupPrincipal) {
  FakeDefinitionData definition;
  definition.groupId = "Users";
  definition.logonType = os::kTaskLogonGroup;
  library.AddTask("", "Group", definition);
  TScheduledTask task;
  task.TaskName = "Group";
  ASSERT_TRUE(task.UpdateTaskEnabled(false));
  EXPECT_EQ(library.FindTask("", "Group")->registrationUser, "Users");
  EXPECT_EQ(library.FindTask("", "Group")->registrationLogonType, os::kTaskLogonGroup);
  EXPECT_EQ(library.FindTask("", "Group")->definition.logonType, os::kTaskLogonGroup);
  EXPECT_EQ(library.FindTask("", "Group")->definition.userId, "");
}

TEST_F(TaskRegistrationTest, UpdateTaskEnabledFailures) {
  library.AddTask("", "T", SystemTask());
  const struct {
    const char* call;
    bool changed;
  } cases[] = {
      {"ITaskFolder::GetTask", false},
      {"IRegisteredTask::get_Definition", false},
      {"ITaskSettings::put", false},
      {"ITaskFolder::RegisterTaskDefinition", false},
      // An unreadable principal: the definition's own account stays.
      {"IPrincipal::get_LogonType", true},
  };
  for (const auto& c : cases) {
    library.failures.Clear();
    library.failures.Fail(c.call, os::kENotImpl);
    library.FindTask("", "T")->definition.flags[TaskSettingFlag::Enabled] = true;
    DebugOutput().clear();
    TScheduledTask task;
    task.TaskName = "T";
    EXPECT_EQ(task.UpdateTaskEnabled(false), c.changed) << c.call;
    EXPECT_EQ(library.FindTask("", "T")->definition.flags[TaskSettingFlag::Enabled], !c.changed) << c.call;
    EXPECT_EQ(library.FindTask("", "T")->definition.userId, "SYSTEM") << c.call;
    EXPECT_EQ(DebugOutput().size(), c.changed ? 0u : 1u) << c.call;
  }
}

}  // namespace
