#include "platform/os/win32/Win32TaskScheduler.h"

#include <windows.h>
// windows.h first: taskschd.h needs its types.
#include <oleauto.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <optional>
#include <string_view>
#include <utility>

#include "platform/os/win32/Bstr.h"
#include "platform/os/win32/ComWrapper.h"
#include "platform/os/win32/Text.h"

using Microsoft::WRL::ComPtr;

// The trigger and action kinds that the MinGW-w64 headers lack, as the platform declares them
// (vtable order matters).
#ifndef __ILogonTrigger_INTERFACE_DEFINED__
#define __ILogonTrigger_INTERFACE_DEFINED__
struct ILogonTrigger : public ITrigger {
  virtual HRESULT STDMETHODCALLTYPE get_Delay(BSTR* delay) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Delay(BSTR delay) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_UserId(BSTR* user) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_UserId(BSTR user) = 0;
};
#endif
#ifndef __IBootTrigger_INTERFACE_DEFINED__
#define __IBootTrigger_INTERFACE_DEFINED__
struct IBootTrigger : public ITrigger {
  virtual HRESULT STDMETHODCALLTYPE get_Delay(BSTR* delay) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Delay(BSTR delay) = 0;
};
#endif
#ifndef __IWeeklyTrigger_INTERFACE_DEFINED__
#define __IWeeklyTrigger_INTERFACE_DEFINED__
struct IWeeklyTrigger : public ITrigger {
  virtual HRESULT STDMETHODCALLTYPE get_DaysOfWeek(short* days) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DaysOfWeek(short days) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WeeksInterval(short* weeks) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_WeeksInterval(short weeks) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RandomDelay(BSTR* delay) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_RandomDelay(BSTR delay) = 0;
};
#endif
#ifndef __IMonthlyTrigger_INTERFACE_DEFINED__
#define __IMonthlyTrigger_INTERFACE_DEFINED__
struct IMonthlyTrigger : public ITrigger {
  virtual HRESULT STDMETHODCALLTYPE get_DaysOfMonth(long* days) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DaysOfMonth(long days) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_MonthsOfYear(short* months) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_MonthsOfYear(short months) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RunOnLastDayOfMonth(VARIANT_BOOL* last) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_RunOnLastDayOfMonth(VARIANT_BOOL last) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RandomDelay(BSTR* delay) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_RandomDelay(BSTR delay) = 0;
};
#endif
#ifndef __IMonthlyDOWTrigger_INTERFACE_DEFINED__
#define __IMonthlyDOWTrigger_INTERFACE_DEFINED__
struct IMonthlyDOWTrigger : public ITrigger {
  virtual HRESULT STDMETHODCALLTYPE get_DaysOfWeek(short* days) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DaysOfWeek(short days) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_WeeksOfMonth(short* weeks) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_WeeksOfMonth(short weeks) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_MonthsOfYear(short* months) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_MonthsOfYear(short months) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RunOnLastWeekOfMonth(VARIANT_BOOL* last) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_RunOnLastWeekOfMonth(VARIANT_BOOL last) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RandomDelay(BSTR* delay) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_RandomDelay(BSTR delay) = 0;
};
#endif
#ifndef __IShowMessageAction_INTERFACE_DEFINED__
#define __IShowMessageAction_INTERFACE_DEFINED__
struct IShowMessageAction : public IAction {
  virtual HRESULT STDMETHODCALLTYPE get_Title(BSTR* title) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Title(BSTR title) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_MessageBody(BSTR* body) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_MessageBody(BSTR body) = 0;
};
#endif

