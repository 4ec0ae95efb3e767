#include "platform/os/win32/Win32TaskScheduler10.h"

#include <windows.h>
// windows.h first: mstask.h needs its types.
#include <mstask.h>
#include <objidl.h>
#include <wrl/client.h>

#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/os/win32/ComWrapper.h"
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

// A Task Scheduler 1.0 seam object. Texts go as wide strings; results pass unchanged.
template <class Seam, class Native>
class Wrapper10 : public ComWrapper<Seam, Native> {
 public:
  using ComWrapper<Seam, Native>::ComWrapper;

 protected:
  template <class Method>
  std::int32_t CallWithText(Method method, const std::string& text) {
    return this->Call(method, Utf8ToWide(text).c_str());
  }
  // A text the call allocates with CoTaskMemAlloc.
  template <class Method>
  std::int32_t GetText(Method method, std::string& out) {
    LPWSTR text = nullptr;
    const HRESULT hr = this->Call(method, &text);
    out = TakeText(text);
    return hr;
  }
  // A number the call gives as its own type (WORD, DWORD).
  template <class NativeNumber, class Method, class Number>
  std::int32_t GetNumber(Method method, Number& out) {
    NativeNumber value = 0;
    const HRESULT hr = this->Call(method, &value);
    out = value;
    return hr;
  }
  // An object the call gives through its last argument, as the seam object Child.
  template <class Child, class Method, class... Args>
  std::int32_t GetChild(Method method, std::shared_ptr<typename Child::SeamInterface>& out, Args&&... args) {
    ComPtr<typename Child::NativeInterface> native;
    const HRESULT hr = this->Call(method, std::forward<Args>(args)..., native.GetAddressOf());
    Adopt<Child>(hr, native, out);
    return hr;
  }
};

class Win32TaskTrigger10 final : public Wrapper10<ITaskTrigger10, ITaskTrigger> {
 public:
  using Wrapper10::Wrapper10;

  std::int32_t SetTrigger(const TaskTrigger10& trigger) override {
    TASK_TRIGGER native = ToNative(trigger);
    return p_->SetTrigger(&native);
  }
  std::int32_t GetTrigger(TaskTrigger10& trigger) override {
    TASK_TRIGGER native{};
    native.cbTriggerSize = sizeof(native);
    const HRESULT hr = p_->GetTrigger(&native);
    if (SUCCEEDED(hr)) trigger = FromNative(native);
    return hr;
  }
};

class Win32PersistFile10 final : public Wrapper10<IPersistFile10, IPersistFile> {
 public:
  using Wrapper10::Wrapper10;
  std::int32_t Save() override { return p_->Save(nullptr, TRUE); }
};

class Win32Task10 final : public Wrapper10<ITask10, ITask> {
 public:
  using Wrapper10::Wrapper10;

  std::int32_t SetFlags(std::uint32_t flags) override { return p_->SetFlags(flags); }
  std::int32_t GetFlags(std::uint32_t& flags) override { return GetNumber<DWORD>(&ITask::GetFlags, flags); }
  std::int32_t SetAccountInformation(const std::string& account, const std::optional<std::string>& password) override {
    const std::wstring wideAccount = Utf8ToWide(account);
    const std::wstring widePassword = password ? Utf8ToWide(*password) : std::wstring();
    return p_->SetAccountInformation(wideAccount.c_str(), password ? widePassword.c_str() : nullptr);
  }
  std::int32_t GetAccountInformation(std::string& account) override {
    return GetText(&ITask::GetAccountInformation, account);
  }
  std::int32_t SetIdleWait(std::uint16_t idleMinutes, std::uint16_t deadlineMinutes) override {
    return p_->SetIdleWait(idleMinutes, deadlineMinutes);
  }
  std::int32_t GetIdleWait(std::uint16_t& idleMinutes, std::uint16_t& deadlineMinutes) override {
    WORD idle = 0;
    WORD deadline = 0;
    const HRESULT hr = p_->GetIdleWait(&idle, &deadline);
    idleMinutes = idle;
    deadlineMinutes = deadline;
    return hr;
  }
  std::int32_t SetCreator(const std::string& creator) override { return CallWithText(&ITask::SetCreator, creator); }
  std::int32_t GetCreator(std::string& creator) override { return GetText(&ITask::GetCreator, creator); }
  std::int32_t SetComment(const std::string& comment) override { return CallWithText(&ITask::SetComment, comment); }
  std::int32_t GetComment(std::string& comment) override { return GetText(&ITask::GetComment, comment); }
  std::int32_t SetApplicationName(const std::string& applicationName) override {
    return CallWithText(&ITask::SetApplicationName, applicationName);
  }
  std::int32_t GetApplicationName(std::string& applicationName) override {
    return GetText(&ITask::GetApplicationName, applicationName);
  }
  std::int32_t SetParameters(const std::string& parameters) override {
    return CallWithText(&ITask::SetParameters, parameters);
  }
  std::int32_t GetParameters(std::string& parameters) override { return GetText(&ITask::GetParameters, parameters); }
  std::int32_t SetWorkingDirectory(const std::string& workingDirectory) override {
    return CallWithText(&ITask::SetWorkingDirectory, workingDirectory);
  }
  std::int32_t GetWorkingDirectory(std::string& workingDirectory) override {
    return GetText(&ITask::GetWorkingDirectory, workingDirectory);
  }
  std::int32_t CreateTrigger(std::uint16_t& newIndex, std::shared_ptr<ITaskTrigger10>& trigger) override {
    WORD index = 0;
    const std::int32_t hr = GetChild<Win32TaskTrigger10>(&ITask::CreateTrigger, trigger, &index);
    newIndex = index;
    return hr;
  }
  std::int32_t DeleteTrigger(std::uint16_t index) override { return p_->DeleteTrigger(index); }
  std::int32_t GetTriggerCount(std::uint16_t& count) override {
    return GetNumber<WORD>(&ITask::GetTriggerCount, count);
  }
  std::int32_t GetTrigger(std::uint16_t index, std::shared_ptr<ITaskTrigger10>& trigger) override {
    return GetChild<Win32TaskTrigger10>(&ITask::GetTrigger, trigger, index);
  }
  std::int32_t QueryPersistFile(std::shared_ptr<IPersistFile10>& persistFile) override {
    ComPtr<IPersistFile> file;
    const HRESULT hr = p_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf()));
    Adopt<Win32PersistFile10>(hr, file, persistFile);
    return hr;
  }
};

