// The scheduled task model over Win32TaskSchedulerLibrary against Wine's Task Scheduler 2.0:
// folders, lookups, changing a task's enabled state, and a boot-trigger registration that
// Wine refuses. Everything lives in a folder of its own below the root, deleted at the end.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/bmrTaskScheduler.h"
#include "platform/os/Accounts.h"
#include "platform/os/System.h"
#include "platform/os/TaskScheduler.h"
#include "platform/os/win32/ComApartment.h"
#include "tests/wine/WineTestSupport.h"

namespace {

class TaskScheduler2Test : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(com_.result())) << std::hex << com_.result();
    ASSERT_EQ(os::kSOk, os::TaskSchedulerLibrary().CreateInstance(service_));
    ASSERT_EQ(os::kSOk, service_->Connect("", "", "", ""));
    ASSERT_EQ(os::kSOk, service_->GetFolder("\\", root_));
  }

  void TearDown() override {
    if (!root_) return;
    for (const auto& [folder, name] : tasks_) {
      std::shared_ptr<os::ITaskFolder> target;
      if (root_->GetFolder(folder, target) == os::kSOk) target->DeleteTask(name, 0);
    }
    // Deepest first.
    root_->DeleteFolder(folder_ + "\\Sub\\Leaf", 0);
    root_->DeleteFolder(folder_ + "\\Sub", 0);
    root_->DeleteFolder(folder_, 0);
    std::shared_ptr<os::ITaskFolder> left;
    EXPECT_NE(os::kSOk, root_->GetFolder(folder_, left)) << "the test folder was not deleted";
  }

  // Registers a plain task in the test folder through the seam, as someone else would.
  void RegisterPlainTask(const std::string& name) {
    std::shared_ptr<os::ITaskFolder> folder;
    if (root_->GetFolder(folder_, folder) != os::kSOk) {
      ASSERT_EQ(os::kSOk, root_->CreateFolder(folder_, std::nullopt, folder));
    }
    std::shared_ptr<os::ITaskDefinition> definition;
    ASSERT_EQ(os::kSOk, service_->NewTask(0, definition));
    std::shared_ptr<os::IActionCollection> actions;
    ASSERT_EQ(os::kSOk, definition->get_Actions(actions));
    std::shared_ptr<os::IAction> action;
    ASSERT_EQ(os::kSOk, actions->Create(os::kTaskActionExec, action));
    std::shared_ptr<os::IExecAction> exec;
    ASSERT_EQ(os::kSOk, action->QueryInterface(exec));
    ASSERT_EQ(os::kSOk, exec->put_Path("C:\\windows\\system32\\notepad.exe"));
    ASSERT_EQ(os::kSOk, exec->put_Arguments("/a b"));
    std::shared_ptr<os::IRegisteredTask> registered;
    ASSERT_EQ(os::kSOk,
              folder->RegisterTaskDefinition(name, *definition, os::kTaskCreateOrUpdate, std::nullopt, std::nullopt,
                                             os::kTaskLogonInteractiveToken, std::nullopt, registered));
    tasks_.emplace_back(folder_, name);
  }

  struct Snapshot {
    bool enabled = false;
    std::int32_t actions = -1;
    std::string path;
    std::string arguments;
    std::string user;
  };
  // What the registered task holds, read past the model.
  Snapshot Read(const std::string& name) {
    Snapshot result;
    std::shared_ptr<os::ITaskFolder> folder;
    std::shared_ptr<os::IRegisteredTask> task;
    std::shared_ptr<os::ITaskDefinition> definition;
    EXPECT_EQ(os::kSOk, root_->GetFolder(folder_, folder));
    if (!folder || folder->GetTask(name, task) != os::kSOk || task->get_Definition(definition) != os::kSOk) {
      ADD_FAILURE() << "cannot read " << name;
      return result;
    }
    std::shared_ptr<os::ITaskSettings> settings;
    EXPECT_EQ(os::kSOk, definition->get_Settings(settings));
    if (settings) settings->Get(os::TaskSettingFlag::Enabled, result.enabled);
    std::shared_ptr<os::IActionCollection> actions;
    if (definition->get_Actions(actions) == os::kSOk && actions->get_Count(result.actions) == os::kSOk &&
        result.actions > 0) {
      std::shared_ptr<os::IAction> action;
      std::shared_ptr<os::IExecAction> exec;
      if (actions->get_Item(1, action) == os::kSOk && action->QueryInterface(exec) == os::kSOk) {
        exec->get_Path(result.path);
        exec->get_Arguments(result.arguments);
      }
    }
    std::shared_ptr<os::IPrincipal> principal;
    if (definition->get_Principal(principal) == os::kSOk) principal->get_UserId(result.user);
    return result;
  }

  os::win32::ScopedComApartment com_;
  winetest::RecordingSystem system_{os::System()};
  os::ScopedOverride<os::ISystem> systemOverride_{system_};
  std::shared_ptr<os::ITaskService> service_;
  std::shared_ptr<os::ITaskFolder> root_;
  const std::string folder_ = winetest::UniqueName();
  std::vector<std::pair<std::string, std::string>> tasks_;
};

