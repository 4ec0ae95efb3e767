#pragma once
// os::IFirewallLibrary over the Windows Firewall automation objects, and os::IComRuntime over
// CoInitialize. COM must be initialized on the calling thread; every object is used on the
// thread that created it.

#include "platform/os/Firewall.h"

namespace os::win32 {

class Win32FirewallLibrary final : public os::IFirewallLibrary {
 public:
  HResult CreatePolicy(std::shared_ptr<INetFwPolicy2>& policy) override;
  HResult CreateRule(std::shared_ptr<INetFwRule>& rule) override;
};

class Win32ComRuntime final : public os::IComRuntime {
 public:
  HResult Initialize() override;
  void Uninitialize() override;
};

}  // namespace os::win32
