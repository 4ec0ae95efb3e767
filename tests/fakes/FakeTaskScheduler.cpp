#include "tests/fakes/FakeTaskScheduler.h"

#include <algorithm>
#include <cctype>

namespace fakes {

namespace {

// SCHED_E_SERVICE_NOT_CONNECTED.
constexpr os::HResult kNotConnected = static_cast<os::HResult>(0x80041326);

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::string JoinPath(const std::vector<std::string>& parts) {
  std::string path;
  for (const auto& part : parts) path += "\\" + part;
  return path.empty() ? "\\" : path;
}

// A path given to a folder: absolute from the root when it begins with "\", else relative.
std::vector<std::string> Resolve(const std::vector<std::string>& base, const std::string& path) {
  std::vector<std::string> parts = (!path.empty() && path.front() == '\\') ? std::vector<std::string>{} : base;
  for (auto& part : SplitPath(path)) parts.push_back(part);
  return parts;
}

FakeFolderData* Walk(FakeFolderData& root, const std::vector<std::string>& parts) {
  FakeFolderData* folder = &root;
  for (const auto& part : parts) {
    folder = folder->Folder(part);
    if (folder == nullptr) return nullptr;
  }
  return folder;
}

using Definition = std::shared_ptr<FakeDefinitionData>;

template <class T, class Self>
std::shared_ptr<T> As(const std::shared_ptr<Self>& self) {
  return std::shared_ptr<T>(self, static_cast<T*>(self.get()));
}

class FakePrincipal : public os::IPrincipal {
 public:
  FakePrincipal(FakeTaskScheduler& owner, Definition data) : owner_(owner), data_(std::move(data)) {}
  os::HResult get_UserId(std::string& user) override {
    if (auto hr = owner_.Enter("IPrincipal::get_UserId")) return hr;
    user = data_->userId;
    return os::kSOk;
  }
  os::HResult put_UserId(const std::string& user) override {
    if (auto hr = owner_.Enter("IPrincipal::put_UserId", user)) return hr;
    data_->userId = user;
    return os::kSOk;
  }
  os::HResult get_GroupId(std::string& group) override {
    if (auto hr = owner_.Enter("IPrincipal::get_GroupId")) return hr;
    group = data_->groupId;
    return os::kSOk;
  }
  os::HResult get_LogonType(std::int32_t& logonType) override {
    if (auto hr = owner_.Enter("IPrincipal::get_LogonType")) return hr;
    logonType = data_->logonType;
    return os::kSOk;
  }
  os::HResult put_LogonType(std::int32_t logonType) override {
    if (auto hr = owner_.Enter("IPrincipal::put_LogonType", std::to_string(logonType))) return hr;
    data_->logonType = logonType;
    return os::kSOk;
  }

 private:
  FakeTaskScheduler& owner_;
  Definition data_;
};

class FakeIdleSettings : public os::IIdleSettings {
 public:
  FakeIdleSettings(FakeTaskScheduler& owner, Definition data) : owner_(owner), data_(std::move(data)) {}
  os::HResult put_IdleDuration(const std::string& duration) override {
    if (auto hr = owner_.Enter("IIdleSettings::put_IdleDuration", duration)) return hr;
    data_->idleDuration = duration;
    return os::kSOk;
  }
  os::HResult put_WaitTimeout(const std::string& timeout) override {
    if (auto hr = owner_.Enter("IIdleSettings::put_WaitTimeout", timeout)) return hr;
    data_->waitTimeout = timeout;
    return os::kSOk;
  }
  os::HResult get_StopOnIdleEnd(bool& value) override {
    if (auto hr = owner_.Enter("IIdleSettings::get_StopOnIdleEnd")) return hr;
    value = data_->stopOnIdleEnd;
    return os::kSOk;
  }
  os::HResult put_StopOnIdleEnd(bool value) override {
    if (auto hr = owner_.Enter("IIdleSettings::put_StopOnIdleEnd")) return hr;
    data_->stopOnIdleEnd = value;
    return os::kSOk;
  }
  os::HResult get_RestartOnIdle(bool& value) override {
    if (auto hr = owner_.Enter("IIdleSettings::get_RestartOnIdle")) return hr;
    value = data_->restartOnIdle;
    return os::kSOk;
  }
  os::HResult put_RestartOnIdle(bool value) override {
    if (auto hr = owner_.Enter("IIdleSettings::put_RestartOnIdle")) return hr;
    data_->restartOnIdle = value;
    return os::kSOk;
  }

