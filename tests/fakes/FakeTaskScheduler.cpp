#include "tests/fakes/FakeTaskScheduler.h"

#include <algorithm>
#include <cctype>

#include "tests/fakes/FakeCalls.h"

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

// What every object of a definition shares: the library that records its calls, and the
// definition it reads and writes. An object says only which call reads or writes what.
class FakeDefinitionPart {
 public:
  FakeDefinitionPart(FakeTaskScheduler& owner, Definition data) : owner_(owner), data_(std::move(data)) {}

 protected:
  template <class Action>
  os::HResult Answer(const std::string& call, const std::string& subject, Action action) {
    return fakes::Answer(owner_, call, subject, action);
  }
  // A call that gives another object of the same definition.
  template <class Object, class Seam, class... Args>
  os::HResult Make(const std::string& call, const std::string& subject, std::shared_ptr<Seam>& out, Args... args) {
    return Answer(call, subject, [&] { out = std::make_shared<Object>(owner_, data_, args...); });
  }

  FakeTaskScheduler& owner_;
  Definition data_;
};

// A trigger or an action: an entry of one of the definition's lists, which answers
// QueryInterface for the kind interface of its own type only.
template <class Self, class ItemData, std::vector<ItemData> FakeDefinitionData::*kList>
class FakeItem : protected FakeDefinitionPart, public std::enable_shared_from_this<Self> {
 public:
  FakeItem(FakeTaskScheduler& owner, Definition data, std::size_t index)
      : FakeDefinitionPart(owner, std::move(data)), index_(index) {}

 protected:
  ItemData& Data() { return ((*data_).*kList)[index_]; }
  template <class Kind>
  os::HResult Query(std::shared_ptr<Kind>& kind, std::int32_t type) {
    kind.reset();
    if (Data().type != type) return os::kENoInterface;
    kind = As<Kind>(this->shared_from_this());
    return os::kSOk;
  }

  std::size_t index_;
};

class FakePrincipal : public os::IPrincipal, FakeDefinitionPart {
 public:
  using FakeDefinitionPart::FakeDefinitionPart;
  os::HResult get_UserId(std::string& user) override {
    return Answer("IPrincipal::get_UserId", {}, [&] { user = data_->userId; });
  }
  os::HResult put_UserId(const std::string& user) override {
    return Answer("IPrincipal::put_UserId", user, [&] { data_->userId = user; });
  }
  os::HResult get_GroupId(std::string& group) override {
    return Answer("IPrincipal::get_GroupId", {}, [&] { group = data_->groupId; });
  }
  os::HResult get_LogonType(std::int32_t& logonType) override {
    return Answer("IPrincipal::get_LogonType", {}, [&] { logonType = data_->logonType; });
  }
  os::HResult put_LogonType(std::int32_t logonType) override {
    return Answer("IPrincipal::put_LogonType", std::to_string(logonType), [&] { data_->logonType = logonType; });
  }
};

class FakeIdleSettings : public os::IIdleSettings, FakeDefinitionPart {
 public:
  using FakeDefinitionPart::FakeDefinitionPart;
  os::HResult put_IdleDuration(const std::string& duration) override {
    return Answer("IIdleSettings::put_IdleDuration", duration, [&] { data_->idleDuration = duration; });
  }
  os::HResult put_WaitTimeout(const std::string& timeout) override {
    return Answer("IIdleSettings::put_WaitTimeout", timeout, [&] { data_->waitTimeout = timeout; });
  }
  os::HResult get_StopOnIdleEnd(bool& value) override {
    return Answer("IIdleSettings::get_StopOnIdleEnd", {}, [&] { value = data_->stopOnIdleEnd; });
  }
  os::HResult put_StopOnIdleEnd(bool value) override {
    return Answer("IIdleSettings::put_StopOnIdleEnd", {}, [&] { data_->stopOnIdleEnd = value; });
  }
  os::HResult get_RestartOnIdle(bool& value) override {
    return Answer("IIdleSettings::get_RestartOnIdle", {}, [&] { value = data_->restartOnIdle; });
  }
  os::HResult put_RestartOnIdle(bool value) override {
    return Answer("IIdleSettings::put_RestartOnIdle", {}, [&] { data_->restartOnIdle = value; });
  }
};

