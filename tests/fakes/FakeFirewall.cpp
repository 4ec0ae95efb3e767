#include "tests/fakes/FakeFirewall.h"

#include <algorithm>

namespace fakes {

namespace {

class FakeNetFwRule final : public os::INetFwRule {
 public:
  FakeNetFwRule(FakeFirewall& firewall, std::shared_ptr<FakeFirewallRule> rule)
      : firewall_(firewall), rule_(std::move(rule)) {}
  const FakeFirewallRule& Data() const { return *rule_; }

  os::HResult get_Name(std::string& name) override {
    return Put("get_Name", [&] { name = rule_->name; });
  }
  os::HResult put_Name(const std::string& name) override {
    return Put("put_Name", [&] { rule_->name = name; });
  }
  os::HResult put_Description(const std::string& description) override {
    return Put("put_Description", [&] { rule_->description = description; });
  }
  os::HResult put_Profiles(std::int32_t profiles) override {
    return Put("put_Profiles", [&] { rule_->profiles = profiles; });
  }
  os::HResult put_Action(std::int32_t action) override {
    return Put("put_Action", [&] { rule_->action = action; });
  }
  os::HResult put_Direction(std::int32_t direction) override {
    return Put("put_Direction", [&] { rule_->direction = direction; });
  }
  os::HResult put_Enabled(bool enabled) override {
    return Put("put_Enabled", [&] { rule_->enabled = enabled; });
  }
  os::HResult get_Enabled(bool& enabled) override {
    return Put("get_Enabled", [&] { enabled = rule_->enabled; });
  }
  os::HResult put_InterfaceTypes(const std::string& interfaceTypes) override {
    return Put("put_InterfaceTypes", [&] { rule_->interfaceTypes = interfaceTypes; });
  }
  os::HResult put_Grouping(const std::string& grouping) override {
    return Put("put_Grouping", [&] { rule_->grouping = grouping; });
  }
  os::HResult put_RemoteAddresses(const std::string& addresses) override {
    return Put("put_RemoteAddresses", [&] { rule_->remoteAddresses = addresses; });
  }

 private:
  template <class Change>
  os::HResult Put(const char* method, Change change) {
    if (auto code = firewall_.Enter(std::string("INetFwRule::") + method, rule_->name)) return *code;
    change();
    return os::fw::kSOk;
  }

  FakeFirewall& firewall_;
  std::shared_ptr<FakeFirewallRule> rule_;
};

class FakeNetFwRules final : public os::INetFwRules {
 public:
  explicit FakeNetFwRules(FakeFirewall& firewall) : firewall_(firewall) {}

  os::HResult get_Count(std::int32_t& count) override {
    if (auto code = firewall_.Enter("INetFwRules::get_Count", "")) return *code;
    count = static_cast<std::int32_t>(firewall_.rules.size());
    return os::fw::kSOk;
  }
  os::HResult Add(os::INetFwRule& rule) override {
    const auto& data = static_cast<FakeNetFwRule&>(rule).Data();
    if (auto code = firewall_.Enter("INetFwRules::Add", data.name)) return *code;
    // Windows refuses a rule without a name.
    if (data.name.empty()) return os::fw::kEInvalidArg;
    firewall_.rules.push_back(std::make_shared<FakeFirewallRule>(data));
    return os::fw::kSOk;
  }
  os::HResult Remove(const std::string& name) override {
    if (auto code = firewall_.Enter("INetFwRules::Remove", name)) return *code;
    // One rule at a time; a name no rule bears is no error.
    const auto it = First(name);
    if (it != firewall_.rules.end()) firewall_.rules.erase(it);
    return os::fw::kSOk;
  }
  os::HResult Item(const std::string& name, std::shared_ptr<os::INetFwRule>& rule) override {
    rule.reset();
    if (auto code = firewall_.Enter("INetFwRules::Item", name)) return *code;
    const auto it = First(name);
    if (it == firewall_.rules.end()) return os::fw::kERuleNotFound;
    rule = std::make_shared<FakeNetFwRule>(firewall_, *it);
    return os::fw::kSOk;
  }
  os::HResult Enumerate(std::vector<std::shared_ptr<os::INetFwRule>>& rules) override {
    rules.clear();
    if (auto code = firewall_.Enter("INetFwRules::get__NewEnum", "")) return *code;
    for (const auto& data : firewall_.rules) rules.push_back(std::make_shared<FakeNetFwRule>(firewall_, data));
    return os::fw::kSOk;
  }

