#pragma once
// Task Scheduler 1.0 (mstask): the job library, its jobs, their triggers and their saving.
// Every call gives back the HRESULT of the COM call it stands for and raises nothing. Texts
// are UTF-8 on this side; the Win32 implementation passes them as null-terminated UTF-16,
// an empty text as an empty string.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Seams.h"

namespace os {

namespace ts10 {

// HRESULTs the 1.0 calls give back.
inline constexpr std::int32_t kSOk = 0;
inline constexpr std::int32_t kSFalse = 1;
inline constexpr std::int32_t kEFail = static_cast<std::int32_t>(0x80004005u);
inline constexpr std::int32_t kENoInterface = static_cast<std::int32_t>(0x80004002u);
inline constexpr std::int32_t kEInvalidArg = static_cast<std::int32_t>(0x80070057u);
inline constexpr std::int32_t kEAccessDenied = static_cast<std::int32_t>(0x80070005u);
inline constexpr std::int32_t kClassNotRegistered = static_cast<std::int32_t>(0x80040154u);
// HRESULT_FROM_WIN32 of ERROR_FILE_NOT_FOUND, ERROR_SHARING_VIOLATION, ERROR_FILE_EXISTS.
inline constexpr std::int32_t kFileNotFound = static_cast<std::int32_t>(0x80070002u);
inline constexpr std::int32_t kSharingViolation = static_cast<std::int32_t>(0x80070020u);
inline constexpr std::int32_t kFileExists = static_cast<std::int32_t>(0x80070050u);
// SCHED_E_ACCOUNT_INFORMATION_NOT_SET: GetAccountInformation of a job no account was set for.
inline constexpr std::int32_t kAccountInformationNotSet = static_cast<std::int32_t>(0x8004130Fu);

// Job flags (TASK_FLAG_...).
inline constexpr std::uint32_t kFlagInteractive = 0x1;
inline constexpr std::uint32_t kFlagDeleteWhenDone = 0x2;
inline constexpr std::uint32_t kFlagDisabled = 0x4;
inline constexpr std::uint32_t kFlagStartOnlyIfIdle = 0x10;
inline constexpr std::uint32_t kFlagKillOnIdleEnd = 0x20;
inline constexpr std::uint32_t kFlagDontStartIfOnBatteries = 0x40;
inline constexpr std::uint32_t kFlagKillIfGoingOnBatteries = 0x80;
inline constexpr std::uint32_t kFlagRunOnlyIfDocked = 0x100;
inline constexpr std::uint32_t kFlagHidden = 0x200;
inline constexpr std::uint32_t kFlagRunIfConnectedToInternet = 0x400;
inline constexpr std::uint32_t kFlagRestartOnIdleResume = 0x800;
inline constexpr std::uint32_t kFlagSystemRequired = 0x1000;
inline constexpr std::uint32_t kFlagRunOnlyIfLoggedOn = 0x2000;

// Trigger types (TASK_TRIGGER_TYPE).
inline constexpr std::uint32_t kTimeTriggerOnce = 0;
inline constexpr std::uint32_t kTimeTriggerDaily = 1;
inline constexpr std::uint32_t kTimeTriggerWeekly = 2;
inline constexpr std::uint32_t kTimeTriggerMonthlyDate = 3;
inline constexpr std::uint32_t kTimeTriggerMonthlyDoW = 4;
inline constexpr std::uint32_t kEventTriggerOnIdle = 5;
inline constexpr std::uint32_t kEventTriggerAtSystemStart = 6;
inline constexpr std::uint32_t kEventTriggerAtLogon = 7;

// The size TASK_TRIGGER has and cbTriggerSize must give.
inline constexpr std::uint16_t kTriggerSize = 48;

}  // namespace ts10

// The kind fields of TASK_TRIGGER (TRIGGER_TYPE_UNION), 8 bytes.
struct TaskTrigger10Daily {
  std::uint16_t DaysInterval;
};
struct TaskTrigger10Weekly {
  std::uint16_t WeeksInterval;
  std::uint16_t rgfDaysOfTheWeek;
};
struct TaskTrigger10MonthlyDate {
  std::uint32_t rgfDays;
  std::uint16_t rgfMonths;
};
struct TaskTrigger10MonthlyDoW {
  std::uint16_t wWhichWeek;
  std::uint16_t rgfDaysOfTheWeek;
  std::uint16_t rgfMonths;
};
union TaskTrigger10Type {
  TaskTrigger10Daily Daily;
  TaskTrigger10Weekly Weekly;
  TaskTrigger10MonthlyDate MonthlyDate;
  TaskTrigger10MonthlyDoW MonthlyDOW;
};

// TASK_TRIGGER, field for field and in its order.
struct TaskTrigger10 {
  std::uint16_t cbTriggerSize;
  std::uint16_t Reserved1;
  std::uint16_t wBeginYear;
  std::uint16_t wBeginMonth;
  std::uint16_t wBeginDay;
  std::uint16_t wEndYear;
  std::uint16_t wEndMonth;
  std::uint16_t wEndDay;
  std::uint16_t wStartHour;
  std::uint16_t wStartMinute;
  std::uint32_t MinutesDuration;
  std::uint32_t MinutesInterval;
  std::uint32_t rgFlags;
  std::uint32_t TriggerType;
  TaskTrigger10Type Type;
  std::uint16_t Reserved2;
  std::uint16_t wRandomMinutesInterval;
};
static_assert(sizeof(TaskTrigger10) == ts10::kTriggerSize, "TASK_TRIGGER is 48 bytes");

// ITaskTrigger.
class ITaskTrigger10 {
 public:
  virtual ~ITaskTrigger10() = default;
  virtual std::int32_t SetTrigger(const TaskTrigger10& trigger) = 0;
  virtual std::int32_t GetTrigger(TaskTrigger10& trigger) = 0;
};

// IPersistFile of a job.
class IPersistFile10 {
 public:
  virtual ~IPersistFile10() = default;
  // Save(NULL, TRUE): writes the job to the file it was created or activated from.
  virtual std::int32_t Save() = 0;
};

// ITask with the IScheduledWorkItem calls it inherits.
class ITask10 {
 public:
  virtual ~ITask10() = default;

