// The Task Scheduler 1.0 side of the scheduled task model. The 1.0 library has no folders: a
// task is the job TaskName, which the library lists as TaskName + ".job". A registration
// deletes the job and writes it anew from the model; changing the enabled state touches the
// job's disabled flag and nothing else.

#include <chrono>
#include <cmath>
#include <cstring>
#include <exception>
#include <thread>

#include "platform/bmrTaskScheduler.h"
#include "platform/os/TaskScheduler10.h"

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86400000;

bool Succeeded10(std::int32_t code) { return code >= 0; }

struct DateAndTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
};

// The calendar date and time of day of a date-time value rounded to the millisecond. Day 0 is
// 30 December 1899; before it the fraction still counts forward from midnight of its day.
DateAndTime DecodeDateTime(TDateTime aValue) {
  std::int64_t days = static_cast<std::int64_t>(std::trunc(aValue));
  std::int64_t milliseconds = std::llround(std::fabs(aValue - static_cast<double>(days)) * kMillisecondsPerDay);
  if (milliseconds >= kMillisecondsPerDay) {
    // Rounded up to the next midnight: the next day, also before day 0.
    milliseconds -= kMillisecondsPerDay;
    days += 1;
  }
  // Days since 1 March of year 0 of the proleptic Gregorian calendar, in 400-year eras.
  const std::int64_t z = days + 693899;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  DateAndTime result;
  result.day = static_cast<std::uint16_t>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  result.month = static_cast<std::uint16_t>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  result.year = static_cast<std::uint16_t>(yearOfEra + era * 400 + (result.month <= 2 ? 1 : 0));
  result.hour = static_cast<std::uint16_t>(milliseconds / 3600000);
  result.minute = static_cast<std::uint16_t>(milliseconds / 60000 % 60);
  return result;
}

// The record every kind starts from: zeroed, its size, the start date and time, the type.
void FillCommon(const TScheduledTaskTrigger& aTrigger, std::uint32_t aType, os::TaskTrigger10& aRecord) {
  std::memset(&aRecord, 0, sizeof(aRecord));
  aRecord.cbTriggerSize = os::ts10::kTriggerSize;
  const DateAndTime start = DecodeDateTime(aTrigger.StartBoundary);
  aRecord.wBeginYear = start.year;
  aRecord.wBeginMonth = start.month;
  aRecord.wBeginDay = start.day;
  aRecord.wStartHour = start.hour;
  aRecord.wStartMinute = start.minute;
  aRecord.TriggerType = aType;
}

std::uint32_t WithFlag(std::uint32_t aFlags, std::uint32_t aFlag, bool aSet) {
  return aSet ? (aFlags | aFlag) : (aFlags & ~aFlag);
}

// The scheduler service reads a job file for a moment after it changed; a call that meets
// it then fails with a sharing violation (Wine shows it on every save) and succeeds shortly
// after. The call runs again while it gives a code that `again` accepts, a few times.
template <class Call, class Again>
std::int32_t Retried(Call aCall, Again aAgain) {
  constexpr int kAttempts = 10;
  std::int32_t code = aCall();
  for (int attempt = 1; attempt < kAttempts && aAgain(code); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    code = aCall();
  }
  return code;
}

bool IsSharingViolation(std::int32_t aCode) { return aCode == os::ts10::kSharingViolation; }

// Saves the job to the file it came from: IPersistFile::Save(NULL, TRUE).
bool SaveJob(os::ITask10& aTask) {
  std::shared_ptr<os::IPersistFile10> file;
  if (!Succeeded10(aTask.QueryPersistFile(file)) || !file) return false;
  return Succeeded10(Retried([&] { return file->Save(); }, IsSharingViolation));
}

}  // namespace

// --- the task ---

void TScheduledTask::CreateTaskScheduler10() {
  std::shared_ptr<os::ITaskScheduler10> scheduler;
  const std::int32_t code = os::TaskScheduler10Library().CreateInstance(scheduler);
  if (Succeeded10(code) && scheduler) {
    FTaskScheduler10 = std::move(scheduler);
  } else {
    FTaskScheduler10.reset();
  }
}

