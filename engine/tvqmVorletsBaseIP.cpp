#include "engine/tvqmVorletsBaseIP.h"

#include "platform/bmrAPIWindowsFirewall.h"
#include "platform/rtlResStrings.h"
#include "platform/rtlSysUtils.h"

namespace {

const rtl::ResourceString rsdisplaytextipdefinition{"rsdisplaytextipdefinition", "IPs: %0:s"};

// The group of the program's rules.
const char* const kRuleGrouping = "Tolvex Quietmark";

}  // namespace

std::int32_t TCustomWindows10IPImmunization::GetCount() {
  return static_cast<std::int32_t>(GetIPBlockSettings().size());
}

std::int32_t TCustomWindows10IPImmunization::GetImmunizedCount() {
  bool enabled = false;
  if (WindowsFirewall().BlockExists(ClassName(), enabled) && enabled) return GetCount();
  return 0;
}

void TCustomWindows10IPImmunization::Immunize() {
  std::vector<std::string> addresses;
  for (const auto& setting : GetIPBlockSettings()) addresses.push_back(setting.IP);
  // Applying again, or over a rule of the name that was disabled or holds other addresses,
  // leaves one rule rather than adding another beside it.
  WindowsFirewall().SetIPBlock(addresses, ClassName(), kRuleGrouping, ClassType().GetDisplayName());
}

void TCustomWindows10IPImmunization::Remove() { WindowsFirewall().RemoveBlock(ClassName()); }

std::string TCustomWindows10IPImmunization::GetDetailsText() {
  std::string text;
  for (const auto& setting : GetIPBlockSettings()) text += setting.DetailsText() + ", ";
  text = rtl::Trim(text);
  if (!text.empty() && text.back() == ',') text.pop_back();
  return rtl::Format(rtl::LoadResString(rsdisplaytextipdefinition), {text});
}
