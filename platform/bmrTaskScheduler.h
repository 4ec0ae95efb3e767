#pragma once
// The scheduled task model: one task with its settings, registration information, actions and
// triggers, and the objects that reach the two Task Scheduler generations. A caller names the
// folder and the task, fills in the model and calls CreateOrUpdateTask; TaskExists tells
// whether the task is registered (under Task Scheduler 2.0 it also reads the registered
// settings back). The Task Scheduler 2.0 side lives in bmrTaskScheduler.cpp, the 1.0 side in
// bmrTaskScheduler10.cpp.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtlSysUtils.h"

namespace os {
class ITaskService;
class ITaskFolder;
class IRegisteredTask;
class ITaskDefinition;
class ITrigger;
class IAction;
class ITaskScheduler10;
class ITask10;
struct TaskTrigger10;
struct SystemTime;
}  // namespace os

// A date-time value or a duration: days in the OLE Automation date form, local time; the
// fraction is the time of day, so five minutes is 5/1440.
using TDateTime = double;

// A Task Scheduler 2.0 call that failed: its HRESULT and the description the failing object
// gave (or the system's text of the code).
class ETaskSchedulerError : public rtl::Exception {
 public:
  ETaskSchedulerError(std::int32_t aErrorCode, std::string aDescription)
      : rtl::Exception(std::move(aDescription)), ErrorCode(aErrorCode) {}
  std::string ClassName() const override { return "ETaskSchedulerError"; }

  std::int32_t ErrorCode;
};

// --- date-time texts and account names ---

// GetUserNameA with a 256-character buffer; empty when the call fails.
std::string GetCurrentUserName();
// GetComputerNameA with a 16-character buffer; empty when the call fails.
std::string GetCurrentComputerName();
// A value outside the calendar (NaN, an infinity, before the year 1 or after the year 9999,
// or a duration longer than 2958465 days) has no date: the conversions give these fixed
// texts below, and MinutesOfTime gives 0; never a text from an overflowed number.
inline constexpr const char* kOutOfCalendarDateTimeText = "0000-00-00T00:00:00";
inline constexpr const char* kOutOfCalendarDurationText = "P0000D";
// "YYYY-MM-DDTHH:MM:SS" of the value rounded to the millisecond.
std::string DateTimeToISO8601(TDateTime aValue);
// Hour * 60 + minute of the value's time of day (whole days, seconds and milliseconds dropped).
std::int32_t MinutesOfTime(TDateTime aValue);
// "PThhHmmMssS", or "PddDThhHmmMssS" from one day on; empty for a zero duration.
std::string DurationToISO8601(TDateTime aValue);

// The value of a calendar date and time of day, and the current local time (os::System()).
TDateTime SystemTimeToDateTime(const os::SystemTime& aTime);
TDateTime CurrentLocalDateTime();

// --- settings and registration information ---

// The idle conditions.
class TScheduledTaskConditions {
 public:
  bool RestartOnIdle = false;
  TDateTime IdleDuration = 0;
  TDateTime WaitTimeout = 0;
  bool StopOnIdleEnd = false;

  // Task Scheduler 2.0: StopOnIdleEnd, then RestartOnIdle; False at the first failed read.
  bool LoadFrom20(os::ITaskDefinition& aDefinition);
  // Task Scheduler 2.0: IdleDuration, WaitTimeout, StopOnIdleEnd, RestartOnIdle; False at the
  // first failed write.
  bool SaveTo20(os::ITaskDefinition& aDefinition);
  // Task Scheduler 1.0: the idle wait in minutes.
  bool SaveTo10(os::ITask10& aTask);
};

class TScheduledTaskSettings {
 public:
  bool Enabled = true;
  bool RunOnlyIfNetworkAvailable = false;
  bool AllowDemandStart = true;
  bool AllowHardTerminate = true;
  bool WakeToRun = false;
  bool Hidden = false;
  bool DisallowStartIfOnBatteries = false;
  bool StopIfGoingOnBatteries = false;
  bool StartWhenAvailable = false;
  TScheduledTaskConditions Conditions;
  bool RunOnlyIfIdle = false;

  // Task Scheduler 2.0: the ten flags, then the idle conditions; False at the first failure.
  bool LoadFrom20(os::ITaskDefinition& aDefinition);
  bool SaveTo20(os::ITaskDefinition& aDefinition);
  // Task Scheduler 1.0: the job flags and the idle wait.
  bool SaveTo10(os::ITask10& aTask);
};