 private:
  FakeTaskScheduler& owner_;
  Definition data_;
};

class FakeSettings : public os::ITaskSettings {
 public:
  FakeSettings(FakeTaskScheduler& owner, Definition data) : owner_(owner), data_(std::move(data)) {}
  os::HResult Get(os::TaskSettingFlag flag, bool& value) override {
    if (auto hr = owner_.Enter("ITaskSettings::get", os::TaskSettingFlagName(flag))) return hr;
    value = data_->flags[flag];
    return os::kSOk;
  }
  os::HResult Put(os::TaskSettingFlag flag, bool value) override {
    if (auto hr = owner_.Enter("ITaskSettings::put", os::TaskSettingFlagName(flag))) return hr;
    data_->flags[flag] = value;
    return os::kSOk;
  }
  os::HResult get_IdleSettings(std::shared_ptr<os::IIdleSettings>& idle) override {
    if (auto hr = owner_.Enter("ITaskSettings::get_IdleSettings")) return hr;
    idle = std::make_shared<FakeIdleSettings>(owner_, data_);
    return os::kSOk;
  }

 private:
  FakeTaskScheduler& owner_;
  Definition data_;
};

class FakeRegistrationInfo : public os::IRegistrationInfo {
 public:
  FakeRegistrationInfo(FakeTaskScheduler& owner, Definition data) : owner_(owner), data_(std::move(data)) {}
  os::HResult Get(os::RegistrationInfoField field, std::string& value) override {
    if (auto hr = owner_.Enter("IRegistrationInfo::get", os::RegistrationInfoFieldName(field))) return hr;
    value = data_->info[field];
    return os::kSOk;
  }
  os::HResult Put(os::RegistrationInfoField field, const std::string& value) override {
    if (auto hr = owner_.Enter("IRegistrationInfo::put", os::RegistrationInfoFieldName(field))) return hr;
    data_->info[field] = value;
    return os::kSOk;
  }

 private:
  FakeTaskScheduler& owner_;
  Definition data_;
};

class FakeRepetition : public os::IRepetitionPattern {
 public:
  FakeRepetition(FakeTaskScheduler& owner, Definition data, std::size_t index)
      : owner_(owner), data_(std::move(data)), index_(index) {}
  os::HResult put_Duration(const std::string& duration) override {
    if (auto hr = owner_.Enter("IRepetitionPattern::put_Duration", duration)) return hr;
    data_->triggers[index_].repetitionDuration = duration;
    return os::kSOk;
  }
  os::HResult put_Interval(const std::string& interval) override {
    if (auto hr = owner_.Enter("IRepetitionPattern::put_Interval", interval)) return hr;
    data_->triggers[index_].repetitionInterval = interval;
    return os::kSOk;
  }
  os::HResult put_StopAtDurationEnd(bool stop) override {
    if (auto hr = owner_.Enter("IRepetitionPattern::put_StopAtDurationEnd")) return hr;
    data_->triggers[index_].repetitionStopAtDurationEnd = stop;
    return os::kSOk;
  }

