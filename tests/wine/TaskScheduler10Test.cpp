// Win32TaskScheduler10 against Wine's mstask: jobs written through the seam come back as they
// were written, and the codes of the failure paths are the system's.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/TaskScheduler10.h"
#include "tests/wine/TaskScheduler10Support.h"
#include "tests/wine/WineTestSupport.h"

namespace {

class Win32TaskScheduler10Test : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(com_.Ready()) << std::hex << com_.result;
    const std::int32_t code = os::TaskScheduler10Library().CreateInstance(scheduler_);
    ASSERT_EQ(os::ts10::kSOk, code) << std::hex << code;
    ASSERT_TRUE(scheduler_);
  }
  void TearDown() override {
    if (scheduler_) winetest::DeleteJob10(*scheduler_, name_);
  }

  // How often the enumeration lists the file name.
  int ListedCount(const std::string& fileName) {
    std::shared_ptr<os::IEnumWorkItems10> items;
    EXPECT_EQ(os::ts10::kSOk, scheduler_->Enum(items));
    if (!items) return -1;
    int count = 0;
    std::vector<std::string> names;
    std::uint32_t fetched = 0;
    while (items->Next(1, names, fetched) == os::ts10::kSOk && fetched == 1) {
      EXPECT_EQ(1u, names.size());
      if (names.at(0) == fileName) ++count;
    }
    EXPECT_EQ(0u, fetched);
    return count;
  }

  // The service reads a job for a moment after it was saved; opening it then fails briefly.
  std::int32_t ActivateSaved(std::shared_ptr<os::ITask10>& job) {
    std::int32_t code = os::ts10::kEFail;
    for (int attempt = 0; attempt < 10; ++attempt) {
      code = scheduler_->Activate(name_, job);
      if (code == os::ts10::kSOk) break;
      Sleep(50);
    }
    return code;
  }

  static ::testing::AssertionResult Save(os::ITask10& job) {
    std::shared_ptr<os::IPersistFile10> file;
    std::int32_t code = job.QueryPersistFile(file);
    if (code == os::ts10::kSOk && file) code = file->Save();
    if (code == os::ts10::kSOk) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "saving the job: " << std::hex << code;
  }

  winetest::ScopedCom com_;
  std::shared_ptr<os::ITaskScheduler10> scheduler_;
  const std::string name_ = winetest::UniqueName();
};

os::TaskTrigger10 DailyTrigger() {
  os::TaskTrigger10 trigger{};
  trigger.cbTriggerSize = os::ts10::kTriggerSize;
  trigger.wBeginYear = 2026;
  trigger.wBeginMonth = 12;
  trigger.wBeginDay = 4;
  trigger.wStartHour = 10;
  trigger.wStartMinute = 9;
  trigger.TriggerType = os::ts10::kTimeTriggerDaily;
  trigger.Type.Daily.DaysInterval = 3;
  return trigger;
}

os::TaskTrigger10 MonthlyDateTrigger() {
  os::TaskTrigger10 trigger{};
  trigger.cbTriggerSize = os::ts10::kTriggerSize;
  trigger.wBeginYear = 2027;
  trigger.wBeginMonth = 2;
  trigger.wBeginDay = 28;
  trigger.wStartHour = 23;
  trigger.wStartMinute = 59;
  trigger.TriggerType = os::ts10::kTimeTriggerMonthlyDate;
  trigger.Type.MonthlyDate.rgfDays = 0x8001;
  trigger.Type.MonthlyDate.rgfMonths = 0x0A05;
  return trigger;
}

// Everything a job holds goes out through the seam, is saved, and comes back from a fresh
// activation by the job's name: the texts in UTF-16 and back, the trigger record field for
// field.
TEST_F(Win32TaskScheduler10Test, SavedJobComesBackAsItWasWritten) {
  std::shared_ptr<os::ITask10> job;
  ASSERT_EQ(os::ts10::kSOk, scheduler_->NewWorkItem(name_, job));
  ASSERT_TRUE(job);
  const std::uint32_t flags = os::ts10::kFlagRunOnlyIfLoggedOn | os::ts10::kFlagHidden;
  const std::string program =
      "C:\\Program Files\\Tolvex Gr\xC3\xBC\xC3\x9F"
      "e\\tool.exe";
  EXPECT_EQ(os::ts10::kSOk, job->SetFlags(flags));
  EXPECT_EQ(os::ts10::kSOk, job->SetAccountInformation(winetest::CurrentAccount(), std::nullopt));
  EXPECT_EQ(os::ts10::kSOk, job->SetCreator("Tolvex"));
  EXPECT_EQ(os::ts10::kSOk, job->SetComment("Keeps the settings"));
  EXPECT_EQ(os::ts10::kSOk, job->SetApplicationName(program));
  EXPECT_EQ(os::ts10::kSOk, job->SetParameters("/silent \"two words\""));
  EXPECT_EQ(os::ts10::kSOk, job->SetWorkingDirectory("C:\\windows"));
  for (const os::TaskTrigger10& record : {DailyTrigger(), MonthlyDateTrigger()}) {
    std::uint16_t index = 99;
    std::shared_ptr<os::ITaskTrigger10> trigger;
    ASSERT_EQ(os::ts10::kSOk, job->CreateTrigger(index, trigger));
    ASSERT_TRUE(trigger);
    EXPECT_EQ(os::ts10::kSOk, trigger->SetTrigger(record));
  }
  ASSERT_TRUE(Save(*job));
  job.reset();

  EXPECT_EQ(1, ListedCount(name_ + ".job"));
  std::shared_ptr<os::ITask10> saved;
  ASSERT_EQ(os::ts10::kSOk, ActivateSaved(saved));
  ASSERT_TRUE(saved);
  std::uint32_t savedFlags = 0;
  EXPECT_EQ(os::ts10::kSOk, saved->GetFlags(savedFlags));
  EXPECT_EQ(flags, savedFlags);
  std::string text;
  EXPECT_EQ(os::ts10::kSOk, saved->GetCreator(text));
  EXPECT_EQ("Tolvex", text);
  EXPECT_EQ(os::ts10::kSOk, saved->GetComment(text));
  EXPECT_EQ("Keeps the settings", text);
  EXPECT_EQ(os::ts10::kSOk, saved->GetApplicationName(text));
  EXPECT_EQ(program, text);
  EXPECT_EQ(os::ts10::kSOk, saved->GetParameters(text));
  EXPECT_EQ("/silent \"two words\"", text);
  EXPECT_EQ(os::ts10::kSOk, saved->GetWorkingDirectory(text));
  EXPECT_EQ("C:\\windows", text);
  std::uint16_t count = 0;
  EXPECT_EQ(os::ts10::kSOk, saved->GetTriggerCount(count));
  ASSERT_EQ(2, count);
  const os::TaskTrigger10 expected[] = {DailyTrigger(), MonthlyDateTrigger()};
  for (std::uint16_t i = 0; i < count; ++i) {
    SCOPED_TRACE(i);
    std::shared_ptr<os::ITaskTrigger10> trigger;
    ASSERT_EQ(os::ts10::kSOk, saved->GetTrigger(i, trigger));
    os::TaskTrigger10 record{};
    ASSERT_EQ(os::ts10::kSOk, trigger->GetTrigger(record));
    winetest::ExpectSameTrigger10(expected[i], record);
  }
}

