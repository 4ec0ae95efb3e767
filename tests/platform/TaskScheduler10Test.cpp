// The Task Scheduler 1.0 side of the task model, on the fake job library: the job rebuild,
// the trigger records, the failures that end a registration, the existence check and the
// change of the enabled state alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/bmrTaskScheduler.h"
#include "platform/os/TaskScheduler10.h"
#include "tests/fakes/FakeWindows.h"

namespace {

namespace ts10 = os::ts10;

// 9 March 2016, 14:05:07.800.
constexpr TDateTime kMarch9th = 42438 + (14 * 3600 + 5 * 60 + 7.8) / 86400;

os::TaskTrigger10 Zeroed() {
  os::TaskTrigger10 record;
  std::memset(&record, 0, sizeof(record));
  return record;
}

// All 48 bytes, padding included: a record the model fills must hold nothing it did not set.
bool SameBytes(const os::TaskTrigger10& a, const os::TaskTrigger10& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

// A job as a system task would hold it, with something in every field.
fakes::FakeJob10 SystemJob(const std::string& name) {
  fakes::FakeJob10 job;
  job.name = name;
  job.flags = ts10::kFlagHidden | ts10::kFlagInteractive | ts10::kFlagStartOnlyIfIdle;
  job.account = "";  // the local system account
  job.idleMinutes = 15;
  job.deadlineMinutes = 45;
  job.creator = "Contoso";
  job.comment = "Sends the data";
  job.applicationName = "%windir%\\system32\\sender.exe";
  job.parameters = "-upload";
  job.workingDirectory = "%windir%";
  os::TaskTrigger10 daily = Zeroed();
  daily.cbTriggerSize = ts10::kTriggerSize;
  daily.wBeginYear = 2015;
  daily.wBeginMonth = 1;
  daily.wBeginDay = 1;
  daily.wStartHour = 3;
  daily.TriggerType = ts10::kTimeTriggerDaily;
  daily.Type.Daily.DaysInterval = 1;
  os::TaskTrigger10 boot = Zeroed();
  boot.cbTriggerSize = ts10::kTriggerSize;
  boot.TriggerType = ts10::kEventTriggerAtSystemStart;
  job.triggers = {daily, boot};
  return job;
}

void ExpectSameJob(const fakes::FakeJob10& expected, const fakes::FakeJob10& actual) {
  EXPECT_EQ(expected.name, actual.name);
  EXPECT_EQ(expected.flags, actual.flags);
  EXPECT_EQ(expected.account, actual.account);
  EXPECT_EQ(expected.password, actual.password);
  EXPECT_EQ(expected.idleMinutes, actual.idleMinutes);
  EXPECT_EQ(expected.deadlineMinutes, actual.deadlineMinutes);
  EXPECT_EQ(expected.creator, actual.creator);
  EXPECT_EQ(expected.comment, actual.comment);
  EXPECT_EQ(expected.applicationName, actual.applicationName);
  EXPECT_EQ(expected.parameters, actual.parameters);
  EXPECT_EQ(expected.workingDirectory, actual.workingDirectory);
  ASSERT_EQ(expected.triggers.size(), actual.triggers.size());
  for (std::size_t i = 0; i < expected.triggers.size(); ++i) {
    EXPECT_TRUE(SameBytes(expected.triggers[i], actual.triggers[i])) << "trigger " << i;
  }
}

class TaskScheduler10Test : public testing::Test {
 protected:
  TaskScheduler10Test() { windows_.process.SetCommandLine({"/test10"}); }

  std::unique_ptr<TScheduledTask> NewTask(const std::string& name = "Tvqm Refresh") {
    auto task = std::make_unique<TScheduledTask>();
    task->TaskName = name;
    return task;
  }

  fakes::FakeWindows windows_;
  fakes::FakeTaskScheduler10Library& library_ = windows_.taskScheduler10;
};

TEST_F(TaskScheduler10Test, WithoutTheLibraryNothingIsFoundOrWritten) {
  library_.failures.Fail("CoCreateInstance", ts10::kClassNotRegistered);
  library_.AddJob(SystemJob("Tvqm Refresh"));
  auto task = NewTask();
  EXPECT_FALSE(task->FTaskScheduler10);
  EXPECT_EQ(1, task->ApiVersion);
  task->AddExecutionAction("C:\\tool.exe", "run", "", "");
  EXPECT_FALSE(task->TaskExists());
  EXPECT_FALSE(task->CreateOrUpdateTask());
  EXPECT_FALSE(task->UpdateTaskEnabled(false));
  ExpectSameJob(SystemJob("Tvqm Refresh"), library_.jobs.at(0));
  EXPECT_EQ(1u, library_.calls.size());  // the creation alone
}

// The old job goes; the new one holds exactly what the model gives: the settings' flags on top
// of TASK_FLAG_RUN_ONLY_IF_LOGGED_ON, the current user, the idle minutes, author and
// description, the last program (quoted) and every trigger in list order.
TEST_F(TaskScheduler10Test, RegistrationRebuildsTheJobFromTheModel) {
  fakes::FakeJob10 old = SystemJob("Tvqm Refresh");
  old.flags |= ts10::kFlagDisabled;
  library_.AddJob(old);
  auto task = NewTask();
  task->Settings.Hidden = true;
  task->Settings.WakeToRun = true;
  task->Settings.Enabled = false;            // not a 1.0 flag
  task->Settings.StartWhenAvailable = true;  // nor this
  task->Settings.Conditions.IdleDuration = 90.0 / 1440;
  task->Settings.Conditions.WaitTimeout = 1.5;  // the whole day is dropped: 720
  task->RegistrationInfo.Author = "Tolvex";
  task->RegistrationInfo.Version = "1.0";  // not a 1.0 field
  task->AddExecutionAction("C:\\first.exe", "first", "-a", "C:\\");
  auto message = std::make_unique<TScheduledTaskActionShowMessage>();
  message->Id = "message";
  message->Title = "never";
  task->Actions.emplace_back("message", std::move(message));
  task->AddExecutionAction("C:\\Program Files\\Tolvex\\TolvexQuietmark.exe", "run", "/setuptask /silent",
                           "C:\\Program Files\\Tolvex");
  task->AddBootTrigger("boot", kMarch9th, 5.0 / 1440);
  task->Triggers.emplace_back("once", std::make_unique<TScheduledTaskTrigger>());
  task->Triggers.back().second->StartBoundary = kMarch9th + 1;

  ASSERT_TRUE(task->CreateOrUpdateTask());

  ASSERT_EQ(1u, library_.jobs.size());
  const fakes::FakeJob10& job = library_.jobs[0];
  EXPECT_EQ(ts10::kFlagRunOnlyIfLoggedOn | ts10::kFlagHidden | ts10::kFlagSystemRequired, job.flags);
  EXPECT_EQ("TESTPC\\Tester", job.account);
  EXPECT_EQ(std::nullopt, job.password);
  EXPECT_EQ(90, job.idleMinutes);
  EXPECT_EQ(720, job.deadlineMinutes);
  EXPECT_EQ("Tolvex", job.creator);
  EXPECT_EQ("", job.comment);  // written even when empty
  EXPECT_EQ("\"C:\\Program Files\\Tolvex\\TolvexQuietmark.exe\"", job.applicationName);
  EXPECT_EQ("/setuptask /silent", job.parameters);
  EXPECT_EQ("C:\\Program Files\\Tolvex", job.workingDirectory);
  ASSERT_EQ(2u, job.triggers.size());
  EXPECT_EQ(ts10::kEventTriggerAtSystemStart, job.triggers[0].TriggerType);
  EXPECT_EQ(ts10::kTimeTriggerOnce, job.triggers[1].TriggerType);
  EXPECT_EQ(10, job.triggers[1].wBeginDay);
  // Deleted first, then made anew under the same name.
  const auto deleted = std::find(library_.calls.begin(), library_.calls.end(), "ITaskScheduler::Delete Tvqm Refresh");
  const auto created =
      std::find(library_.calls.begin(), library_.calls.end(), "ITaskScheduler::NewWorkItem Tvqm Refresh");
  EXPECT_LT(deleted, created);
}

TEST_F(TaskScheduler10Test, EachSettingSetsOnlyItsFlag) {
  struct Case {
    const char* name;
    bool TScheduledTaskSettings::*setting;
    bool value;
    std::uint32_t flag;
  };
  const Case cases[] = {
      {"RunOnlyIfNetworkAvailable", &TScheduledTaskSettings::RunOnlyIfNetworkAvailable, true,
       ts10::kFlagRunIfConnectedToInternet},
      {"WakeToRun", &TScheduledTaskSettings::WakeToRun, true, ts10::kFlagSystemRequired},
      {"Hidden", &TScheduledTaskSettings::Hidden, true, ts10::kFlagHidden},
      {"DisallowStartIfOnBatteries", &TScheduledTaskSettings::DisallowStartIfOnBatteries, true,
       ts10::kFlagDontStartIfOnBatteries},
      {"StopIfGoingOnBatteries", &TScheduledTaskSettings::StopIfGoingOnBatteries, true,
       ts10::kFlagKillIfGoingOnBatteries},
      {"RunOnlyIfIdle", &TScheduledTaskSettings::RunOnlyIfIdle, true, ts10::kFlagStartOnlyIfIdle},
      {"Enabled", &TScheduledTaskSettings::Enabled, false, 0},
      {"AllowDemandStart", &TScheduledTaskSettings::AllowDemandStart, false, 0},
      {"AllowHardTerminate", &TScheduledTaskSettings::AllowHardTerminate, false, 0},
      {"StartWhenAvailable", &TScheduledTaskSettings::StartWhenAvailable, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    library_.jobs.clear();
    auto task = NewTask();
    task->Settings.*c.setting = c.value;
    task->Settings.Conditions.RestartOnIdle = true;
    task->Settings.Conditions.StopOnIdleEnd = true;
    ASSERT_TRUE(task->CreateOrUpdateTask());
    ASSERT_EQ(1u, library_.jobs.size());
    EXPECT_EQ(ts10::kFlagRunOnlyIfLoggedOn | c.flag, library_.jobs[0].flags);
  }
}

// Flags that cannot be read are not rebuilt from nothing: the job keeps the first ones.
TEST_F(TaskScheduler10Test, UnreadableFlagsAreNotWrittenOver) {
  library_.failures.Fail("ITask::GetFlags", ts10::kEFail);
  auto task = NewTask();
  task->Settings.Hidden = true;
  ASSERT_TRUE(task->CreateOrUpdateTask());
  ASSERT_EQ(1u, library_.jobs.size());
  EXPECT_EQ(ts10::kFlagRunOnlyIfLoggedOn, library_.jobs[0].flags);
}

TEST_F(TaskScheduler10Test, AccountFollowsTheLogonMode) {
  struct Case {
    std::int32_t logonMode;
    bool computerNameFails;
    std::optional<std::string> account;
  };
  const Case cases[] = {
      {0, false, ""},  // the local system account: the empty name, not none
      {1, false, "TESTPC\\Tester"},
      {1, true, "\\Tester"},
      {2, false, std::nullopt},
      {-1, false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logonMode);
    library_.jobs.clear();
    windows_.accounts.computerNameFails = c.computerNameFails;
    auto task = NewTask();
    task->LogonMode = c.logonMode;
    ASSERT_TRUE(task->CreateOrUpdateTask());
    ASSERT_EQ(1u, library_.jobs.size());
    EXPECT_EQ(c.account, library_.jobs[0].account);
    EXPECT_EQ(std::nullopt, library_.jobs[0].password);
  }
}

TEST(TaskScheduler10Triggers, EachKindFillsItsRecord) {
  fakes::FakeWindows windows;
  struct Case {
    const char* name;
    std::unique_ptr<TScheduledTaskTrigger> trigger;
    os::TaskTrigger10 expected;
  };
  auto record = [](std::uint32_t type) {
    os::TaskTrigger10 expected = Zeroed();
    expected.cbTriggerSize = 48;
    expected.wBeginYear = 2016;
    expected.wBeginMonth = 3;
    expected.wBeginDay = 9;
    expected.wStartHour = 14;
    expected.wStartMinute = 5;
    expected.TriggerType = type;
    return expected;
  };
  std::vector<Case> cases;
  cases.push_back({"base", std::make_unique<TScheduledTaskTrigger>(), record(0)});
  {
    auto boot = std::make_unique<TScheduledTaskBootTrigger>();
    boot->Delay = 5.0 / 1440;  // no 1.0 form
    cases.push_back({"boot", std::move(boot), record(6)});
  }
  {
    auto logon = std::make_unique<TScheduledTaskLogonTrigger>();
    logon->Delay = 1.0 / 24;
    cases.push_back({"logon", std::move(logon), record(7)});
  }
  cases.push_back({"idle", std::make_unique<TScheduledTaskIdleTrigger>(), record(5)});
  {
    auto daily = std::make_unique<TScheduledTaskDailyTrigger>();
    daily->DaysInterval = 3;
    os::TaskTrigger10 expected = record(1);
    expected.Type.Daily.DaysInterval = 3;
    cases.push_back({"daily", std::move(daily), expected});
  }
  {
    auto weekly = std::make_unique<TScheduledTaskWeeklyTrigger>();
    weekly->WeeksInterval = 2;
    weekly->DaysOfWeek = 0x41;
    os::TaskTrigger10 expected = record(2);
    expected.Type.Weekly.WeeksInterval = 2;
    expected.Type.Weekly.rgfDaysOfTheWeek = 0x41;
    cases.push_back({"weekly", std::move(weekly), expected});
  }
  {
    auto monthly = std::make_unique<TScheduledTaskMonthlyTrigger>();
    monthly->DaysOfMonth = 0x8001;
    monthly->MonthsOfYear = 0x0FFF;
    monthly->RunOnLastDayOfMonth = true;  // no 1.0 form
    os::TaskTrigger10 expected = record(3);
    expected.Type.MonthlyDate.rgfDays = 0x8001;  // zero-extended, not sign-extended
    expected.Type.MonthlyDate.rgfMonths = 0x0FFF;
    cases.push_back({"monthly", std::move(monthly), expected});
  }
  {
    auto monthlyDoW = std::make_unique<TScheduledTaskMonthlyDoWTrigger>();
    monthlyDoW->WeeksOfMonth = 5;
    monthlyDoW->DaysOfWeek = 0x02;
    monthlyDoW->MonthsOfYear = 0x0801;
    monthlyDoW->RunOnLastWeekOfMonth = true;
    os::TaskTrigger10 expected = record(4);
    expected.Type.MonthlyDOW.wWhichWeek = 5;
    expected.Type.MonthlyDOW.rgfDaysOfTheWeek = 0x02;
    expected.Type.MonthlyDOW.rgfMonths = 0x0801;
    cases.push_back({"monthly by day of week", std::move(monthlyDoW), expected});
  }
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.trigger->StartBoundary = kMarch9th;
    c.trigger->EndBoundary = kMarch9th + 30;  // none of these reach a 1.0 record
    c.trigger->Enabled = false;
    c.trigger->Repetition.Enabled = true;
    c.trigger->Repetition.Interval = 1.0 / 24;
    os::TaskTrigger10 filled;
    std::memset(&filled, 0xCD, sizeof(filled));
    EXPECT_TRUE(c.trigger->FillTaskTrigger(filled));
    EXPECT_TRUE(SameBytes(c.expected, filled));
    EXPECT_EQ(c.expected.TriggerType, filled.TriggerType);
  }
}

TEST(TaskScheduler10Triggers, StartDateAndTimeAreTakenAfterRoundingToTheMillisecond) {
  fakes::FakeWindows windows;
  struct Case {
    TDateTime value;
    std::uint16_t year, month, day, hour, minute;
  };
  const Case cases[] = {
      {0, 1899, 12, 30, 0, 0},
      {42438.5, 2016, 3, 9, 12, 0},
      {45351 + 59.99 / 1440, 2024, 2, 29, 0, 59},        // a leap day; seconds are dropped
      {42438 + 1 - 0.0004 / 86400, 2016, 3, 10, 0, 0},   // 0.4 ms before midnight
      {42438 + 1 - 0.0006 / 86400, 2016, 3, 9, 23, 59},  // 0.6 ms before: still the 9th
      {73050 + 23.0 / 24, 2099, 12, 31, 23, 0},
      // Before day 0 the fraction still counts forward from its day's midnight, and rounding
      // up moves to the next day, not the one before.
      {-1.25, 1899, 12, 29, 6, 0},
      {-2 + 0.0004 / 86400, 1899, 12, 30, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    TScheduledTaskTrigger trigger;
    trigger.StartBoundary = c.value;
    os::TaskTrigger10 record;
    ASSERT_TRUE(trigger.FillTaskTrigger(record));
    EXPECT_EQ(c.year, record.wBeginYear);
    EXPECT_EQ(c.month, record.wBeginMonth);
    EXPECT_EQ(c.day, record.wBeginDay);
    EXPECT_EQ(c.hour, record.wStartHour);
    EXPECT_EQ(c.minute, record.wStartMinute);
  }
}

// Only a job that could not be made or saved ends the registration with False; every other
// failure leaves out that one piece and the job is still saved.
TEST_F(TaskScheduler10Test, OnlyCreatingAndSavingTheJobDecideTheResult) {
  struct Case {
    const char* call;
    bool result;
  };
  const Case cases[] = {
      {"ITaskScheduler::NewWorkItem", false},
      {"ITask::QueryInterface(IPersistFile)", false},
      {"IPersistFile::Save", false},
      {"ITaskScheduler::Delete", true},
      {"ITask::SetFlags", true},
      {"ITask::GetFlags", true},
      {"ITask::SetAccountInformation", true},
      {"ITask::SetIdleWait", true},
      {"ITask::SetCreator", true},
      {"ITask::SetComment", true},
      {"ITask::SetApplicationName", true},
      {"ITask::SetParameters", true},
      {"ITask::SetWorkingDirectory", true},
      {"ITask::CreateTrigger", true},
      {"ITaskTrigger::SetTrigger", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    library_.jobs.clear();
    library_.failures.Clear();
    library_.failures.Fail(c.call, ts10::kEFail);
    auto task = NewTask();
    task->AddExecutionAction("C:\\tool.exe", "run", "-x", "C:\\");
    task->AddBootTrigger("boot", kMarch9th, 0);
    EXPECT_EQ(c.result, task->CreateOrUpdateTask());
    EXPECT_EQ(c.result ? 1u : 0u, library_.jobs.size());
  }
}

TEST_F(TaskScheduler10Test, AFailedTriggerIsLeftOutAndTheOthersStay) {
  library_.failures.Fail("ITask::CreateTrigger", ts10::kEFail, "", 1);
  library_.failures.Fail("ITaskTrigger::SetTrigger", ts10::kEInvalidArg, "", 1);
  auto task = NewTask();
  for (const char* id : {"first", "second", "third"}) task->AddBootTrigger(id, kMarch9th, 0);
  auto daily = std::make_unique<TScheduledTaskDailyTrigger>();
  daily->StartBoundary = kMarch9th;
  daily->DaysInterval = 7;
  task->Triggers.emplace_back("daily", std::move(daily));
  ASSERT_TRUE(task->CreateOrUpdateTask());
  ASSERT_EQ(1u, library_.jobs.size());
  // The first was never created, the second refused and removed again.
  ASSERT_EQ(2u, library_.jobs[0].triggers.size());
  EXPECT_EQ(ts10::kEventTriggerAtSystemStart, library_.jobs[0].triggers[0].TriggerType);
  EXPECT_EQ(ts10::kTimeTriggerDaily, library_.jobs[0].triggers[1].TriggerType);
  EXPECT_EQ(7, library_.jobs[0].triggers[1].Type.Daily.DaysInterval);
}

TEST_F(TaskScheduler10Test, ExistenceIsTheExactFileNameAmongTheListedJobs) {
  library_.AddJob(SystemJob("Other"));
  library_.AddJob(SystemJob("Consolidator"));
  struct Case {
    const char* taskName;
    const char* folder;
    bool exists;
  };
  const Case cases[] = {
      {"Consolidator", "", true},
      {"Consolidator", "Microsoft\\Windows\\Customer Experience Improvement Program", true},
      {"consolidator", "", false},  // the listing compares case-sensitively
      {"Consolidator.job", "", false},
      {"Consolidat", "", false},
      {"", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.taskName);
    auto task = NewTask(c.taskName);
    task->SetFolder(c.folder);
    EXPECT_EQ(c.exists, task->TaskExists());
  }
}

TEST_F(TaskScheduler10Test, ExistenceCheckFailsClosedAndReadsOnlyTheEnabledState) {
  fakes::FakeJob10 job = SystemJob("Consolidator");
  job.flags |= ts10::kFlagDisabled | ts10::kFlagRunIfConnectedToInternet;
  library_.AddJob(job);
  {
    auto task = NewTask("Consolidator");
    ASSERT_TRUE(task->TaskExists());
    EXPECT_FALSE(task->Settings.Enabled);
    const TScheduledTaskSettings defaults;
    EXPECT_EQ(defaults.Hidden, task->Settings.Hidden);
    EXPECT_EQ(defaults.RunOnlyIfIdle, task->Settings.RunOnlyIfIdle);
    EXPECT_EQ(defaults.RunOnlyIfNetworkAvailable, task->Settings.RunOnlyIfNetworkAvailable);
    EXPECT_EQ(0, task->Settings.Conditions.IdleDuration);
  }
  for (const char* call : {"ITaskScheduler::Enum", "IEnumWorkItems::Next", "ITaskScheduler::Activate"}) {
    SCOPED_TRACE(call);
    library_.failures.Clear();
    library_.failures.Fail(call, ts10::kEAccessDenied);
    EXPECT_FALSE(NewTask("Consolidator")->TaskExists());
  }
  ExpectSameJob(job, library_.jobs.at(0));
}

// The task immunizers' change: the disabled flag and nothing else, through a model that holds
// only the name; the job's program, triggers and account stay as they were.
TEST_F(TaskScheduler10Test, UpdateTaskEnabledChangesOnlyTheDisabledFlag) {
  const fakes::FakeJob10 original = SystemJob("Consolidator");
  library_.AddJob(original);

  ASSERT_TRUE(NewTask("Consolidator")->UpdateTaskEnabled(false));
  fakes::FakeJob10 disabled = original;
  disabled.flags |= ts10::kFlagDisabled;
  ExpectSameJob(disabled, library_.jobs.at(0));
  auto check = NewTask("Consolidator");
  ASSERT_TRUE(check->TaskExists());
  EXPECT_FALSE(check->Settings.Enabled);

  ASSERT_TRUE(NewTask("Consolidator")->UpdateTaskEnabled(true));
  ExpectSameJob(original, library_.jobs.at(0));
  EXPECT_EQ(0u, library_.CallCount("ITaskScheduler::Delete"));
  EXPECT_EQ(0u, library_.CallCount("ITaskScheduler::NewWorkItem"));
  EXPECT_EQ(0u, library_.CallCount("ITask::SetAccountInformation"));
  EXPECT_EQ(2u, library_.CallCount("IPersistFile::Save"));
}

TEST_F(TaskScheduler10Test, UpdateTaskEnabledFailsWithoutTouchingTheJob) {
  const fakes::FakeJob10 original = SystemJob("Consolidator");
  library_.AddJob(original);
  EXPECT_FALSE(NewTask("Missing")->UpdateTaskEnabled(false));
  EXPECT_FALSE(NewTask("consolidator")->UpdateTaskEnabled(false));
  for (const char* call :
       {"ITask::GetFlags", "ITask::SetFlags", "ITask::QueryInterface(IPersistFile)", "IPersistFile::Save"}) {
    SCOPED_TRACE(call);
    library_.failures.Clear();
    library_.failures.Fail(call, ts10::kEAccessDenied);
    EXPECT_FALSE(NewTask("Consolidator")->UpdateTaskEnabled(false));
  }
  ASSERT_EQ(1u, library_.jobs.size());
  ExpectSameJob(original, library_.jobs[0]);
}

// Right after a job file changed, the service holds it for a moment: opening, saving and
// deleting it wait that out instead of reporting a missing job or losing the change.
TEST_F(TaskScheduler10Test, ABriefSharingViolationIsWaitedOut) {
  library_.AddJob(SystemJob("Consolidator"));
  library_.failures.Fail("ITaskScheduler::Activate", ts10::kSharingViolation, "", 2);
  library_.failures.Fail("IPersistFile::Save", ts10::kSharingViolation, "", 2);
  ASSERT_TRUE(NewTask("Consolidator")->UpdateTaskEnabled(false));
  EXPECT_NE(0u, library_.jobs.at(0).flags & ts10::kFlagDisabled);

  library_.failures.Fail("ITaskScheduler::Delete", ts10::kSharingViolation, "", 2);
  auto task = NewTask("Consolidator");
  task->AddExecutionAction("C:\\tool.exe", "run", "", "");
  ASSERT_TRUE(task->CreateOrUpdateTask());
  ASSERT_EQ(1u, library_.jobs.size());
  EXPECT_EQ("\"C:\\tool.exe\"", library_.jobs[0].applicationName);

  library_.failures.Fail("IPersistFile::Save", ts10::kSharingViolation);
  EXPECT_FALSE(NewTask("Consolidator")->UpdateTaskEnabled(true));
}

}  // namespace
