#include "platform/os/win32/Win32TaskScheduler.h"

#include <windows.h>
// windows.h first: taskschd.h needs its types.
#include <oleauto.h>
#include <taskschd.h>
#include <wrl/client.h>

#include "platform/os/win32/Bstr.h"
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

template <class Call>
HResult GetText(std::string& out, Call call) {
  BSTR text = nullptr;
  const HRESULT hr = call(&text);
  if (SUCCEEDED(hr)) out = text == nullptr ? std::string() : WideToUtf8(std::wstring_view(text, SysStringLen(text)));
  SysFreeString(text);
  return Note(hr);
}

template <class Call>
HResult GetBool(bool& out, Call call) {
  VARIANT_BOOL value = VARIANT_FALSE;
  const HRESULT hr = call(&value);
  if (SUCCEEDED(hr)) out = value != VARIANT_FALSE;
  return Note(hr);
}

VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// Wraps a native object of the kind in its seam object; E_POINTER when a call succeeded
// without giving one.
template <class Wrapper, class Native, class Seam>
HResult Wrap(HRESULT hr, ComPtr<Native>& native, std::shared_ptr<Seam>& out) {
  out.reset();
  if (SUCCEEDED(hr) && !native) hr = E_POINTER;
  if (SUCCEEDED(hr)) out = std::make_shared<Wrapper>(std::move(native));
  return Note(hr);
}

template <class Wrapper, class Native, class Seam, class From>
HResult QueryKind(From* from, const IID& iid, std::shared_ptr<Seam>& out) {
  out.reset();
  ComPtr<Native> native;
  const HRESULT hr = from->QueryInterface(iid, reinterpret_cast<void**>(native.GetAddressOf()));
  if (FAILED(hr) || !native) return static_cast<HResult>(FAILED(hr) ? hr : E_NOINTERFACE);
  out = std::make_shared<Wrapper>(std::move(native));
  return kSOk;
}

class Win32Principal final : public IPrincipal {
 public:
  explicit Win32Principal(ComPtr<::IPrincipal> p) : p_(std::move(p)) {}
  HResult get_UserId(std::string& user) override {
    return GetText(user, [&](BSTR* v) { return p_->get_UserId(v); });
  }
  HResult put_UserId(const std::string& user) override { return Note(p_->put_UserId(Bstr(user))); }
  HResult get_GroupId(std::string& group) override {
    return GetText(group, [&](BSTR* v) { return p_->get_GroupId(v); });
  }
  HResult get_LogonType(std::int32_t& logonType) override {
    TASK_LOGON_TYPE value = TASK_LOGON_NONE;
    const HRESULT hr = p_->get_LogonType(&value);
    if (SUCCEEDED(hr)) logonType = static_cast<std::int32_t>(value);
    return Note(hr);
  }
  HResult put_LogonType(std::int32_t logonType) override {
    return Note(p_->put_LogonType(static_cast<TASK_LOGON_TYPE>(logonType)));
  }

 private:
  ComPtr<::IPrincipal> p_;
};

class Win32IdleSettings final : public IIdleSettings {
 public:
  explicit Win32IdleSettings(ComPtr<::IIdleSettings> p) : p_(std::move(p)) {}
  HResult put_IdleDuration(const std::string& duration) override { return Note(p_->put_IdleDuration(Bstr(duration))); }
  HResult put_WaitTimeout(const std::string& timeout) override { return Note(p_->put_WaitTimeout(Bstr(timeout))); }
  HResult get_StopOnIdleEnd(bool& value) override {
    return GetBool(value, [&](VARIANT_BOOL* v) { return p_->get_StopOnIdleEnd(v); });
  }
  HResult put_StopOnIdleEnd(bool value) override { return Note(p_->put_StopOnIdleEnd(ToVariantBool(value))); }
  HResult get_RestartOnIdle(bool& value) override {
    return GetBool(value, [&](VARIANT_BOOL* v) { return p_->get_RestartOnIdle(v); });
  }
  HResult put_RestartOnIdle(bool value) override { return Note(p_->put_RestartOnIdle(ToVariantBool(value))); }

 private:
  ComPtr<::IIdleSettings> p_;
};