namespace os::win32 {

namespace {

constexpr IID kIidLogonTrigger = {0x72DADE38, 0xFAE4, 0x4B3E, {0xBA, 0xF4, 0x5D, 0x00, 0x9A, 0xF0, 0x2B, 0x1C}};
constexpr IID kIidBootTrigger = {0x2A9C35DA, 0xD357, 0x41F4, {0xBB, 0xC1, 0x20, 0x7A, 0xC1, 0xB1, 0xF3, 0xCB}};
constexpr IID kIidDailyTrigger = {0x126C5CD8, 0xB288, 0x41D5, {0x8D, 0xBF, 0xE4, 0x91, 0x44, 0x6A, 0xDC, 0x5C}};
constexpr IID kIidWeeklyTrigger = {0x5038FC98, 0x82FF, 0x436D, {0x87, 0x28, 0xA5, 0x12, 0xA5, 0x7C, 0x9D, 0xC1}};
constexpr IID kIidMonthlyTrigger = {0x97C45EF1, 0x6B02, 0x4A1A, {0x9C, 0x0E, 0x1E, 0xBF, 0xBA, 0x15, 0x00, 0xAC}};
constexpr IID kIidMonthlyDowTrigger = {0x77D025A3, 0x90FA, 0x43AA, {0xB5, 0x2E, 0xCD, 0xA5, 0x49, 0x9B, 0x94, 0x6A}};
constexpr IID kIidExecAction = {0x4C3D624D, 0xFD6B, 0x49A3, {0xB9, 0xB7, 0x09, 0xCB, 0x3C, 0xD3, 0xF0, 0x47}};
constexpr IID kIidShowMessageAction = {0x505E9E68, 0xAF89, 0x46B8, {0xA3, 0x0F, 0x56, 0x16, 0x2A, 0x83, 0xD5, 0x37}};
constexpr CLSID kClsidTaskScheduler = {0x0F87369F, 0xA4E5, 0x4CFC, {0xBD, 0x3E, 0x73, 0xE6, 0x15, 0x45, 0x72, 0xDD}};
constexpr IID kIidTaskService = {0x2FABA4C7, 0x4DA9, 0x4013, {0x96, 0x97, 0x20, 0xCC, 0x3F, 0xD4, 0x0F, 0x85}};

// The description that the object of the last failed call left in the thread's error
// information, taken right after the call (a later call may replace it).
struct LastError {
  HRESULT code = S_OK;
  std::string description;
};
thread_local LastError t_lastError;

HResult Note(HRESULT hr) {
  if (FAILED(hr)) {
    t_lastError = {hr, {}};
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info != nullptr) {
      BSTR text = nullptr;
      if (SUCCEEDED(info->GetDescription(&text)) && text != nullptr) {
        t_lastError.description = WideToUtf8(std::wstring_view(text, SysStringLen(text)));
      }
      SysFreeString(text);
      info->Release();
    }
  }
  return static_cast<HResult>(hr);
}

// A VARIANT holding a text, or VT_NULL.
class Variant {
 public:
  Variant() {
    VariantInit(&value_);
    value_.vt = VT_NULL;
  }
  explicit Variant(const OptionalText& text) : Variant() {
    if (text) {
      const std::wstring wide = Utf8ToWide(*text);
      value_.vt = VT_BSTR;
      value_.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
  }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  operator VARIANT() const { return value_; }

 private:
  VARIANT value_;
};

VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// A Task Scheduler 2.0 seam object. Texts go as BSTRs, Booleans as VARIANT_BOOL, and every
// result passes through Note, so a failure's description can be asked for.
template <class Seam, class Native>
class Wrapper : public ComWrapper<Seam, Native> {
 public:
  using ComWrapper<Seam, Native>::ComWrapper;

