// The scheduled-task immunizer kind against Wine's Task Scheduler: a test task registered
// through the system's own interfaces, disabled by Immunize and enabled by Remove, and looked
// at from outside after each step. In Task Scheduler 1.0 (the switch test10) the job's program,
// parameters, account and trigger must come through unchanged.

#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: mstask.h and taskschd.h need its types.
#include <mstask.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "engine/tvqmVorletsBaseScheduledTasks.h"
#include "engine/tvqmVorletsMicrosoftOffice.h"
#include "platform/os/Process.h"
#include "platform/os/TaskScheduler10.h"
#include "platform/os/win32/Text.h"
#include "tests/wine/TaskScheduler10Support.h"
#include "tests/wine/WineTestSupport.h"

namespace {

using Microsoft::WRL::ComPtr;
using os::win32::Utf8ToWide;

// An immunizer of the kind that lists one task, named by the test.
class TTestTaskImmunization final
    : public TImmunizationClass<TTestTaskImmunization, TCustomWindows10ScheduledTaskImmunization> {
 public:
  static constexpr const char* kClassName = "TTestTaskImmunization";
  static std::string GetDisplayName() { return "Test task"; }
  TAScheduledTaskSetting GetScheduledTaskSettings() override { return {setting}; }
  TScheduledTaskSetting setting;
};

// The real process with "/test10" among its arguments.
class Test10Process final : public os::IProcess {
 public:
  explicit Test10Process(os::IProcess& inner) : inner_(inner) {}
  std::vector<std::string> Arguments() override {
    auto arguments = inner_.Arguments();
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

std::string TakeText(LPWSTR text) {
  if (text == nullptr) return {};
  std::string result = os::win32::WideToUtf8(text);
  CoTaskMemFree(text);
  return result;
}

struct Bstr {
  explicit Bstr(const std::string& text) : value(SysAllocString(Utf8ToWide(text).c_str())) {}
  ~Bstr() { SysFreeString(value); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR value;
};

// The parent of the tests' Task Scheduler 2.0 folders: looking a task up creates its folder,
// also under test10.
const char* const kTestFolder = "Tolvex Quietmark Wine Test";

// The Task Scheduler 2.0 root folder, or none.
ComPtr<ITaskFolder> RootFolder20() {
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> root;
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                              reinterpret_cast<void**>(service.GetAddressOf())))) {
    return root;
  }
  VARIANT empty;
  VariantInit(&empty);
  Bstr rootPath("\\");
  if (FAILED(service->Connect(empty, empty, empty, empty)) ||
      FAILED(service->GetFolder(rootPath.value, root.GetAddressOf()))) {
    root.Reset();
  }
  return root;
}

// Deletes the Task Scheduler 2.0 folders the tests leave behind, if they are empty.
void DeleteTestFolders(const std::vector<std::string>& paths) {
  const ComPtr<ITaskFolder> root = RootFolder20();
  if (!root) return;
  for (const auto& path : paths) {
    Bstr folder(path);
    root->DeleteFolder(folder.value, 0);
  }
}

bool Folder20Exists(const std::string& path) {
  const ComPtr<ITaskFolder> root = RootFolder20();
  ComPtr<ITaskFolder> folder;
  Bstr folderPath(path);
  return root && SUCCEEDED(root->GetFolder(folderPath.value, folder.GetAddressOf()));
}

// --- Task Scheduler 1.0 ---

struct Job {
  DWORD flags = 0;
  std::string program, parameters, account;
  std::vector<TASK_TRIGGER> triggers;
};

HRESULT Scheduler10(ComPtr<ITaskScheduler>& scheduler) {
  return CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                          reinterpret_cast<void**>(scheduler.GetAddressOf()));
}