  virtual std::int32_t SetFlags(std::uint32_t flags) = 0;
  virtual std::int32_t GetFlags(std::uint32_t& flags) = 0;
  // No password (std::nullopt) passes NULL; the empty account is the local system account.
  virtual std::int32_t SetAccountInformation(const std::string& account,
                                             const std::optional<std::string>& password) = 0;
  virtual std::int32_t GetAccountInformation(std::string& account) = 0;
  virtual std::int32_t SetIdleWait(std::uint16_t idleMinutes, std::uint16_t deadlineMinutes) = 0;
  virtual std::int32_t GetIdleWait(std::uint16_t& idleMinutes, std::uint16_t& deadlineMinutes) = 0;
  virtual std::int32_t SetCreator(const std::string& creator) = 0;
  virtual std::int32_t GetCreator(std::string& creator) = 0;
  virtual std::int32_t SetComment(const std::string& comment) = 0;
  virtual std::int32_t GetComment(std::string& comment) = 0;
  virtual std::int32_t SetApplicationName(const std::string& applicationName) = 0;
  virtual std::int32_t GetApplicationName(std::string& applicationName) = 0;
  virtual std::int32_t SetParameters(const std::string& parameters) = 0;
  virtual std::int32_t GetParameters(std::string& parameters) = 0;
  virtual std::int32_t SetWorkingDirectory(const std::string& workingDirectory) = 0;
  virtual std::int32_t GetWorkingDirectory(std::string& workingDirectory) = 0;
  virtual std::int32_t CreateTrigger(std::uint16_t& newIndex, std::shared_ptr<ITaskTrigger10>& trigger) = 0;
  virtual std::int32_t DeleteTrigger(std::uint16_t index) = 0;
  virtual std::int32_t GetTriggerCount(std::uint16_t& count) = 0;
  virtual std::int32_t GetTrigger(std::uint16_t index, std::shared_ptr<ITaskTrigger10>& trigger) = 0;
  // QueryInterface for IPersistFile.
  virtual std::int32_t QueryPersistFile(std::shared_ptr<IPersistFile10>& persistFile) = 0;
};

// IEnumWorkItems.
class IEnumWorkItems10 {
 public:
  virtual ~IEnumWorkItems10() = default;
  // Next(count): S_OK when count names came, S_FALSE when fewer (none at the end). The names
  // are the jobs' file names ("<name>.job"); the implementation frees the system's copies.
  virtual std::int32_t Next(std::uint32_t count, std::vector<std::string>& names, std::uint32_t& fetched) = 0;
};

// ITaskScheduler of the local computer.
class ITaskScheduler10 {
 public:
  virtual ~ITaskScheduler10() = default;
  virtual std::int32_t Enum(std::shared_ptr<IEnumWorkItems10>& items) = 0;
  // Activate(name, IID_ITask): the saved job of that name, given without ".job" (Windows also
  // takes the listed file name, Wine does not).
  virtual std::int32_t Activate(const std::string& name, std::shared_ptr<ITask10>& task) = 0;
  virtual std::int32_t Delete(const std::string& name) = 0;
  // NewWorkItem(name, CLSID_CTask, IID_IScheduledWorkItem): a new job, written only by Save.
  // Where only IID_ITask is given out (Wine), the call is made again for it.
  virtual std::int32_t NewWorkItem(const std::string& name, std::shared_ptr<ITask10>& task) = 0;
};

// The installed seam: creates the scheduler object.
class ITaskScheduler10Library {
 public:
  virtual ~ITaskScheduler10Library() = default;
  // CoCreateInstance(CLSID_CTaskScheduler, NULL, CLSCTX_INPROC_SERVER, IID_ITaskScheduler).
  virtual std::int32_t CreateInstance(std::shared_ptr<ITaskScheduler10>& aScheduler) = 0;
};

inline ITaskScheduler10Library& TaskScheduler10Library() { return Get<ITaskScheduler10Library>(); }

}  // namespace os
