#pragma once
// The optional Windows immunizers that the user applies one by one: web search and Cortana
// policies, the OneDrive sync services, the Remote Registry service, the search service's
// address in the firewall, and the extensive hosts list.

#include "engine/tvqmVorletsBase.h"
#include "engine/tvqmVorletsBaseHosts.h"
#include "engine/tvqmVorletsBaseIP.h"
#include "engine/tvqmVorletsBaseServices.h"

class TWindows10WebSearchRegistryImmunization final
    : public TImmunizationClass<TWindows10WebSearchRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10WebSearchRegistryImmunization";
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};

class TWindows10CortanaRegistryImmunization final
    : public TImmunizationClass<TWindows10CortanaRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10CortanaRegistryImmunization";
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};

class TWindows10OneDriveServicesImmunization final
    : public TImmunizationClass<TWindows10OneDriveServicesImmunization, TCustomWindowsServicesImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10OneDriveServicesImmunization";
  static std::string GetDisplayName();
  static std::string GetHint();
  TServiceSettings GetServiceSettings() override;
};

class TWindows10RemoteRegistryServicesImmunization final
    : public TImmunizationClass<TWindows10RemoteRegistryServicesImmunization, TCustomWindowsServicesImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10RemoteRegistryServicesImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TServiceSettings GetServiceSettings() override;
};

class TWindows10TelemetryIPImmunization final
    : public TImmunizationClass<TWindows10TelemetryIPImmunization, TCustomWindows10IPImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10TelemetryIPImmunization";
  static std::string GetDisplayName();
  static std::string GetHint();
  TIPBlockSettings GetIPBlockSettings() override;
};

// Its own block in the hosts file, beside the standard one, marked " Optional".
class TWindows10TelemetryHostsOptionalImmunization final
    : public TImmunizationClass<TWindows10TelemetryHostsOptionalImmunization, TCustomWindows10HostsImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10TelemetryHostsOptionalImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TWindows10TelemetryHostsOptionalImmunization();
};