::testing::AssertionResult ReadJob(const std::string& name, Job& job) {
  ComPtr<ITaskScheduler> scheduler;
  HRESULT hr = Scheduler10(scheduler);
  ComPtr<ITask> task;
  if (SUCCEEDED(hr)) {
    hr = scheduler->Activate(Utf8ToWide(name).c_str(), IID_ITask, reinterpret_cast<IUnknown**>(task.GetAddressOf()));
  }
  if (FAILED(hr)) return ::testing::AssertionFailure() << "the job cannot be read: 0x" << std::hex << hr;
  job = Job{};
  task->GetFlags(&job.flags);
  LPWSTR text = nullptr;
  if (SUCCEEDED(task->GetApplicationName(&text))) job.program = TakeText(text);
  text = nullptr;
  if (SUCCEEDED(task->GetParameters(&text))) job.parameters = TakeText(text);
  text = nullptr;
  job.account = SUCCEEDED(task->GetAccountInformation(&text)) ? TakeText(text) : "<none>";
  WORD count = 0;
  task->GetTriggerCount(&count);
  for (WORD i = 0; i < count; ++i) {
    ComPtr<ITaskTrigger> trigger;
    TASK_TRIGGER record{};
    record.cbTriggerSize = sizeof(record);
    if (SUCCEEDED(task->GetTrigger(i, trigger.GetAddressOf())) && SUCCEEDED(trigger->GetTrigger(&record))) {
      job.triggers.push_back(record);
    }
  }
  return ::testing::AssertionSuccess();
}

class TaskImmunizer10Test : public ::testing::Test {
 protected:
  void TearDown() override {
    std::shared_ptr<os::ITaskScheduler10> scheduler;
    if (os::TaskScheduler10Library().CreateInstance(scheduler) == os::ts10::kSOk) {
      EXPECT_TRUE(winetest::DeleteJob10(*scheduler, name_)) << name_;
    }
    DeleteTestFolders({kTestFolder});
  }

  winetest::ScopedCom com_;
  Test10Process process_{os::Process()};
  os::ScopedOverride<os::IProcess> processOverride_{process_};
  const std::string name_ = winetest::UniqueName();
};

TEST_F(TaskImmunizer10Test, DisablesAndEnablesAJobAndKeepsItsProgramAccountAndTrigger) {
  ASSERT_TRUE(SUCCEEDED(com_.result));
  // A job as the system would hold it, saved through mstask itself.
  {
    ComPtr<ITaskScheduler> scheduler;
    ASSERT_EQ(S_OK, Scheduler10(scheduler));
    // Wine hands out a new job only as ITask.
    ComPtr<IUnknown> item;
    ASSERT_EQ(S_OK, scheduler->NewWorkItem(Utf8ToWide(name_).c_str(), CLSID_CTask, IID_ITask, item.GetAddressOf()));
    ComPtr<ITask> task;
    ASSERT_EQ(S_OK, item->QueryInterface(IID_ITask, reinterpret_cast<void**>(task.GetAddressOf())));
    task->SetApplicationName(L"C:\\windows\\system32\\notepad.exe");
    task->SetParameters(L"/p report.txt");
    ASSERT_EQ(S_OK, task->SetAccountInformation(L"", nullptr));
    ASSERT_EQ(S_OK, task->SetFlags(TASK_FLAG_HIDDEN));
    WORD index = 0;
    ComPtr<ITaskTrigger> trigger;
    ASSERT_EQ(S_OK, task->CreateTrigger(&index, trigger.GetAddressOf()));
    TASK_TRIGGER record{};
    record.cbTriggerSize = sizeof(record);
    record.wBeginYear = 2026;
    record.wBeginMonth = 12;
    record.wBeginDay = 4;
    record.wStartHour = 3;
    record.TriggerType = TASK_TIME_TRIGGER_DAILY;
    record.Type.Daily.DaysInterval = 1;
    ASSERT_EQ(S_OK, trigger->SetTrigger(&record));
    ComPtr<IPersistFile> file;
    ASSERT_EQ(S_OK, task->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf())));
    ASSERT_EQ(S_OK, file->Save(nullptr, TRUE));
  }
  Job before;
  ASSERT_TRUE(ReadJob(name_, before));
  ASSERT_EQ(1u, before.triggers.size());

  // Task Scheduler 1.0 has no folders; the 2.0 folder that the setting names is not made.
  DeleteTestFolders({kTestFolder});
  ASSERT_FALSE(Folder20Exists(kTestFolder));
  TTestTaskImmunization immunizer;
  immunizer.setting = {kTestFolder, name_};
  EXPECT_EQ(0, immunizer.GetImmunizedCount());

  for (const bool apply : {true, false}) {
    SCOPED_TRACE(apply ? "Immunize" : "Remove");
    apply ? immunizer.Immunize() : immunizer.Remove();
    EXPECT_EQ(apply ? 1 : 0, immunizer.GetImmunizedCount());
    Job job;
    ASSERT_TRUE(ReadJob(name_, job));
    EXPECT_EQ(before.flags | (apply ? TASK_FLAG_DISABLED : 0), job.flags);
    EXPECT_EQ(before.program, job.program);
    EXPECT_EQ(before.parameters, job.parameters);
    EXPECT_EQ(before.account, job.account);
    ASSERT_EQ(1u, job.triggers.size());
    EXPECT_EQ(static_cast<DWORD>(TASK_TIME_TRIGGER_DAILY), job.triggers[0].TriggerType);
    EXPECT_EQ(before.triggers[0].wBeginDay, job.triggers[0].wBeginDay);
    EXPECT_EQ(before.triggers[0].wStartHour, job.triggers[0].wStartHour);
  }
  EXPECT_FALSE(Folder20Exists(kTestFolder));
}