 private:
  FakeTaskScheduler& owner_;
  Definition data_;
  std::size_t index_;
};

// One trigger; it answers QueryInterface for the kind interface of its own type only.
class FakeTrigger : public os::ITrigger,
                    public os::ILogonTrigger,
                    public os::IBootTrigger,
                    public os::IDailyTrigger,
                    public os::IWeeklyTrigger,
                    public os::IMonthlyTrigger,
                    public os::IMonthlyDOWTrigger,
                    public std::enable_shared_from_this<FakeTrigger> {
 public:
  FakeTrigger(FakeTaskScheduler& owner, Definition data, std::size_t index)
      : owner_(owner), data_(std::move(data)), index_(index) {}

  FakeTriggerData& Data() { return data_->triggers[index_]; }

  os::HResult get_Type(std::int32_t& type) override {
    if (auto hr = owner_.Enter("ITrigger::get_Type", Data().id)) return hr;
    type = Data().type;
    return os::kSOk;
  }
  os::HResult get_Id(std::string& id) override {
    if (auto hr = owner_.Enter("ITrigger::get_Id", Data().id)) return hr;
    id = Data().id;
    return os::kSOk;
  }
  os::HResult put_Id(const std::string& id) override {
    if (auto hr = owner_.Enter("ITrigger::put_Id", id)) return hr;
    Data().id = id;
    return os::kSOk;
  }
  os::HResult put_Enabled(bool enabled) override {
    if (auto hr = owner_.Enter("ITrigger::put_Enabled", Data().id)) return hr;
    Data().enabled = enabled;
    return os::kSOk;
  }
  os::HResult put_StartBoundary(const std::string& start) override {
    if (auto hr = owner_.Enter("ITrigger::put_StartBoundary", start)) return hr;
    Data().startBoundary = start;
    return os::kSOk;
  }
  os::HResult put_EndBoundary(const std::string& end) override {
    if (auto hr = owner_.Enter("ITrigger::put_EndBoundary", end)) return hr;
    Data().endBoundary = end;
    return os::kSOk;
  }
  os::HResult get_Repetition(std::shared_ptr<os::IRepetitionPattern>& pattern) override {
    if (auto hr = owner_.Enter("ITrigger::get_Repetition", Data().id)) return hr;
    pattern = std::make_shared<FakeRepetition>(owner_, data_, index_);
    return os::kSOk;
  }
  os::HResult QueryInterface(std::shared_ptr<os::ILogonTrigger>& kind) override {
    return Query(kind, os::kTaskTriggerLogon);
  }
  os::HResult QueryInterface(std::shared_ptr<os::IBootTrigger>& kind) override {
    return Query(kind, os::kTaskTriggerBoot);
  }
  os::HResult QueryInterface(std::shared_ptr<os::IDailyTrigger>& kind) override {
    return Query(kind, os::kTaskTriggerDaily);
  }
  os::HResult QueryInterface(std::shared_ptr<os::IWeeklyTrigger>& kind) override {
    return Query(kind, os::kTaskTriggerWeekly);
  }
  os::HResult QueryInterface(std::shared_ptr<os::IMonthlyTrigger>& kind) override {
    return Query(kind, os::kTaskTriggerMonthly);
  }
  os::HResult QueryInterface(std::shared_ptr<os::IMonthlyDOWTrigger>& kind) override {
    return Query(kind, os::kTaskTriggerMonthlyDow);
  }

  // The kind properties (put_Delay, put_DaysOfWeek and put_MonthsOfYear serve two kinds each).
  os::HResult put_Delay(const std::string& delay) override {
    if (auto hr = owner_.Enter("ITrigger::put_Delay", delay)) return hr;
    Data().delay = delay;
    return os::kSOk;
  }
  os::HResult put_DaysInterval(std::int16_t days) override {
    if (auto hr = owner_.Enter("ITrigger::put_DaysInterval")) return hr;
    Data().daysInterval = days;
    return os::kSOk;
  }
  os::HResult put_DaysOfWeek(std::int16_t days) override {
    if (auto hr = owner_.Enter("ITrigger::put_DaysOfWeek")) return hr;
    Data().daysOfWeek = days;
    return os::kSOk;
  }
  os::HResult put_WeeksInterval(std::int16_t weeks) override {
    if (auto hr = owner_.Enter("ITrigger::put_WeeksInterval")) return hr;
    Data().weeksInterval = weeks;
    return os::kSOk;
  }
  os::HResult put_DaysOfMonth(std::int32_t days) override {
    if (auto hr = owner_.Enter("ITrigger::put_DaysOfMonth")) return hr;
    Data().daysOfMonth = days;
    return os::kSOk;
  }
  os::HResult put_MonthsOfYear(std::int16_t months) override {
    if (auto hr = owner_.Enter("ITrigger::put_MonthsOfYear")) return hr;
    Data().monthsOfYear = months;
    return os::kSOk;
  }
  os::HResult put_RunOnLastDayOfMonth(bool last) override {
    if (auto hr = owner_.Enter("ITrigger::put_RunOnLastDayOfMonth")) return hr;
    Data().runOnLastDayOfMonth = last;
    return os::kSOk;
  }
  os::HResult put_WeeksOfMonth(std::int16_t weeks) override {
    if (auto hr = owner_.Enter("ITrigger::put_WeeksOfMonth")) return hr;
    Data().weeksOfMonth = weeks;
    return os::kSOk;
  }
  os::HResult put_RunOnLastWeekOfMonth(bool last) override {
    if (auto hr = owner_.Enter("ITrigger::put_RunOnLastWeekOfMonth")) return hr;
    Data().runOnLastWeekOfMonth = last;
    return os::kSOk;
  }

 private:
  template <class Kind>
  os::HResult Query(std::shared_ptr<Kind>& kind, std::int32_t type) {
    kind.reset();
    if (Data().type != type) return os::kENoInterface;
    kind = As<Kind>(shared_from_this());
    return os::kSOk;
  }

  FakeTaskScheduler& owner_;
  Definition data_;
  std::size_t index_;
};

class FakeAction : public os::IAction,
                   public os::IExecAction,
                   public os::IShowMessageAction,
                   public std::enable_shared_from_this<FakeAction> {
 public:
  FakeAction(FakeTaskScheduler& owner, Definition data, std::size_t index)
      : owner_(owner), data_(std::move(data)), index_(index) {}

  FakeActionData& Data() { return data_->actions[index_]; }

  os::HResult get_Id(std::string& id) override {
    if (auto hr = owner_.Enter("IAction::get_Id", Data().id)) return hr;
    id = Data().id;
    return os::kSOk;
  }
  os::HResult put_Id(const std::string& id) override {
    if (auto hr = owner_.Enter("IAction::put_Id", id)) return hr;
    Data().id = id;
    return os::kSOk;
  }
  os::HResult QueryInterface(std::shared_ptr<os::IExecAction>& kind) override {
    return Query(kind, os::kTaskActionExec);
  }
  os::HResult QueryInterface(std::shared_ptr<os::IShowMessageAction>& kind) override {
    return Query(kind, os::kTaskActionShowMessage);
  }
  os::HResult get_Path(std::string& path) override {
    if (auto hr = owner_.Enter("IExecAction::get_Path")) return hr;
    path = Data().path;
    return os::kSOk;
  }
  os::HResult put_Path(const std::string& path) override {
    if (auto hr = owner_.Enter("IExecAction::put_Path", path)) return hr;
    Data().path = path;
    return os::kSOk;
  }
  os::HResult get_Arguments(std::string& arguments) override {
    if (auto hr = owner_.Enter("IExecAction::get_Arguments")) return hr;
    arguments = Data().arguments;
    return os::kSOk;
  }
  os::HResult put_Arguments(const std::string& arguments) override {
    if (auto hr = owner_.Enter("IExecAction::put_Arguments", arguments)) return hr;
    Data().arguments = arguments;
    return os::kSOk;
  }
  os::HResult put_WorkingDirectory(const std::string& directory) override {
    if (auto hr = owner_.Enter("IExecAction::put_WorkingDirectory", directory)) return hr;
    Data().workingDirectory = directory;
    return os::kSOk;
  }
  os::HResult put_Title(const std::string& title) override {
    if (auto hr = owner_.Enter("IShowMessageAction::put_Title", title)) return hr;
    Data().title = title;
    return os::kSOk;
  }
  os::HResult put_MessageBody(const std::string& body) override {
    if (auto hr = owner_.Enter("IShowMessageAction::put_MessageBody", body)) return hr;
    Data().messageBody = body;
    return os::kSOk;
  }

 private:
  template <class Kind>
  os::HResult Query(std::shared_ptr<Kind>& kind, std::int32_t type) {
    kind.reset();
    if (Data().type != type) return os::kENoInterface;
    kind = As<Kind>(shared_from_this());
    return os::kSOk;
  }

  FakeTaskScheduler& owner_;
  Definition data_;
  std::size_t index_;
};

class FakeTriggerCollection : public os::ITriggerCollection {
 public:
  FakeTriggerCollection(FakeTaskScheduler& owner, Definition data) : owner_(owner), data_(std::move(data)) {}
  os::HResult get_Count(std::int32_t& count) override {
    if (auto hr = owner_.Enter("ITriggerCollection::get_Count")) return hr;
    count = static_cast<std::int32_t>(data_->triggers.size());
    return os::kSOk;
  }
  os::HResult get_Item(std::int32_t index, std::shared_ptr<os::ITrigger>& trigger) override {
    if (auto hr = owner_.Enter("ITriggerCollection::get_Item", std::to_string(index))) return hr;
    if (index < 1 || index > static_cast<std::int32_t>(data_->triggers.size())) return os::kEInvalidArg;
    trigger = std::make_shared<FakeTrigger>(owner_, data_, static_cast<std::size_t>(index - 1));
    return os::kSOk;
  }
  os::HResult Create(std::int32_t type, std::shared_ptr<os::ITrigger>& trigger) override {
    if (auto hr = owner_.Enter("ITriggerCollection::Create", std::to_string(type))) return hr;
    FakeTriggerData item;
    item.type = type;
    data_->triggers.push_back(item);
    trigger = std::make_shared<FakeTrigger>(owner_, data_, data_->triggers.size() - 1);
    return os::kSOk;
  }

