#include "engine/tvqmVorletsMicrosoftWiFiSense.h"

#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsdisplaynamewifisensegrouppolicy{"rsdisplaynamewifisensegrouppolicy",
                                                            "WiFi Sense (HotSpot Sharing) Group Policy"};

}  // namespace

std::string TWindows10WiFiSenseRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynamewifisensegrouppolicy);
}

TRegistrySettings TWindows10WiFiSenseRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyLocalMachine, "\\SOFTWARE\\Microsoft\\PolicyManager\\default\\WiFi\\AllowWiFiHotSpotReporting\\",
       "value", rsdInteger, 0},
      {os::kHKeyLocalMachine,
       "\\SOFTWARE\\Microsoft\\PolicyManager\\default\\WiFi\\AllowAutoConnectToWiFiSenseHotspots\\", "value",
       rsdInteger, 0},
  };
}