// --- Task Scheduler 2.0 ---

class TaskImmunizer20Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(com_.result));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                     reinterpret_cast<void**>(service_.GetAddressOf())));
    VARIANT empty;
    VariantInit(&empty);
    ASSERT_EQ(S_OK, service_->Connect(empty, empty, empty, empty));
    Bstr root("\\");
    ASSERT_EQ(S_OK, service_->GetFolder(root.value, root_.GetAddressOf()));
  }
  void TearDown() override {
    if (!root_) return;
    ComPtr<ITaskFolder> folder;
    Bstr path(folder_);
    if (SUCCEEDED(root_->GetFolder(path.value, folder.GetAddressOf()))) {
      Bstr name(name_);
      folder->DeleteTask(name.value, 0);
    }
    root_.Reset();
    DeleteTestFolders({folder_, kTestFolder});
  }

  // The task's enabled setting as its registered definition holds it.
  ::testing::AssertionResult ReadEnabled(bool& enabled) { return ReadEnabled(folder_, name_, enabled); }
  ::testing::AssertionResult ReadEnabled(const std::string& folderPath, const std::string& taskName, bool& enabled) {
    ComPtr<ITaskFolder> folder;
    Bstr path(folderPath);
    Bstr name(taskName);
    ComPtr<IRegisteredTask> task;
    ComPtr<ITaskDefinition> definition;
    ComPtr<ITaskSettings> settings;
    VARIANT_BOOL value = VARIANT_FALSE;
    HRESULT hr = root_->GetFolder(path.value, folder.GetAddressOf());
    if (SUCCEEDED(hr)) hr = folder->GetTask(name.value, task.GetAddressOf());
    if (SUCCEEDED(hr)) hr = task->get_Definition(definition.GetAddressOf());
    if (SUCCEEDED(hr)) hr = definition->get_Settings(settings.GetAddressOf());
    if (SUCCEEDED(hr)) hr = settings->get_Enabled(&value);
    if (FAILED(hr)) return ::testing::AssertionFailure() << "the task cannot be read: 0x" << std::hex << hr;
    enabled = value != VARIANT_FALSE;
    return ::testing::AssertionSuccess();
  }

  // Registers a task with one program in the folder (made when it is missing) through the
  // system's own interfaces; the registration's own answer comes back in `registration`.
  void RegisterTask(const std::string& folderPath, const std::string& taskName, HRESULT& registration) {
    registration = E_FAIL;
    ComPtr<ITaskDefinition> definition;
    ASSERT_EQ(S_OK, service_->NewTask(0, definition.GetAddressOf()));
    ComPtr<IActionCollection> actions;
    ASSERT_EQ(S_OK, definition->get_Actions(actions.GetAddressOf()));
    ComPtr<IAction> action;
    ASSERT_EQ(S_OK, actions->Create(TASK_ACTION_EXEC, action.GetAddressOf()));
    ComPtr<IExecAction> exec;
    ASSERT_EQ(S_OK, action->QueryInterface(IID_IExecAction, reinterpret_cast<void**>(exec.GetAddressOf())));
    Bstr program("C:\\windows\\system32\\notepad.exe");
    ASSERT_EQ(S_OK, exec->put_Path(program.value));
    ComPtr<ITaskFolder> folder;
    Bstr path(folderPath);
    VARIANT none;
    VariantInit(&none);
    none.vt = VT_NULL;
    if (FAILED(root_->GetFolder(path.value, folder.GetAddressOf()))) {
      ASSERT_EQ(S_OK, root_->CreateFolder(path.value, none, folder.GetAddressOf()));
    }
    Bstr name(taskName);
    ComPtr<IRegisteredTask> registered;
    registration = folder->RegisterTaskDefinition(name.value, definition.Get(), TASK_CREATE_OR_UPDATE, none, none,
                                                  TASK_LOGON_INTERACTIVE_TOKEN, none, registered.GetAddressOf());
  }

  winetest::ScopedCom com_;
  ComPtr<ITaskService> service_;
  ComPtr<ITaskFolder> root_;
  const std::string folder_ = std::string(kTestFolder) + "\\" + winetest::UniqueName();
  const std::string name_ = "Test task";
};

