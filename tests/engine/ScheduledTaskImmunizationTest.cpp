#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/tvqmVorletsMicrosoftCEIP.h"
#include "tests/fakes/FakeTaskScheduler.h"
#include "tests/fakes/FakeWindows.h"

namespace {

struct TaskRow {
  const char* folder;
  const char* name;
};
const std::vector<TaskRow> kCeipTasks = {
    {"Microsoft\\Windows\\Application Experience", "Microsoft Compatibility Appraiser"},
    {"Microsoft\\Windows\\Application Experience", "ProgramDataUpdater"},
    {"Microsoft\\Windows\\Autochk", "Proxy"},
    {"Microsoft\\Windows\\DiskDiagnostic", "Microsoft-Windows-DiskDiagnosticDataCollector"},
    {"Microsoft\\Windows\\Customer Experience Improvement Program", "Consolidator"},
};

// A task as the system registers it: its own account, program, trigger and texts, and
// settings that differ from what a new task object holds.
fakes::FakeDefinitionData SystemTask(bool enabled, const std::string& program) {
  fakes::FakeDefinitionData definition;
  definition.userId = "S-1-5-18";
  definition.logonType = os::kTaskLogonServiceAccount;
  definition.flags[os::TaskSettingFlag::Enabled] = enabled;
  definition.flags[os::TaskSettingFlag::StartWhenAvailable] = true;
  definition.flags[os::TaskSettingFlag::AllowHardTerminate] = false;
  definition.idleDuration = "PT10M";
  definition.waitTimeout = "PT1H";
  definition.info[os::RegistrationInfoField::Author] = "System";
  definition.info[os::RegistrationInfoField::Description] = "Collects program telemetry.";
  fakes::FakeTriggerData trigger;
  trigger.type = os::kTaskTriggerDaily;
  trigger.id = "Daily";
  trigger.startBoundary = "2008-01-01T03:00:00";
  trigger.daysInterval = 1;
  trigger.repetitionInterval = "PT01H00M00S";
  definition.triggers.push_back(trigger);
  fakes::FakeActionData action;
  action.path = program;
  action.arguments = "-maintenance";
  definition.actions.push_back(action);
  return definition;
}

// Everything of a definition but its enabled state.
std::string AllButEnabled(const fakes::FakeDefinitionData& d) {
  std::string text = d.userId + "|" + d.groupId + "|" + std::to_string(d.logonType) + "|" + d.idleDuration + "|" +
                     d.waitTimeout + "|" + std::to_string(d.stopOnIdleEnd) + std::to_string(d.restartOnIdle);
  for (const auto& [flag, value] : d.flags) {
    if (flag != os::TaskSettingFlag::Enabled)
      text += std::string("|") + os::TaskSettingFlagName(flag) + "=" + (value ? "1" : "0");
  }
  for (const auto& [field, value] : d.info)
    text += std::string("|") + os::RegistrationInfoFieldName(field) + "=" + value;
  for (const auto& t : d.triggers) {
    text += "|trigger " + std::to_string(t.type) + " " + t.id + " " + std::to_string(t.enabled) + " " +
            t.startBoundary + " " + t.endBoundary + " " + t.repetitionInterval + " " + t.delay + " " +
            std::to_string(t.daysInterval);
  }
  for (const auto& a : d.actions) {
    text +=
        "|action " + std::to_string(a.type) + " " + a.id + " " + a.path + " " + a.arguments + " " + a.workingDirectory;
  }
  return text;
}

class ScheduledTaskImmunizationTest : public ::testing::Test {
 protected:
  fakes::FakeWindows windows;
  fakes::FakeTaskScheduler& scheduler = windows.taskScheduler;
  TWindowsCEIPScheduledTaskImmunization immunizer;
  std::vector<std::string> messages;

  ScheduledTaskImmunizationTest() {
    immunizer.OnLog = [this](TWindows10Immunization&, TImmunizationLogLevel, const std::string& message) {
      messages.push_back(message);
    };
  }