TEST_F(TaskScheduler2Test, ConnectsAndOpensOrCreatesFolders) {
  {
    TScheduledTask task;
    ASSERT_EQ(task.ApiVersion, 2);
    ASSERT_TRUE(task.RootFolder);
    std::string path;
    ASSERT_EQ(os::kSOk, task.RootFolder->get_Path(path));
    EXPECT_EQ(path, "\\");

    // Two levels at once.
    task.SetFolder(folder_ + "\\Sub");
    ASSERT_EQ(os::kSOk, task.FFolderTask->get_Path(path));
    EXPECT_EQ(path, "\\" + folder_ + "\\Sub");
  }
  {
    // An existing folder is opened, and one more level below it created.
    TScheduledTask task;
    task.SetFolder(folder_ + "\\Sub");
    std::string path;
    ASSERT_EQ(os::kSOk, task.FFolderTask->get_Path(path));
    EXPECT_EQ(path, "\\" + folder_ + "\\Sub");
    task.SetFolder(folder_ + "\\Sub\\Leaf");
    ASSERT_EQ(os::kSOk, task.FFolderTask->get_Path(path));
    EXPECT_EQ(path, "\\" + folder_ + "\\Sub\\Leaf");
  }
  EXPECT_TRUE(system_.debugOutput.empty());
}

TEST_F(TaskScheduler2Test, LooksTasksUpAndChangesOnlyTheirEnabledState) {
  const std::string name = "Plain";
  RegisterPlainTask(name);
  const Snapshot registered = Read(name);
  ASSERT_TRUE(registered.enabled);

  {
    TScheduledTask task;
    task.SetFolder(folder_);
    task.TaskName = "Missing";
    EXPECT_FALSE(task.TaskExists());
    task.TaskName = name;
    ASSERT_TRUE(task.TaskExists());
    EXPECT_TRUE(task.Settings.Enabled);
    ASSERT_TRUE(task.UpdateTaskEnabled(false));
  }
  {
    TScheduledTask task;
    task.SetFolder(folder_);
    task.TaskName = name;
    ASSERT_TRUE(task.TaskExists());
    EXPECT_FALSE(task.Settings.Enabled);
    const Snapshot disabled = Read(name);
    EXPECT_FALSE(disabled.enabled);
    // Whatever the platform kept of the task stays as it was.
    EXPECT_EQ(disabled.actions, registered.actions);
    EXPECT_EQ(disabled.path, registered.path);
    EXPECT_EQ(disabled.arguments, registered.arguments);
    EXPECT_EQ(disabled.user, registered.user);

    ASSERT_TRUE(task.UpdateTaskEnabled(true));
  }
  EXPECT_TRUE(Read(name).enabled);
  EXPECT_TRUE(system_.debugOutput.empty()) << system_.debugOutput.front();
}

TEST_F(TaskScheduler2Test, BootTriggerRegistration) {
  // What this Wine does with a boot trigger, asked directly.
  std::shared_ptr<os::ITaskDefinition> probe;
  ASSERT_EQ(os::kSOk, service_->NewTask(0, probe));
  std::shared_ptr<os::ITriggerCollection> triggers;
  ASSERT_EQ(os::kSOk, probe->get_Triggers(triggers));
  std::shared_ptr<os::ITrigger> boot;
  const os::HResult created = triggers->Create(os::kTaskTriggerBoot, boot);

  for (const std::int32_t logonMode : {2, 0}) {
    system_.debugOutput.clear();
    TScheduledTask task;
    task.SetFolder(folder_);
    task.TaskName = "Boot" + std::to_string(logonMode);
    task.LogonMode = logonMode;
    task.AddExecutionAction("\"C:\\windows\\system32\\notepad.exe\"", "Run", "/apply /silent", "");
    task.AddBootTrigger("AtBoot", CurrentLocalDateTime(), 5.0 / 1440);
    task.RegistrationInfo.Author = "Tolvex Quietmark";
    const bool result = task.CreateOrUpdateTask();
    tasks_.emplace_back(folder_, task.TaskName);

    if (os::Succeeded(created)) {
      EXPECT_TRUE(result) << logonMode;
      continue;
    }
    // Refused: the registration ends with False and one message, and registers nothing.
    EXPECT_EQ(created, os::kENotImpl);
    EXPECT_FALSE(result) << logonMode;
    ASSERT_EQ(system_.debugOutput.size(), 1u) << logonMode;
    EXPECT_FALSE(system_.debugOutput[0].empty());
    std::printf("[          ] LogonMode %d: \"%s\"\n", logonMode, system_.debugOutput[0].c_str());
    task.TaskName.clear();
    std::shared_ptr<os::IRegisteredTask> none;
    EXPECT_NE(os::kSOk, task.FFolderTask->GetTask("Boot" + std::to_string(logonMode), none));
  }
  if (!os::Succeeded(created)) {
    GTEST_SKIP() << "Wine's ITriggerCollection::Create refuses boot triggers (0x" << std::hex
                 << static_cast<unsigned>(created) << "): the registration failed as it must there; the full "
                 << "registration is tested on the fakes";
  }
}

}  // namespace

namespace {

TEST(Win32AccountsTest, NamesTheUserAndTheComputer) {
  const std::string user = GetCurrentUserName();
  const std::string computer = GetCurrentComputerName();
  EXPECT_FALSE(user.empty());
  EXPECT_EQ(user.find('\0'), std::string::npos);  // the terminator is not part of the name
  EXPECT_FALSE(computer.empty());
  EXPECT_LE(computer.size(), 15u);
  char expected[256];
  DWORD size = sizeof expected;
  ASSERT_TRUE(GetUserNameA(expected, &size));
  EXPECT_EQ(user, expected);

  // The path templates' wide calls name the same ASCII user and computer.
  std::string wideUser, wideComputer;
  ASSERT_TRUE(os::Accounts().QueryUserNameW(wideUser));
  ASSERT_TRUE(os::Accounts().QueryComputerNameW(wideComputer));
  EXPECT_EQ(wideUser, user);
  EXPECT_EQ(wideComputer, computer);
}

}  // namespace
