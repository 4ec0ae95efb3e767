#include "engine/tvqmVorletsMicrosoftWindowsUpdates.h"

#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsdisplaynamep2pwindowsupdates{"rsdisplaynamep2pwindowsupdates",
                                                         "P2P Windows Updates outside local network"};

}  // namespace

std::string TWindows10WindowsUpdateLocalP2PRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynamep2pwindowsupdates);
}

TRegistrySettings TWindows10WindowsUpdateLocalP2PRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyLocalMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DeliveryOptimization\\Config\\",
       "DODownloadMode", rsdInteger, 1},
      {os::kHKeyCurrentUser, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DeliveryOptimization\\",
       "SystemSettingsDownloadMode", rsdInteger, 3},
  };
}