  void AddTask(std::size_t index, bool enabled) {
    const auto& row = kCeipTasks[index];
    scheduler.AddTask(row.folder, row.name, SystemTask(enabled, std::string("%windir%\\") + row.name + ".exe"));
  }
  fakes::FakeRegisteredTaskData* Task(std::size_t index) {
    return scheduler.FindTask(kCeipTasks[index].folder, kCeipTasks[index].name);
  }
  bool Enabled(std::size_t index) { return Task(index)->definition.flags.at(os::TaskSettingFlag::Enabled); }
  std::size_t Registrations() const { return scheduler.CountCalls("ITaskFolder::RegisterTaskDefinition"); }
};

TEST_F(ScheduledTaskImmunizationTest, CountsDisabledMissingAndUnreadableTasksAsApplied) {
  AddTask(0, true);
  AddTask(1, false);
  // 2 is missing, and so is its folder.
  AddTask(3, true);
  scheduler.failures.Fail("ITaskFolder::GetTask", os::kEAccessDenied, "DiskDiagnosticDataCollector");
  AddTask(4, true);

  EXPECT_EQ(immunizer.GetCount(), 5);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 3);

  // Counting only reads: the missing task's folder stays missing.
  EXPECT_EQ(Registrations(), 0u);
  EXPECT_EQ(scheduler.FindTask(kCeipTasks[2].folder, kCeipTasks[2].name), nullptr);
  EXPECT_EQ(scheduler.FindFolder("Microsoft\\Windows\\Autochk"), nullptr);
  EXPECT_TRUE(messages.empty());
}

// Counting, applying and undoing write nothing for a task whose folder is missing: no folder
// is made, and a task of the same name elsewhere (here in the root folder) is not taken for it.
TEST_F(ScheduledTaskImmunizationTest, AMissingFolderIsNeverCreatedAndItsTaskCountsAsApplied) {
  for (const bool test10 : {false, true}) {
    SCOPED_TRACE(test10 ? "test10" : "Task Scheduler 2.0");
    fakes::FakeWindows machine;
    if (test10) machine.process.SetCommandLine({"/test10"});
    auto& library = machine.taskScheduler;
    library.AddTask(kCeipTasks[0].folder, kCeipTasks[0].name, SystemTask(true, "a.exe"));
    library.AddTask("", kCeipTasks[2].name, SystemTask(true, "root.exe"));
    std::function<void(const fakes::FakeFolderData&, const std::string&, std::vector<std::string>&)> walk =
        [&](const fakes::FakeFolderData& folder, const std::string& path, std::vector<std::string>& paths) {
          for (const auto& child : folder.folders) {
            paths.push_back(path + "\\" + child->name);
            walk(*child, paths.back(), paths);
          }
        };
    auto folders = [&] {
      std::vector<std::string> paths;
      walk(library.root, "", paths);
      return paths;
    };
    const std::vector<std::string> before = folders();
    TWindowsCEIPScheduledTaskImmunization ceip;

    EXPECT_EQ(ceip.GetImmunizedCount(), test10 ? 5 : 4);  // no 1.0 jobs at all
    ceip.Immunize();
    ceip.Remove();
    ceip.Immunize();

    EXPECT_EQ(folders(), before);
    EXPECT_EQ(library.CountCalls("ITaskFolder::CreateFolder"), 0u);
    EXPECT_TRUE(library.FindTask("", kCeipTasks[2].name)->definition.flags.at(os::TaskSettingFlag::Enabled));
    EXPECT_EQ(library.FindTask("", kCeipTasks[2].name)->registrations, 0);
    EXPECT_EQ(
        library.FindTask(kCeipTasks[0].folder, kCeipTasks[0].name)->definition.flags.at(os::TaskSettingFlag::Enabled),
        test10);
  }
}