class Win32Settings final : public ITaskSettings {
 public:
  explicit Win32Settings(ComPtr<::ITaskSettings> p) : p_(std::move(p)) {}
  HResult Get(TaskSettingFlag flag, bool& value) override {
    return GetBool(value, [&](VARIANT_BOOL* v) -> HRESULT {
      switch (flag) {
        case TaskSettingFlag::RunOnlyIfNetworkAvailable:
          return p_->get_RunOnlyIfNetworkAvailable(v);
        case TaskSettingFlag::AllowDemandStart:
          return p_->get_AllowDemandStart(v);
        case TaskSettingFlag::AllowHardTerminate:
          return p_->get_AllowHardTerminate(v);
        case TaskSettingFlag::WakeToRun:
          return p_->get_WakeToRun(v);
        case TaskSettingFlag::Hidden:
          return p_->get_Hidden(v);
        case TaskSettingFlag::DisallowStartIfOnBatteries:
          return p_->get_DisallowStartIfOnBatteries(v);
        case TaskSettingFlag::StopIfGoingOnBatteries:
          return p_->get_StopIfGoingOnBatteries(v);
        case TaskSettingFlag::StartWhenAvailable:
          return p_->get_StartWhenAvailable(v);
        case TaskSettingFlag::RunOnlyIfIdle:
          return p_->get_RunOnlyIfIdle(v);
        case TaskSettingFlag::Enabled:
          return p_->get_Enabled(v);
      }
      return E_INVALIDARG;
    });
  }
  HResult Put(TaskSettingFlag flag, bool value) override {
    const VARIANT_BOOL v = ToVariantBool(value);
    switch (flag) {
      case TaskSettingFlag::RunOnlyIfNetworkAvailable:
        return Note(p_->put_RunOnlyIfNetworkAvailable(v));
      case TaskSettingFlag::AllowDemandStart:
        return Note(p_->put_AllowDemandStart(v));
      case TaskSettingFlag::AllowHardTerminate:
        return Note(p_->put_AllowHardTerminate(v));
      case TaskSettingFlag::WakeToRun:
        return Note(p_->put_WakeToRun(v));
      case TaskSettingFlag::Hidden:
        return Note(p_->put_Hidden(v));
      case TaskSettingFlag::DisallowStartIfOnBatteries:
        return Note(p_->put_DisallowStartIfOnBatteries(v));
      case TaskSettingFlag::StopIfGoingOnBatteries:
        return Note(p_->put_StopIfGoingOnBatteries(v));
      case TaskSettingFlag::StartWhenAvailable:
        return Note(p_->put_StartWhenAvailable(v));
      case TaskSettingFlag::RunOnlyIfIdle:
        return Note(p_->put_RunOnlyIfIdle(v));
      case TaskSettingFlag::Enabled:
        return Note(p_->put_Enabled(v));
    }
    return Note(E_INVALIDARG);
  }
  HResult get_IdleSettings(std::shared_ptr<IIdleSettings>& idle) override {
    ComPtr<::IIdleSettings> native;
    return Wrap<Win32IdleSettings>(p_->get_IdleSettings(native.GetAddressOf()), native, idle);
  }

 private:
  ComPtr<::ITaskSettings> p_;
};

class Win32RegistrationInfo final : public IRegistrationInfo {
 public:
  explicit Win32RegistrationInfo(ComPtr<::IRegistrationInfo> p) : p_(std::move(p)) {}
  HResult Get(RegistrationInfoField field, std::string& value) override {
    return GetText(value, [&](BSTR* v) -> HRESULT {
      switch (field) {
        case RegistrationInfoField::Description:
          return p_->get_Description(v);
        case RegistrationInfoField::Author:
          return p_->get_Author(v);
        case RegistrationInfoField::Version:
          return p_->get_Version(v);
        case RegistrationInfoField::Date:
          return p_->get_Date(v);
        case RegistrationInfoField::Documentation:
          return p_->get_Documentation(v);
        case RegistrationInfoField::URI:
          return p_->get_URI(v);
        case RegistrationInfoField::Source:
          return p_->get_Source(v);
      }
      return E_INVALIDARG;
    });
  }
  HResult Put(RegistrationInfoField field, const std::string& value) override {
    const Bstr v(value);
    switch (field) {
      case RegistrationInfoField::Description:
        return Note(p_->put_Description(v));
      case RegistrationInfoField::Author:
        return Note(p_->put_Author(v));
      case RegistrationInfoField::Version:
        return Note(p_->put_Version(v));
      case RegistrationInfoField::Date:
        return Note(p_->put_Date(v));
      case RegistrationInfoField::Documentation:
        return Note(p_->put_Documentation(v));
      case RegistrationInfoField::URI:
        return Note(p_->put_URI(v));
      case RegistrationInfoField::Source:
        return Note(p_->put_Source(v));
    }
    return Note(E_INVALIDARG);
  }

