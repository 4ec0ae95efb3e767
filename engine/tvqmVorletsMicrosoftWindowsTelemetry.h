#pragma once
// Windows telemetry: the hosts block of its endpoints, its two services and the policy that
// sets the diagnostic-data level.

#include "engine/tvqmVorletsBase.h"
#include "engine/tvqmVorletsBaseHosts.h"
#include "engine/tvqmVorletsBaseServices.h"

class TWindows10TelemetryRegistryImmunization final
    : public TImmunizationClass<TWindows10TelemetryRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10TelemetryRegistryImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};

// The services that collect and send the diagnostic data.
class TWindows10TelemetryServicesImmunization final
    : public TImmunizationClass<TWindows10TelemetryServicesImmunization, TCustomWindowsServicesImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10TelemetryServicesImmunization";
  static std::string GetDisplayName();
  TServiceSettings GetServiceSettings() override;
};

// The host names that receive the diagnostic data and the error reports, sent nowhere.
class TWindows10TelemetryHostsImmunization final
    : public TImmunizationClass<TWindows10TelemetryHostsImmunization, TCustomWindows10HostsImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10TelemetryHostsImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TWindows10TelemetryHostsImmunization();
};
