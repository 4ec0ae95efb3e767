#include "engine/tvqmVorletsMicrosoftOneDrive.h"

#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsdisplaynameonedrivegrouppolicy{"rsdisplaynameonedrivegrouppolicy",
                                                           "OneDrive Group Policy"};

}  // namespace

std::string TWindows10OneDriveRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameonedrivegrouppolicy);
}

TRegistrySettings TWindows10OneDriveRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyLocalMachine, "\\SOFTWARE\\Policies\\Microsoft\\Windows\\OneDrive\\", "DisableFileSyncNGSC", rsdInteger,
       1},
  };
}
