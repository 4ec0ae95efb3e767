#include "tests/fakes/FakeTaskScheduler10.h"

#include <algorithm>

#include "tests/fakes/FakeCalls.h"

namespace fakes {

namespace {

// SCHED_E_TRIGGER_NOT_FOUND.
constexpr std::int32_t kTriggerNotFound = static_cast<std::int32_t>(0x80041309u);

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// The job's name as the folder knows it: the file name without ".job".
std::string JobName(const std::string& name) {
  constexpr std::string_view kExtension = ".job";
  if (name.size() > kExtension.size() &&
      EqualNoCase(name.substr(name.size() - kExtension.size()), std::string(kExtension))) {
    return name.substr(0, name.size() - kExtension.size());
  }
  return name;
}

// What the objects of one job share: the library that records their calls, and the job they
// read and write; each call names the job. An object says only what each call does.
class FakeJobPart {
 public:
  FakeJobPart(FakeTaskScheduler10Library& library, std::shared_ptr<FakeJob10> job)
      : library_(library), job_(std::move(job)) {}

 protected:
  template <class Action>
  std::int32_t Answer(const char* call, Action action) {
    return fakes::Answer(library_, call, job_->name, action);
  }

  FakeTaskScheduler10Library& library_;
  std::shared_ptr<FakeJob10> job_;
};

class FakeTaskTrigger10 final : public os::ITaskTrigger10, FakeJobPart {
 public:
  FakeTaskTrigger10(FakeTaskScheduler10Library& library, std::shared_ptr<FakeJob10> job, std::size_t index)
      : FakeJobPart(library, std::move(job)), index_(index) {}

  std::int32_t SetTrigger(const os::TaskTrigger10& trigger) override {
    if (auto code = library_.Enter("ITaskTrigger::SetTrigger", job_->name)) return *code;
    if (trigger.cbTriggerSize != os::ts10::kTriggerSize) return os::ts10::kEInvalidArg;
    if (index_ >= job_->triggers.size()) return kTriggerNotFound;
    job_->triggers[index_] = trigger;
    return os::ts10::kSOk;
  }
  std::int32_t GetTrigger(os::TaskTrigger10& trigger) override {
    if (auto code = library_.Enter("ITaskTrigger::GetTrigger", job_->name)) return *code;
    if (index_ >= job_->triggers.size()) return kTriggerNotFound;
    trigger = job_->triggers[index_];
    return os::ts10::kSOk;
  }

 private:
  std::size_t index_;
};

class FakePersistFile10 final : public os::IPersistFile10, FakeJobPart {
 public:
  using FakeJobPart::FakeJobPart;

  std::int32_t Save() override {
    return Answer("IPersistFile::Save", [&] {
      if (FakeJob10* saved = library_.FindJob(job_->name)) {
        *saved = *job_;
      } else {
        library_.jobs.push_back(*job_);
      }
    });
  }
};

class FakeTask10 final : public os::ITask10, FakeJobPart {
 public:
  FakeTask10(FakeTaskScheduler10Library& library, FakeJob10 job)
      : FakeJobPart(library, std::make_shared<FakeJob10>(std::move(job))) {}