 private:
  FakeTaskScheduler& owner_;
  Definition data_;
};

class FakeActionCollection : public os::IActionCollection {
 public:
  FakeActionCollection(FakeTaskScheduler& owner, Definition data) : owner_(owner), data_(std::move(data)) {}
  os::HResult get_Count(std::int32_t& count) override {
    if (auto hr = owner_.Enter("IActionCollection::get_Count")) return hr;
    count = static_cast<std::int32_t>(data_->actions.size());
    return os::kSOk;
  }
  os::HResult get_Item(std::int32_t index, std::shared_ptr<os::IAction>& action) override {
    if (auto hr = owner_.Enter("IActionCollection::get_Item", std::to_string(index))) return hr;
    if (index < 1 || index > static_cast<std::int32_t>(data_->actions.size())) return os::kEInvalidArg;
    action = std::make_shared<FakeAction>(owner_, data_, static_cast<std::size_t>(index - 1));
    return os::kSOk;
  }
  os::HResult Create(std::int32_t type, std::shared_ptr<os::IAction>& action) override {
    if (auto hr = owner_.Enter("IActionCollection::Create", std::to_string(type))) return hr;
    FakeActionData item;
    item.type = type;
    data_->actions.push_back(item);
    action = std::make_shared<FakeAction>(owner_, data_, data_->actions.size() - 1);
    return os::kSOk;
  }