 private:
  ComPtr<::IRegistrationInfo> p_;
};

class Win32Repetition final : public IRepetitionPattern {
 public:
  explicit Win32Repetition(ComPtr<::IRepetitionPattern> p) : p_(std::move(p)) {}
  HResult put_Duration(const std::string& duration) override { return Note(p_->put_Duration(Bstr(duration))); }
  HResult put_Interval(const std::string& interval) override { return Note(p_->put_Interval(Bstr(interval))); }
  HResult put_StopAtDurationEnd(bool stop) override { return Note(p_->put_StopAtDurationEnd(ToVariantBool(stop))); }

 private:
  ComPtr<::IRepetitionPattern> p_;
};

class Win32LogonTrigger final : public os::ILogonTrigger {
 public:
  explicit Win32LogonTrigger(ComPtr<::ILogonTrigger> p) : p_(std::move(p)) {}
  HResult put_Delay(const std::string& delay) override { return Note(p_->put_Delay(Bstr(delay))); }

 private:
  ComPtr<::ILogonTrigger> p_;
};

class Win32BootTrigger final : public os::IBootTrigger {
 public:
  explicit Win32BootTrigger(ComPtr<::IBootTrigger> p) : p_(std::move(p)) {}
  HResult put_Delay(const std::string& delay) override { return Note(p_->put_Delay(Bstr(delay))); }

 private:
  ComPtr<::IBootTrigger> p_;
};

class Win32DailyTrigger final : public os::IDailyTrigger {
 public:
  explicit Win32DailyTrigger(ComPtr<::IDailyTrigger> p) : p_(std::move(p)) {}
  HResult put_DaysInterval(std::int16_t days) override { return Note(p_->put_DaysInterval(days)); }

 private:
  ComPtr<::IDailyTrigger> p_;
};

class Win32WeeklyTrigger final : public os::IWeeklyTrigger {
 public:
  explicit Win32WeeklyTrigger(ComPtr<::IWeeklyTrigger> p) : p_(std::move(p)) {}
  HResult put_DaysOfWeek(std::int16_t days) override { return Note(p_->put_DaysOfWeek(days)); }
  HResult put_WeeksInterval(std::int16_t weeks) override { return Note(p_->put_WeeksInterval(weeks)); }

 private:
  ComPtr<::IWeeklyTrigger> p_;
};

class Win32MonthlyTrigger final : public os::IMonthlyTrigger {
 public:
  explicit Win32MonthlyTrigger(ComPtr<::IMonthlyTrigger> p) : p_(std::move(p)) {}
  HResult put_DaysOfMonth(std::int32_t days) override { return Note(p_->put_DaysOfMonth(days)); }
  HResult put_MonthsOfYear(std::int16_t months) override { return Note(p_->put_MonthsOfYear(months)); }
  HResult put_RunOnLastDayOfMonth(bool last) override { return Note(p_->put_RunOnLastDayOfMonth(ToVariantBool(last))); }

 private:
  ComPtr<::IMonthlyTrigger> p_;
};

class Win32MonthlyDowTrigger final : public os::IMonthlyDOWTrigger {
 public:
  explicit Win32MonthlyDowTrigger(ComPtr<::IMonthlyDOWTrigger> p) : p_(std::move(p)) {}
  HResult put_DaysOfWeek(std::int16_t days) override { return Note(p_->put_DaysOfWeek(days)); }
  HResult put_WeeksOfMonth(std::int16_t weeks) override { return Note(p_->put_WeeksOfMonth(weeks)); }
  HResult put_MonthsOfYear(std::int16_t months) override { return Note(p_->put_MonthsOfYear(months)); }
  HResult put_RunOnLastWeekOfMonth(bool last) override {
    return Note(p_->put_RunOnLastWeekOfMonth(ToVariantBool(last)));
  }

