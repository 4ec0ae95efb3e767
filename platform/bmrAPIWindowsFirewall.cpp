#include "platform/bmrAPIWindowsFirewall.h"

#include <exception>

#include "platform/bmrDebug.h"
#include "platform/os/Firewall.h"
#include "platform/os/System.h"

namespace {

std::unique_ptr<TWindowsFirewall> g_instance;
// Whether the start-up's CoInitialize took a reference that the shut-down gives back.
bool g_comInitialized = false;

constexpr std::uint8_t kExceptionLevel = 5;

// Raises the error of a failed COM call.
void Check(os::HResult code) {
  if (os::fw::Succeeded(code)) return;
  std::string text = rtl::Trim(os::System().SystemMessageText(static_cast<std::uint32_t>(code)));
  if (text.empty()) text = rtl::Format("OLE error %.8x", {std::int64_t{code}});
  throw EOleSysError(code, text);
}

// A call that succeeded yet gave no object is a failure too.
template <class T>
std::shared_ptr<T> Checked(os::HResult code, const std::shared_ptr<T>& object) {
  Check(code);
  if (!object) Check(os::fw::kEFail);
  return object;
}

// One rule of that name, or none when no rule bears it; any other failure raises.
std::shared_ptr<os::INetFwRule> FindRule(os::INetFwRules& rules, const std::string& name) {
  std::shared_ptr<os::INetFwRule> rule;
  const os::HResult code = rules.Item(name, rule);
  if (code == os::fw::kERuleNotFound) return nullptr;
  return Checked(code, rule);
}

// Runs one operation; an error is logged under its name and gives false.
template <class Operation>
bool Guarded(const char* name, Operation operation) {
  try {
    return operation();
  } catch (const std::exception& error) {
    DebugLogger()->LogException(error, name, kExceptionLevel);
    return false;
  }
}

}  // namespace

std::string CommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items.front().empty()) return "\"\"";
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += ',';
    const std::string& item = items[i];
    bool quote = false;
    for (const char c : item) {
      if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') quote = true;
    }
    if (!quote) {
      text += item;
      continue;
    }
    text += '"';
    for (const char c : item) {
      if (c == '"') text += '"';
      text += c;
    }
    text += '"';
  }
  return text;
}

TWindowsFirewall::TWindowsFirewall() {
  std::shared_ptr<os::INetFwPolicy2> policy;
  FPolicy = Checked(os::FirewallLibrary().CreatePolicy(policy), policy);
}

TWindowsFirewall::~TWindowsFirewall() = default;

std::shared_ptr<os::INetFwRules> TWindowsFirewall::Rules() {
  std::shared_ptr<os::INetFwRules> rules;
  return Checked(FPolicy->get_Rules(rules), rules);
}

// A new rule gets the properties in the order of its table; a rule changed in place is enabled
// last, so a write that fails never enables a half-changed rule.
void TWindowsFirewall::WriteBlockRule(os::INetFwRule& rule, bool isNew, const std::vector<std::string>& Addresses,
                                      const std::string& Name, const std::string& Grouping,
                                      const std::string& Description) {
  if (isNew) Check(rule.put_Name(Name));
  Check(rule.put_Description(Description));
  Check(rule.put_Profiles(os::fw::kProfile2All));
  Check(rule.put_Action(os::fw::kActionBlock));
  Check(rule.put_Direction(os::fw::kRuleDirectionOut));
  if (isNew) Check(rule.put_Enabled(true));
  Check(rule.put_InterfaceTypes("All"));
  Check(rule.put_Grouping(Grouping));
  Check(rule.put_RemoteAddresses(CommaText(Addresses)));
  if (!isNew) Check(rule.put_Enabled(true));
}

std::shared_ptr<os::INetFwRule> TWindowsFirewall::NewBlockRule(const std::vector<std::string>& Addresses,
                                                               const std::string& Name, const std::string& Grouping,
                                                               const std::string& Description) {
  std::shared_ptr<os::INetFwRule> created;
  auto rule = Checked(os::FirewallLibrary().CreateRule(created), created);
  WriteBlockRule(*rule, true, Addresses, Name, Grouping, Description);
  return rule;
}

void TWindowsFirewall::RemoveAll(os::INetFwRules& rules, const std::string& Name) {
  // Remove takes one rule of the name at a time. A collection that answers for a name it
  // does not remove would keep this going: there cannot be more rules of it than rules.
  std::int32_t count = 0;
  Check(rules.get_Count(count));
  for (std::int32_t removed = 0; FindRule(rules, Name); ++removed) {
    if (removed > count) Check(os::fw::kEFail);
    Check(rules.Remove(Name));
  }
}

bool TWindowsFirewall::AddIPBlock(const std::vector<std::string>& Addresses, const std::string& Name,
                                  const std::string& Grouping, const std::string& Description) {
  return Guarded("TWindowsFirewall.AddIPBlock", [&] {
    const auto rule = NewBlockRule(Addresses, Name, Grouping, Description);
    Check(Rules()->Add(*rule));
    return true;
  });
}

bool TWindowsFirewall::SetIPBlock(const std::vector<std::string>& Addresses, const std::string& Name,
                                  const std::string& Grouping, const std::string& Description) {
  return Guarded("TWindowsFirewall.SetIPBlock", [&] {
    const auto rules = Rules();
    if (!FindRule(*rules, Name)) {
      Check(rules->Add(*NewBlockRule(Addresses, Name, Grouping, Description)));
      return true;
    }
    std::vector<std::shared_ptr<os::INetFwRule>> all;
    std::vector<std::shared_ptr<os::INetFwRule>> named;
    Check(rules->Enumerate(all));
    for (const auto& rule : all) {
      std::string name;
      Check(rule->get_Name(name));
      if (name == Name) named.push_back(rule);
    }
    // Remove takes some rule of the name: once they all are the block rule, the one it leaves
    // is right whichever that is.
    for (const auto& rule : named) WriteBlockRule(*rule, false, Addresses, Name, Grouping, Description);
    for (std::size_t i = 1; i < named.size(); ++i) Check(rules->Remove(Name));
    return true;
  });
}

bool TWindowsFirewall::BlockExists(const std::string& Name, bool& Enabled) {
  Enabled = false;
  return Guarded("TWindowsFirewall.BlockExists", [&] {
    std::int32_t count = 0;
    Check(Rules()->get_Count(count));
    os::System().DebugOutput("Rules: " + std::to_string(count));
    const auto rule = FindRule(*Rules(), Name);
    if (!rule) return false;
    bool enabled = false;
    Check(rule->get_Enabled(enabled));
    Enabled = enabled;
    return true;
  });
}

bool TWindowsFirewall::RemoveBlock(const std::string& Name) {
  return Guarded("TWindowsFirewall.RemoveBlock", [&] {
    RemoveAll(*Rules(), Name);
    return true;
  });
}

TWindowsFirewall& WindowsFirewall() {
  if (!g_instance) g_instance = std::make_unique<TWindowsFirewall>();
  return *g_instance;
}

void InitializeBmrAPIWindowsFirewall() {
  g_instance.reset();
  g_comInitialized = os::fw::Succeeded(os::ComRuntime().Initialize());
}

void FinalizeBmrAPIWindowsFirewall() {
  // The policy object is a COM object of this thread: it goes while COM is still there.
  g_instance.reset();
  if (g_comInitialized) os::ComRuntime().Uninitialize();
  g_comInitialized = false;
}