class FakeSettings : public os::ITaskSettings, FakeDefinitionPart {
 public:
  using FakeDefinitionPart::FakeDefinitionPart;
  os::HResult Get(os::TaskSettingFlag flag, bool& value) override {
    return Answer("ITaskSettings::get", os::TaskSettingFlagName(flag), [&] { value = data_->flags[flag]; });
  }
  os::HResult Put(os::TaskSettingFlag flag, bool value) override {
    return Answer("ITaskSettings::put", os::TaskSettingFlagName(flag), [&] { data_->flags[flag] = value; });
  }
  os::HResult get_IdleSettings(std::shared_ptr<os::IIdleSettings>& idle) override {
    return Make<FakeIdleSettings>("ITaskSettings::get_IdleSettings", {}, idle);
  }
};

class FakeRegistrationInfo : public os::IRegistrationInfo, FakeDefinitionPart {
 public:
  using FakeDefinitionPart::FakeDefinitionPart;
  os::HResult Get(os::RegistrationInfoField field, std::string& value) override {
    return Answer("IRegistrationInfo::get", os::RegistrationInfoFieldName(field), [&] { value = data_->info[field]; });
  }
  os::HResult Put(os::RegistrationInfoField field, const std::string& value) override {
    return Answer("IRegistrationInfo::put", os::RegistrationInfoFieldName(field), [&] { data_->info[field] = value; });
  }
};

class FakeRepetition : public os::IRepetitionPattern, FakeDefinitionPart {
 public:
  FakeRepetition(FakeTaskScheduler& owner, Definition data, std::size_t index)
      : FakeDefinitionPart(owner, std::move(data)), index_(index) {}
  os::HResult put_Duration(const std::string& duration) override {
    return Answer("IRepetitionPattern::put_Duration", duration, [&] { Data().repetitionDuration = duration; });
  }
  os::HResult put_Interval(const std::string& interval) override {
    return Answer("IRepetitionPattern::put_Interval", interval, [&] { Data().repetitionInterval = interval; });
  }
  os::HResult put_StopAtDurationEnd(bool stop) override {
    return Answer("IRepetitionPattern::put_StopAtDurationEnd", {}, [&] { Data().repetitionStopAtDurationEnd = stop; });
  }

 private:
  FakeTriggerData& Data() { return data_->triggers[index_]; }

  std::size_t index_;
};

