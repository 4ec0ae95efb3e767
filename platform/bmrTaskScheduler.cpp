// The scheduled task model and its Task Scheduler 2.0 side.

#include "platform/bmrTaskScheduler.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>

#include "platform/bmrConsoleHelp.h"
#include "platform/os/Accounts.h"
#include "platform/os/System.h"
#include "platform/os/TaskScheduler.h"

namespace {

constexpr std::int64_t kMSecsPerDay = 86400000;
// Days from 0001-01-01 to the OLE Automation epoch 1899-12-30 (proleptic Gregorian).
constexpr std::int64_t kDaysFromCivilToOle = 693593;

// Days since 0001-01-01 of a civil date (month 1..12).
std::int64_t CivilToDays(std::int64_t year, std::int64_t month, std::int64_t day) {
  // Days from 0000-03-01, with March as the first month of the year.
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 306;  // 0001-01-01 is day 306 after 0000-03-01
}

struct DecodedDateTime {
  std::int64_t days = 0;  // whole days of the rounded value
  std::int64_t year = 0, month = 0, day = 0;
  std::int64_t hour = 0, minute = 0, second = 0;
};

// The calendar's bounds as day values: 0001-01-01 and the day after 9999-12-31.
constexpr double kFirstDay = -693593.0;
constexpr double kDayAfterLast = 2958466.0;

// Whether the value, rounded to the millisecond, lies within the calendar (NaN does not).
bool InCalendar(TDateTime value) {
  const double msecs = std::round(value * static_cast<double>(kMSecsPerDay));
  return msecs >= kFirstDay * kMSecsPerDay && msecs < kDayAfterLast * kMSecsPerDay;
}

// Rounds to the millisecond, then splits into the calendar date and the time of day. Only
// for values InCalendar: others would overflow.
DecodedDateTime Decode(TDateTime value) {
  const auto msecs = static_cast<std::int64_t>(std::llround(value * static_cast<double>(kMSecsPerDay)));
  DecodedDateTime result;
  result.days = msecs >= 0 ? msecs / kMSecsPerDay : -((-msecs + kMSecsPerDay - 1) / kMSecsPerDay);
  const std::int64_t msOfDay = msecs - result.days * kMSecsPerDay;
  result.hour = msOfDay / 3600000;
  result.minute = msOfDay / 60000 % 60;
  result.second = msOfDay / 1000 % 60;

  // Civil date of day number (days since 0000-03-01).
  const std::int64_t z = result.days + kDaysFromCivilToOle + 306;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  result.day = dayOfYear - (153 * mp + 2) / 5 + 1;
  result.month = mp < 10 ? mp + 3 : mp - 9;
  result.year = yearOfEra + era * 400 + (result.month <= 2 ? 1 : 0);
  return result;
}

std::string TwoDigits(std::int64_t value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%02lld", static_cast<long long>(value));
  return buffer;
}

// Raises the error of a failed Task Scheduler 2.0 call.
void Check(os::HResult code) {
  if (os::Succeeded(code)) return;
  std::string description = os::TaskSchedulerLibrary().ErrorDescription(code);
  if (description.empty()) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "Task Scheduler error 0x%08X", static_cast<unsigned>(code));
    description = buffer;
  }
  throw ETaskSchedulerError(code, std::move(description));
}

// A call that succeeded yet gave no object is a failure too.
template <class T>
std::shared_ptr<T> Checked(os::HResult code, const std::shared_ptr<T>& object) {
  Check(code);
  if (!object) Check(os::kEFail);
  return object;
}

