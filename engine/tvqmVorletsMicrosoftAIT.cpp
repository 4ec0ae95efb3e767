#include "engine/tvqmVorletsMicrosoftAIT.h"

#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsdisplaynameaitgrouppolicy{"rsdisplaynameaitgrouppolicy",
                                                      "Application Impact Telemetry (AIT) Group Policy"};

}  // namespace

std::string TWindows10AITRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameaitgrouppolicy);
}

TRegistrySettings TWindows10AITRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyLocalMachine, "\\SOFTWARE\\Policies\\Microsoft\\Windows\\AppCompat\\", "AITEnable", rsdInteger, 0},
  };
}
