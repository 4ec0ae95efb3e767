#pragma once
// Windows telemetry: the policy that sets the diagnostic-data level.

#include "engine/tvqmVorletsBase.h"

class TWindows10TelemetryRegistryImmunization final
    : public TImmunizationClass<TWindows10TelemetryRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10TelemetryRegistryImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};