// A job is a file: once Delete has removed it, it is neither listed nor activated.
TEST_F(Win32TaskScheduler10Test, DeletedJobIsGone) {
  std::shared_ptr<os::ITask10> job;
  EXPECT_LT(scheduler_->Delete(name_), 0);
  ASSERT_EQ(os::ts10::kSOk, scheduler_->NewWorkItem(name_, job));
  EXPECT_EQ(0, ListedCount(name_ + ".job"));  // not before Save
  ASSERT_TRUE(Save(*job));
  EXPECT_EQ(1, ListedCount(name_ + ".job"));
  ASSERT_TRUE(winetest::DeleteJob10(*scheduler_, name_));
  EXPECT_EQ(0, ListedCount(name_ + ".job"));
  std::shared_ptr<os::ITask10> activated;
  const std::int32_t missing = scheduler_->Activate(name_, activated);
  EXPECT_LT(missing, 0) << std::hex << missing;
  EXPECT_FALSE(activated);
}

// What Wine's mstask leaves out, each reported as such.
TEST_F(Win32TaskScheduler10Test, NewWorkItemRefusesTheNameOfASavedJob) {
  std::shared_ptr<os::ITask10> job;
  ASSERT_EQ(os::ts10::kSOk, scheduler_->NewWorkItem(name_, job));
  ASSERT_TRUE(Save(*job));
  std::shared_ptr<os::ITask10> second;
  const std::int32_t code = scheduler_->NewWorkItem(name_, second);
  if (code == os::ts10::kSOk) GTEST_SKIP() << "Wine's NewWorkItem does not refuse the name of a saved job";
  EXPECT_EQ(os::ts10::kFileExists, code) << std::hex << code;
  EXPECT_FALSE(second);
}

TEST_F(Win32TaskScheduler10Test, AccountIsSavedWithTheJob) {
  std::shared_ptr<os::ITask10> job;
  ASSERT_EQ(os::ts10::kSOk, scheduler_->NewWorkItem(name_, job));
  const std::string account = winetest::CurrentAccount();
  ASSERT_EQ(os::ts10::kSOk, job->SetFlags(os::ts10::kFlagRunOnlyIfLoggedOn));
  ASSERT_EQ(os::ts10::kSOk, job->SetAccountInformation(account, std::nullopt));
  std::string text;
  EXPECT_EQ(os::ts10::kSOk, job->GetAccountInformation(text));
  EXPECT_EQ(account, text);
  ASSERT_TRUE(Save(*job));
  std::shared_ptr<os::ITask10> saved;
  ASSERT_EQ(os::ts10::kSOk, ActivateSaved(saved));
  text.clear();
  const std::int32_t code = saved->GetAccountInformation(text);
  if (code == os::ts10::kFileNotFound) {
    GTEST_SKIP() << "Wine keeps a job's account only in the object it was set on, not in the saved job";
  }
  EXPECT_EQ(os::ts10::kSOk, code) << std::hex << code;
  EXPECT_EQ(account, text);
}

TEST_F(Win32TaskScheduler10Test, IdleWaitIsSaved) {
  std::shared_ptr<os::ITask10> job;
  ASSERT_EQ(os::ts10::kSOk, scheduler_->NewWorkItem(name_, job));
  const std::int32_t code = job->SetIdleWait(90, 5);
  if (code == static_cast<std::int32_t>(E_NOTIMPL)) GTEST_SKIP() << "Wine's ITask::SetIdleWait returns E_NOTIMPL";
  ASSERT_EQ(os::ts10::kSOk, code);
  ASSERT_TRUE(Save(*job));
  std::shared_ptr<os::ITask10> saved;
  ASSERT_EQ(os::ts10::kSOk, ActivateSaved(saved));
  std::uint16_t idle = 0;
  std::uint16_t deadline = 0;
  EXPECT_EQ(os::ts10::kSOk, saved->GetIdleWait(idle, deadline));
  EXPECT_EQ(90, idle);
  EXPECT_EQ(5, deadline);
}

}  // namespace
