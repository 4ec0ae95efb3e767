#pragma once
// Windows Firewall through its automation objects: the policy ("HNetCfg.FwPolicy2"), its rule
// collection and the rules ("HNetCfg.FWRule"). Each method is one COM call and returns its
// HRESULT; an object comes back through the shared_ptr argument (empty on failure). Texts are
// UTF-8 on this side and go to the platform as BSTRs; Booleans as VARIANT_BOOL.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/Seams.h"

namespace os {

using HResult = std::int32_t;

namespace fw {

inline constexpr HResult kSOk = 0;
inline constexpr HResult kENotImpl = static_cast<HResult>(0x80004001u);
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kEAccessDenied = static_cast<HResult>(0x80070005u);
inline constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057u);
// What INetFwRules::Item answers for a name no rule bears: HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND).
inline constexpr HResult kERuleNotFound = static_cast<HResult>(0x80070002u);
// REGDB_E_CLASSNOTREG and CO_E_CLASSSTRING: a class or program identifier the system lacks.
inline constexpr HResult kEClassNotRegistered = static_cast<HResult>(0x80040154u);
inline constexpr HResult kEClassString = static_cast<HResult>(0x800401F3u);
// RPC_E_CHANGED_MODE: the thread already has COM in the other apartment.
inline constexpr HResult kEChangedMode = static_cast<HResult>(0x80010106u);

inline constexpr bool Succeeded(HResult code) { return code >= 0; }

// NET_FW_PROFILE_TYPE2: every profile.
inline constexpr std::int32_t kProfile2All = 0x7FFFFFFF;
// NET_FW_ACTION.
inline constexpr std::int32_t kActionBlock = 0;
inline constexpr std::int32_t kActionAllow = 1;
// NET_FW_RULE_DIRECTION.
inline constexpr std::int32_t kRuleDirectionIn = 1;
inline constexpr std::int32_t kRuleDirectionOut = 2;

inline constexpr const char* kPolicyProgId = "HNetCfg.FwPolicy2";
inline constexpr const char* kRuleProgId = "HNetCfg.FWRule";

}  // namespace fw

// INetFwRule: the nine properties a block rule is written with, its name and its enabled state.
class INetFwRule {
 public:
  virtual ~INetFwRule() = default;
  virtual HResult get_Name(std::string& name) = 0;
  virtual HResult put_Name(const std::string& name) = 0;
  virtual HResult put_Description(const std::string& description) = 0;
  virtual HResult put_Profiles(std::int32_t profiles) = 0;
  virtual HResult put_Action(std::int32_t action) = 0;
  virtual HResult put_Direction(std::int32_t direction) = 0;
  virtual HResult put_Enabled(bool enabled) = 0;
  virtual HResult get_Enabled(bool& enabled) = 0;
  virtual HResult put_InterfaceTypes(const std::string& interfaceTypes) = 0;
  virtual HResult put_Grouping(const std::string& grouping) = 0;
  virtual HResult put_RemoteAddresses(const std::string& addresses) = 0;
};

// INetFwRules: the rules of the policy, by name (several rules may share one).
class INetFwRules {
 public:
  virtual ~INetFwRules() = default;
  virtual HResult get_Count(std::int32_t& count) = 0;
  virtual HResult Add(INetFwRule& rule) = 0;
  // Removes one rule of that name.
  virtual HResult Remove(const std::string& name) = 0;
  // One rule of that name.
  virtual HResult Item(const std::string& name, std::shared_ptr<INetFwRule>& rule) = 0;
  // Every rule, in the collection's order: get__NewEnum and its IEnumVARIANT to the end.
  virtual HResult Enumerate(std::vector<std::shared_ptr<INetFwRule>>& rules) = 0;
};

// INetFwPolicy2.
class INetFwPolicy2 {
 public:
  virtual ~INetFwPolicy2() = default;
  virtual HResult get_Rules(std::shared_ptr<INetFwRules>& rules) = 0;
};

// The installed seam: creates the two automation objects from their program identifiers
// (CLSIDFromProgID, then CoCreateInstance in process).
class IFirewallLibrary {
 public:
  virtual ~IFirewallLibrary() = default;
  virtual HResult CreatePolicy(std::shared_ptr<INetFwPolicy2>& policy) = 0;
  virtual HResult CreateRule(std::shared_ptr<INetFwRule>& rule) = 0;
};

inline IFirewallLibrary& FirewallLibrary() { return Get<IFirewallLibrary>(); }

// COM for the calling thread.
class IComRuntime {
 public:
  virtual ~IComRuntime() = default;
  // CoInitialize(NULL): a single-threaded apartment. S_FALSE when the thread had one already.
  virtual HResult Initialize() = 0;
  // CoUninitialize.
  virtual void Uninitialize() = 0;
};

inline IComRuntime& ComRuntime() { return Get<IComRuntime>(); }

}  // namespace os
