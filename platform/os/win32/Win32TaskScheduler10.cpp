#include "platform/os/win32/Win32TaskScheduler10.h"

#include <windows.h>
// windows.h first: mstask.h needs its types.
#include <mstask.h>
#include <objidl.h>
#include <wrl/client.h>

#include <cstddef>
#include <cstring>
#include <string_view>

#include "platform/os/win32/Text.h"

namespace os::win32 {

namespace {

using Microsoft::WRL::ComPtr;

static_assert(sizeof(TASK_TRIGGER) == sizeof(TaskTrigger10), "the portable record mirrors TASK_TRIGGER");
static_assert(offsetof(TASK_TRIGGER, TriggerType) == offsetof(TaskTrigger10, TriggerType));
static_assert(offsetof(TASK_TRIGGER, Type) == offsetof(TaskTrigger10, Type));
static_assert(offsetof(TASK_TRIGGER, Reserved2) == offsetof(TaskTrigger10, Reserved2));

// A text the system allocated with CoTaskMemAlloc, converted and freed.
std::string TakeText(LPWSTR text) {
  if (text == nullptr) return {};
  std::string result = WideToUtf8(text);
  CoTaskMemFree(text);
  return result;
}

template <class Getter>
std::int32_t GetText(Getter getter, std::string& result) {
  LPWSTR text = nullptr;
  const HRESULT hr = getter(&text);
  result = TakeText(text);
  return hr;
}

TASK_TRIGGER ToNative(const TaskTrigger10& trigger) {
  TASK_TRIGGER native{};
  native.cbTriggerSize = trigger.cbTriggerSize;
  native.Reserved1 = trigger.Reserved1;
  native.wBeginYear = trigger.wBeginYear;
  native.wBeginMonth = trigger.wBeginMonth;
  native.wBeginDay = trigger.wBeginDay;
  native.wEndYear = trigger.wEndYear;
  native.wEndMonth = trigger.wEndMonth;
  native.wEndDay = trigger.wEndDay;
  native.wStartHour = trigger.wStartHour;
  native.wStartMinute = trigger.wStartMinute;
  native.MinutesDuration = trigger.MinutesDuration;
  native.MinutesInterval = trigger.MinutesInterval;
  native.rgFlags = trigger.rgFlags;
  native.TriggerType = static_cast<TASK_TRIGGER_TYPE>(trigger.TriggerType);
  // The kind union is eight bytes of whatever kind the type names: copied as it stands.
  static_assert(sizeof(native.Type) == sizeof(trigger.Type));
  std::memcpy(&native.Type, &trigger.Type, sizeof(native.Type));
  native.Reserved2 = trigger.Reserved2;
  native.wRandomMinutesInterval = trigger.wRandomMinutesInterval;
  return native;
}

TaskTrigger10 FromNative(const TASK_TRIGGER& native) {
  TaskTrigger10 trigger{};
  trigger.cbTriggerSize = native.cbTriggerSize;
  trigger.Reserved1 = native.Reserved1;
  trigger.wBeginYear = native.wBeginYear;
  trigger.wBeginMonth = native.wBeginMonth;
  trigger.wBeginDay = native.wBeginDay;
  trigger.wEndYear = native.wEndYear;
  trigger.wEndMonth = native.wEndMonth;
  trigger.wEndDay = native.wEndDay;
  trigger.wStartHour = native.wStartHour;
  trigger.wStartMinute = native.wStartMinute;
  trigger.MinutesDuration = native.MinutesDuration;
  trigger.MinutesInterval = native.MinutesInterval;
  trigger.rgFlags = native.rgFlags;
  trigger.TriggerType = static_cast<std::uint32_t>(native.TriggerType);
  std::memcpy(&trigger.Type, &native.Type, sizeof(trigger.Type));
  trigger.Reserved2 = native.Reserved2;
  trigger.wRandomMinutesInterval = native.wRandomMinutesInterval;
  return trigger;
}

class Win32TaskTrigger10 final : public ITaskTrigger10 {
 public:
  explicit Win32TaskTrigger10(ComPtr<ITaskTrigger> trigger) : trigger_(std::move(trigger)) {}

  std::int32_t SetTrigger(const TaskTrigger10& trigger) override {
    TASK_TRIGGER native = ToNative(trigger);
    return trigger_->SetTrigger(&native);
  }
  std::int32_t GetTrigger(TaskTrigger10& trigger) override {
    TASK_TRIGGER native{};
    native.cbTriggerSize = sizeof(native);
    const HRESULT hr = trigger_->GetTrigger(&native);
    if (SUCCEEDED(hr)) trigger = FromNative(native);
    return hr;
  }