// Texts (UTF-8); an empty text is not written to a Task Scheduler 2.0 definition.
class TScheduledTaskRegistrationInfo {
 public:
  std::string Version;
  std::string Author;
  std::string Date;  // free text, not a date-time value
  std::string Source;
  std::string Description;
  std::string URI;
  std::string Documentation;

  // Task Scheduler 2.0; a failed write raises ETaskSchedulerError.
  void SaveTo20(os::ITaskDefinition& aDefinition);
  // Task Scheduler 1.0: creator and comment.
  bool SaveTo10(os::ITask10& aTask);
};

// --- actions ---

class TScheduledTaskAction {
 public:
  TScheduledTaskAction() = default;
  virtual ~TScheduledTaskAction() = default;
  TScheduledTaskAction(const TScheduledTaskAction&) = delete;
  TScheduledTaskAction& operator=(const TScheduledTaskAction&) = delete;

  std::string Id;

  // Writes the action to a Task Scheduler 2.0 action: the base writes the Id only.
  virtual bool SaveToAction(os::IAction& aAction);
};

// Runs a program.
class TScheduledTaskActionExecution : public TScheduledTaskAction {
 public:
  std::string WorkingDirectory;
  std::string Arguments;
  std::string Path;

  bool SaveToAction(os::IAction& aAction) override;
  // Task Scheduler 1.0: the job's program, parameters and working directory.
  bool SaveTo10(os::ITask10& aTask);
};

// Shows a message; Task Scheduler 1.0 has no such action.
class TScheduledTaskActionShowMessage : public TScheduledTaskAction {
 public:
  std::string Title;
  std::string MessageBody;

  bool SaveToAction(os::IAction& aAction) override;
};

// --- triggers ---

// A trigger's repetition pattern; not written while Enabled is False.
class TScheduledTaskActionRepetition {
 public:
  bool Enabled = false;
  TDateTime Duration = 0;
  TDateTime Interval = 0;
  bool StopAtDurationEnd = false;
};

// The base class: as a Task Scheduler 1.0 trigger a one-time trigger; Task Scheduler 2.0 gets
// nothing for it.
class TScheduledTaskTrigger {
 public:
  // StartBoundary is the current local time.
  TScheduledTaskTrigger();
  virtual ~TScheduledTaskTrigger() = default;
  TScheduledTaskTrigger(const TScheduledTaskTrigger&) = delete;
  TScheduledTaskTrigger& operator=(const TScheduledTaskTrigger&) = delete;

  TDateTime StartBoundary = 0;
  TDateTime EndBoundary = 0;  // 0: none
  bool Enabled = true;
  std::string Id;
  TScheduledTaskActionRepetition Repetition;

  // Fills a Task Scheduler 1.0 trigger record.
  virtual bool FillTaskTrigger(os::TaskTrigger10& aTrigger);
  // Writes the common properties to a Task Scheduler 2.0 trigger; a failed write raises
  // ETaskSchedulerError.
  virtual bool SaveToTrigger(os::ITrigger& aTrigger);
};

class TScheduledTaskLogonTrigger : public TScheduledTaskTrigger {
 public:
  TDateTime Delay = 0;

  bool FillTaskTrigger(os::TaskTrigger10& aTrigger) override;
  bool SaveToTrigger(os::ITrigger& aTrigger) override;
};

class TScheduledTaskBootTrigger : public TScheduledTaskTrigger {
 public:
  TDateTime Delay = 0;

  bool FillTaskTrigger(os::TaskTrigger10& aTrigger) override;
  bool SaveToTrigger(os::ITrigger& aTrigger) override;
};

class TScheduledTaskIdleTrigger : public TScheduledTaskTrigger {
 public:
  bool FillTaskTrigger(os::TaskTrigger10& aTrigger) override;
  bool SaveToTrigger(os::ITrigger& aTrigger) override;
};

class TScheduledTaskDailyTrigger : public TScheduledTaskTrigger {
 public:
  std::uint16_t DaysInterval = 0;

  bool FillTaskTrigger(os::TaskTrigger10& aTrigger) override;
  bool SaveToTrigger(os::ITrigger& aTrigger) override;
};

class TScheduledTaskWeeklyTrigger : public TScheduledTaskTrigger {
 public:
  std::uint16_t WeeksInterval = 0;
  std::uint16_t DaysOfWeek = 0;

  bool FillTaskTrigger(os::TaskTrigger10& aTrigger) override;
  bool SaveToTrigger(os::ITrigger& aTrigger) override;
};

class TScheduledTaskMonthlyTrigger : public TScheduledTaskTrigger {
 public:
  std::uint16_t DaysOfMonth = 0;  // 16 bits: the first 16 days only
  std::uint16_t MonthsOfYear = 0;
  bool RunOnLastDayOfMonth = false;

