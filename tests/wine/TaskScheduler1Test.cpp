// The task model on Task Scheduler 1.0 (the switch test10) against Wine's mstask: a job
// registered through the model, looked at from outside through the system's own
// ITaskScheduler, then disabled and enabled again with nothing else of it changed.

#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: mstask.h needs its types.
#include <mstask.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/bmrTaskScheduler.h"
#include "platform/os/Process.h"
#include "platform/os/TaskScheduler10.h"
#include "platform/os/win32/Text.h"
#include "tests/wine/TaskScheduler10Support.h"
#include "tests/wine/WineTestSupport.h"

namespace {

using Microsoft::WRL::ComPtr;

// The real process with "/test10" added to its arguments, so that the model takes Task
// Scheduler 1.0.
class Test10Process final : public os::IProcess {
 public:
  explicit Test10Process(os::IProcess& inner) : inner_(inner) {}
  std::vector<std::string> Arguments() override {
    std::vector<std::string> arguments = inner_.Arguments();
    arguments.push_back("/test10");
    return arguments;
  }
  std::string ModuleFileName() override { return inner_.ModuleFileName(); }
  std::uint32_t CurrentProcessId() override { return inner_.CurrentProcessId(); }
  std::uint32_t CurrentThreadId() override { return inner_.CurrentThreadId(); }
  bool IsWow64Process() override { return inner_.IsWow64Process(); }
  void WriteStandardError(const std::string& text) override { inner_.WriteStandardError(text); }

 private:
  os::IProcess& inner_;
};

// What the system's own job object says about the saved job.
struct JobView {
  DWORD flags = 0;
  std::string account;
  std::string program;
  std::string parameters;
  std::string workingDirectory;
  std::vector<TASK_TRIGGER> triggers;
};

std::string TakeText(LPWSTR text) {
  if (text == nullptr) return {};
  std::string result = os::win32::WideToUtf8(text);
  CoTaskMemFree(text);
  return result;
}

::testing::AssertionResult ReadJob(const std::string& name, JobView& view) {
  ComPtr<ITaskScheduler> scheduler;
  HRESULT hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                reinterpret_cast<void**>(scheduler.GetAddressOf()));
  if (FAILED(hr)) return ::testing::AssertionFailure() << "CoCreateInstance " << std::hex << hr;
  // The service reads a job for a moment after it was saved; opening it then fails briefly.
  ComPtr<ITask> task;
  for (int attempt = 0; attempt < 10; ++attempt) {
    hr = scheduler->Activate(os::win32::Utf8ToWide(name).c_str(), IID_ITask,
                             reinterpret_cast<IUnknown**>(task.ReleaseAndGetAddressOf()));
    if (SUCCEEDED(hr)) break;
    Sleep(50);
  }
  if (FAILED(hr)) return ::testing::AssertionFailure() << "Activate " << std::hex << hr;
  view = JobView{};
  task->GetFlags(&view.flags);
  LPWSTR text = nullptr;
  hr = task->GetAccountInformation(&text);
  view.account = SUCCEEDED(hr) ? TakeText(text) : "<" + std::to_string(hr) + ">";
  text = nullptr;
  task->GetApplicationName(&text);
  view.program = TakeText(text);
  text = nullptr;
  task->GetParameters(&text);
  view.parameters = TakeText(text);
  text = nullptr;
  task->GetWorkingDirectory(&text);
  view.workingDirectory = TakeText(text);
  WORD count = 0;
  task->GetTriggerCount(&count);
  for (WORD i = 0; i < count; ++i) {
    ComPtr<ITaskTrigger> trigger;
    if (FAILED(task->GetTrigger(i, trigger.GetAddressOf()))) continue;
    TASK_TRIGGER record{};
    record.cbTriggerSize = sizeof(record);
    if (SUCCEEDED(trigger->GetTrigger(&record))) view.triggers.push_back(record);
  }
  return ::testing::AssertionSuccess();
}

class TaskScheduler1Test : public testing::Test {
 protected:
  void TearDown() override {
    std::shared_ptr<os::ITaskScheduler10> scheduler;
    if (os::TaskScheduler10Library().CreateInstance(scheduler) == os::ts10::kSOk) {
      EXPECT_TRUE(winetest::DeleteJob10(*scheduler, name_)) << name_;
    }
  }

  winetest::ScopedCom com_;
  Test10Process process_{os::Process()};
  os::ScopedOverride<os::IProcess> processOverride_{process_};
  const std::string name_ = winetest::UniqueName();
};

