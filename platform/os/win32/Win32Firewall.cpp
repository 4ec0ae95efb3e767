#include "platform/os/win32/Win32Firewall.h"

#include <windows.h>
// windows.h first: netfw.h needs its types.
#include <netfw.h>
#include <objbase.h>
#include <wrl/client.h>

#include "platform/os/win32/Bstr.h"
#include "platform/os/win32/Text.h"

namespace os::win32 {

namespace {

using Microsoft::WRL::ComPtr;

// The object of a program identifier, in process.
template <class Interface>
HRESULT CreateFromProgId(const char* progId, ComPtr<Interface>& object) {
  CLSID clsid{};
  const HRESULT hr = CLSIDFromProgID(Utf8ToWide(progId).c_str(), &clsid);
  if (FAILED(hr)) return hr;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(object.ReleaseAndGetAddressOf()));
}

class Win32NetFwRule final : public os::INetFwRule {
 public:
  explicit Win32NetFwRule(ComPtr<::INetFwRule> rule) : rule_(std::move(rule)) {}
  ::INetFwRule* Native() const { return rule_.Get(); }

  HResult get_Name(std::string& name) override {
    BSTR value = nullptr;
    const HRESULT hr = rule_->get_Name(&value);
    if (SUCCEEDED(hr)) name = value != nullptr ? WideToUtf8(std::wstring_view(value, SysStringLen(value))) : "";
    SysFreeString(value);
    return hr;
  }
  HResult put_Name(const std::string& name) override { return rule_->put_Name(Bstr(name)); }
  HResult put_Description(const std::string& description) override {
    return rule_->put_Description(Bstr(description));
  }
  HResult put_Profiles(std::int32_t profiles) override { return rule_->put_Profiles(profiles); }
  HResult put_Action(std::int32_t action) override { return rule_->put_Action(static_cast<NET_FW_ACTION>(action)); }
  HResult put_Direction(std::int32_t direction) override {
    return rule_->put_Direction(static_cast<NET_FW_RULE_DIRECTION>(direction));
  }
  HResult put_Enabled(bool enabled) override { return rule_->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE); }
  HResult get_Enabled(bool& enabled) override {
    VARIANT_BOOL value = VARIANT_FALSE;
    const HRESULT hr = rule_->get_Enabled(&value);
    if (SUCCEEDED(hr)) enabled = value != VARIANT_FALSE;
    return hr;
  }
  HResult put_InterfaceTypes(const std::string& interfaceTypes) override {
    return rule_->put_InterfaceTypes(Bstr(interfaceTypes));
  }
  HResult put_Grouping(const std::string& grouping) override { return rule_->put_Grouping(Bstr(grouping)); }
  HResult put_RemoteAddresses(const std::string& addresses) override {
    return rule_->put_RemoteAddresses(Bstr(addresses));
  }

 private:
  ComPtr<::INetFwRule> rule_;
};

class Win32NetFwRules final : public os::INetFwRules {
 public:
  explicit Win32NetFwRules(ComPtr<::INetFwRules> rules) : rules_(std::move(rules)) {}

  HResult get_Count(std::int32_t& count) override {
    long value = 0;
    const HRESULT hr = rules_->get_Count(&value);
    if (SUCCEEDED(hr)) count = value;
    return hr;
  }
  HResult Add(os::INetFwRule& rule) override {
    // Only rules this library made reach here.
    return rules_->Add(static_cast<Win32NetFwRule&>(rule).Native());
  }
  HResult Remove(const std::string& name) override { return rules_->Remove(Bstr(name)); }
  HResult Item(const std::string& name, std::shared_ptr<os::INetFwRule>& rule) override {
    rule.reset();
    ComPtr<::INetFwRule> native;
    const HRESULT hr = rules_->Item(Bstr(name), native.GetAddressOf());
    if (SUCCEEDED(hr) && native) rule = std::make_shared<Win32NetFwRule>(std::move(native));
    return hr;
  }
  HResult Enumerate(std::vector<std::shared_ptr<os::INetFwRule>>& rules) override {
    rules.clear();
    ComPtr<IUnknown> unknown;
    HRESULT hr = rules_->get__NewEnum(unknown.GetAddressOf());
    if (FAILED(hr)) return hr;
    if (!unknown) return E_POINTER;
    ComPtr<IEnumVARIANT> items;
    hr = unknown.As(&items);
    if (FAILED(hr)) return hr;
    for (;;) {
      VARIANT item;
      VariantInit(&item);
      ULONG fetched = 0;
      hr = items->Next(1, &item, &fetched);
      if (FAILED(hr)) return hr;
      if (hr != S_OK || fetched == 0) return S_OK;
      ComPtr<::INetFwRule> native;
      if ((item.vt == VT_DISPATCH || item.vt == VT_UNKNOWN) && item.punkVal != nullptr) {
        hr = item.punkVal->QueryInterface(IID_PPV_ARGS(native.GetAddressOf()));
      } else {
        hr = E_NOINTERFACE;
      }
      VariantClear(&item);
      if (FAILED(hr)) return hr;
      rules.push_back(std::make_shared<Win32NetFwRule>(std::move(native)));
    }
  }

 private:
  ComPtr<::INetFwRules> rules_;
};

class Win32NetFwPolicy2 final : public os::INetFwPolicy2 {
 public:
  explicit Win32NetFwPolicy2(ComPtr<::INetFwPolicy2> policy) : policy_(std::move(policy)) {}

  HResult get_Rules(std::shared_ptr<os::INetFwRules>& rules) override {
    rules.reset();
    ComPtr<::INetFwRules> native;
    const HRESULT hr = policy_->get_Rules(native.GetAddressOf());
    if (SUCCEEDED(hr) && native) rules = std::make_shared<Win32NetFwRules>(std::move(native));
    return hr;
  }

 private:
  ComPtr<::INetFwPolicy2> policy_;
};

}  // namespace

HResult Win32FirewallLibrary::CreatePolicy(std::shared_ptr<os::INetFwPolicy2>& policy) {
  policy.reset();
  ComPtr<::INetFwPolicy2> native;
  const HRESULT hr = CreateFromProgId(fw::kPolicyProgId, native);
  if (SUCCEEDED(hr) && native) policy = std::make_shared<Win32NetFwPolicy2>(std::move(native));
  return hr;
}

HResult Win32FirewallLibrary::CreateRule(std::shared_ptr<os::INetFwRule>& rule) {
  rule.reset();
  ComPtr<::INetFwRule> native;
  const HRESULT hr = CreateFromProgId(fw::kRuleProgId, native);
  if (SUCCEEDED(hr) && native) rule = std::make_shared<Win32NetFwRule>(std::move(native));
  return hr;
}

HResult Win32ComRuntime::Initialize() { return CoInitialize(nullptr); }

void Win32ComRuntime::Uninitialize() { CoUninitialize(); }

}  // namespace os::win32