 private:
  FakeTaskScheduler& owner_;
  Definition data_;
};

class FakeDefinition : public os::ITaskDefinition {
 public:
  FakeDefinition(FakeTaskScheduler& owner, Definition data) : owner_(owner), data_(std::move(data)) {}
  const FakeDefinitionData& Data() const { return *data_; }

  os::HResult get_Principal(std::shared_ptr<os::IPrincipal>& principal) override {
    if (auto hr = owner_.Enter("ITaskDefinition::get_Principal")) return hr;
    principal = std::make_shared<FakePrincipal>(owner_, data_);
    return os::kSOk;
  }
  os::HResult get_Settings(std::shared_ptr<os::ITaskSettings>& settings) override {
    if (auto hr = owner_.Enter("ITaskDefinition::get_Settings")) return hr;
    settings = std::make_shared<FakeSettings>(owner_, data_);
    return os::kSOk;
  }
  os::HResult get_RegistrationInfo(std::shared_ptr<os::IRegistrationInfo>& info) override {
    if (auto hr = owner_.Enter("ITaskDefinition::get_RegistrationInfo")) return hr;
    info = std::make_shared<FakeRegistrationInfo>(owner_, data_);
    return os::kSOk;
  }
  os::HResult get_Triggers(std::shared_ptr<os::ITriggerCollection>& triggers) override {
    if (auto hr = owner_.Enter("ITaskDefinition::get_Triggers")) return hr;
    triggers = std::make_shared<FakeTriggerCollection>(owner_, data_);
    return os::kSOk;
  }
  os::HResult get_Actions(std::shared_ptr<os::IActionCollection>& actions) override {
    if (auto hr = owner_.Enter("ITaskDefinition::get_Actions")) return hr;
    actions = std::make_shared<FakeActionCollection>(owner_, data_);
    return os::kSOk;
  }