using SettingsField = bool TScheduledTaskSettings::*;
struct SettingsFlag {
  os::TaskSettingFlag flag;
  SettingsField field;
};
// The order in which the flags are read and written.
constexpr SettingsFlag kSettingsFlags[] = {
    {os::TaskSettingFlag::RunOnlyIfNetworkAvailable, &TScheduledTaskSettings::RunOnlyIfNetworkAvailable},
    {os::TaskSettingFlag::AllowDemandStart, &TScheduledTaskSettings::AllowDemandStart},
    {os::TaskSettingFlag::AllowHardTerminate, &TScheduledTaskSettings::AllowHardTerminate},
    {os::TaskSettingFlag::WakeToRun, &TScheduledTaskSettings::WakeToRun},
    {os::TaskSettingFlag::Hidden, &TScheduledTaskSettings::Hidden},
    {os::TaskSettingFlag::DisallowStartIfOnBatteries, &TScheduledTaskSettings::DisallowStartIfOnBatteries},
    {os::TaskSettingFlag::StopIfGoingOnBatteries, &TScheduledTaskSettings::StopIfGoingOnBatteries},
    {os::TaskSettingFlag::StartWhenAvailable, &TScheduledTaskSettings::StartWhenAvailable},
    {os::TaskSettingFlag::RunOnlyIfIdle, &TScheduledTaskSettings::RunOnlyIfIdle},
    {os::TaskSettingFlag::Enabled, &TScheduledTaskSettings::Enabled},
};

std::shared_ptr<os::ITaskSettings> SettingsOf(os::ITaskDefinition& definition) {
  std::shared_ptr<os::ITaskSettings> settings;
  return Checked(definition.get_Settings(settings), settings);
}

std::shared_ptr<os::IIdleSettings> IdleSettingsOf(os::ITaskDefinition& definition) {
  std::shared_ptr<os::IIdleSettings> idle;
  return Checked(SettingsOf(definition)->get_IdleSettings(idle), idle);
}

std::string AccountOfCurrentUser() { return GetCurrentComputerName() + "\\" + GetCurrentUserName(); }

// The Task Scheduler 2.0 type of a model trigger; none for the base class.
std::optional<std::int32_t> TriggerType20(const TScheduledTaskTrigger& trigger) {
  if (dynamic_cast<const TScheduledTaskLogonTrigger*>(&trigger)) return os::kTaskTriggerLogon;
  if (dynamic_cast<const TScheduledTaskBootTrigger*>(&trigger)) return os::kTaskTriggerBoot;
  if (dynamic_cast<const TScheduledTaskDailyTrigger*>(&trigger)) return os::kTaskTriggerDaily;
  if (dynamic_cast<const TScheduledTaskWeeklyTrigger*>(&trigger)) return os::kTaskTriggerWeekly;
  if (dynamic_cast<const TScheduledTaskMonthlyTrigger*>(&trigger)) return os::kTaskTriggerMonthly;
  if (dynamic_cast<const TScheduledTaskIdleTrigger*>(&trigger)) return os::kTaskTriggerIdle;
  if (dynamic_cast<const TScheduledTaskMonthlyDoWTrigger*>(&trigger)) return os::kTaskTriggerMonthlyDow;
  return std::nullopt;
}

std::optional<std::int32_t> ActionType20(const TScheduledTaskAction& action) {
  if (dynamic_cast<const TScheduledTaskActionExecution*>(&action)) return os::kTaskActionExec;
  if (dynamic_cast<const TScheduledTaskActionShowMessage*>(&action)) return os::kTaskActionShowMessage;
  return std::nullopt;
}

// The first item of the collection whose Id equals id exactly, or empty.
template <class Item, class Collection>
std::shared_ptr<Item> FindById(Collection& collection, const std::string& id) {
  std::int32_t count = 0;
  Check(collection.get_Count(count));
  for (std::int32_t index = 1; index <= count; ++index) {
    std::shared_ptr<Item> item;
    item = Checked(collection.get_Item(index, item), item);
    std::string itemId;
    Check(item->get_Id(itemId));
    if (itemId == id) return item;
  }
  return nullptr;
}

template <class Kind>
std::shared_ptr<Kind> QueryKind(os::ITrigger& trigger) {
  std::shared_ptr<Kind> kind;
  if (!os::Succeeded(trigger.QueryInterface(kind))) return nullptr;
  return kind;
}