TEST_F(ScheduledTaskImmunizationTest, ApplyAndUndoChangeOnlyTheEnabledStateOfTasksThatNeedIt) {
  AddTask(0, true);
  AddTask(1, false);
  AddTask(3, true);
  AddTask(4, true);
  std::vector<std::string> before;
  for (std::size_t i : {0u, 1u, 3u, 4u}) before.push_back(AllButEnabled(Task(i)->definition));
  auto expectUnchangedButEnabled = [&] {
    std::size_t n = 0;
    for (std::size_t i : {0u, 1u, 3u, 4u}) EXPECT_EQ(AllButEnabled(Task(i)->definition), before[n++]) << i;
  };

  immunizer.Immunize();

  for (std::size_t i : {0u, 1u, 3u, 4u}) EXPECT_FALSE(Enabled(i)) << i;
  EXPECT_EQ(Task(1)->registrations, 0);  // already disabled
  EXPECT_EQ(Registrations(), 3u);
  EXPECT_EQ(scheduler.FindTask(kCeipTasks[2].folder, kCeipTasks[2].name), nullptr);
  expectUnchangedButEnabled();
  EXPECT_EQ(immunizer.GetImmunizedCount(), 5);

  // A second apply finds nothing to do.
  immunizer.Immunize();
  EXPECT_EQ(Registrations(), 3u);

  immunizer.Remove();

  for (std::size_t i : {0u, 1u, 3u, 4u}) EXPECT_TRUE(Enabled(i)) << i;
  EXPECT_EQ(Registrations(), 7u);
  EXPECT_EQ(scheduler.FindTask(kCeipTasks[2].folder, kCeipTasks[2].name), nullptr);
  expectUnchangedButEnabled();
  EXPECT_EQ(immunizer.GetImmunizedCount(), 1);  // the missing one

  immunizer.Remove();
  EXPECT_EQ(Registrations(), 7u);
  EXPECT_TRUE(messages.empty());
}

TEST_F(ScheduledTaskImmunizationTest, FailuresAreSwallowedAndTheNextCountShowsThem) {
  for (std::size_t i = 0; i < kCeipTasks.size(); ++i) AddTask(i, true);
  scheduler.failures.Fail("ITaskFolder::RegisterTaskDefinition", os::kEAccessDenied);
  EXPECT_NO_THROW(immunizer.Immunize());
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);

  // A folder that can be neither opened nor created: its tasks count as applied.
  scheduler.failures.Clear();
  scheduler.failures.Fail("ITaskFolder::GetFolder", os::kEAccessDenied, "Autochk");
  scheduler.failures.Fail("ITaskFolder::CreateFolder", os::kEAccessDenied, "Autochk");
  EXPECT_EQ(immunizer.GetImmunizedCount(), 1);
  EXPECT_NO_THROW(immunizer.Immunize());
  EXPECT_TRUE(Enabled(2));
  EXPECT_FALSE(Enabled(3));
  EXPECT_TRUE(messages.empty());
}

TEST_F(ScheduledTaskImmunizationTest, WithoutAnyTaskSchedulerEveryTaskCountsAsAppliedAndNothingIsTouched) {
  for (std::size_t i = 0; i < kCeipTasks.size(); ++i) AddTask(i, true);
  scheduler.createResult = os::kEClassNotRegistered;
  windows.taskScheduler10.failures.Fail("CoCreateInstance", os::ts10::kClassNotRegistered);

  EXPECT_EQ(immunizer.GetImmunizedCount(), 5);
  EXPECT_NO_THROW(immunizer.Immunize());
  EXPECT_NO_THROW(immunizer.Remove());
  for (std::size_t i = 0; i < kCeipTasks.size(); ++i) EXPECT_TRUE(Enabled(i)) << i;
  EXPECT_TRUE(messages.empty());
}