  std::int32_t SetFlags(std::uint32_t flags) override {
    return Answer("ITask::SetFlags", [&] { job_->flags = flags; });
  }
  std::int32_t GetFlags(std::uint32_t& flags) override {
    return Answer("ITask::GetFlags", [&] { flags = job_->flags; });
  }
  std::int32_t SetAccountInformation(const std::string& account, const std::optional<std::string>& password) override {
    return Answer("ITask::SetAccountInformation", [&] {
      job_->account = account;
      job_->password = password;
    });
  }
  std::int32_t GetAccountInformation(std::string& account) override {
    if (auto code = library_.Enter("ITask::GetAccountInformation", job_->name)) return *code;
    if (!job_->account) return os::ts10::kAccountInformationNotSet;
    account = *job_->account;
    return os::ts10::kSOk;
  }
  std::int32_t SetIdleWait(std::uint16_t idleMinutes, std::uint16_t deadlineMinutes) override {
    return Answer("ITask::SetIdleWait", [&] {
      job_->idleMinutes = idleMinutes;
      job_->deadlineMinutes = deadlineMinutes;
    });
  }
  std::int32_t GetIdleWait(std::uint16_t& idleMinutes, std::uint16_t& deadlineMinutes) override {
    return Answer("ITask::GetIdleWait", [&] {
      idleMinutes = job_->idleMinutes;
      deadlineMinutes = job_->deadlineMinutes;
    });
  }
  std::int32_t SetCreator(const std::string& creator) override {
    return Answer("ITask::SetCreator", [&] { job_->creator = creator; });
  }
  std::int32_t GetCreator(std::string& creator) override {
    return Answer("ITask::GetCreator", [&] { creator = job_->creator; });
  }
  std::int32_t SetComment(const std::string& comment) override {
    return Answer("ITask::SetComment", [&] { job_->comment = comment; });
  }
  std::int32_t GetComment(std::string& comment) override {
    return Answer("ITask::GetComment", [&] { comment = job_->comment; });
  }
  std::int32_t SetApplicationName(const std::string& applicationName) override {
    return Answer("ITask::SetApplicationName", [&] { job_->applicationName = applicationName; });
  }
  std::int32_t GetApplicationName(std::string& applicationName) override {
    return Answer("ITask::GetApplicationName", [&] { applicationName = job_->applicationName; });
  }
  std::int32_t SetParameters(const std::string& parameters) override {
    return Answer("ITask::SetParameters", [&] { job_->parameters = parameters; });
  }
  std::int32_t GetParameters(std::string& parameters) override {
    return Answer("ITask::GetParameters", [&] { parameters = job_->parameters; });
  }
  std::int32_t SetWorkingDirectory(const std::string& workingDirectory) override {
    return Answer("ITask::SetWorkingDirectory", [&] { job_->workingDirectory = workingDirectory; });
  }
  std::int32_t GetWorkingDirectory(std::string& workingDirectory) override {
    return Answer("ITask::GetWorkingDirectory", [&] { workingDirectory = job_->workingDirectory; });
  }
  std::int32_t CreateTrigger(std::uint16_t& newIndex, std::shared_ptr<os::ITaskTrigger10>& trigger) override {
    trigger = nullptr;
    return Answer("ITask::CreateTrigger", [&] {
      // A new trigger is a once trigger at no date until SetTrigger fills it.
      os::TaskTrigger10 record{};
      record.cbTriggerSize = os::ts10::kTriggerSize;
      job_->triggers.push_back(record);
      newIndex = static_cast<std::uint16_t>(job_->triggers.size() - 1);
      trigger = std::make_shared<FakeTaskTrigger10>(library_, job_, newIndex);
    });
  }
  std::int32_t DeleteTrigger(std::uint16_t index) override {
    if (auto code = library_.Enter("ITask::DeleteTrigger", job_->name)) return *code;
    if (index >= job_->triggers.size()) return kTriggerNotFound;
    job_->triggers.erase(job_->triggers.begin() + index);
    return os::ts10::kSOk;
  }
  std::int32_t GetTriggerCount(std::uint16_t& count) override {
    return Answer("ITask::GetTriggerCount", [&] { count = static_cast<std::uint16_t>(job_->triggers.size()); });
  }
  std::int32_t GetTrigger(std::uint16_t index, std::shared_ptr<os::ITaskTrigger10>& trigger) override {
    trigger = nullptr;
    if (auto code = library_.Enter("ITask::GetTrigger", job_->name)) return *code;
    if (index >= job_->triggers.size()) return kTriggerNotFound;
    trigger = std::make_shared<FakeTaskTrigger10>(library_, job_, index);
    return os::ts10::kSOk;
  }
  std::int32_t QueryPersistFile(std::shared_ptr<os::IPersistFile10>& persistFile) override {
    persistFile = nullptr;
    return Answer("ITask::QueryInterface(IPersistFile)",
                  [&] { persistFile = std::make_shared<FakePersistFile10>(library_, job_); });
  }
};

class FakeEnumWorkItems10 final : public os::IEnumWorkItems10 {
 public:
  FakeEnumWorkItems10(FakeTaskScheduler10Library& library, std::vector<std::string> names)
      : library_(library), names_(std::move(names)) {}