  bool FillTaskTrigger(os::TaskTrigger10& aTrigger) override;
  bool SaveToTrigger(os::ITrigger& aTrigger) override;
};

class TScheduledTaskMonthlyDoWTrigger : public TScheduledTaskTrigger {
 public:
  std::uint16_t MonthsOfYear = 0;
  bool RunOnLastWeekOfMonth = false;
  std::uint16_t DaysOfWeek = 0;
  std::uint16_t WeeksOfMonth = 0;

  bool FillTaskTrigger(os::TaskTrigger10& aTrigger) override;
  bool SaveToTrigger(os::ITrigger& aTrigger) override;
};

// Ordered lists keyed by the Id given when the entry was added; duplicates are kept.
using TScheduledTaskActions = std::vector<std::pair<std::string, std::unique_ptr<TScheduledTaskAction>>>;
using TScheduledTaskTriggers = std::vector<std::pair<std::string, std::unique_ptr<TScheduledTaskTrigger>>>;

// --- the task ---

class TScheduledTask {
 public:
  // Connects to Task Scheduler 1.0 and 2.0 and decides ApiVersion (the switch test10 selects
  // 1.0). Derived tasks extend construction in their own constructors.
  TScheduledTask();
  virtual ~TScheduledTask();
  TScheduledTask(const TScheduledTask&) = delete;
  TScheduledTask& operator=(const TScheduledTask&) = delete;

  std::shared_ptr<os::ITaskService> TaskService;
  std::shared_ptr<os::ITaskScheduler10> FTaskScheduler10;
  std::string FolderName;
  std::string TaskName;
  std::shared_ptr<os::ITaskFolder> RootFolder;
  std::shared_ptr<os::ITaskFolder> FFolderTask;
  TScheduledTaskActions Actions;
  TScheduledTaskTriggers Triggers;
  TScheduledTaskRegistrationInfo RegistrationInfo;
  std::int32_t ApiVersion = 0;  // 0 none, 1 Task Scheduler 1.0, 2 Task Scheduler 2.0
  std::int32_t LogonMode = 1;   // 0 SYSTEM, 1 the interactive current user, other: no account
  TScheduledTaskSettings Settings;

  // Opens or creates the folder (relative to the root, "\"-separated) where Task Scheduler 2.0
  // is connected; a failure to create it raises ETaskSchedulerError.
  void SetFolder(const std::string& aPath);
  // Opens the folder as SetFolder does but never creates it: where Task Scheduler 2.0 is
  // connected and the folder cannot be opened, FFolderTask is left empty, so no task is found
  // in it and nothing is registered there.
  void OpenFolder(const std::string& aPath);
  bool TaskExists();
  TScheduledTaskActionExecution* AddExecutionAction(const std::string& aPath, const std::string& aId,
                                                    const std::string& aArguments,
                                                    const std::string& aWorkingDirectory);
  TScheduledTaskBootTrigger* AddBootTrigger(const std::string& aId, TDateTime aStartBoundary, TDateTime aDelay);
  // Registers the model; True when the task was registered.
  bool CreateOrUpdateTask();
  // Changes only the enabled state of the registered task TaskName and leaves everything else
  // (principal, program, triggers) as registered. True when the change was saved.
  bool UpdateTaskEnabled(bool aEnabled);

  // --- Task Scheduler 2.0 (bmrTaskScheduler.cpp) ---
  bool TaskExists20();
  // The registered task TaskName in FFolderTask, or empty; loads Settings from it.
  std::shared_ptr<os::IRegisteredTask> GetWorkItem20();
  bool CreateOrUpdateTask20();
  void SaveTriggers20(os::ITaskDefinition& aDefinition);
  void SaveActions20(os::ITaskDefinition& aDefinition);
  bool UpdateTaskEnabled20(bool aEnabled);

  // --- Task Scheduler 1.0 (bmrTaskScheduler10.cpp) ---
  // Construction step: leaves FTaskScheduler10 empty when the creation fails.
  void CreateTaskScheduler10();
  bool TaskExists10();
  // The job TaskName + ".job", or empty.
  std::shared_ptr<os::ITask10> GetWorkItem10();
  bool CreateOrUpdateTask10();
  bool SaveWorkItem10(os::ITask10& aTask);
  bool SaveActions10(os::ITask10& aTask);
  bool SaveTriggers10(os::ITask10& aTask);
  // Sets or clears only the job's disabled flag and saves it.
  bool UpdateTaskEnabled10(bool aEnabled);
};