 protected:
  template <class Method, class... Args>
  HResult Invoke(Method method, Args&&... args) {
    return Note(this->Call(method, std::forward<Args>(args)...));
  }
  template <class Method>
  HResult PutText(Method method, const std::string& text) {
    return Invoke(method, Bstr(text));
  }
  template <class Method>
  HResult PutBool(Method method, bool value) {
    return Invoke(method, ToVariantBool(value));
  }
  template <class Method>
  HResult GetText(Method method, std::string& out) {
    BSTR text = nullptr;
    const HRESULT hr = this->Call(method, &text);
    if (SUCCEEDED(hr)) out = text == nullptr ? std::string() : WideToUtf8(std::wstring_view(text, SysStringLen(text)));
    SysFreeString(text);
    return Note(hr);
  }
  template <class Method>
  HResult GetBool(Method method, bool& out) {
    VARIANT_BOOL value = VARIANT_FALSE;
    const HRESULT hr = this->Call(method, &value);
    if (SUCCEEDED(hr)) out = value != VARIANT_FALSE;
    return Note(hr);
  }
  // A number the native call gives as its own type (LONG, an enumeration).
  template <class NativeNumber, class Method, class Number>
  HResult GetNumber(Method method, Number& out) {
    NativeNumber value{};
    const HRESULT hr = this->Call(method, &value);
    if (SUCCEEDED(hr)) out = static_cast<Number>(value);
    return Note(hr);
  }
  // An object the native call gives through its last argument, as the seam object Child; a
  // call that succeeds without one fails with E_POINTER.
  template <class Child, class Method, class... Args>
  HResult GetChild(Method method, std::shared_ptr<typename Child::SeamInterface>& out, Args&&... args) {
    Microsoft::WRL::ComPtr<typename Child::NativeInterface> native;
    HRESULT hr = this->Call(method, std::forward<Args>(args)..., native.GetAddressOf());
    if (SUCCEEDED(hr) && !native) hr = E_POINTER;
    Adopt<Child>(hr, native, out);
    return Note(hr);
  }
  // The kind interface of a trigger or an action; its failure is the kind's absence.
  template <class Kind>
  HResult QueryKind(const IID& iid, std::shared_ptr<typename Kind::SeamInterface>& out) {
    Microsoft::WRL::ComPtr<typename Kind::NativeInterface> native;
    const HRESULT hr = this->p_.Get()->QueryInterface(iid, reinterpret_cast<void**>(native.GetAddressOf()));
    if (!Adopt<Kind>(hr, native, out)) return static_cast<HResult>(FAILED(hr) ? hr : E_NOINTERFACE);
    return kSOk;
  }
};

class Win32Principal final : public Wrapper<IPrincipal, ::IPrincipal> {
 public:
  using Wrapper::Wrapper;
  HResult get_UserId(std::string& user) override { return GetText(&::IPrincipal::get_UserId, user); }
  HResult put_UserId(const std::string& user) override { return PutText(&::IPrincipal::put_UserId, user); }
  HResult get_GroupId(std::string& group) override { return GetText(&::IPrincipal::get_GroupId, group); }
  HResult get_LogonType(std::int32_t& logonType) override {
    return GetNumber<TASK_LOGON_TYPE>(&::IPrincipal::get_LogonType, logonType);
  }
  HResult put_LogonType(std::int32_t logonType) override {
    return Invoke(&::IPrincipal::put_LogonType, static_cast<TASK_LOGON_TYPE>(logonType));
  }
};

class Win32IdleSettings final : public Wrapper<IIdleSettings, ::IIdleSettings> {
 public:
  using Wrapper::Wrapper;
  HResult put_IdleDuration(const std::string& duration) override {
    return PutText(&::IIdleSettings::put_IdleDuration, duration);
  }
  HResult put_WaitTimeout(const std::string& timeout) override {
    return PutText(&::IIdleSettings::put_WaitTimeout, timeout);
  }
  HResult get_StopOnIdleEnd(bool& value) override { return GetBool(&::IIdleSettings::get_StopOnIdleEnd, value); }
  HResult put_StopOnIdleEnd(bool value) override { return PutBool(&::IIdleSettings::put_StopOnIdleEnd, value); }
  HResult get_RestartOnIdle(bool& value) override { return GetBool(&::IIdleSettings::get_RestartOnIdle, value); }
  HResult put_RestartOnIdle(bool value) override { return PutBool(&::IIdleSettings::put_RestartOnIdle, value); }
};

// The native property of each setting flag; none for a value outside the enumeration.
struct SettingProperty {
  decltype(&::ITaskSettings::get_Enabled) get;
  decltype(&::ITaskSettings::put_Enabled) put;
};
std::optional<SettingProperty> PropertyOf(TaskSettingFlag flag) {
  using S = ::ITaskSettings;
  switch (flag) {
    case TaskSettingFlag::RunOnlyIfNetworkAvailable:
      return SettingProperty{&S::get_RunOnlyIfNetworkAvailable, &S::put_RunOnlyIfNetworkAvailable};
    case TaskSettingFlag::AllowDemandStart:
      return SettingProperty{&S::get_AllowDemandStart, &S::put_AllowDemandStart};
    case TaskSettingFlag::AllowHardTerminate:
      return SettingProperty{&S::get_AllowHardTerminate, &S::put_AllowHardTerminate};
    case TaskSettingFlag::WakeToRun:
      return SettingProperty{&S::get_WakeToRun, &S::put_WakeToRun};
    case TaskSettingFlag::Hidden:
      return SettingProperty{&S::get_Hidden, &S::put_Hidden};
    case TaskSettingFlag::DisallowStartIfOnBatteries:
      return SettingProperty{&S::get_DisallowStartIfOnBatteries, &S::put_DisallowStartIfOnBatteries};
    case TaskSettingFlag::StopIfGoingOnBatteries:
      return SettingProperty{&S::get_StopIfGoingOnBatteries, &S::put_StopIfGoingOnBatteries};
    case TaskSettingFlag::StartWhenAvailable:
      return SettingProperty{&S::get_StartWhenAvailable, &S::put_StartWhenAvailable};
    case TaskSettingFlag::RunOnlyIfIdle:
      return SettingProperty{&S::get_RunOnlyIfIdle, &S::put_RunOnlyIfIdle};
    case TaskSettingFlag::Enabled:
      return SettingProperty{&S::get_Enabled, &S::put_Enabled};
  }
  return std::nullopt;
}

class Win32Settings final : public Wrapper<ITaskSettings, ::ITaskSettings> {
 public:
  using Wrapper::Wrapper;
  HResult Get(TaskSettingFlag flag, bool& value) override {
    const auto property = PropertyOf(flag);
    return property ? GetBool(property->get, value) : Note(E_INVALIDARG);
  }
  HResult Put(TaskSettingFlag flag, bool value) override {
    const auto property = PropertyOf(flag);
    return property ? PutBool(property->put, value) : Note(E_INVALIDARG);
  }
  HResult get_IdleSettings(std::shared_ptr<IIdleSettings>& idle) override {
    return GetChild<Win32IdleSettings>(&::ITaskSettings::get_IdleSettings, idle);
  }
};

// The native property of each registration field; none for a value outside the enumeration.
struct InfoProperty {
  decltype(&::IRegistrationInfo::get_Author) get;
  decltype(&::IRegistrationInfo::put_Author) put;
};
std::optional<InfoProperty> PropertyOf(RegistrationInfoField field) {
  using R = ::IRegistrationInfo;
  switch (field) {
    case RegistrationInfoField::Description:
      return InfoProperty{&R::get_Description, &R::put_Description};
    case RegistrationInfoField::Author:
      return InfoProperty{&R::get_Author, &R::put_Author};
    case RegistrationInfoField::Version:
      return InfoProperty{&R::get_Version, &R::put_Version};
    case RegistrationInfoField::Date:
      return InfoProperty{&R::get_Date, &R::put_Date};
    case RegistrationInfoField::Documentation:
      return InfoProperty{&R::get_Documentation, &R::put_Documentation};
    case RegistrationInfoField::URI:
      return InfoProperty{&R::get_URI, &R::put_URI};
    case RegistrationInfoField::Source:
      return InfoProperty{&R::get_Source, &R::put_Source};
  }
  return std::nullopt;
}

class Win32RegistrationInfo final : public Wrapper<IRegistrationInfo, ::IRegistrationInfo> {
 public:
  using Wrapper::Wrapper;
  HResult Get(RegistrationInfoField field, std::string& value) override {
    const auto property = PropertyOf(field);
    return property ? GetText(property->get, value) : Note(E_INVALIDARG);
  }
  HResult Put(RegistrationInfoField field, const std::string& value) override {
    const auto property = PropertyOf(field);
    return property ? PutText(property->put, value) : Note(E_INVALIDARG);
  }
};

class Win32Repetition final : public Wrapper<IRepetitionPattern, ::IRepetitionPattern> {
 public:
  using Wrapper::Wrapper;
  HResult put_Duration(const std::string& duration) override {
    return PutText(&::IRepetitionPattern::put_Duration, duration);
  }
  HResult put_Interval(const std::string& interval) override {
    return PutText(&::IRepetitionPattern::put_Interval, interval);
  }
  HResult put_StopAtDurationEnd(bool stop) override {
    return PutBool(&::IRepetitionPattern::put_StopAtDurationEnd, stop);
  }
};

// The logon and the boot trigger: a delay of their own.
template <class Seam, class Native>
class Win32DelayTrigger final : public Wrapper<Seam, Native> {
 public:
  using Wrapper<Seam, Native>::Wrapper;
  HResult put_Delay(const std::string& delay) override { return this->PutText(&Native::put_Delay, delay); }
};
using Win32LogonTrigger = Win32DelayTrigger<os::ILogonTrigger, ::ILogonTrigger>;
using Win32BootTrigger = Win32DelayTrigger<os::IBootTrigger, ::IBootTrigger>;

class Win32DailyTrigger final : public Wrapper<os::IDailyTrigger, ::IDailyTrigger> {
 public:
  using Wrapper::Wrapper;
  HResult put_DaysInterval(std::int16_t days) override { return Invoke(&::IDailyTrigger::put_DaysInterval, days); }
};

class Win32WeeklyTrigger final : public Wrapper<os::IWeeklyTrigger, ::IWeeklyTrigger> {
 public:
  using Wrapper::Wrapper;
  HResult put_DaysOfWeek(std::int16_t days) override { return Invoke(&::IWeeklyTrigger::put_DaysOfWeek, days); }
  HResult put_WeeksInterval(std::int16_t weeks) override { return Invoke(&::IWeeklyTrigger::put_WeeksInterval, weeks); }
};

class Win32MonthlyTrigger final : public Wrapper<os::IMonthlyTrigger, ::IMonthlyTrigger> {
 public:
  using Wrapper::Wrapper;
  HResult put_DaysOfMonth(std::int32_t days) override { return Invoke(&::IMonthlyTrigger::put_DaysOfMonth, days); }
  HResult put_MonthsOfYear(std::int16_t months) override {
    return Invoke(&::IMonthlyTrigger::put_MonthsOfYear, months);
  }
  HResult put_RunOnLastDayOfMonth(bool last) override {
    return PutBool(&::IMonthlyTrigger::put_RunOnLastDayOfMonth, last);
  }
};

class Win32MonthlyDowTrigger final : public Wrapper<os::IMonthlyDOWTrigger, ::IMonthlyDOWTrigger> {
 public:
  using Wrapper::Wrapper;
  HResult put_DaysOfWeek(std::int16_t days) override { return Invoke(&::IMonthlyDOWTrigger::put_DaysOfWeek, days); }
  HResult put_WeeksOfMonth(std::int16_t weeks) override {
    return Invoke(&::IMonthlyDOWTrigger::put_WeeksOfMonth, weeks);
  }
  HResult put_MonthsOfYear(std::int16_t months) override {
    return Invoke(&::IMonthlyDOWTrigger::put_MonthsOfYear, months);
  }
  HResult put_RunOnLastWeekOfMonth(bool last) override {
    return PutBool(&::IMonthlyDOWTrigger::put_RunOnLastWeekOfMonth, last);
  }
};

class Win32Trigger final : public Wrapper<os::ITrigger, ::ITrigger> {
 public:
  using Wrapper::Wrapper;
  HResult get_Type(std::int32_t& type) override { return GetNumber<TASK_TRIGGER_TYPE2>(&::ITrigger::get_Type, type); }
  HResult get_Id(std::string& id) override { return GetText(&::ITrigger::get_Id, id); }
  HResult put_Id(const std::string& id) override { return PutText(&::ITrigger::put_Id, id); }
  HResult put_Enabled(bool enabled) override { return PutBool(&::ITrigger::put_Enabled, enabled); }
  HResult put_StartBoundary(const std::string& start) override {
    return PutText(&::ITrigger::put_StartBoundary, start);
  }
  HResult put_EndBoundary(const std::string& end) override { return PutText(&::ITrigger::put_EndBoundary, end); }
  HResult get_Repetition(std::shared_ptr<IRepetitionPattern>& pattern) override {
    return GetChild<Win32Repetition>(&::ITrigger::get_Repetition, pattern);
  }
  HResult QueryInterface(std::shared_ptr<os::ILogonTrigger>& kind) override {
    return QueryKind<Win32LogonTrigger>(kIidLogonTrigger, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IBootTrigger>& kind) override {
    return QueryKind<Win32BootTrigger>(kIidBootTrigger, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IDailyTrigger>& kind) override {
    return QueryKind<Win32DailyTrigger>(kIidDailyTrigger, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IWeeklyTrigger>& kind) override {
    return QueryKind<Win32WeeklyTrigger>(kIidWeeklyTrigger, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IMonthlyTrigger>& kind) override {
    return QueryKind<Win32MonthlyTrigger>(kIidMonthlyTrigger, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IMonthlyDOWTrigger>& kind) override {
    return QueryKind<Win32MonthlyDowTrigger>(kIidMonthlyDowTrigger, kind);
  }
};

class Win32ExecAction final : public Wrapper<os::IExecAction, ::IExecAction> {
 public:
  using Wrapper::Wrapper;
  HResult get_Path(std::string& path) override { return GetText(&::IExecAction::get_Path, path); }
  HResult put_Path(const std::string& path) override { return PutText(&::IExecAction::put_Path, path); }
  HResult get_Arguments(std::string& arguments) override { return GetText(&::IExecAction::get_Arguments, arguments); }
  HResult put_Arguments(const std::string& arguments) override {
    return PutText(&::IExecAction::put_Arguments, arguments);
  }
  HResult put_WorkingDirectory(const std::string& directory) override {
    return PutText(&::IExecAction::put_WorkingDirectory, directory);
  }
};

class Win32ShowMessageAction final : public Wrapper<os::IShowMessageAction, ::IShowMessageAction> {
 public:
  using Wrapper::Wrapper;
  HResult put_Title(const std::string& title) override { return PutText(&::IShowMessageAction::put_Title, title); }
  HResult put_MessageBody(const std::string& body) override {
    return PutText(&::IShowMessageAction::put_MessageBody, body);
  }
};

class Win32Action final : public Wrapper<os::IAction, ::IAction> {
 public:
  using Wrapper::Wrapper;
  HResult get_Id(std::string& id) override { return GetText(&::IAction::get_Id, id); }
  HResult put_Id(const std::string& id) override { return PutText(&::IAction::put_Id, id); }
  HResult QueryInterface(std::shared_ptr<os::IExecAction>& kind) override {
    return QueryKind<Win32ExecAction>(kIidExecAction, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IShowMessageAction>& kind) override {
    return QueryKind<Win32ShowMessageAction>(kIidShowMessageAction, kind);
  }
};

// The triggers or the actions of a definition: counted, read by index, made by kind.
template <class Seam, class Native, class Item, class NativeKind>
class Win32Collection final : public Wrapper<Seam, Native> {
 public:
  using Wrapper<Seam, Native>::Wrapper;
  HResult get_Count(std::int32_t& count) override { return this->template GetNumber<LONG>(&Native::get_Count, count); }
  HResult get_Item(std::int32_t index, std::shared_ptr<typename Item::SeamInterface>& item) override {
    return this->template GetChild<Item>(&Native::get_Item, item, index);
  }
  HResult Create(std::int32_t type, std::shared_ptr<typename Item::SeamInterface>& item) override {
    return this->template GetChild<Item>(&Native::Create, item, static_cast<NativeKind>(type));
  }
};
using Win32TriggerCollection =
    Win32Collection<ITriggerCollection, ::ITriggerCollection, Win32Trigger, TASK_TRIGGER_TYPE2>;
using Win32ActionCollection = Win32Collection<IActionCollection, ::IActionCollection, Win32Action, TASK_ACTION_TYPE>;

class Win32Definition final : public Wrapper<ITaskDefinition, ::ITaskDefinition> {
 public:
  using Wrapper::Wrapper;
  HResult get_Principal(std::shared_ptr<IPrincipal>& principal) override {
    return GetChild<Win32Principal>(&::ITaskDefinition::get_Principal, principal);
  }
  HResult get_Settings(std::shared_ptr<ITaskSettings>& settings) override {
    return GetChild<Win32Settings>(&::ITaskDefinition::get_Settings, settings);
  }
  HResult get_RegistrationInfo(std::shared_ptr<IRegistrationInfo>& info) override {
    return GetChild<Win32RegistrationInfo>(&::ITaskDefinition::get_RegistrationInfo, info);
  }
  HResult get_Triggers(std::shared_ptr<ITriggerCollection>& triggers) override {
    return GetChild<Win32TriggerCollection>(&::ITaskDefinition::get_Triggers, triggers);
  }
  HResult get_Actions(std::shared_ptr<IActionCollection>& actions) override {
    return GetChild<Win32ActionCollection>(&::ITaskDefinition::get_Actions, actions);
  }
};

class Win32RegisteredTask final : public Wrapper<IRegisteredTask, ::IRegisteredTask> {
 public:
  using Wrapper::Wrapper;
  HResult get_Name(std::string& name) override { return GetText(&::IRegisteredTask::get_Name, name); }
  HResult get_Enabled(bool& enabled) override { return GetBool(&::IRegisteredTask::get_Enabled, enabled); }
  HResult get_Definition(std::shared_ptr<ITaskDefinition>& definition) override {
    return GetChild<Win32Definition>(&::IRegisteredTask::get_Definition, definition);
  }
};

class Win32Folder final : public Wrapper<ITaskFolder, ::ITaskFolder> {
 public:
  using Wrapper::Wrapper;
  HResult get_Path(std::string& path) override { return GetText(&::ITaskFolder::get_Path, path); }
  HResult GetFolder(const std::string& path, std::shared_ptr<ITaskFolder>& folder) override {
    return GetChild<Win32Folder>(&::ITaskFolder::GetFolder, folder, Bstr(path));
  }
  HResult CreateFolder(const std::string& path, const OptionalText& sddl,
                       std::shared_ptr<ITaskFolder>& folder) override {
    const Variant security(sddl);
    return GetChild<Win32Folder>(&::ITaskFolder::CreateFolder, folder, Bstr(path), security);
  }
  HResult DeleteFolder(const std::string& path, std::int32_t flags) override {
    return Invoke(&::ITaskFolder::DeleteFolder, Bstr(path), flags);
  }
  HResult GetTask(const std::string& path, std::shared_ptr<IRegisteredTask>& task) override {
    return GetChild<Win32RegisteredTask>(&::ITaskFolder::GetTask, task, Bstr(path));
  }
  HResult DeleteTask(const std::string& name, std::int32_t flags) override {
    return Invoke(&::ITaskFolder::DeleteTask, Bstr(name), flags);
  }
  HResult RegisterTaskDefinition(const std::string& path, ITaskDefinition& definition, std::int32_t flags,
                                 const OptionalText& userId, const OptionalText& password, std::int32_t logonType,
                                 const OptionalText& sddl, std::shared_ptr<IRegisteredTask>& task) override {
    task.reset();
    auto* native = dynamic_cast<Win32Definition*>(&definition);
    if (native == nullptr) return Note(E_INVALIDARG);
    const Variant user(userId), secret(password), security(sddl);
    return GetChild<Win32RegisteredTask>(&::ITaskFolder::RegisterTaskDefinition, task, Bstr(path),
                                         native->NativeObject(), flags, user, secret,
                                         static_cast<TASK_LOGON_TYPE>(logonType), security);
  }
};

class Win32Service final : public Wrapper<ITaskService, ::ITaskService> {
 public:
  using Wrapper::Wrapper;
  HResult Connect(const std::string& server, const std::string& user, const std::string& domain,
                  const std::string& password) override {
    const Variant s{OptionalText(server)}, u{OptionalText(user)}, d{OptionalText(domain)}, p{OptionalText(password)};
    return Invoke(&::ITaskService::Connect, s, u, d, p);
  }
  HResult GetFolder(const std::string& path, std::shared_ptr<ITaskFolder>& folder) override {
    return GetChild<Win32Folder>(&::ITaskService::GetFolder, folder, Bstr(path));
  }
  HResult NewTask(std::int32_t flags, std::shared_ptr<ITaskDefinition>& definition) override {
    return GetChild<Win32Definition>(&::ITaskService::NewTask, definition, static_cast<DWORD>(flags));
  }
};

}  // namespace

HResult Win32TaskSchedulerLibrary::CreateInstance(std::shared_ptr<ITaskService>& service) {
  service.reset();
  ComPtr<::ITaskService> native;
  const HRESULT hr = CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidTaskService,
                                      reinterpret_cast<void**>(native.GetAddressOf()));
  if (FAILED(hr)) return static_cast<HResult>(hr);
  if (!native) return static_cast<HResult>(E_POINTER);
  service = std::make_shared<Win32Service>(std::move(native));
  return kSOk;
}

std::string Win32TaskSchedulerLibrary::ErrorDescription(HResult code) {
  if (t_lastError.code == static_cast<HRESULT>(code) && !t_lastError.description.empty()) {
    std::string description = std::move(t_lastError.description);
    t_lastError = {};
    return description;
  }
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return WideToUtf8(text);
}

bool Win32Accounts::QueryUserName(std::string& name) {
  char buffer[256];
  DWORD size = sizeof buffer;
  if (!GetUserNameA(buffer, &size) || size == 0) return false;
  // The count includes the terminating null character.
  name = AnsiToUtf8(std::string_view(buffer, size - 1));
  return true;
}

bool Win32Accounts::QueryComputerName(std::string& name) {
  char buffer[16];
  DWORD size = sizeof buffer;
  if (!GetComputerNameA(buffer, &size)) return false;
  name = AnsiToUtf8(std::string_view(buffer, size));
  return true;
}

bool Win32Accounts::QueryUserNameW(std::string& name) {
  wchar_t buffer[260];
  DWORD size = 260;
  if (!GetUserNameW(buffer, &size) || size == 0) return false;
  // The count includes the terminating null character.
  name = WideToUtf8(std::wstring_view(buffer, size - 1));
  return true;
}

bool Win32Accounts::QueryComputerNameW(std::string& name) {
  wchar_t buffer[16];
  DWORD size = 16;
  if (!GetComputerNameW(buffer, &size)) return false;
  name = WideToUtf8(std::wstring_view(buffer, size));
  return true;
}

}  // namespace os::win32