class FakeTrigger : public os::ITrigger,
                    public os::ILogonTrigger,
                    public os::IBootTrigger,
                    public os::IDailyTrigger,
                    public os::IWeeklyTrigger,
                    public os::IMonthlyTrigger,
                    public os::IMonthlyDOWTrigger,
                    public FakeItem<FakeTrigger, FakeTriggerData, &FakeDefinitionData::triggers> {
 public:
  using FakeItem::FakeItem;

  os::HResult get_Type(std::int32_t& type) override {
    return Answer("ITrigger::get_Type", Data().id, [&] { type = Data().type; });
  }
  os::HResult get_Id(std::string& id) override {
    return Answer("ITrigger::get_Id", Data().id, [&] { id = Data().id; });
  }
  os::HResult put_Id(const std::string& id) override {
    return Answer("ITrigger::put_Id", id, [&] { Data().id = id; });
  }
  os::HResult put_Enabled(bool enabled) override {
    return Answer("ITrigger::put_Enabled", Data().id, [&] { Data().enabled = enabled; });
  }
  os::HResult put_StartBoundary(const std::string& start) override {
    return Answer("ITrigger::put_StartBoundary", start, [&] { Data().startBoundary = start; });
  }
  os::HResult put_EndBoundary(const std::string& end) override {
    return Answer("ITrigger::put_EndBoundary", end, [&] { Data().endBoundary = end; });
  }
  os::HResult get_Repetition(std::shared_ptr<os::IRepetitionPattern>& pattern) override {
    return Make<FakeRepetition>("ITrigger::get_Repetition", Data().id, pattern, index_);
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
    return Answer("ITrigger::put_Delay", delay, [&] { Data().delay = delay; });
  }
  os::HResult put_DaysInterval(std::int16_t days) override {
    return Answer("ITrigger::put_DaysInterval", {}, [&] { Data().daysInterval = days; });
  }
  os::HResult put_DaysOfWeek(std::int16_t days) override {
    return Answer("ITrigger::put_DaysOfWeek", {}, [&] { Data().daysOfWeek = days; });
  }
  os::HResult put_WeeksInterval(std::int16_t weeks) override {
    return Answer("ITrigger::put_WeeksInterval", {}, [&] { Data().weeksInterval = weeks; });
  }
  os::HResult put_DaysOfMonth(std::int32_t days) override {
    return Answer("ITrigger::put_DaysOfMonth", {}, [&] { Data().daysOfMonth = days; });
  }
  os::HResult put_MonthsOfYear(std::int16_t months) override {
    return Answer("ITrigger::put_MonthsOfYear", {}, [&] { Data().monthsOfYear = months; });
  }
  os::HResult put_RunOnLastDayOfMonth(bool last) override {
    return Answer("ITrigger::put_RunOnLastDayOfMonth", {}, [&] { Data().runOnLastDayOfMonth = last; });
  }
  os::HResult put_WeeksOfMonth(std::int16_t weeks) override {
    return Answer("ITrigger::put_WeeksOfMonth", {}, [&] { Data().weeksOfMonth = weeks; });
  }
  os::HResult put_RunOnLastWeekOfMonth(bool last) override {
    return Answer("ITrigger::put_RunOnLastWeekOfMonth", {}, [&] { Data().runOnLastWeekOfMonth = last; });
  }
};

class FakeAction : public os::IAction,
                   public os::IExecAction,
                   public os::IShowMessageAction,
                   public FakeItem<FakeAction, FakeActionData, &FakeDefinitionData::actions> {
 public:
  using FakeItem::FakeItem;

  os::HResult get_Id(std::string& id) override {
    return Answer("IAction::get_Id", Data().id, [&] { id = Data().id; });
  }
  os::HResult put_Id(const std::string& id) override {
    return Answer("IAction::put_Id", id, [&] { Data().id = id; });
  }
  os::HResult QueryInterface(std::shared_ptr<os::IExecAction>& kind) override {
    return Query(kind, os::kTaskActionExec);
  }
  os::HResult QueryInterface(std::shared_ptr<os::IShowMessageAction>& kind) override {
    return Query(kind, os::kTaskActionShowMessage);
  }
  os::HResult get_Path(std::string& path) override {
    return Answer("IExecAction::get_Path", {}, [&] { path = Data().path; });
  }
  os::HResult put_Path(const std::string& path) override {
    return Answer("IExecAction::put_Path", path, [&] { Data().path = path; });
  }
  os::HResult get_Arguments(std::string& arguments) override {
    return Answer("IExecAction::get_Arguments", {}, [&] { arguments = Data().arguments; });
  }
  os::HResult put_Arguments(const std::string& arguments) override {
    return Answer("IExecAction::put_Arguments", arguments, [&] { Data().arguments = arguments; });
  }
  os::HResult put_WorkingDirectory(const std::string& directory) override {
    return Answer("IExecAction::put_WorkingDirectory", directory, [&] { Data().workingDirectory = directory; });
  }
  os::HResult put_Title(const std::string& title) override {
    return Answer("IShowMessageAction::put_Title", title, [&] { Data().title = title; });
  }
  os::HResult put_MessageBody(const std::string& body) override {
    return Answer("IShowMessageAction::put_MessageBody", body, [&] { Data().messageBody = body; });
  }
};