template <class Kind>
std::shared_ptr<Kind> QueryKind(os::IAction& action) {
  std::shared_ptr<Kind> kind;
  if (!os::Succeeded(action.QueryInterface(kind))) return nullptr;
  return kind;
}

}  // namespace

// --- date-time texts and account names ---

std::string GetCurrentUserName() {
  std::string name;
  return os::Accounts().QueryUserName(name) ? name : std::string();
}

std::string GetCurrentComputerName() {
  std::string name;
  return os::Accounts().QueryComputerName(name) ? name : std::string();
}

std::string DateTimeToISO8601(TDateTime aValue) {
  if (!InCalendar(aValue)) return kOutOfCalendarDateTimeText;
  const DecodedDateTime t = Decode(aValue);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld", static_cast<long long>(t.year),
                static_cast<long long>(t.month), static_cast<long long>(t.day), static_cast<long long>(t.hour),
                static_cast<long long>(t.minute), static_cast<long long>(t.second));
  return buffer;
}

std::int32_t MinutesOfTime(TDateTime aValue) {
  if (!InCalendar(aValue)) return 0;
  const DecodedDateTime t = Decode(aValue);
  return static_cast<std::int32_t>(t.hour * 60 + t.minute);
}

std::string DurationToISO8601(TDateTime aValue) {
  if (aValue == 0) return {};
  // Durations are never negative here; should one be, it is written as its magnitude with a
  // leading minus sign rather than as a nonsense date.
  if (aValue < 0) return "-" + DurationToISO8601(-aValue);
  if (!InCalendar(aValue)) return kOutOfCalendarDurationText;
  const DecodedDateTime t = Decode(aValue);
  const std::string time = TwoDigits(t.hour) + "H" + TwoDigits(t.minute) + "M" + TwoDigits(t.second) + "S";
  if (t.days >= 1) return "P" + TwoDigits(t.days) + "DT" + time;
  return "PT" + time;
}

TDateTime SystemTimeToDateTime(const os::SystemTime& aTime) {
  const std::int64_t days = CivilToDays(aTime.year, aTime.month, aTime.day) - kDaysFromCivilToOle;
  const std::int64_t msOfDay =
      ((static_cast<std::int64_t>(aTime.hour) * 60 + aTime.minute) * 60 + aTime.second) * 1000 + aTime.milliseconds;
  return static_cast<double>(days) + static_cast<double>(msOfDay) / static_cast<double>(kMSecsPerDay);
}

TDateTime CurrentLocalDateTime() { return SystemTimeToDateTime(os::System().LocalTime()); }

// --- settings and registration information ---