 private:
  FakeTaskScheduler& owner_;
  Definition data_;
};

class FakeRegisteredTask : public os::IRegisteredTask {
 public:
  FakeRegisteredTask(FakeTaskScheduler& owner, std::vector<std::string> folder, std::string name)
      : owner_(owner), folder_(std::move(folder)), name_(std::move(name)) {}

  os::HResult get_Name(std::string& name) override {
    if (auto hr = owner_.Enter("IRegisteredTask::get_Name", name_)) return hr;
    name = name_;
    return os::kSOk;
  }
  os::HResult get_Enabled(bool& enabled) override {
    if (auto hr = owner_.Enter("IRegisteredTask::get_Enabled", name_)) return hr;
    auto* task = Find();
    if (task == nullptr) return os::kEFileNotFound;
    enabled = task->definition.flags[os::TaskSettingFlag::Enabled];
    return os::kSOk;
  }
  os::HResult get_Definition(std::shared_ptr<os::ITaskDefinition>& definition) override {
    if (auto hr = owner_.Enter("IRegisteredTask::get_Definition", name_)) return hr;
    auto* task = Find();
    if (task == nullptr) return os::kEFileNotFound;
    definition = std::make_shared<FakeDefinition>(owner_, std::make_shared<FakeDefinitionData>(task->definition));
    return os::kSOk;
  }

 private:
  FakeRegisteredTaskData* Find() {
    FakeFolderData* folder = Walk(owner_.root, folder_);
    return folder == nullptr ? nullptr : folder->Task(name_);
  }

  FakeTaskScheduler& owner_;
  std::vector<std::string> folder_;
  std::string name_;
};

class FakeFolder : public os::ITaskFolder {
 public:
  FakeFolder(FakeTaskScheduler& owner, std::vector<std::string> parts) : owner_(owner), parts_(std::move(parts)) {}

