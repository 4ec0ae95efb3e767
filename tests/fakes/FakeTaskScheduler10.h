#pragma once
// An in-memory Task Scheduler 1.0: the saved jobs of the tasks folder, and job objects that,
// as mstask's do, hold their own copy until Save writes it back. Every call can be made to
// fail through `failures`; a call is named "Interface::Method" ("ITask::SetFlags",
// "IPersistFile::Save", "CoCreateInstance", ...) and its subject is the job's name without
// ".job" (empty for CoCreateInstance and the enumeration).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/TaskScheduler10.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

struct FakeJob10 {
  std::string name;  // as created, without ".job"
  std::uint32_t flags = 0;
  std::optional<std::string> account;  // never set: GetAccountInformation fails
  std::optional<std::string> password;
  // What a new job has before SetIdleWait.
  std::uint16_t idleMinutes = 10;
  std::uint16_t deadlineMinutes = 60;
  std::string creator;
  std::string comment;
  std::string applicationName;
  std::string parameters;
  std::string workingDirectory;
  std::vector<os::TaskTrigger10> triggers;
};

class FakeTaskScheduler10Library : public os::ITaskScheduler10Library {
 public:
  FailureInjector failures;
  // Every call made, as "Interface::Method subject", in order.
  std::vector<std::string> calls;
  // The saved jobs, in the order they were first saved; Enum lists them so.
  std::vector<FakeJob10> jobs;

  // --- test helpers ---
  // The saved job; the name compares without regard to case, with or without ".job".
  FakeJob10* FindJob(const std::string& name);
  FakeJob10& AddJob(FakeJob10 job);
  // How many calls of that name (without subject) were made.
  std::size_t CallCount(const std::string& call) const;

  // --- os::ITaskScheduler10Library ---
  std::int32_t CreateInstance(std::shared_ptr<os::ITaskScheduler10>& aScheduler) override;

  // For the fake's objects: records the call and gives the code it must fail with, if any.
  std::optional<std::int32_t> Enter(const std::string& call, const std::string& subject);
};

}  // namespace fakes
