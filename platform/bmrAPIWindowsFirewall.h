#pragma once
// Named outbound block rules in the Windows Firewall. One instance, made on first use through
// WindowsFirewall() and freed at shut-down. Its rule operations answer true or false and never
// raise: a failure becomes a level-5 entry of the debug logger under the operation's name.
// A name that no rule bears is no failure. Windows lets several rules share a name; the
// operations that take a name treat them all as that name's rules.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtlSysUtils.h"

namespace os {
class INetFwPolicy2;
class INetFwRules;
class INetFwRule;
}  // namespace os

// A COM call that failed: its HRESULT and the system's text for it.
class EOleSysError : public rtl::Exception {
 public:
  EOleSysError(std::int32_t aErrorCode, std::string aMessage)
      : rtl::Exception(std::move(aMessage)), ErrorCode(aErrorCode) {}
  std::string ClassName() const override { return "EOleSysError"; }

  std::int32_t ErrorCode;
};

// The items joined by commas; an item holding a blank or a control character, a comma or a
// double quote is put in double quotes (quotes inside doubled).
std::string CommaText(const std::vector<std::string>& items);

class TWindowsFirewall {
 public:
  // Creates the policy object from "HNetCfg.FwPolicy2"; raises EOleSysError when it cannot.
  TWindowsFirewall();
  ~TWindowsFirewall();
  TWindowsFirewall(const TWindowsFirewall&) = delete;
  TWindowsFirewall& operator=(const TWindowsFirewall&) = delete;

  // Adds one enabled outbound rule for every profile and interface type that blocks the
  // addresses; a rule of the same name that exists already stays, so each call adds one more.
  bool AddIPBlock(const std::vector<std::string>& Addresses, const std::string& Name, const std::string& Grouping,
                  const std::string& Description);
  // Leaves exactly one rule of that name, with the properties AddIPBlock writes: the rules of
  // the name are changed in place and all but one removed; a rule is added only when none
  // bears the name. A failure never removes the last rule of the name.
  bool SetIPBlock(const std::vector<std::string>& Addresses, const std::string& Name, const std::string& Grouping,
                  const std::string& Description);
  // True when a rule of that name exists; Enabled tells whether it is enabled. Sends the
  // policy's rule count to the debugger output first.
  bool BlockExists(const std::string& Name, bool& Enabled);
  // Removes every rule of that name; true also when there was none.
  bool RemoveBlock(const std::string& Name);

 private:
  std::shared_ptr<os::INetFwRules> Rules();
  std::shared_ptr<os::INetFwRule> NewBlockRule(const std::vector<std::string>& Addresses, const std::string& Name,
                                               const std::string& Grouping, const std::string& Description);
  void RemoveAll(os::INetFwRules& rules, const std::string& Name);
  static void WriteBlockRule(os::INetFwRule& rule, bool isNew, const std::vector<std::string>& Addresses,
                             const std::string& Name, const std::string& Grouping, const std::string& Description);

  std::shared_ptr<os::INetFwPolicy2> FPolicy;
};

// The one instance; the first call creates it. When the policy object cannot be created the
// error reaches the caller, nothing is kept, and the next call tries again.
TWindowsFirewall& WindowsFirewall();

// Start-up: COM for the main thread as a single-threaded apartment; no instance yet.
void InitializeBmrAPIWindowsFirewall();
// Shut-down: frees the instance while COM is still there, then gives COM back.
void FinalizeBmrAPIWindowsFirewall();