std::shared_ptr<os::ITask10> TScheduledTask::GetWorkItem10() {
  std::shared_ptr<os::ITask10> result;
  if (!FTaskScheduler10) return result;
  try {
    std::shared_ptr<os::IEnumWorkItems10> items;
    if (!Succeeded10(FTaskScheduler10->Enum(items)) || !items) return result;
    const std::string target = TaskName + ".job";
    std::vector<std::string> names;
    std::uint32_t fetched = 0;
    // The listing is read to its end, also after the match.
    while (Succeeded10(items->Next(1, names, fetched)) && fetched >= 1 && !names.empty()) {
      if (names.front() == target) {
        // Activated by the job's name: Windows also takes the listed file name, Wine only
        // the name without ".job".
        // A job just listed that cannot be opened is most likely being read by the service
        // at that moment, whatever the code says: it is tried again for a moment.
        std::shared_ptr<os::ITask10> job;
        Retried([&] { return FTaskScheduler10->Activate(TaskName, job); },
                [](std::int32_t aCode) { return !Succeeded10(aCode); });
        result = std::move(job);
      }
    }
  } catch (const std::exception&) {
    result.reset();
  }
  return result;
}

bool TScheduledTask::TaskExists10() {
  std::shared_ptr<os::ITask10> job = GetWorkItem10();
  if (!job) return false;
  // Only the enabled state comes back into the model, so that a task immunizer sees a
  // disabled job as disabled (2.0's check loads it too); every other setting stays.
  std::uint32_t flags = 0;
  if (Succeeded10(job->GetFlags(flags))) Settings.Enabled = (flags & os::ts10::kFlagDisabled) == 0;
  return true;
}

bool TScheduledTask::CreateOrUpdateTask10() {
  if (!FTaskScheduler10) return false;
  // There may be no such job yet.
  Retried([&] { return FTaskScheduler10->Delete(TaskName); }, IsSharingViolation);
  std::shared_ptr<os::ITask10> job;
  if (FTaskScheduler10->NewWorkItem(TaskName, job) != os::ts10::kSOk || !job) return false;
  job->SetFlags(os::ts10::kFlagRunOnlyIfLoggedOn);
  if (LogonMode == 0) {
    // The empty account is the local system account.
    job->SetAccountInformation(std::string(), std::nullopt);
  } else if (LogonMode == 1) {
    job->SetAccountInformation(GetCurrentComputerName() + "\\" + GetCurrentUserName(), std::nullopt);
  }
  Settings.SaveTo10(*job);
  RegistrationInfo.SaveTo10(*job);
  SaveActions10(*job);
  SaveTriggers10(*job);
  return SaveWorkItem10(*job);
}

bool TScheduledTask::SaveWorkItem10(os::ITask10& aTask) { return SaveJob(aTask); }

bool TScheduledTask::SaveActions10(os::ITask10& aTask) {
  // A job holds one program: with several execution actions the last one's stays.
  bool result = true;
  for (auto& [id, action] : Actions) {
    if (auto* execution = dynamic_cast<TScheduledTaskActionExecution*>(action.get())) {
      result = execution->SaveTo10(aTask) && result;
    }
  }
  return result;
}

bool TScheduledTask::SaveTriggers10(os::ITask10& aTask) {
  bool result = true;
  for (auto& [id, trigger] : Triggers) {
    os::TaskTrigger10 record;
    trigger->FillTaskTrigger(record);
    std::uint16_t index = 0;
    std::shared_ptr<os::ITaskTrigger10> created;
    if (!Succeeded10(aTask.CreateTrigger(index, created)) || !created) {
      result = false;
    } else if (!Succeeded10(created->SetTrigger(record))) {
      // A record the job refused leaves no blank trigger behind.
      aTask.DeleteTrigger(index);
      result = false;
    }
  }
  return result;
}

bool TScheduledTask::UpdateTaskEnabled10(bool aEnabled) {
  std::shared_ptr<os::ITask10> job = GetWorkItem10();
  if (!job) return false;
  std::uint32_t flags = 0;
  if (!Succeeded10(job->GetFlags(flags))) return false;
  if (!Succeeded10(job->SetFlags(WithFlag(flags, os::ts10::kFlagDisabled, !aEnabled)))) return false;
  return SaveJob(*job);
}

// --- companions ---