// The triggers or the actions of a definition: counted, read by index (from 1), made by kind.
template <class Seam, class ItemSeam, class Item, class ItemData, std::vector<ItemData> FakeDefinitionData::*kList>
class FakeCollection : public Seam, FakeDefinitionPart {
 public:
  FakeCollection(FakeTaskScheduler& owner, Definition data, std::string name)
      : FakeDefinitionPart(owner, std::move(data)), name_(std::move(name)) {}

  os::HResult get_Count(std::int32_t& count) override {
    return Answer(name_ + "::get_Count", {}, [&] { count = static_cast<std::int32_t>(Items().size()); });
  }
  os::HResult get_Item(std::int32_t index, std::shared_ptr<ItemSeam>& item) override {
    if (auto code = owner_.Enter(name_ + "::get_Item", std::to_string(index))) return *code;
    if (index < 1 || index > static_cast<std::int32_t>(Items().size())) return os::kEInvalidArg;
    item = std::make_shared<Item>(owner_, data_, static_cast<std::size_t>(index - 1));
    return os::kSOk;
  }
  os::HResult Create(std::int32_t type, std::shared_ptr<ItemSeam>& item) override {
    return Answer(name_ + "::Create", std::to_string(type), [&] {
      ItemData added;
      added.type = type;
      Items().push_back(added);
      item = std::make_shared<Item>(owner_, data_, Items().size() - 1);
    });
  }

 private:
  std::vector<ItemData>& Items() { return (*data_).*kList; }

  std::string name_;
};
using FakeTriggerCollection =
    FakeCollection<os::ITriggerCollection, os::ITrigger, FakeTrigger, FakeTriggerData, &FakeDefinitionData::triggers>;
using FakeActionCollection =
    FakeCollection<os::IActionCollection, os::IAction, FakeAction, FakeActionData, &FakeDefinitionData::actions>;

class FakeDefinition : public os::ITaskDefinition, FakeDefinitionPart {
 public:
  using FakeDefinitionPart::FakeDefinitionPart;
  const FakeDefinitionData& Data() const { return *data_; }

  os::HResult get_Principal(std::shared_ptr<os::IPrincipal>& principal) override {
    return Make<FakePrincipal>("ITaskDefinition::get_Principal", {}, principal);
  }
  os::HResult get_Settings(std::shared_ptr<os::ITaskSettings>& settings) override {
    return Make<FakeSettings>("ITaskDefinition::get_Settings", {}, settings);
  }
  os::HResult get_RegistrationInfo(std::shared_ptr<os::IRegistrationInfo>& info) override {
    return Make<FakeRegistrationInfo>("ITaskDefinition::get_RegistrationInfo", {}, info);
  }
  os::HResult get_Triggers(std::shared_ptr<os::ITriggerCollection>& triggers) override {
    return Make<FakeTriggerCollection>("ITaskDefinition::get_Triggers", {}, triggers, "ITriggerCollection");
  }
  os::HResult get_Actions(std::shared_ptr<os::IActionCollection>& actions) override {
    return Make<FakeActionCollection>("ITaskDefinition::get_Actions", {}, actions, "IActionCollection");
  }
};

class FakeRegisteredTask : public os::IRegisteredTask {
 public:
  FakeRegisteredTask(FakeTaskScheduler& owner, std::vector<std::string> folder, std::string name)
      : owner_(owner), folder_(std::move(folder)), name_(std::move(name)) {}

