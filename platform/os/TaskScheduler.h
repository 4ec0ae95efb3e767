#pragma once
// Task Scheduler 2.0: the service, its folders, registered tasks and task definitions with
// their principal, settings, idle settings, registration information, triggers and actions.
// Each method is one COM call and returns its HRESULT; an object comes back through the
// shared_ptr argument (empty on failure). Texts are UTF-8 and go to the platform as BSTRs;
// Booleans go as VARIANT_BOOL (True as -1). QueryInterface for a trigger's or action's kind
// interface is an overload per kind.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/os/Seams.h"

namespace os {

using HResult = std::int32_t;

constexpr HResult kSOk = 0;
constexpr HResult kENotImpl = static_cast<HResult>(0x80004001);
constexpr HResult kENoInterface = static_cast<HResult>(0x80004002);
constexpr HResult kEFail = static_cast<HResult>(0x80004005);
constexpr HResult kEAccessDenied = static_cast<HResult>(0x80070005);
constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057);
// HRESULT_FROM_WIN32 of ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ALREADY_EXISTS.
constexpr HResult kEFileNotFound = static_cast<HResult>(0x80070002);
constexpr HResult kEPathNotFound = static_cast<HResult>(0x80070003);
constexpr HResult kEAlreadyExists = static_cast<HResult>(0x800700B7);
// REGDB_E_CLASSNOTREG.
constexpr HResult kEClassNotRegistered = static_cast<HResult>(0x80040154);

inline bool Succeeded(HResult code) { return code >= 0; }

// TASK_LOGON_TYPE.
constexpr std::int32_t kTaskLogonNone = 0;
constexpr std::int32_t kTaskLogonPassword = 1;
constexpr std::int32_t kTaskLogonS4U = 2;
constexpr std::int32_t kTaskLogonInteractiveToken = 3;
constexpr std::int32_t kTaskLogonGroup = 4;
constexpr std::int32_t kTaskLogonServiceAccount = 5;

// TASK_CREATION.
constexpr std::int32_t kTaskCreate = 2;
constexpr std::int32_t kTaskUpdate = 4;
constexpr std::int32_t kTaskCreateOrUpdate = 6;

// TASK_TRIGGER_TYPE2.
constexpr std::int32_t kTaskTriggerEvent = 0;
constexpr std::int32_t kTaskTriggerTime = 1;
constexpr std::int32_t kTaskTriggerDaily = 2;
constexpr std::int32_t kTaskTriggerWeekly = 3;
constexpr std::int32_t kTaskTriggerMonthly = 4;
constexpr std::int32_t kTaskTriggerMonthlyDow = 5;
constexpr std::int32_t kTaskTriggerIdle = 6;
constexpr std::int32_t kTaskTriggerRegistration = 7;
constexpr std::int32_t kTaskTriggerBoot = 8;
constexpr std::int32_t kTaskTriggerLogon = 9;

// TASK_ACTION_TYPE.
constexpr std::int32_t kTaskActionExec = 0;
constexpr std::int32_t kTaskActionShowMessage = 7;

class ITaskFolder;
class IRegisteredTask;
class ITaskDefinition;
class IPrincipal;
class ITaskSettings;
class IIdleSettings;
class IRegistrationInfo;
class ITriggerCollection;
class ITrigger;
class IRepetitionPattern;
class ILogonTrigger;
class IBootTrigger;
class IDailyTrigger;
class IWeeklyTrigger;
class IMonthlyTrigger;
class IMonthlyDOWTrigger;
class IActionCollection;
class IAction;
class IExecAction;
class IShowMessageAction;

// The VARIANT arguments: a text, or VT_NULL (std::nullopt).
using OptionalText = std::optional<std::string>;