TEST_F(ScheduledTaskImmunizationTest, DetailsNameEachTaskOnALineOfItsOwn) {
  EXPECT_EQ(immunizer.GetDetailsText(),
            "Task: Microsoft\\Windows\\Application Experience\\Microsoft Compatibility Appraiser\r\n"
            "Task: Microsoft\\Windows\\Application Experience\\ProgramDataUpdater\r\n"
            "Task: Microsoft\\Windows\\Autochk\\Proxy\r\n"
            "Task: Microsoft\\Windows\\DiskDiagnostic\\Microsoft-Windows-DiskDiagnosticDataCollector\r\n"
            "Task: Microsoft\\Windows\\Customer Experience Improvement Program\\Consolidator");
}

// Task Scheduler 1.0 reads no settings back: the job's flags tell whether it is enabled, and
// only its disabled flag changes.
TEST_F(ScheduledTaskImmunizationTest, WithTest10TheJobsDisabledFlagIsReadAndChangedAlone) {
  windows.process.SetCommandLine({"/test10"});
  auto& jobs = windows.taskScheduler10;
  os::TaskTrigger10 trigger{};
  trigger.cbTriggerSize = os::ts10::kTriggerSize;
  trigger.TriggerType = os::ts10::kTimeTriggerDaily;
  trigger.wBeginYear = 2008;
  trigger.wStartHour = 3;
  trigger.Type.Daily.DaysInterval = 1;
  for (std::size_t i : {0u, 1u, 3u, 4u}) {
    fakes::FakeJob10 job;
    job.name = kCeipTasks[i].name;
    job.flags = os::ts10::kFlagHidden | (i == 1 ? os::ts10::kFlagDisabled : 0);
    job.account = "";
    job.applicationName = std::string("%windir%\\") + kCeipTasks[i].name + ".exe";
    job.parameters = "-maintenance";
    job.creator = "System";
    job.triggers = {trigger};
    jobs.AddJob(job);
  }
  auto flags = [&](std::size_t i) { return jobs.FindJob(kCeipTasks[i].name)->flags; };
  auto expectJobKept = [&](std::size_t i) {
    const auto* job = jobs.FindJob(kCeipTasks[i].name);
    EXPECT_EQ(job->applicationName, std::string("%windir%\\") + kCeipTasks[i].name + ".exe");
    EXPECT_EQ(job->parameters, "-maintenance");
    EXPECT_EQ(job->account, std::optional<std::string>(""));
    EXPECT_EQ(job->creator, "System");
    ASSERT_EQ(job->triggers.size(), 1u);
    EXPECT_EQ(job->triggers[0].TriggerType, os::ts10::kTimeTriggerDaily);
    EXPECT_EQ(job->triggers[0].wStartHour, 3);
    EXPECT_NE(job->flags & os::ts10::kFlagHidden, 0u);
  };

  EXPECT_EQ(immunizer.GetImmunizedCount(), 2);  // the disabled and the missing one

  immunizer.Immunize();
  for (std::size_t i : {0u, 1u, 3u, 4u}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(flags(i), os::ts10::kFlagHidden | os::ts10::kFlagDisabled);
    expectJobKept(i);
  }
  EXPECT_EQ(jobs.FindJob(kCeipTasks[2].name), nullptr);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 5);
  // Nothing went to Task Scheduler 2.0.
  EXPECT_EQ(scheduler.CountCalls("ITaskFolder::GetTask"), 0u);
  EXPECT_EQ(Registrations(), 0u);

  immunizer.Remove();
  for (std::size_t i : {0u, 1u, 3u, 4u}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(flags(i), os::ts10::kFlagHidden);
    expectJobKept(i);
  }
  EXPECT_EQ(immunizer.GetImmunizedCount(), 1);
  EXPECT_EQ(jobs.CallCount("ITaskScheduler::Delete"), 0u);
  EXPECT_EQ(jobs.CallCount("ITaskScheduler::NewWorkItem"), 0u);
}

}  // namespace