bool TScheduledTaskConditions::LoadFrom20(os::ITaskDefinition& aDefinition) {
  try {
    const auto idle = IdleSettingsOf(aDefinition);
    bool value = false;
    Check(idle->get_StopOnIdleEnd(value));
    StopOnIdleEnd = value;
    Check(idle->get_RestartOnIdle(value));
    RestartOnIdle = value;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TScheduledTaskConditions::SaveTo20(os::ITaskDefinition& aDefinition) {
  try {
    const auto idle = IdleSettingsOf(aDefinition);
    Check(idle->put_IdleDuration(DurationToISO8601(IdleDuration)));
    Check(idle->put_WaitTimeout(DurationToISO8601(WaitTimeout)));
    Check(idle->put_StopOnIdleEnd(StopOnIdleEnd));
    Check(idle->put_RestartOnIdle(RestartOnIdle));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TScheduledTaskSettings::LoadFrom20(os::ITaskDefinition& aDefinition) {
  try {
    const auto settings = SettingsOf(aDefinition);
    for (const SettingsFlag& entry : kSettingsFlags) {
      bool value = false;
      Check(settings->Get(entry.flag, value));
      this->*entry.field = value;
    }
  } catch (const std::exception&) {
    return false;
  }
  return Conditions.LoadFrom20(aDefinition);
}

bool TScheduledTaskSettings::SaveTo20(os::ITaskDefinition& aDefinition) {
  try {
    const auto settings = SettingsOf(aDefinition);
    for (const SettingsFlag& entry : kSettingsFlags) Check(settings->Put(entry.flag, this->*entry.field));
  } catch (const std::exception&) {
    return false;
  }
  return Conditions.SaveTo20(aDefinition);
}

void TScheduledTaskRegistrationInfo::SaveTo20(os::ITaskDefinition& aDefinition) {
  std::shared_ptr<os::IRegistrationInfo> info;
  info = Checked(aDefinition.get_RegistrationInfo(info), info);
  const std::pair<os::RegistrationInfoField, const std::string*> fields[] = {
      {os::RegistrationInfoField::Description, &Description},
      {os::RegistrationInfoField::Author, &Author},
      {os::RegistrationInfoField::Version, &Version},
      {os::RegistrationInfoField::Date, &Date},
      {os::RegistrationInfoField::Documentation, &Documentation},
      {os::RegistrationInfoField::URI, &URI},
      {os::RegistrationInfoField::Source, &Source},
  };
  for (const auto& [field, text] : fields) {
    if (!text->empty()) Check(info->Put(field, *text));
  }
}

// --- actions ---

bool TScheduledTaskAction::SaveToAction(os::IAction& aAction) {
  try {
    Check(aAction.put_Id(Id));
    return true;
  } catch (const ETaskSchedulerError&) {
    return false;
  }
}

bool TScheduledTaskActionExecution::SaveToAction(os::IAction& aAction) {
  TScheduledTaskAction::SaveToAction(aAction);
  const auto exec = QueryKind<os::IExecAction>(aAction);
  if (!exec) return false;
  Check(exec->put_Path(!Path.empty() && Path.front() == '"' ? Path : "\"" + Path + "\""));
  Check(exec->put_Arguments(Arguments));
  Check(exec->put_WorkingDirectory(WorkingDirectory));
  return true;
}

bool TScheduledTaskActionShowMessage::SaveToAction(os::IAction& aAction) {
  TScheduledTaskAction::SaveToAction(aAction);
  const auto message = QueryKind<os::IShowMessageAction>(aAction);
  if (!message) return false;
  Check(message->put_Title(Title));
  Check(message->put_MessageBody(MessageBody));
  return true;
}

// --- triggers ---

TScheduledTaskTrigger::TScheduledTaskTrigger() : StartBoundary(CurrentLocalDateTime()) {}

bool TScheduledTaskTrigger::SaveToTrigger(os::ITrigger& aTrigger) {
  Check(aTrigger.put_Enabled(Enabled));
  Check(aTrigger.put_Id(Id));
  Check(aTrigger.put_StartBoundary(DateTimeToISO8601(StartBoundary)));
  if (EndBoundary > 0) Check(aTrigger.put_EndBoundary(DateTimeToISO8601(EndBoundary)));
  if (Repetition.Enabled) {
    std::shared_ptr<os::IRepetitionPattern> pattern;
    pattern = Checked(aTrigger.get_Repetition(pattern), pattern);
    Check(pattern->put_Duration(DurationToISO8601(Repetition.Duration)));
    pattern = Checked(aTrigger.get_Repetition(pattern), pattern);
    Check(pattern->put_Interval(DurationToISO8601(Repetition.Interval)));
    pattern = Checked(aTrigger.get_Repetition(pattern), pattern);
    Check(pattern->put_StopAtDurationEnd(Repetition.StopAtDurationEnd));
  }
  return true;
}

bool TScheduledTaskLogonTrigger::SaveToTrigger(os::ITrigger& aTrigger) {
  TScheduledTaskTrigger::SaveToTrigger(aTrigger);
  const auto kind = QueryKind<os::ILogonTrigger>(aTrigger);
  if (!kind) return false;
  Check(kind->put_Delay(DurationToISO8601(Delay)));
  return true;
}

bool TScheduledTaskBootTrigger::SaveToTrigger(os::ITrigger& aTrigger) {
  TScheduledTaskTrigger::SaveToTrigger(aTrigger);
  const auto kind = QueryKind<os::IBootTrigger>(aTrigger);
  if (!kind) return false;
  Check(kind->put_Delay(DurationToISO8601(Delay)));
  return true;
}

bool TScheduledTaskIdleTrigger::SaveToTrigger(os::ITrigger& aTrigger) {
  return TScheduledTaskTrigger::SaveToTrigger(aTrigger);
}

bool TScheduledTaskDailyTrigger::SaveToTrigger(os::ITrigger& aTrigger) {
  TScheduledTaskTrigger::SaveToTrigger(aTrigger);
  const auto kind = QueryKind<os::IDailyTrigger>(aTrigger);
  if (!kind) return false;
  Check(kind->put_DaysInterval(static_cast<std::int16_t>(DaysInterval)));
  return true;
}

bool TScheduledTaskWeeklyTrigger::SaveToTrigger(os::ITrigger& aTrigger) {
  TScheduledTaskTrigger::SaveToTrigger(aTrigger);
  const auto kind = QueryKind<os::IWeeklyTrigger>(aTrigger);
  if (!kind) return false;
  Check(kind->put_DaysOfWeek(static_cast<std::int16_t>(DaysOfWeek)));
  Check(kind->put_WeeksInterval(static_cast<std::int16_t>(WeeksInterval)));
  return true;
}

bool TScheduledTaskMonthlyTrigger::SaveToTrigger(os::ITrigger& aTrigger) {
  TScheduledTaskTrigger::SaveToTrigger(aTrigger);
  const auto kind = QueryKind<os::IMonthlyTrigger>(aTrigger);
  if (!kind) return false;
  Check(kind->put_DaysOfMonth(static_cast<std::int32_t>(DaysOfMonth)));
  Check(kind->put_MonthsOfYear(static_cast<std::int16_t>(MonthsOfYear)));
  Check(kind->put_RunOnLastDayOfMonth(RunOnLastDayOfMonth));
  return true;
}

bool TScheduledTaskMonthlyDoWTrigger::SaveToTrigger(os::ITrigger& aTrigger) {
  TScheduledTaskTrigger::SaveToTrigger(aTrigger);
  const auto kind = QueryKind<os::IMonthlyDOWTrigger>(aTrigger);
  if (!kind) return false;
  Check(kind->put_DaysOfWeek(static_cast<std::int16_t>(DaysOfWeek)));
  Check(kind->put_WeeksOfMonth(static_cast<std::int16_t>(WeeksOfMonth)));
  Check(kind->put_MonthsOfYear(static_cast<std::int16_t>(MonthsOfYear)));
  Check(kind->put_RunOnLastWeekOfMonth(RunOnLastWeekOfMonth));
  return true;
}

// --- the task ---

TScheduledTask::TScheduledTask() {
  CreateTaskScheduler10();

  std::shared_ptr<os::ITaskService> service;
  if (os::Succeeded(os::TaskSchedulerLibrary().CreateInstance(service)) && service) {
    try {
      Check(service->Connect("", "", "", ""));
      std::shared_ptr<os::ITaskFolder> root;
      root = Checked(service->GetFolder("\\", root), root);
      TaskService = std::move(service);
      RootFolder = root;
      FFolderTask = std::move(root);
    } catch (const ETaskSchedulerError&) {
      // Not connected: the other generation, or none.
    }
  }

  ApiVersion = TaskService ? 2 : (FTaskScheduler10 ? 1 : 0);
  if (CommandLineHasSwitch("test10")) ApiVersion = 1;
}

TScheduledTask::~TScheduledTask() {
  // The folders before the service that gave them.
  FFolderTask.reset();
  RootFolder.reset();
  TaskService.reset();
  FTaskScheduler10.reset();
}

void TScheduledTask::SetFolder(const std::string& aPath) {
  FolderName = aPath;
  if (!TaskService || !RootFolder) return;
  std::shared_ptr<os::ITaskFolder> folder;
  if (os::Succeeded(RootFolder->GetFolder(aPath, folder)) && folder) {
    FFolderTask = std::move(folder);
    return;
  }
  folder.reset();
  FFolderTask = Checked(RootFolder->CreateFolder(aPath, std::nullopt, folder), folder);
}

void TScheduledTask::OpenFolder(const std::string& aPath) {
  FolderName = aPath;
  if (!TaskService || !RootFolder) return;
  std::shared_ptr<os::ITaskFolder> folder;
  if (!os::Succeeded(RootFolder->GetFolder(aPath, folder))) folder.reset();
  FFolderTask = std::move(folder);
}

bool TScheduledTask::TaskExists() {
  switch (ApiVersion) {
    case 2:
      return TaskExists20();
    case 1:
      return TaskExists10();
    default:
      return false;
  }
}

TScheduledTaskActionExecution* TScheduledTask::AddExecutionAction(const std::string& aPath, const std::string& aId,
                                                                  const std::string& aArguments,
                                                                  const std::string& aWorkingDirectory) {
  auto action = std::make_unique<TScheduledTaskActionExecution>();
  action->Path = aPath;
  action->Id = aId;
  action->Arguments = aArguments;
  action->WorkingDirectory = aWorkingDirectory;
  auto* result = action.get();
  Actions.emplace_back(aId, std::move(action));
  return result;
}

TScheduledTaskBootTrigger* TScheduledTask::AddBootTrigger(const std::string& aId, TDateTime aStartBoundary,
                                                          TDateTime aDelay) {
  auto trigger = std::make_unique<TScheduledTaskBootTrigger>();
  trigger->Id = aId;
  trigger->StartBoundary = aStartBoundary;
  trigger->Delay = aDelay;
  auto* result = trigger.get();
  Triggers.emplace_back(aId, std::move(trigger));
  return result;
}

bool TScheduledTask::CreateOrUpdateTask() {
  switch (ApiVersion) {
    case 2:
      return CreateOrUpdateTask20();
    case 1:
      return CreateOrUpdateTask10();
    default:
      return false;
  }
}

bool TScheduledTask::UpdateTaskEnabled(bool aEnabled) {
  switch (ApiVersion) {
    case 2:
      return UpdateTaskEnabled20(aEnabled);
    case 1:
      return UpdateTaskEnabled10(aEnabled);
    default:
      return false;
  }
}

// --- Task Scheduler 2.0 ---

std::shared_ptr<os::IRegisteredTask> TScheduledTask::GetWorkItem20() {
  try {
    if (!FFolderTask) return nullptr;
    std::shared_ptr<os::IRegisteredTask> task;
    task = Checked(FFolderTask->GetTask(TaskName, task), task);
    std::shared_ptr<os::ITaskDefinition> definition;
    definition = Checked(task->get_Definition(definition), definition);
    Settings.LoadFrom20(*definition);
    return task;
  } catch (const std::exception&) {
    return nullptr;
  }
}

bool TScheduledTask::TaskExists20() { return GetWorkItem20() != nullptr; }

void TScheduledTask::SaveTriggers20(os::ITaskDefinition& aDefinition) {
  std::shared_ptr<os::ITriggerCollection> collection;
  for (const auto& [key, trigger] : Triggers) {
    const auto type = TriggerType20(*trigger);
    if (!type) continue;
    collection = Checked(aDefinition.get_Triggers(collection), collection);
    auto item = FindById<os::ITrigger>(*collection, key);
    if (!item) item = Checked(collection->Create(*type, item), item);
    trigger->SaveToTrigger(*item);
  }
}

void TScheduledTask::SaveActions20(os::ITaskDefinition& aDefinition) {
  std::shared_ptr<os::IActionCollection> collection;
  for (const auto& [key, action] : Actions) {
    const auto type = ActionType20(*action);
    if (!type) continue;
    collection = Checked(aDefinition.get_Actions(collection), collection);
    auto item = FindById<os::IAction>(*collection, key);
    if (!item) item = Checked(collection->Create(*type, item), item);
    action->SaveToAction(*item);
  }
}

bool TScheduledTask::CreateOrUpdateTask20() {
  try {
    if (!TaskService || !FFolderTask) return false;

    // The registered definition is edited in place; a task that cannot be read gets a new one.
    std::shared_ptr<os::ITaskDefinition> definition;
    try {
      std::shared_ptr<os::IRegisteredTask> registered;
      registered = Checked(FFolderTask->GetTask(TaskName, registered), registered);
      definition = Checked(registered->get_Definition(definition), definition);
    } catch (const ETaskSchedulerError&) {
      definition.reset();
      definition = Checked(TaskService->NewTask(0, definition), definition);
    }

    // The account. SYSTEM is registered as the service account itself: an interactive token
    // would leave a boot task waiting for someone to log on.
    std::optional<std::string> registrationUser;
    std::int32_t registrationLogonType = os::kTaskLogonInteractiveToken;
    if (LogonMode == 0 || LogonMode == 1) {
      std::shared_ptr<os::IPrincipal> principal;
      principal = Checked(definition->get_Principal(principal), principal);
      if (LogonMode == 0) {
        Check(principal->put_LogonType(os::kTaskLogonServiceAccount));
        Check(principal->put_UserId("SYSTEM"));
        registrationUser = "SYSTEM";
        registrationLogonType = os::kTaskLogonServiceAccount;
      } else {
        Check(principal->put_LogonType(os::kTaskLogonInteractiveToken));
        Check(principal->put_UserId(AccountOfCurrentUser()));
      }
    }

    Settings.SaveTo20(*definition);
    RegistrationInfo.SaveTo20(*definition);
    SaveTriggers20(*definition);
    SaveActions20(*definition);

    std::shared_ptr<os::IRegisteredTask> registered;
    Check(FFolderTask->RegisterTaskDefinition(TaskName, *definition, os::kTaskCreateOrUpdate, registrationUser,
                                              std::nullopt, registrationLogonType, std::nullopt, registered));
    return registered != nullptr;
  } catch (const std::exception& error) {
    os::System().DebugOutput(error.what());
    return false;
  }
}

bool TScheduledTask::UpdateTaskEnabled20(bool aEnabled) {
  try {
    if (!FFolderTask) return false;
    std::shared_ptr<os::IRegisteredTask> registered;
    registered = Checked(FFolderTask->GetTask(TaskName, registered), registered);
    std::shared_ptr<os::ITaskDefinition> definition;
    definition = Checked(registered->get_Definition(definition), definition);
    Check(SettingsOf(*definition)->Put(os::TaskSettingFlag::Enabled, aEnabled));

    // Registered again under its own account: the user (or group) and logon type that the
    // principal names. Where the principal cannot be read, no account is passed and the
    // platform keeps the definition's.
    std::optional<std::string> user;
    std::int32_t logonType = os::kTaskLogonNone;
    std::shared_ptr<os::IPrincipal> principal;
    if (os::Succeeded(definition->get_Principal(principal)) && principal) {
      std::int32_t principalLogonType = os::kTaskLogonNone;
      std::string name;
      if (os::Succeeded(principal->get_LogonType(principalLogonType))) logonType = principalLogonType;
      const bool read = logonType == os::kTaskLogonGroup ? os::Succeeded(principal->get_GroupId(name))
                                                         : os::Succeeded(principal->get_UserId(name));
      if (read && !name.empty()) user = name;
    }

    registered.reset();
    Check(FFolderTask->RegisterTaskDefinition(TaskName, *definition, os::kTaskUpdate, user, std::nullopt, logonType,
                                              std::nullopt, registered));
    if (!registered) return false;
    Settings.Enabled = aEnabled;
    return true;
  } catch (const std::exception& error) {
    os::System().DebugOutput(error.what());
    return false;
  }
}