TEST_F(TaskImmunizer20Test, DisablesAndEnablesATaskThroughItsSettings) {
  // A task with one program, registered through the system's own interfaces.
  HRESULT hr = E_FAIL;
  ASSERT_NO_FATAL_FAILURE(RegisterTask(folder_, name_, hr));
  if (FAILED(hr)) GTEST_SKIP() << "Task Scheduler 2.0 registers no test task here: 0x" << std::hex << hr;
  bool enabled = false;
  ASSERT_TRUE(ReadEnabled(enabled));
  ASSERT_TRUE(enabled);

  TTestTaskImmunization immunizer;
  immunizer.setting = {folder_, name_};
  EXPECT_EQ(0, immunizer.GetImmunizedCount());

  immunizer.Immunize();
  ASSERT_TRUE(ReadEnabled(enabled));
  EXPECT_FALSE(enabled);
  EXPECT_EQ(1, immunizer.GetImmunizedCount());

  immunizer.Remove();
  ASSERT_TRUE(ReadEnabled(enabled));
  EXPECT_TRUE(enabled);
  EXPECT_EQ(0, immunizer.GetImmunizedCount());
}

// A task whose folder is missing counts as disabled; counting, applying and undoing leave no
// folder behind.
TEST_F(TaskImmunizer20Test, AMissingFolderIsLeftMissing) {
  const std::string missing = folder_ + "\\Missing";
  ASSERT_FALSE(Folder20Exists(folder_));
  TTestTaskImmunization immunizer;
  immunizer.setting = {missing, name_};
  EXPECT_EQ(1, immunizer.GetImmunizedCount());
  immunizer.Immunize();
  immunizer.Remove();
  EXPECT_FALSE(Folder20Exists(missing));
  EXPECT_FALSE(Folder20Exists(folder_));
}

// The Office 2016 telemetry tasks: a stand-in for one of them in "Microsoft\Office", the other
// missing, as on a system where only one is installed.
TEST_F(TaskImmunizer20Test, TheOffice2016ImmunizerDisablesItsTaskAndCountsTheMissingOneAsApplied) {
  const bool hadMicrosoft = Folder20Exists("Microsoft");
  const bool hadOffice = Folder20Exists("Microsoft\\Office");
  const std::string office = "Microsoft\\Office";
  const std::string task = "OfficeTelemetryAgentLogOn2016";
  struct Cleanup {
    ComPtr<ITaskFolder>& root;
    std::string folder, task;
    bool deleteOffice, deleteMicrosoft;
    ~Cleanup() {
      ComPtr<ITaskFolder> folderObject;
      Bstr path(folder);
      if (SUCCEEDED(root->GetFolder(path.value, folderObject.GetAddressOf()))) {
        Bstr name(task);
        folderObject->DeleteTask(name.value, 0);
      }
      folderObject.Reset();
      std::vector<std::string> folders;
      if (deleteOffice) folders.push_back(folder);
      if (deleteMicrosoft) folders.push_back("Microsoft");
      DeleteTestFolders(folders);
    }
  } cleanup{root_, office, task, !hadOffice, !hadMicrosoft};
  HRESULT hr = E_FAIL;
  ASSERT_NO_FATAL_FAILURE(RegisterTask(office, task, hr));
  if (FAILED(hr)) GTEST_SKIP() << "Task Scheduler 2.0 registers no test task here: 0x" << std::hex << hr;

  TOffice16TelemetryScheduledTaskImmunization immunizer;
  EXPECT_EQ(2, immunizer.GetCount());
  EXPECT_EQ(1, immunizer.GetImmunizedCount()) << "the missing task counts as disabled";

  immunizer.Immunize();
  bool enabled = true;
  ASSERT_TRUE(ReadEnabled(office, task, enabled));
  EXPECT_FALSE(enabled);
  EXPECT_EQ(2, immunizer.GetImmunizedCount());

  immunizer.Remove();
  ASSERT_TRUE(ReadEnabled(office, task, enabled));
  EXPECT_TRUE(enabled);
  EXPECT_EQ(1, immunizer.GetImmunizedCount());
}

}  // namespace
