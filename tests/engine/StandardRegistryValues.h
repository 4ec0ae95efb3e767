#pragma once
#include <cstdint>
#include <vector>

#include "platform/os/Registry.h"

namespace tests {

// The nine values the seven classes write, at their native locations.
struct ValueRow {
  const char* className;
  os::RegKey root;
  const char* key;
  const char* valueName;
  std::uint32_t value;
};
inline const std::vector<ValueRow> kStandardRegistryValues = {
    {"TWindows10TelemetryRegistryImmunization", os::kHKeyLocalMachine,
     "SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection", "AllowTelemetry", 0},
    {"TWindowsCEIPRegistryImmunization", os::kHKeyLocalMachine, "SOFTWARE\\Policies\\Microsoft\\SQMClient\\Windows",
     "CEIPEnable", 0},
    {"TWindows10AITRegistryImmunization", os::kHKeyLocalMachine, "SOFTWARE\\Policies\\Microsoft\\Windows\\AppCompat",
     "AITEnable", 0},
    {"TWindows10StepsRecorderRegistryImmunization", os::kHKeyLocalMachine,
     "SOFTWARE\\Policies\\Microsoft\\Windows\\AppCompat", "DisableUAR", 1},
    {"TWindows10WiFiSenseRegistryImmunization", os::kHKeyLocalMachine,
     "SOFTWARE\\Microsoft\\PolicyManager\\default\\WiFi\\AllowWiFiHotSpotReporting", "value", 0},
    {"TWindows10WiFiSenseRegistryImmunization", os::kHKeyLocalMachine,
     "SOFTWARE\\Microsoft\\PolicyManager\\default\\WiFi\\AllowAutoConnectToWiFiSenseHotspots", "value", 0},
    {"TWindows10AdvertisingIDRegistryImmunization", os::kHKeyCurrentUser,
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AdvertisingInfo", "Enabled", 0},
    {"TWindows10WindowsUpdateLocalP2PRegistryImmunization", os::kHKeyLocalMachine,
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DeliveryOptimization\\Config", "DODownloadMode", 1},
    {"TWindows10WindowsUpdateLocalP2PRegistryImmunization", os::kHKeyCurrentUser,
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DeliveryOptimization", "SystemSettingsDownloadMode", 3},
};

}  // namespace tests