 private:
  ComPtr<::IMonthlyDOWTrigger> p_;
};

class Win32Trigger final : public os::ITrigger {
 public:
  explicit Win32Trigger(ComPtr<::ITrigger> p) : p_(std::move(p)) {}
  HResult get_Type(std::int32_t& type) override {
    TASK_TRIGGER_TYPE2 value = TASK_TRIGGER_EVENT;
    const HRESULT hr = p_->get_Type(&value);
    if (SUCCEEDED(hr)) type = static_cast<std::int32_t>(value);
    return Note(hr);
  }
  HResult get_Id(std::string& id) override {
    return GetText(id, [&](BSTR* v) { return p_->get_Id(v); });
  }
  HResult put_Id(const std::string& id) override { return Note(p_->put_Id(Bstr(id))); }
  HResult put_Enabled(bool enabled) override { return Note(p_->put_Enabled(ToVariantBool(enabled))); }
  HResult put_StartBoundary(const std::string& start) override { return Note(p_->put_StartBoundary(Bstr(start))); }
  HResult put_EndBoundary(const std::string& end) override { return Note(p_->put_EndBoundary(Bstr(end))); }
  HResult get_Repetition(std::shared_ptr<IRepetitionPattern>& pattern) override {
    ComPtr<::IRepetitionPattern> native;
    return Wrap<Win32Repetition>(p_->get_Repetition(native.GetAddressOf()), native, pattern);
  }
  HResult QueryInterface(std::shared_ptr<os::ILogonTrigger>& kind) override {
    return QueryKind<Win32LogonTrigger, ::ILogonTrigger>(p_.Get(), kIidLogonTrigger, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IBootTrigger>& kind) override {
    return QueryKind<Win32BootTrigger, ::IBootTrigger>(p_.Get(), kIidBootTrigger, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IDailyTrigger>& kind) override {
    return QueryKind<Win32DailyTrigger, ::IDailyTrigger>(p_.Get(), kIidDailyTrigger, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IWeeklyTrigger>& kind) override {
    return QueryKind<Win32WeeklyTrigger, ::IWeeklyTrigger>(p_.Get(), kIidWeeklyTrigger, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IMonthlyTrigger>& kind) override {
    return QueryKind<Win32MonthlyTrigger, ::IMonthlyTrigger>(p_.Get(), kIidMonthlyTrigger, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IMonthlyDOWTrigger>& kind) override {
    return QueryKind<Win32MonthlyDowTrigger, ::IMonthlyDOWTrigger>(p_.Get(), kIidMonthlyDowTrigger, kind);
  }

 private:
  ComPtr<::ITrigger> p_;
};

class Win32TriggerCollection final : public ITriggerCollection {
 public:
  explicit Win32TriggerCollection(ComPtr<::ITriggerCollection> p) : p_(std::move(p)) {}
  HResult get_Count(std::int32_t& count) override {
    LONG value = 0;
    const HRESULT hr = p_->get_Count(&value);
    if (SUCCEEDED(hr)) count = static_cast<std::int32_t>(value);
    return Note(hr);
  }
  HResult get_Item(std::int32_t index, std::shared_ptr<os::ITrigger>& trigger) override {
    ComPtr<::ITrigger> native;
    return Wrap<Win32Trigger>(p_->get_Item(index, native.GetAddressOf()), native, trigger);
  }
  HResult Create(std::int32_t type, std::shared_ptr<os::ITrigger>& trigger) override {
    ComPtr<::ITrigger> native;
    return Wrap<Win32Trigger>(p_->Create(static_cast<TASK_TRIGGER_TYPE2>(type), native.GetAddressOf()), native,
                              trigger);
  }

 private:
  ComPtr<::ITriggerCollection> p_;
};

class Win32ExecAction final : public os::IExecAction {
 public:
  explicit Win32ExecAction(ComPtr<::IExecAction> p) : p_(std::move(p)) {}
  HResult get_Path(std::string& path) override {
    return GetText(path, [&](BSTR* v) { return p_->get_Path(v); });
  }
  HResult put_Path(const std::string& path) override { return Note(p_->put_Path(Bstr(path))); }
  HResult get_Arguments(std::string& arguments) override {
    return GetText(arguments, [&](BSTR* v) { return p_->get_Arguments(v); });
  }
  HResult put_Arguments(const std::string& arguments) override { return Note(p_->put_Arguments(Bstr(arguments))); }
  HResult put_WorkingDirectory(const std::string& directory) override {
    return Note(p_->put_WorkingDirectory(Bstr(directory)));
  }

 private:
  ComPtr<::IExecAction> p_;
};

class Win32ShowMessageAction final : public os::IShowMessageAction {
 public:
  explicit Win32ShowMessageAction(ComPtr<::IShowMessageAction> p) : p_(std::move(p)) {}
  HResult put_Title(const std::string& title) override { return Note(p_->put_Title(Bstr(title))); }
  HResult put_MessageBody(const std::string& body) override { return Note(p_->put_MessageBody(Bstr(body))); }

 private:
  ComPtr<::IShowMessageAction> p_;
};

class Win32Action final : public os::IAction {
 public:
  explicit Win32Action(ComPtr<::IAction> p) : p_(std::move(p)) {}
  HResult get_Id(std::string& id) override {
    return GetText(id, [&](BSTR* v) { return p_->get_Id(v); });
  }
  HResult put_Id(const std::string& id) override { return Note(p_->put_Id(Bstr(id))); }
  HResult QueryInterface(std::shared_ptr<os::IExecAction>& kind) override {
    return QueryKind<Win32ExecAction, ::IExecAction>(p_.Get(), kIidExecAction, kind);
  }
  HResult QueryInterface(std::shared_ptr<os::IShowMessageAction>& kind) override {
    return QueryKind<Win32ShowMessageAction, ::IShowMessageAction>(p_.Get(), kIidShowMessageAction, kind);
  }

 private:
  ComPtr<::IAction> p_;
};

class Win32ActionCollection final : public IActionCollection {
 public:
  explicit Win32ActionCollection(ComPtr<::IActionCollection> p) : p_(std::move(p)) {}
  HResult get_Count(std::int32_t& count) override {
    LONG value = 0;
    const HRESULT hr = p_->get_Count(&value);
    if (SUCCEEDED(hr)) count = static_cast<std::int32_t>(value);
    return Note(hr);
  }
  HResult get_Item(std::int32_t index, std::shared_ptr<os::IAction>& action) override {
    ComPtr<::IAction> native;
    return Wrap<Win32Action>(p_->get_Item(index, native.GetAddressOf()), native, action);
  }
  HResult Create(std::int32_t type, std::shared_ptr<os::IAction>& action) override {
    ComPtr<::IAction> native;
    return Wrap<Win32Action>(p_->Create(static_cast<TASK_ACTION_TYPE>(type), native.GetAddressOf()), native, action);
  }

 private:
  ComPtr<::IActionCollection> p_;
};

class Win32Definition final : public ITaskDefinition {
 public:
  explicit Win32Definition(ComPtr<::ITaskDefinition> p) : p_(std::move(p)) {}
  ::ITaskDefinition* Native() const { return p_.Get(); }

  HResult get_Principal(std::shared_ptr<IPrincipal>& principal) override {
    ComPtr<::IPrincipal> native;
    return Wrap<Win32Principal>(p_->get_Principal(native.GetAddressOf()), native, principal);
  }
  HResult get_Settings(std::shared_ptr<ITaskSettings>& settings) override {
    ComPtr<::ITaskSettings> native;
    return Wrap<Win32Settings>(p_->get_Settings(native.GetAddressOf()), native, settings);
  }
  HResult get_RegistrationInfo(std::shared_ptr<IRegistrationInfo>& info) override {
    ComPtr<::IRegistrationInfo> native;
    return Wrap<Win32RegistrationInfo>(p_->get_RegistrationInfo(native.GetAddressOf()), native, info);
  }
  HResult get_Triggers(std::shared_ptr<ITriggerCollection>& triggers) override {
    ComPtr<::ITriggerCollection> native;
    return Wrap<Win32TriggerCollection>(p_->get_Triggers(native.GetAddressOf()), native, triggers);
  }
  HResult get_Actions(std::shared_ptr<IActionCollection>& actions) override {
    ComPtr<::IActionCollection> native;
    return Wrap<Win32ActionCollection>(p_->get_Actions(native.GetAddressOf()), native, actions);
  }

 private:
  ComPtr<::ITaskDefinition> p_;
};

class Win32RegisteredTask final : public IRegisteredTask {
 public:
  explicit Win32RegisteredTask(ComPtr<::IRegisteredTask> p) : p_(std::move(p)) {}
  HResult get_Name(std::string& name) override {
    return GetText(name, [&](BSTR* v) { return p_->get_Name(v); });
  }
  HResult get_Enabled(bool& enabled) override {
    return GetBool(enabled, [&](VARIANT_BOOL* v) { return p_->get_Enabled(v); });
  }
  HResult get_Definition(std::shared_ptr<ITaskDefinition>& definition) override {
    ComPtr<::ITaskDefinition> native;
    return Wrap<Win32Definition>(p_->get_Definition(native.GetAddressOf()), native, definition);
  }

 private:
  ComPtr<::IRegisteredTask> p_;
};

class Win32Folder final : public ITaskFolder {
 public:
  explicit Win32Folder(ComPtr<::ITaskFolder> p) : p_(std::move(p)) {}
  HResult get_Path(std::string& path) override {
    return GetText(path, [&](BSTR* v) { return p_->get_Path(v); });
  }
  HResult GetFolder(const std::string& path, std::shared_ptr<ITaskFolder>& folder) override {
    ComPtr<::ITaskFolder> native;
    return Wrap<Win32Folder>(p_->GetFolder(Bstr(path), native.GetAddressOf()), native, folder);
  }
  HResult CreateFolder(const std::string& path, const OptionalText& sddl,
                       std::shared_ptr<ITaskFolder>& folder) override {
    ComPtr<::ITaskFolder> native;
    const Variant security(sddl);
    return Wrap<Win32Folder>(p_->CreateFolder(Bstr(path), security, native.GetAddressOf()), native, folder);
  }
  HResult DeleteFolder(const std::string& path, std::int32_t flags) override {
    return Note(p_->DeleteFolder(Bstr(path), flags));
  }
  HResult GetTask(const std::string& path, std::shared_ptr<IRegisteredTask>& task) override {
    ComPtr<::IRegisteredTask> native;
    return Wrap<Win32RegisteredTask>(p_->GetTask(Bstr(path), native.GetAddressOf()), native, task);
  }
  HResult DeleteTask(const std::string& name, std::int32_t flags) override {
    return Note(p_->DeleteTask(Bstr(name), flags));
  }
  HResult RegisterTaskDefinition(const std::string& path, ITaskDefinition& definition, std::int32_t flags,
                                 const OptionalText& userId, const OptionalText& password, std::int32_t logonType,
                                 const OptionalText& sddl, std::shared_ptr<IRegisteredTask>& task) override {
    task.reset();
    auto* native = dynamic_cast<Win32Definition*>(&definition);
    if (native == nullptr) return Note(E_INVALIDARG);
    const Variant user(userId), secret(password), security(sddl);
    ComPtr<::IRegisteredTask> registered;
    return Wrap<Win32RegisteredTask>(
        p_->RegisterTaskDefinition(Bstr(path), native->Native(), flags, user, secret,
                                   static_cast<TASK_LOGON_TYPE>(logonType), security, registered.GetAddressOf()),
        registered, task);
  }

 private:
  ComPtr<::ITaskFolder> p_;
};

class Win32Service final : public ITaskService {
 public:
  explicit Win32Service(ComPtr<::ITaskService> p) : p_(std::move(p)) {}
  HResult Connect(const std::string& server, const std::string& user, const std::string& domain,
                  const std::string& password) override {
    const Variant s{OptionalText(server)}, u{OptionalText(user)}, d{OptionalText(domain)}, p{OptionalText(password)};
    return Note(p_->Connect(s, u, d, p));
  }
  HResult GetFolder(const std::string& path, std::shared_ptr<ITaskFolder>& folder) override {
    ComPtr<::ITaskFolder> native;
    return Wrap<Win32Folder>(p_->GetFolder(Bstr(path), native.GetAddressOf()), native, folder);
  }
  HResult NewTask(std::int32_t flags, std::shared_ptr<ITaskDefinition>& definition) override {
    ComPtr<::ITaskDefinition> native;
    return Wrap<Win32Definition>(p_->NewTask(static_cast<DWORD>(flags), native.GetAddressOf()), native, definition);
  }

 private:
  ComPtr<::ITaskService> p_;
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
