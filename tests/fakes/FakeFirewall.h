#pragma once
// An in-memory Windows Firewall: the policy's rules, kept by name (several may share one, as
// in Windows), and COM for the thread. Every call can be made to fail through `failures`; a
// call is named "Interface::Method" ("INetFwRules::Add", "INetFwRule::put_Enabled", ...),
// "CoCreateInstance" or "CoInitialize", and its subject is the rule's name (the program
// identifier for CoCreateInstance, empty for the others).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Firewall.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

// A rule as the firewall keeps it; the defaults are those of a new "HNetCfg.FWRule".
struct FakeFirewallRule {
  std::string name{};
  std::string description{};
  std::int32_t profiles = os::fw::kProfile2All;
  std::int32_t action = os::fw::kActionAllow;
  std::int32_t direction = os::fw::kRuleDirectionIn;
  bool enabled = false;
  std::string interfaceTypes = "All";
  std::string grouping{};
  std::string remoteAddresses = "*";
};

class FakeFirewall : public os::IFirewallLibrary, public os::IComRuntime {
 public:
  FailureInjector failures;
  // Every call made, as "Interface::Method subject", in order; also "Release INetFwPolicy2"
  // when the last reference to a policy object goes.
  std::vector<std::string> calls;
  // The policy's rules in the order they were added; Item and Remove take the first of a name.
  std::vector<std::shared_ptr<FakeFirewallRule>> rules;
  // What CoInitialize answers when it does not fail; the references it holds.
  os::HResult initializeResult = os::fw::kSOk;
  int comReferences = 0;
  // Policy objects that are still referenced.
  int livePolicies = 0;

  // --- test helpers ---
  FakeFirewallRule& AddRule(FakeFirewallRule rule);
  // The rules of that name (exact case), in order.
  std::vector<FakeFirewallRule> Named(const std::string& name) const;
  std::size_t CallCount(const std::string& call) const;
  // --- os::IFirewallLibrary ---
  os::HResult CreatePolicy(std::shared_ptr<os::INetFwPolicy2>& policy) override;
  os::HResult CreateRule(std::shared_ptr<os::INetFwRule>& rule) override;

  // --- os::IComRuntime ---
  os::HResult Initialize() override;
  void Uninitialize() override;

  // For the fake's objects: records the call and gives the code it must fail with, if any.
  std::optional<os::HResult> Enter(const std::string& call, const std::string& subject);
};

}  // namespace fakes