  os::HResult get_Name(std::string& name) override {
    return Answer(owner_, "IRegisteredTask::get_Name", name_, [&] { name = name_; });
  }
  os::HResult get_Enabled(bool& enabled) override {
    if (auto code = owner_.Enter("IRegisteredTask::get_Enabled", name_)) return *code;
    auto* task = Find();
    if (task == nullptr) return os::kEFileNotFound;
    enabled = task->definition.flags[os::TaskSettingFlag::Enabled];
    return os::kSOk;
  }
  os::HResult get_Definition(std::shared_ptr<os::ITaskDefinition>& definition) override {
    if (auto code = owner_.Enter("IRegisteredTask::get_Definition", name_)) return *code;
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
    return Answer(owner_, "ITaskFolder::get_Path", JoinPath(parts_), [&] { path = JoinPath(parts_); });
  }
  os::HResult GetFolder(const std::string& path, std::shared_ptr<os::ITaskFolder>& folder) override {
    const auto parts = Resolve(parts_, path);
    if (auto code = owner_.Enter("ITaskFolder::GetFolder", JoinPath(parts))) return *code;
    if (Walk(owner_.root, parts) == nullptr) return os::kEFileNotFound;
    folder = std::make_shared<FakeFolder>(owner_, parts);
    return os::kSOk;
  }
  os::HResult CreateFolder(const std::string& path, const os::OptionalText& /*sddl*/,
                           std::shared_ptr<os::ITaskFolder>& folder) override {
    const auto parts = Resolve(parts_, path);
    if (auto code = owner_.Enter("ITaskFolder::CreateFolder", JoinPath(parts))) return *code;
    if (Walk(owner_.root, parts) != nullptr) return os::kEAlreadyExists;
    owner_.MakeFolder(JoinPath(parts));
    folder = std::make_shared<FakeFolder>(owner_, parts);
    return os::kSOk;
  }
  os::HResult DeleteFolder(const std::string& path, std::int32_t /*flags*/) override {
    auto parts = Resolve(parts_, path);
    if (auto code = owner_.Enter("ITaskFolder::DeleteFolder", JoinPath(parts))) return *code;
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
    if (auto code = owner_.Enter("ITaskFolder::GetTask", path)) return *code;
    FakeFolderData* folder = Walk(owner_.root, parts_);
    FakeRegisteredTaskData* data = folder == nullptr ? nullptr : folder->Task(path);
    if (data == nullptr) return os::kEFileNotFound;
    task = std::make_shared<FakeRegisteredTask>(owner_, parts_, data->name);
    return os::kSOk;
  }
  os::HResult DeleteTask(const std::string& name, std::int32_t /*flags*/) override {
    if (auto code = owner_.Enter("ITaskFolder::DeleteTask", name)) return *code;
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
    if (auto code = owner_.Enter("ITaskFolder::RegisterTaskDefinition", path)) return *code;
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
    if (auto code = owner_.Enter("ITaskService::Connect", server + "|" + user + "|" + domain + "|" + password)) {
      return *code;
    }
    connected_ = true;
    return os::kSOk;
  }
  os::HResult GetFolder(const std::string& path, std::shared_ptr<os::ITaskFolder>& folder) override {
    if (auto code = owner_.Enter("ITaskService::GetFolder", path)) return *code;
    if (!connected_) return kNotConnected;
    const auto parts = Resolve({}, path);
    if (Walk(owner_.root, parts) == nullptr) return os::kEFileNotFound;
    folder = std::make_shared<FakeFolder>(owner_, parts);
    return os::kSOk;
  }
  os::HResult NewTask(std::int32_t flags, std::shared_ptr<os::ITaskDefinition>& definition) override {
    if (auto code = owner_.Enter("ITaskService::NewTask", std::to_string(flags))) return *code;
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
  if (auto code = Enter("CoCreateInstance", "TaskScheduler")) return *code;
  if (!os::Succeeded(createResult)) return createResult;
  service = std::make_shared<FakeService>(*this);
  return os::kSOk;
}

std::string FakeTaskScheduler::ErrorDescription(os::HResult code) {
  auto it = descriptions.find(code);
  return it == descriptions.end() ? std::string() : it->second;
}

std::optional<os::HResult> FakeTaskScheduler::Enter(const std::string& call, const std::string& subject) {
  calls.push_back(subject.empty() ? call : call + " " + subject);
  if (auto code = failures.Check(call, subject)) return static_cast<os::HResult>(*code);
  return std::nullopt;
}

}  // namespace fakes