  os::HResult get_Path(std::string& path) override {
    if (auto hr = owner_.Enter("ITaskFolder::get_Path", JoinPath(parts_))) return hr;
    path = JoinPath(parts_);
    return os::kSOk;
  }
  os::HResult GetFolder(const std::string& path, std::shared_ptr<os::ITaskFolder>& folder) override {
    const auto parts = Resolve(parts_, path);
    if (auto hr = owner_.Enter("ITaskFolder::GetFolder", JoinPath(parts))) return hr;
    if (Walk(owner_.root, parts) == nullptr) return os::kEFileNotFound;
    folder = std::make_shared<FakeFolder>(owner_, parts);
    return os::kSOk;
  }
  os::HResult CreateFolder(const std::string& path, const os::OptionalText& /*sddl*/,
                           std::shared_ptr<os::ITaskFolder>& folder) override {
    const auto parts = Resolve(parts_, path);
    if (auto hr = owner_.Enter("ITaskFolder::CreateFolder", JoinPath(parts))) return hr;
    if (Walk(owner_.root, parts) != nullptr) return os::kEAlreadyExists;
    owner_.MakeFolder(JoinPath(parts));
    folder = std::make_shared<FakeFolder>(owner_, parts);
    return os::kSOk;
  }
  os::HResult DeleteFolder(const std::string& path, std::int32_t /*flags*/) override {
    auto parts = Resolve(parts_, path);
    if (auto hr = owner_.Enter("ITaskFolder::DeleteFolder", JoinPath(parts))) return hr;
    FakeFolderData* folder = Walk(owner_.root, parts);
    if (folder == nullptr || parts.empty()) return os::kEFileNotFound;
    if (!folder->folders.empty() || !folder->tasks.empty()) return static_cast<os::HResult>(0x80070091);
    const std::string name = parts.back();
    parts.pop_back();
    auto& siblings = Walk(owner_.root, parts)->folders;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                [&](const auto& sibling) { return SameName(sibling->name, name); }));
    return os::kSOk;
  }
  os::HResult GetTask(const std::string& path, std::shared_ptr<os::IRegisteredTask>& task) override {
    if (auto hr = owner_.Enter("ITaskFolder::GetTask", path)) return hr;
    FakeFolderData* folder = Walk(owner_.root, parts_);
    FakeRegisteredTaskData* data = folder == nullptr ? nullptr : folder->Task(path);
    if (data == nullptr) return os::kEFileNotFound;
    task = std::make_shared<FakeRegisteredTask>(owner_, parts_, data->name);
    return os::kSOk;
  }
  os::HResult DeleteTask(const std::string& name, std::int32_t /*flags*/) override {
    if (auto hr = owner_.Enter("ITaskFolder::DeleteTask", name)) return hr;
    FakeFolderData* folder = Walk(owner_.root, parts_);
    if (folder == nullptr || folder->Task(name) == nullptr) return os::kEFileNotFound;
    auto& tasks = folder->tasks;
    tasks.erase(std::find_if(tasks.begin(), tasks.end(), [&](const auto& task) { return SameName(task.name, name); }));
    return os::kSOk;
  }
  os::HResult RegisterTaskDefinition(const std::string& path, os::ITaskDefinition& definition, std::int32_t flags,
                                     const os::OptionalText& userId, const os::OptionalText& password,
                                     std::int32_t logonType, const os::OptionalText& /*sddl*/,
                                     std::shared_ptr<os::IRegisteredTask>& task) override {
    if (auto hr = owner_.Enter("ITaskFolder::RegisterTaskDefinition", path)) return hr;
    FakeFolderData* folder = Walk(owner_.root, parts_);
    if (folder == nullptr) return os::kEFileNotFound;
    auto* fake = dynamic_cast<FakeDefinition*>(&definition);
    if (fake == nullptr || path.empty()) return os::kEInvalidArg;
    if (logonType == os::kTaskLogonPassword && !password) return os::kEInvalidArg;
    FakeRegisteredTaskData* existing = folder->Task(path);
    if (existing != nullptr && (flags & os::kTaskCreateOrUpdate) == os::kTaskCreate) return os::kEAlreadyExists;
    if (existing == nullptr && (flags & os::kTaskCreate) == 0) return os::kEFileNotFound;
    if (existing == nullptr) {
      folder->tasks.push_back({});
      existing = &folder->tasks.back();
      existing->name = path;
    }
    existing->definition = fake->Data();
    // The account passed to the registration is the one the task runs under.
    if (userId)
      (logonType == os::kTaskLogonGroup ? existing->definition.groupId : existing->definition.userId) = *userId;
    if (logonType != os::kTaskLogonNone) existing->definition.logonType = logonType;
    existing->registrationFlags = flags;
    existing->registrationUser = userId;
    existing->registrationLogonType = logonType;
    ++existing->registrations;
    task = std::make_shared<FakeRegisteredTask>(owner_, parts_, existing->name);
    return os::kSOk;
  }

 private:
  FakeTaskScheduler& owner_;
  std::vector<std::string> parts_;
};

class FakeService : public os::ITaskService {
 public:
  explicit FakeService(FakeTaskScheduler& owner) : owner_(owner) {}