class ITaskService {
 public:
  virtual ~ITaskService() = default;
  // Each argument a VARIANT holding the text.
  virtual HResult Connect(const std::string& server, const std::string& user, const std::string& domain,
                          const std::string& password) = 0;
  virtual HResult GetFolder(const std::string& path, std::shared_ptr<ITaskFolder>& folder) = 0;
  virtual HResult NewTask(std::int32_t flags, std::shared_ptr<ITaskDefinition>& definition) = 0;
};

class ITaskFolder {
 public:
  virtual ~ITaskFolder() = default;
  virtual HResult get_Path(std::string& path) = 0;
  virtual HResult GetFolder(const std::string& path, std::shared_ptr<ITaskFolder>& folder) = 0;
  virtual HResult CreateFolder(const std::string& path, const OptionalText& sddl,
                               std::shared_ptr<ITaskFolder>& folder) = 0;
  virtual HResult DeleteFolder(const std::string& path, std::int32_t flags) = 0;
  virtual HResult GetTask(const std::string& path, std::shared_ptr<IRegisteredTask>& task) = 0;
  virtual HResult DeleteTask(const std::string& name, std::int32_t flags) = 0;
  virtual HResult RegisterTaskDefinition(const std::string& path, ITaskDefinition& definition, std::int32_t flags,
                                         const OptionalText& userId, const OptionalText& password,
                                         std::int32_t logonType, const OptionalText& sddl,
                                         std::shared_ptr<IRegisteredTask>& task) = 0;
};

class IRegisteredTask {
 public:
  virtual ~IRegisteredTask() = default;
  virtual HResult get_Name(std::string& name) = 0;
  virtual HResult get_Enabled(bool& enabled) = 0;
  // A copy of the registered definition: changes reach the task only by registering it again.
  virtual HResult get_Definition(std::shared_ptr<ITaskDefinition>& definition) = 0;
};

class ITaskDefinition {
 public:
  virtual ~ITaskDefinition() = default;
  virtual HResult get_Principal(std::shared_ptr<IPrincipal>& principal) = 0;
  virtual HResult get_Settings(std::shared_ptr<ITaskSettings>& settings) = 0;
  virtual HResult get_RegistrationInfo(std::shared_ptr<IRegistrationInfo>& info) = 0;
  virtual HResult get_Triggers(std::shared_ptr<ITriggerCollection>& triggers) = 0;
  virtual HResult get_Actions(std::shared_ptr<IActionCollection>& actions) = 0;
};

class IPrincipal {
 public:
  virtual ~IPrincipal() = default;
  virtual HResult get_UserId(std::string& user) = 0;
  virtual HResult put_UserId(const std::string& user) = 0;
  virtual HResult get_GroupId(std::string& group) = 0;
  virtual HResult get_LogonType(std::int32_t& logonType) = 0;
  virtual HResult put_LogonType(std::int32_t logonType) = 0;
};

// The Boolean properties of ITaskSettings, one get_/put_ pair each.
enum class TaskSettingFlag {
  RunOnlyIfNetworkAvailable,
  AllowDemandStart,
  AllowHardTerminate,
  WakeToRun,
  Hidden,
  DisallowStartIfOnBatteries,
  StopIfGoingOnBatteries,
  StartWhenAvailable,
  RunOnlyIfIdle,
  Enabled,
};

// The property name ("RunOnlyIfNetworkAvailable", ...).
inline const char* TaskSettingFlagName(TaskSettingFlag flag) {
  switch (flag) {
    case TaskSettingFlag::RunOnlyIfNetworkAvailable:
      return "RunOnlyIfNetworkAvailable";
    case TaskSettingFlag::AllowDemandStart:
      return "AllowDemandStart";
    case TaskSettingFlag::AllowHardTerminate:
      return "AllowHardTerminate";
    case TaskSettingFlag::WakeToRun:
      return "WakeToRun";
    case TaskSettingFlag::Hidden:
      return "Hidden";
    case TaskSettingFlag::DisallowStartIfOnBatteries:
      return "DisallowStartIfOnBatteries";
    case TaskSettingFlag::StopIfGoingOnBatteries:
      return "StopIfGoingOnBatteries";
    case TaskSettingFlag::StartWhenAvailable:
      return "StartWhenAvailable";
    case TaskSettingFlag::RunOnlyIfIdle:
      return "RunOnlyIfIdle";
    case TaskSettingFlag::Enabled:
      return "Enabled";
  }
  return "";
}

