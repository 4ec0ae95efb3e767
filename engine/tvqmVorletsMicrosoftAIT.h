#pragma once
// Application Impact Telemetry.

#include "engine/tvqmVorletsBase.h"

class TWindows10AITRegistryImmunization final
    : public TImmunizationClass<TWindows10AITRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10AITRegistryImmunization";
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};