 private:
  ComPtr<ITaskTrigger> trigger_;
};

class Win32PersistFile10 final : public IPersistFile10 {
 public:
  explicit Win32PersistFile10(ComPtr<IPersistFile> file) : file_(std::move(file)) {}
  std::int32_t Save() override { return file_->Save(nullptr, TRUE); }

 private:
  ComPtr<IPersistFile> file_;
};

class Win32Task10 final : public ITask10 {
 public:
  explicit Win32Task10(ComPtr<ITask> task) : task_(std::move(task)) {}

  std::int32_t SetFlags(std::uint32_t flags) override { return task_->SetFlags(flags); }
  std::int32_t GetFlags(std::uint32_t& flags) override {
    DWORD value = 0;
    const HRESULT hr = task_->GetFlags(&value);
    flags = value;
    return hr;
  }
  std::int32_t SetAccountInformation(const std::string& account, const std::optional<std::string>& password) override {
    const std::wstring wideAccount = Utf8ToWide(account);
    const std::wstring widePassword = password ? Utf8ToWide(*password) : std::wstring();
    return task_->SetAccountInformation(wideAccount.c_str(), password ? widePassword.c_str() : nullptr);
  }
  std::int32_t GetAccountInformation(std::string& account) override {
    return GetText([this](LPWSTR* text) { return task_->GetAccountInformation(text); }, account);
  }
  std::int32_t SetIdleWait(std::uint16_t idleMinutes, std::uint16_t deadlineMinutes) override {
    return task_->SetIdleWait(idleMinutes, deadlineMinutes);
  }
  std::int32_t GetIdleWait(std::uint16_t& idleMinutes, std::uint16_t& deadlineMinutes) override {
    WORD idle = 0;
    WORD deadline = 0;
    const HRESULT hr = task_->GetIdleWait(&idle, &deadline);
    idleMinutes = idle;
    deadlineMinutes = deadline;
    return hr;
  }
  std::int32_t SetCreator(const std::string& creator) override {
    return task_->SetCreator(Utf8ToWide(creator).c_str());
  }
  std::int32_t GetCreator(std::string& creator) override {
    return GetText([this](LPWSTR* text) { return task_->GetCreator(text); }, creator);
  }
  std::int32_t SetComment(const std::string& comment) override {
    return task_->SetComment(Utf8ToWide(comment).c_str());
  }
  std::int32_t GetComment(std::string& comment) override {
    return GetText([this](LPWSTR* text) { return task_->GetComment(text); }, comment);
  }
  std::int32_t SetApplicationName(const std::string& applicationName) override {
    return task_->SetApplicationName(Utf8ToWide(applicationName).c_str());
  }
  std::int32_t GetApplicationName(std::string& applicationName) override {
    return GetText([this](LPWSTR* text) { return task_->GetApplicationName(text); }, applicationName);
  }
  std::int32_t SetParameters(const std::string& parameters) override {
    return task_->SetParameters(Utf8ToWide(parameters).c_str());
  }
  std::int32_t GetParameters(std::string& parameters) override {
    return GetText([this](LPWSTR* text) { return task_->GetParameters(text); }, parameters);
  }
  std::int32_t SetWorkingDirectory(const std::string& workingDirectory) override {
    return task_->SetWorkingDirectory(Utf8ToWide(workingDirectory).c_str());
  }
  std::int32_t GetWorkingDirectory(std::string& workingDirectory) override {
    return GetText([this](LPWSTR* text) { return task_->GetWorkingDirectory(text); }, workingDirectory);
  }
  std::int32_t CreateTrigger(std::uint16_t& newIndex, std::shared_ptr<ITaskTrigger10>& trigger) override {
    WORD index = 0;
    ComPtr<ITaskTrigger> native;
    const HRESULT hr = task_->CreateTrigger(&index, native.GetAddressOf());
    newIndex = index;
    trigger = SUCCEEDED(hr) && native ? std::make_shared<Win32TaskTrigger10>(std::move(native)) : nullptr;
    return hr;
  }
  std::int32_t DeleteTrigger(std::uint16_t index) override { return task_->DeleteTrigger(index); }
  std::int32_t GetTriggerCount(std::uint16_t& count) override {
    WORD value = 0;
    const HRESULT hr = task_->GetTriggerCount(&value);
    count = value;
    return hr;
  }
  std::int32_t GetTrigger(std::uint16_t index, std::shared_ptr<ITaskTrigger10>& trigger) override {
    ComPtr<ITaskTrigger> native;
    const HRESULT hr = task_->GetTrigger(index, native.GetAddressOf());
    trigger = SUCCEEDED(hr) && native ? std::make_shared<Win32TaskTrigger10>(std::move(native)) : nullptr;
    return hr;
  }
  std::int32_t QueryPersistFile(std::shared_ptr<IPersistFile10>& persistFile) override {
    ComPtr<IPersistFile> file;
    const HRESULT hr = task_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf()));
    persistFile = SUCCEEDED(hr) && file ? std::make_shared<Win32PersistFile10>(std::move(file)) : nullptr;
    return hr;
  }