class ITaskSettings {
 public:
  virtual ~ITaskSettings() = default;
  virtual HResult Get(TaskSettingFlag flag, bool& value) = 0;
  virtual HResult Put(TaskSettingFlag flag, bool value) = 0;
  virtual HResult get_IdleSettings(std::shared_ptr<IIdleSettings>& idle) = 0;
};

class IIdleSettings {
 public:
  virtual ~IIdleSettings() = default;
  virtual HResult put_IdleDuration(const std::string& duration) = 0;
  virtual HResult put_WaitTimeout(const std::string& timeout) = 0;
  virtual HResult get_StopOnIdleEnd(bool& value) = 0;
  virtual HResult put_StopOnIdleEnd(bool value) = 0;
  virtual HResult get_RestartOnIdle(bool& value) = 0;
  virtual HResult put_RestartOnIdle(bool value) = 0;
};

// The text properties of IRegistrationInfo that the model writes.
enum class RegistrationInfoField { Description, Author, Version, Date, Documentation, URI, Source };

inline const char* RegistrationInfoFieldName(RegistrationInfoField field) {
  switch (field) {
    case RegistrationInfoField::Description:
      return "Description";
    case RegistrationInfoField::Author:
      return "Author";
    case RegistrationInfoField::Version:
      return "Version";
    case RegistrationInfoField::Date:
      return "Date";
    case RegistrationInfoField::Documentation:
      return "Documentation";
    case RegistrationInfoField::URI:
      return "URI";
    case RegistrationInfoField::Source:
      return "Source";
  }
  return "";
}

class IRegistrationInfo {
 public:
  virtual ~IRegistrationInfo() = default;
  virtual HResult Get(RegistrationInfoField field, std::string& value) = 0;
  virtual HResult Put(RegistrationInfoField field, const std::string& value) = 0;
};

class ITriggerCollection {
 public:
  virtual ~ITriggerCollection() = default;
  virtual HResult get_Count(std::int32_t& count) = 0;
  // index from 1.
  virtual HResult get_Item(std::int32_t index, std::shared_ptr<ITrigger>& trigger) = 0;
  // Appends a new trigger of the TASK_TRIGGER_TYPE2 to the definition.
  virtual HResult Create(std::int32_t type, std::shared_ptr<ITrigger>& trigger) = 0;
};

class ITrigger {
 public:
  virtual ~ITrigger() = default;
  virtual HResult get_Type(std::int32_t& type) = 0;
  virtual HResult get_Id(std::string& id) = 0;
  virtual HResult put_Id(const std::string& id) = 0;
  virtual HResult put_Enabled(bool enabled) = 0;
  virtual HResult put_StartBoundary(const std::string& start) = 0;
  virtual HResult put_EndBoundary(const std::string& end) = 0;
  virtual HResult get_Repetition(std::shared_ptr<IRepetitionPattern>& pattern) = 0;
  // E_NOINTERFACE when the trigger is of another kind.
  virtual HResult QueryInterface(std::shared_ptr<ILogonTrigger>& kind) = 0;
  virtual HResult QueryInterface(std::shared_ptr<IBootTrigger>& kind) = 0;
  virtual HResult QueryInterface(std::shared_ptr<IDailyTrigger>& kind) = 0;
  virtual HResult QueryInterface(std::shared_ptr<IWeeklyTrigger>& kind) = 0;
  virtual HResult QueryInterface(std::shared_ptr<IMonthlyTrigger>& kind) = 0;
  virtual HResult QueryInterface(std::shared_ptr<IMonthlyDOWTrigger>& kind) = 0;
};