 private:
  std::vector<std::shared_ptr<FakeFirewallRule>>::iterator First(const std::string& name) {
    return std::find_if(firewall_.rules.begin(), firewall_.rules.end(),
                        [&](const auto& rule) { return rule->name == name; });
  }

  FakeFirewall& firewall_;
};

class FakeNetFwPolicy2 final : public os::INetFwPolicy2 {
 public:
  explicit FakeNetFwPolicy2(FakeFirewall& firewall) : firewall_(firewall) { ++firewall_.livePolicies; }
  ~FakeNetFwPolicy2() override {
    --firewall_.livePolicies;
    firewall_.calls.push_back("Release INetFwPolicy2");
  }
  FakeNetFwPolicy2(const FakeNetFwPolicy2&) = delete;
  FakeNetFwPolicy2& operator=(const FakeNetFwPolicy2&) = delete;

  os::HResult get_Rules(std::shared_ptr<os::INetFwRules>& rules) override {
    rules.reset();
    if (auto code = firewall_.Enter("INetFwPolicy2::get_Rules", "")) return *code;
    rules = std::make_shared<FakeNetFwRules>(firewall_);
    return os::fw::kSOk;
  }

 private:
  FakeFirewall& firewall_;
};

}  // namespace

FakeFirewallRule& FakeFirewall::AddRule(FakeFirewallRule rule) {
  rules.push_back(std::make_shared<FakeFirewallRule>(std::move(rule)));
  return *rules.back();
}

std::vector<FakeFirewallRule> FakeFirewall::Named(const std::string& name) const {
  std::vector<FakeFirewallRule> named;
  for (const auto& rule : rules) {
    if (rule->name == name) named.push_back(*rule);
  }
  return named;
}

std::size_t FakeFirewall::CallCount(const std::string& call) const {
  return static_cast<std::size_t>(std::count_if(calls.begin(), calls.end(), [&](const std::string& made) {
    return made == call || made.rfind(call + " ", 0) == 0;
  }));
}

std::optional<os::HResult> FakeFirewall::Enter(const std::string& call, const std::string& subject) {
  calls.push_back(subject.empty() ? call : call + " " + subject);
  if (auto code = failures.Check(call, subject)) return static_cast<os::HResult>(*code);
  return std::nullopt;
}

os::HResult FakeFirewall::CreatePolicy(std::shared_ptr<os::INetFwPolicy2>& policy) {
  policy.reset();
  if (auto code = Enter("CoCreateInstance", os::fw::kPolicyProgId)) return *code;
  policy = std::make_shared<FakeNetFwPolicy2>(*this);
  return os::fw::kSOk;
}

os::HResult FakeFirewall::CreateRule(std::shared_ptr<os::INetFwRule>& rule) {
  rule.reset();
  if (auto code = Enter("CoCreateInstance", os::fw::kRuleProgId)) return *code;
  rule = std::make_shared<FakeNetFwRule>(*this, std::make_shared<FakeFirewallRule>());
  return os::fw::kSOk;
}

os::HResult FakeFirewall::Initialize() {
  if (auto code = Enter("CoInitialize", "")) return *code;
  ++comReferences;
  return initializeResult;
}

void FakeFirewall::Uninitialize() {
  calls.push_back("CoUninitialize");
  --comReferences;
}

}  // namespace fakes