bool TScheduledTaskSettings::SaveTo10(os::ITask10& aTask) {
  try {
    // Flags that could not be read are not written over from nothing, which would drop
    // TASK_FLAG_RUN_ONLY_IF_LOGGED_ON.
    std::uint32_t flags = 0;
    if (Succeeded10(aTask.GetFlags(flags))) {
      flags = WithFlag(flags, os::ts10::kFlagRunIfConnectedToInternet, RunOnlyIfNetworkAvailable);
      flags = WithFlag(flags, os::ts10::kFlagSystemRequired, WakeToRun);
      flags = WithFlag(flags, os::ts10::kFlagHidden, Hidden);
      flags = WithFlag(flags, os::ts10::kFlagDontStartIfOnBatteries, DisallowStartIfOnBatteries);
      flags = WithFlag(flags, os::ts10::kFlagKillIfGoingOnBatteries, StopIfGoingOnBatteries);
      flags = WithFlag(flags, os::ts10::kFlagStartOnlyIfIdle, RunOnlyIfIdle);
      aTask.SetFlags(flags);
    }
    return Conditions.SaveTo10(aTask);
  } catch (const std::exception&) {
    return false;
  }
}

bool TScheduledTaskConditions::SaveTo10(os::ITask10& aTask) {
  try {
    return Succeeded10(aTask.SetIdleWait(static_cast<std::uint16_t>(MinutesOfTime(IdleDuration)),
                                         static_cast<std::uint16_t>(MinutesOfTime(WaitTimeout))));
  } catch (const std::exception&) {
    return false;
  }
}

bool TScheduledTaskRegistrationInfo::SaveTo10(os::ITask10& aTask) {
  try {
    aTask.SetCreator(Author);
    aTask.SetComment(Description);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TScheduledTaskActionExecution::SaveTo10(os::ITask10& aTask) {
  try {
    aTask.SetApplicationName(!Path.empty() && Path.front() == '"' ? Path : "\"" + Path + "\"");
    aTask.SetParameters(Arguments);
    aTask.SetWorkingDirectory(WorkingDirectory);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// --- trigger records ---

bool TScheduledTaskTrigger::FillTaskTrigger(os::TaskTrigger10& aTrigger) {
  FillCommon(*this, os::ts10::kTimeTriggerOnce, aTrigger);
  return true;
}

bool TScheduledTaskLogonTrigger::FillTaskTrigger(os::TaskTrigger10& aTrigger) {
  // A 1.0 trigger has no delay.
  FillCommon(*this, os::ts10::kEventTriggerAtLogon, aTrigger);
  return true;
}

bool TScheduledTaskBootTrigger::FillTaskTrigger(os::TaskTrigger10& aTrigger) {
  FillCommon(*this, os::ts10::kEventTriggerAtSystemStart, aTrigger);
  return true;
}

bool TScheduledTaskIdleTrigger::FillTaskTrigger(os::TaskTrigger10& aTrigger) {
  FillCommon(*this, os::ts10::kEventTriggerOnIdle, aTrigger);
  return true;
}

bool TScheduledTaskDailyTrigger::FillTaskTrigger(os::TaskTrigger10& aTrigger) {
  FillCommon(*this, os::ts10::kTimeTriggerDaily, aTrigger);
  aTrigger.Type.Daily.DaysInterval = DaysInterval;
  return true;
}

bool TScheduledTaskWeeklyTrigger::FillTaskTrigger(os::TaskTrigger10& aTrigger) {
  FillCommon(*this, os::ts10::kTimeTriggerWeekly, aTrigger);
  aTrigger.Type.Weekly.WeeksInterval = WeeksInterval;
  aTrigger.Type.Weekly.rgfDaysOfTheWeek = DaysOfWeek;
  return true;
}

bool TScheduledTaskMonthlyTrigger::FillTaskTrigger(os::TaskTrigger10& aTrigger) {
  FillCommon(*this, os::ts10::kTimeTriggerMonthlyDate, aTrigger);
  aTrigger.Type.MonthlyDate.rgfDays = DaysOfMonth;
  aTrigger.Type.MonthlyDate.rgfMonths = MonthsOfYear;
  return true;
}

bool TScheduledTaskMonthlyDoWTrigger::FillTaskTrigger(os::TaskTrigger10& aTrigger) {
  FillCommon(*this, os::ts10::kTimeTriggerMonthlyDoW, aTrigger);
  aTrigger.Type.MonthlyDOW.wWhichWeek = WeeksOfMonth;
  aTrigger.Type.MonthlyDOW.rgfDaysOfTheWeek = DaysOfWeek;
  aTrigger.Type.MonthlyDOW.rgfMonths = MonthsOfYear;
  return true;
}