class IRepetitionPattern {
 public:
  virtual ~IRepetitionPattern() = default;
  virtual HResult put_Duration(const std::string& duration) = 0;
  virtual HResult put_Interval(const std::string& interval) = 0;
  virtual HResult put_StopAtDurationEnd(bool stop) = 0;
};

class ILogonTrigger {
 public:
  virtual ~ILogonTrigger() = default;
  virtual HResult put_Delay(const std::string& delay) = 0;
};

class IBootTrigger {
 public:
  virtual ~IBootTrigger() = default;
  virtual HResult put_Delay(const std::string& delay) = 0;
};

class IDailyTrigger {
 public:
  virtual ~IDailyTrigger() = default;
  virtual HResult put_DaysInterval(std::int16_t days) = 0;
};

class IWeeklyTrigger {
 public:
  virtual ~IWeeklyTrigger() = default;
  virtual HResult put_DaysOfWeek(std::int16_t days) = 0;
  virtual HResult put_WeeksInterval(std::int16_t weeks) = 0;
};

class IMonthlyTrigger {
 public:
  virtual ~IMonthlyTrigger() = default;
  virtual HResult put_DaysOfMonth(std::int32_t days) = 0;
  virtual HResult put_MonthsOfYear(std::int16_t months) = 0;
  virtual HResult put_RunOnLastDayOfMonth(bool last) = 0;
};

class IMonthlyDOWTrigger {
 public:
  virtual ~IMonthlyDOWTrigger() = default;
  virtual HResult put_DaysOfWeek(std::int16_t days) = 0;
  virtual HResult put_WeeksOfMonth(std::int16_t weeks) = 0;
  virtual HResult put_MonthsOfYear(std::int16_t months) = 0;
  virtual HResult put_RunOnLastWeekOfMonth(bool last) = 0;
};

class IActionCollection {
 public:
  virtual ~IActionCollection() = default;
  virtual HResult get_Count(std::int32_t& count) = 0;
  // index from 1.
  virtual HResult get_Item(std::int32_t index, std::shared_ptr<IAction>& action) = 0;
  virtual HResult Create(std::int32_t type, std::shared_ptr<IAction>& action) = 0;
};

class IAction {
 public:
  virtual ~IAction() = default;
  virtual HResult get_Id(std::string& id) = 0;
  virtual HResult put_Id(const std::string& id) = 0;
  virtual HResult QueryInterface(std::shared_ptr<IExecAction>& kind) = 0;
  virtual HResult QueryInterface(std::shared_ptr<IShowMessageAction>& kind) = 0;
};

class IExecAction {
 public:
  virtual ~IExecAction() = default;
  virtual HResult get_Path(std::string& path) = 0;
  virtual HResult put_Path(const std::string& path) = 0;
  virtual HResult get_Arguments(std::string& arguments) = 0;
  virtual HResult put_Arguments(const std::string& arguments) = 0;
  virtual HResult put_WorkingDirectory(const std::string& directory) = 0;
};

class IShowMessageAction {
 public:
  virtual ~IShowMessageAction() = default;
  virtual HResult put_Title(const std::string& title) = 0;
  virtual HResult put_MessageBody(const std::string& body) = 0;
};

// The installed seam: creates the service object.
class ITaskSchedulerLibrary {
 public:
  virtual ~ITaskSchedulerLibrary() = default;
  // CoCreateInstance of CLSID_TaskScheduler for ITaskService, in-process server; its HRESULT.
  virtual HResult CreateInstance(std::shared_ptr<ITaskService>& service) = 0;
  // The description of a call that just failed with code: the text the failing object left
  // in the thread's COM error information, else the system's message text of the code
  // (trailing line break removed), else empty.
  virtual std::string ErrorDescription(HResult code) = 0;
};

inline ITaskSchedulerLibrary& TaskSchedulerLibrary() { return Get<ITaskSchedulerLibrary>(); }

}  // namespace os