class Win32EnumWorkItems10 final : public Wrapper10<IEnumWorkItems10, IEnumWorkItems> {
 public:
  using Wrapper10::Wrapper10;

  std::int32_t Next(std::uint32_t count, std::vector<std::string>& names, std::uint32_t& fetched) override {
    names.clear();
    LPWSTR* array = nullptr;
    ULONG got = 0;
    const HRESULT hr = p_->Next(count, &array, &got);
    fetched = got;
    if (array != nullptr) {
      for (ULONG i = 0; i < got; ++i) names.push_back(TakeText(array[i]));
      CoTaskMemFree(array);
    }
    return hr;
  }
};

class Win32TaskScheduler10 final : public Wrapper10<ITaskScheduler10, ITaskScheduler> {
 public:
  using Wrapper10::Wrapper10;

  std::int32_t Enum(std::shared_ptr<IEnumWorkItems10>& items) override {
    return GetChild<Win32EnumWorkItems10>(&ITaskScheduler::Enum, items);
  }
  std::int32_t Activate(const std::string& name, std::shared_ptr<ITask10>& task) override {
    ComPtr<ITask> native;
    const HRESULT hr =
        p_->Activate(Utf8ToWide(name).c_str(), IID_ITask, reinterpret_cast<IUnknown**>(native.GetAddressOf()));
    Adopt<Win32Task10>(hr, native, task);
    return hr;
  }
  std::int32_t Delete(const std::string& name) override { return CallWithText(&ITaskScheduler::Delete, name); }
  std::int32_t NewWorkItem(const std::string& name, std::shared_ptr<ITask10>& task) override {
    task = nullptr;
    const std::wstring wideName = Utf8ToWide(name);
    ComPtr<IUnknown> item;
    HRESULT hr = p_->NewWorkItem(wideName.c_str(), CLSID_CTask, IID_IScheduledWorkItem, item.GetAddressOf());
    // Wine hands out a new job only as ITask, the interface asked for next anyway.
    if (hr == E_NOINTERFACE)
      hr = p_->NewWorkItem(wideName.c_str(), CLSID_CTask, IID_ITask, item.ReleaseAndGetAddressOf());
    if (FAILED(hr) || !item) return hr;
    // The work item of class CTask is a job: its program and triggers are ITask's.
    ComPtr<ITask> native;
    const HRESULT query = item->QueryInterface(IID_ITask, reinterpret_cast<void**>(native.GetAddressOf()));
    if (FAILED(query)) return query;
    task = std::make_shared<Win32Task10>(std::move(native));
    return hr;
  }
};

}  // namespace

std::int32_t Win32TaskScheduler10Library::CreateInstance(std::shared_ptr<ITaskScheduler10>& aScheduler) {
  aScheduler = nullptr;
  ComPtr<ITaskScheduler> scheduler;
  const HRESULT hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                      reinterpret_cast<void**>(scheduler.GetAddressOf()));
  Adopt<Win32TaskScheduler10>(hr, scheduler, aScheduler);
  return hr;
}

}  // namespace os::win32