  std::int32_t Next(std::uint32_t count, std::vector<std::string>& names, std::uint32_t& fetched) override {
    names.clear();
    fetched = 0;
    if (auto code = library_.Enter("IEnumWorkItems::Next", "")) return *code;
    while (fetched < count && next_ < names_.size()) {
      names.push_back(names_[next_++]);
      ++fetched;
    }
    return fetched == count ? os::ts10::kSOk : os::ts10::kSFalse;
  }

 private:
  FakeTaskScheduler10Library& library_;
  std::vector<std::string> names_;
  std::size_t next_ = 0;
};

class FakeTaskScheduler10 final : public os::ITaskScheduler10 {
 public:
  explicit FakeTaskScheduler10(FakeTaskScheduler10Library& library) : library_(library) {}

  std::int32_t Enum(std::shared_ptr<os::IEnumWorkItems10>& items) override {
    items = nullptr;
    if (auto code = library_.Enter("ITaskScheduler::Enum", "")) return *code;
    std::vector<std::string> names;
    for (const FakeJob10& job : library_.jobs) names.push_back(job.name + ".job");
    items = std::make_shared<FakeEnumWorkItems10>(library_, std::move(names));
    return os::ts10::kSOk;
  }
  std::int32_t Activate(const std::string& name, std::shared_ptr<os::ITask10>& task) override {
    task = nullptr;
    if (auto code = library_.Enter("ITaskScheduler::Activate", JobName(name))) return *code;
    FakeJob10* saved = library_.FindJob(name);
    if (saved == nullptr) return os::ts10::kFileNotFound;
    task = std::make_shared<FakeTask10>(library_, *saved);
    return os::ts10::kSOk;
  }
  std::int32_t Delete(const std::string& name) override {
    if (auto code = library_.Enter("ITaskScheduler::Delete", JobName(name))) return *code;
    auto& jobs = library_.jobs;
    const std::string wanted = JobName(name);
    auto it =
        std::find_if(jobs.begin(), jobs.end(), [&](const FakeJob10& job) { return EqualNoCase(job.name, wanted); });
    if (it == jobs.end()) return os::ts10::kFileNotFound;
    jobs.erase(it);
    return os::ts10::kSOk;
  }
  std::int32_t NewWorkItem(const std::string& name, std::shared_ptr<os::ITask10>& task) override {
    task = nullptr;
    if (auto code = library_.Enter("ITaskScheduler::NewWorkItem", JobName(name))) return *code;
    if (library_.FindJob(name) != nullptr) return os::ts10::kFileExists;
    FakeJob10 job;
    job.name = JobName(name);
    task = std::make_shared<FakeTask10>(library_, std::move(job));
    return os::ts10::kSOk;
  }

 private:
  FakeTaskScheduler10Library& library_;
};

}  // namespace

FakeJob10* FakeTaskScheduler10Library::FindJob(const std::string& name) {
  const std::string wanted = JobName(name);
  for (FakeJob10& job : jobs) {
    if (EqualNoCase(job.name, wanted)) return &job;
  }
  return nullptr;
}

FakeJob10& FakeTaskScheduler10Library::AddJob(FakeJob10 job) {
  jobs.push_back(std::move(job));
  return jobs.back();
}

std::size_t FakeTaskScheduler10Library::CallCount(const std::string& call) const {
  return static_cast<std::size_t>(std::count_if(calls.begin(), calls.end(), [&](const std::string& made) {
    return made == call || made.rfind(call + " ", 0) == 0;
  }));
}

std::optional<std::int32_t> FakeTaskScheduler10Library::Enter(const std::string& call, const std::string& subject) {
  calls.push_back(subject.empty() ? call : call + " " + subject);
  if (auto code = failures.Check(call, subject)) return static_cast<std::int32_t>(*code);
  return std::nullopt;
}

std::int32_t FakeTaskScheduler10Library::CreateInstance(std::shared_ptr<os::ITaskScheduler10>& aScheduler) {
  aScheduler = nullptr;
  if (auto code = Enter("CoCreateInstance", "")) return *code;
  aScheduler = std::make_shared<FakeTaskScheduler10>(*this);
  return os::ts10::kSOk;
}

}  // namespace fakes