 private:
  ComPtr<ITask> task_;
};

class Win32EnumWorkItems10 final : public IEnumWorkItems10 {
 public:
  explicit Win32EnumWorkItems10(ComPtr<IEnumWorkItems> items) : items_(std::move(items)) {}

  std::int32_t Next(std::uint32_t count, std::vector<std::string>& names, std::uint32_t& fetched) override {
    names.clear();
    LPWSTR* array = nullptr;
    ULONG got = 0;
    const HRESULT hr = items_->Next(count, &array, &got);
    fetched = got;
    if (array != nullptr) {
      for (ULONG i = 0; i < got; ++i) names.push_back(TakeText(array[i]));
      CoTaskMemFree(array);
    }
    return hr;
  }

 private:
  ComPtr<IEnumWorkItems> items_;
};

class Win32TaskScheduler10 final : public ITaskScheduler10 {
 public:
  explicit Win32TaskScheduler10(ComPtr<ITaskScheduler> scheduler) : scheduler_(std::move(scheduler)) {}

  std::int32_t Enum(std::shared_ptr<IEnumWorkItems10>& items) override {
    ComPtr<IEnumWorkItems> native;
    const HRESULT hr = scheduler_->Enum(native.GetAddressOf());
    items = SUCCEEDED(hr) && native ? std::make_shared<Win32EnumWorkItems10>(std::move(native)) : nullptr;
    return hr;
  }
  std::int32_t Activate(const std::string& name, std::shared_ptr<ITask10>& task) override {
    ComPtr<ITask> native;
    const HRESULT hr =
        scheduler_->Activate(Utf8ToWide(name).c_str(), IID_ITask, reinterpret_cast<IUnknown**>(native.GetAddressOf()));
    task = SUCCEEDED(hr) && native ? std::make_shared<Win32Task10>(std::move(native)) : nullptr;
    return hr;
  }
  std::int32_t Delete(const std::string& name) override { return scheduler_->Delete(Utf8ToWide(name).c_str()); }
  std::int32_t NewWorkItem(const std::string& name, std::shared_ptr<ITask10>& task) override {
    task = nullptr;
    const std::wstring wideName = Utf8ToWide(name);
    ComPtr<IUnknown> item;
    HRESULT hr = scheduler_->NewWorkItem(wideName.c_str(), CLSID_CTask, IID_IScheduledWorkItem, item.GetAddressOf());
    // Wine hands out a new job only as ITask, the interface asked for next anyway.
    if (hr == E_NOINTERFACE)
      hr = scheduler_->NewWorkItem(wideName.c_str(), CLSID_CTask, IID_ITask, item.ReleaseAndGetAddressOf());
    if (FAILED(hr) || !item) return hr;
    // The work item of class CTask is a job: its program and triggers are ITask's.
    ComPtr<ITask> native;
    const HRESULT query = item->QueryInterface(IID_ITask, reinterpret_cast<void**>(native.GetAddressOf()));
    if (FAILED(query)) return query;
    task = std::make_shared<Win32Task10>(std::move(native));
    return hr;
  }

 private:
  ComPtr<ITaskScheduler> scheduler_;
};

}  // namespace

std::int32_t Win32TaskScheduler10Library::CreateInstance(std::shared_ptr<ITaskScheduler10>& aScheduler) {
  aScheduler = nullptr;
  ComPtr<ITaskScheduler> scheduler;
  const HRESULT hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                      reinterpret_cast<void**>(scheduler.GetAddressOf()));
  if (SUCCEEDED(hr) && scheduler) aScheduler = std::make_shared<Win32TaskScheduler10>(std::move(scheduler));
  return hr;
}

}  // namespace os::win32
