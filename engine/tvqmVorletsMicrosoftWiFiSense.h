#pragma once
// WiFi Sense: hotspot reporting and automatic connection to shared hotspots.

#include "engine/tvqmVorletsBase.h"

class TWindows10WiFiSenseRegistryImmunization final
    : public TImmunizationClass<TWindows10WiFiSenseRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10WiFiSenseRegistryImmunization";
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};