  os::HResult Connect(const std::string& server, const std::string& user, const std::string& domain,
                      const std::string& password) override {
    if (auto hr = owner_.Enter("ITaskService::Connect", server + "|" + user + "|" + domain + "|" + password)) {
      return hr;
    }
    connected_ = true;
    return os::kSOk;
  }
  os::HResult GetFolder(const std::string& path, std::shared_ptr<os::ITaskFolder>& folder) override {
    if (auto hr = owner_.Enter("ITaskService::GetFolder", path)) return hr;
    if (!connected_) return kNotConnected;
    const auto parts = Resolve({}, path);
    if (Walk(owner_.root, parts) == nullptr) return os::kEFileNotFound;
    folder = std::make_shared<FakeFolder>(owner_, parts);
    return os::kSOk;
  }
  os::HResult NewTask(std::int32_t flags, std::shared_ptr<os::ITaskDefinition>& definition) override {
    if (auto hr = owner_.Enter("ITaskService::NewTask", std::to_string(flags))) return hr;
    if (!connected_) return kNotConnected;
    definition = std::make_shared<FakeDefinition>(owner_, std::make_shared<FakeDefinitionData>());
    return os::kSOk;
  }

 private:
  FakeTaskScheduler& owner_;
  bool connected_ = false;
};

}  // namespace

FakeFolderData* FakeFolderData::Folder(const std::string& folderName) {
  for (auto& folder : folders) {
    if (SameName(folder->name, folderName)) return folder.get();
  }
  return nullptr;
}

FakeRegisteredTaskData* FakeFolderData::Task(const std::string& taskName) {
  for (auto& task : tasks) {
    if (SameName(task.name, taskName)) return &task;
  }
  return nullptr;
}

FakeTaskScheduler::FakeTaskScheduler()
    : descriptions{
          {os::kENotImpl, "Not implemented"},
          {os::kEAccessDenied, "Access is denied."},
          {os::kEFileNotFound, "The system cannot find the file specified."},
          {os::kEInvalidArg, "The parameter is incorrect."},
          {os::kEAlreadyExists, "Cannot create a file when that file already exists."},
      } {}

FakeTaskScheduler::~FakeTaskScheduler() = default;

FakeFolderData* FakeTaskScheduler::FindFolder(const std::string& path) { return Walk(root, SplitPath(path)); }

FakeFolderData& FakeTaskScheduler::MakeFolder(const std::string& path) {
  FakeFolderData* folder = &root;
  for (const auto& part : SplitPath(path)) {
    FakeFolderData* next = folder->Folder(part);
    if (next == nullptr) {
      folder->folders.push_back(std::make_unique<FakeFolderData>());
      next = folder->folders.back().get();
      next->name = part;
    }
    folder = next;
  }
  return *folder;
}

FakeRegisteredTaskData& FakeTaskScheduler::AddTask(const std::string& folder, const std::string& name,
                                                   FakeDefinitionData definition) {
  FakeFolderData& target = MakeFolder(folder);
  FakeRegisteredTaskData* task = target.Task(name);
  if (task == nullptr) {
    target.tasks.push_back({});
    task = &target.tasks.back();
    task->name = name;
  }
  task->definition = std::move(definition);
  return *task;
}

FakeRegisteredTaskData* FakeTaskScheduler::FindTask(const std::string& folder, const std::string& name) {
  FakeFolderData* target = FindFolder(folder);
  return target == nullptr ? nullptr : target->Task(name);
}

std::size_t FakeTaskScheduler::CountCalls(const std::string& prefix) const {
  return static_cast<std::size_t>(
      std::count_if(calls.begin(), calls.end(), [&](const std::string& call) { return call.rfind(prefix, 0) == 0; }));
}

os::HResult FakeTaskScheduler::CreateInstance(std::shared_ptr<os::ITaskService>& service) {
  if (auto hr = Enter("CoCreateInstance", "TaskScheduler")) return hr;
  if (!os::Succeeded(createResult)) return createResult;
  service = std::make_shared<FakeService>(*this);
  return os::kSOk;
}

std::string FakeTaskScheduler::ErrorDescription(os::HResult code) {
  auto it = descriptions.find(code);
  return it == descriptions.end() ? std::string() : it->second;
}

os::HResult FakeTaskScheduler::Enter(const std::string& call, const std::string& subject) {
  calls.push_back(subject.empty() ? call : call + " " + subject);
  auto code = failures.Check(call, subject);
  return code ? static_cast<os::HResult>(*code) : os::kSOk;
}

}  // namespace fakes