// The program, the triggers and the account that a registration wrote; checked after each
// change of the enabled state.
void ExpectRegisteredJob(const JobView& job) {
  EXPECT_EQ("\"C:\\windows\\system32\\notepad.exe\"", job.program);
  EXPECT_EQ("/a \"b c\"", job.parameters);
  EXPECT_EQ("C:\\windows", job.workingDirectory);
  ASSERT_EQ(2u, job.triggers.size());
  EXPECT_EQ(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, job.triggers[0].TriggerType);
  EXPECT_EQ(TASK_TIME_TRIGGER_DAILY, job.triggers[1].TriggerType);
  EXPECT_EQ(2, job.triggers[1].Type.Daily.DaysInterval);
  EXPECT_EQ(2026, job.triggers[1].wBeginYear);
  EXPECT_EQ(12, job.triggers[1].wBeginMonth);
  EXPECT_EQ(4, job.triggers[1].wBeginDay);
  EXPECT_EQ(10, job.triggers[1].wStartHour);
  EXPECT_EQ(9, job.triggers[1].wStartMinute);
}

TEST_F(TaskScheduler1Test, JobKeepsProgramTriggersAndAccountWhileItIsDisabledAndEnabled) {
  ASSERT_TRUE(com_.Ready()) << std::hex << com_.result;
  {
    TScheduledTask task;
    ASSERT_EQ(1, task.ApiVersion);
    ASSERT_TRUE(task.FTaskScheduler10);
    task.TaskName = name_;
    EXPECT_FALSE(task.TaskExists());
    task.AddExecutionAction("C:\\windows\\system32\\notepad.exe", "run", "/a \"b c\"", "C:\\windows");
    task.AddBootTrigger("boot", CurrentLocalDateTime(), 5.0 / 1440);
    auto daily = std::make_unique<TScheduledTaskDailyTrigger>();
    daily->Id = "daily";
    daily->StartBoundary = 46360 + (10 * 60 + 9.5) / 1440;  // 4 December 2026, 10:09:30
    daily->DaysInterval = 2;
    task.Triggers.emplace_back("daily", std::move(daily));
    task.RegistrationInfo.Author = "Tolvex";
    task.RegistrationInfo.Description = "A test job";
    ASSERT_TRUE(task.CreateOrUpdateTask());
  }
  JobView job;
  ASSERT_TRUE(ReadJob(name_, job));
  ExpectRegisteredJob(job);
  const std::string account = job.account;
  EXPECT_EQ(0u, job.flags & TASK_FLAG_DISABLED);
  EXPECT_NE(0u, job.flags & TASK_FLAG_RUN_ONLY_IF_LOGGED_ON);

  // Each change through a model of its own that holds only the name, as the task immunizers
  // make them; its check reads the state the change before left.
  for (const bool enabled : {false, true}) {
    SCOPED_TRACE(enabled ? "enable" : "disable");
    {
      TScheduledTask task;
      task.TaskName = name_;
      ASSERT_TRUE(task.TaskExists());
      EXPECT_EQ(!enabled, task.Settings.Enabled);
      EXPECT_TRUE(task.UpdateTaskEnabled(enabled));
    }
    ASSERT_TRUE(ReadJob(name_, job));
    EXPECT_EQ(enabled, (job.flags & TASK_FLAG_DISABLED) == 0);
    EXPECT_NE(0u, job.flags & TASK_FLAG_RUN_ONLY_IF_LOGGED_ON);
    ExpectRegisteredJob(job);
    EXPECT_EQ(account, job.account);
  }
}

TEST_F(TaskScheduler1Test, RegisteredJobRunsAsTheCurrentUser) {
  ASSERT_TRUE(com_.Ready()) << std::hex << com_.result;
  {
    TScheduledTask task;
    ASSERT_EQ(1, task.ApiVersion);
    task.TaskName = name_;
    task.AddExecutionAction("C:\\windows\\system32\\notepad.exe", "run", "", "");
    ASSERT_TRUE(task.CreateOrUpdateTask());
    ASSERT_TRUE(task.UpdateTaskEnabled(false));
  }
  JobView job;
  ASSERT_TRUE(ReadJob(name_, job));
  if (job.account == "<" + std::to_string(os::ts10::kFileNotFound) + ">") {
    GTEST_SKIP() << "Wine keeps a job's account only in the object it was set on, not in the saved job";
  }
  EXPECT_EQ(winetest::CurrentAccount(), job.account);
}

}  // namespace
