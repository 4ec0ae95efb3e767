#pragma once
// Windows Update: delivery of updates by peers outside the local network.

#include "engine/tvqmVorletsBase.h"

class TWindows10WindowsUpdateLocalP2PRegistryImmunization final
    : public TImmunizationClass<TWindows10WindowsUpdateLocalP2PRegistryImmunization,
                                TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10WindowsUpdateLocalP2PRegistryImmunization";
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};
