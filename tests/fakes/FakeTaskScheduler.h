#pragma once
// An in-memory Task Scheduler 2.0 library: folders with registered tasks, each holding its
// definition (principal, settings, idle settings, registration information, triggers and
// actions). Definitions handed out are copies, as the platform's are: a change reaches a task
// only when the definition is registered again. Every call is recorded and any call can be
// made to fail (the call is named "Interface::method", the subject is the folder path, the
// task name, a property name or an Id).

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Accounts.h"
#include "platform/os/TaskScheduler.h"
#include "platform/rtlUnicode.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

struct FakeTriggerData {
  std::int32_t type = os::kTaskTriggerBoot;
  std::string id;
  bool enabled = true;
  std::string startBoundary;
  std::string endBoundary;
  std::string repetitionDuration;
  std::string repetitionInterval;
  bool repetitionStopAtDurationEnd = false;
  std::string delay;
  std::int16_t daysInterval = 0;
  std::int16_t weeksInterval = 0;
  std::int16_t daysOfWeek = 0;
  std::int32_t daysOfMonth = 0;
  std::int16_t monthsOfYear = 0;
  std::int16_t weeksOfMonth = 0;
  bool runOnLastDayOfMonth = false;
  bool runOnLastWeekOfMonth = false;

  bool operator==(const FakeTriggerData&) const = default;
};

struct FakeActionData {
  std::int32_t type = os::kTaskActionExec;
  std::string id;
  std::string path;
  std::string arguments;
  std::string workingDirectory;
  std::string title;
  std::string messageBody;

  bool operator==(const FakeActionData&) const = default;
};

struct FakeDefinitionData {
  std::string userId;
  std::string groupId;
  std::int32_t logonType = os::kTaskLogonInteractiveToken;
  // The platform's defaults for a new definition.
  std::map<os::TaskSettingFlag, bool> flags{
      {os::TaskSettingFlag::RunOnlyIfNetworkAvailable, false},
      {os::TaskSettingFlag::AllowDemandStart, true},
      {os::TaskSettingFlag::AllowHardTerminate, true},
      {os::TaskSettingFlag::WakeToRun, false},
      {os::TaskSettingFlag::Hidden, false},
      {os::TaskSettingFlag::DisallowStartIfOnBatteries, true},
      {os::TaskSettingFlag::StopIfGoingOnBatteries, true},
      {os::TaskSettingFlag::StartWhenAvailable, false},
      {os::TaskSettingFlag::RunOnlyIfIdle, false},
      {os::TaskSettingFlag::Enabled, true},
  };
  std::string idleDuration = "PT10M";
  std::string waitTimeout = "PT1H";
  bool stopOnIdleEnd = true;
  bool restartOnIdle = false;
  std::map<os::RegistrationInfoField, std::string> info;
  std::vector<FakeTriggerData> triggers;
  std::vector<FakeActionData> actions;

  bool operator==(const FakeDefinitionData&) const = default;
};

struct FakeRegisteredTaskData {
  std::string name;
  FakeDefinitionData definition;
  // What the last RegisterTaskDefinition passed.
  std::int32_t registrationFlags = 0;
  os::OptionalText registrationUser;
  std::int32_t registrationLogonType = 0;
  int registrations = 0;
};

struct FakeFolderData {
  std::string name;
  std::vector<std::unique_ptr<FakeFolderData>> folders;
  std::vector<FakeRegisteredTaskData> tasks;

  FakeFolderData* Folder(const std::string& folderName);
  FakeRegisteredTaskData* Task(const std::string& taskName);
};

class FakeTaskScheduler : public os::ITaskSchedulerLibrary {
 public:
  FakeTaskScheduler();
  ~FakeTaskScheduler() override;

  FailureInjector failures;
  // "Interface::method subject", one line per call, in order.
  std::vector<std::string> calls;
  // CoCreateInstance's answer.
  os::HResult createResult = os::kSOk;
  // The descriptions ErrorDescription gives (the objects' error information).
  std::map<os::HResult, std::string> descriptions;
  FakeFolderData root;

  // --- test helpers (paths relative to the root, "\"-separated) ---
  FakeFolderData* FindFolder(const std::string& path);
  FakeFolderData& MakeFolder(const std::string& path);
  // Registers a task as if someone else had (no call recorded).
  FakeRegisteredTaskData& AddTask(const std::string& folder, const std::string& name, FakeDefinitionData definition);
  FakeRegisteredTaskData* FindTask(const std::string& folder, const std::string& name);
  std::size_t CountCalls(const std::string& prefix) const;

  // --- os::ITaskSchedulerLibrary ---
  os::HResult CreateInstance(std::shared_ptr<os::ITaskService>& service) override;
  std::string ErrorDescription(os::HResult code) override;

  // The objects' own use: records the call and answers an injected failure code, if any.
  std::optional<os::HResult> Enter(const std::string& call, const std::string& subject = {});
};

// The account and computer names. The ANSI calls see an ANSI code page that holds only ASCII:
// every other character comes back as "?", as Windows gives a character its code page lacks.
class FakeAccounts : public os::IAccounts {
 public:
  std::string userName = "Tester";
  std::string computerName = "TESTPC";
  bool userNameFails = false;
  bool computerNameFails = false;

  bool QueryUserName(std::string& name) override { return Answer(userNameFails, Ansi(userName), 255, name); }
  bool QueryComputerName(std::string& name) override { return Answer(computerNameFails, Ansi(computerName), 15, name); }
  bool QueryUserNameW(std::string& name) override {
    return Answer(userNameFails, userName, 259, name, rtl::Utf8ToUtf16(userName).size());
  }
  bool QueryComputerNameW(std::string& name) override {
    return Answer(computerNameFails, computerName, 15, name, rtl::Utf8ToUtf16(computerName).size());
  }

 private:
  static std::string Ansi(const std::string& text) {
    std::string ansi;
    for (const char16_t unit : rtl::Utf8ToUtf16(text)) {
      if (unit >= 0xDC00 && unit <= 0xDFFF) continue;  // the second half of a pair
      ansi += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return ansi;
  }
  // A name longer than the buffer leaves room for fails the call, as the system's does.
  static bool Answer(bool fails, const std::string& value, std::size_t room, std::string& name,
                     std::optional<std::size_t> length = std::nullopt) {
    if (fails || length.value_or(value.size()) > room) return false;
    name = value;
    return true;
  }
};

}  // namespace fakes
