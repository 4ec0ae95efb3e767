#pragma once
// Service kind: each service is stopped and disabled on Immunize, set to automatic start and
// started on Remove. Where the Service Control Manager refuses the start-type change, the
// start type is written into the service's registry key instead.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/tvqmVorletsBase.h"

struct TServiceSetting {
  // The key name Windows registers the service under.
  std::string Name;
  // Plain text, an indirect text ("@<library path>,-<string id>") or empty.
  std::string DisplayName;
  // Same forms; kept with the setting, read by nothing.
  std::string Description;

  // "Service: Name", or "Service: <display name> (Name)" with an indirect display name resolved.
  std::string DetailsText() const;

  // The plain text of an indirect text: the string resource of the library, which is loaded as
  // a data file. Text without "@" comes back unchanged; anything that cannot be resolved gives
  // empty text.
  static std::string SolveLibrary(const std::string& text);
  // Environment references (%SystemRoot%) in a library path, expanded.
  static std::string ExpandEnvironmentString(const std::string& text);
};

using TServiceSettings = std::vector<TServiceSetting>;

// The system's version check (Windows 10.0 or later): the indirect texts of the concrete
// classes point into libraries that only Windows 10 has.
bool IsWindows10OrLater();

// A concrete class only lists its services; every count asks the Service Control Manager again.
class TCustomWindowsServicesImmunization : public TWindows10Immunization {
 public:
  std::int32_t GetCount() override;
  // The services that do not run and are disabled, or do not run and cannot be read (a
  // service this system does not have).
  std::int32_t GetImmunizedCount() override;
  void Immunize() override;
  // Always automatic start and running afterwards; the start type before Immunize is not kept.
  void Remove() override;
  std::string GetDetailsText() override;
  virtual TServiceSettings GetServiceSettings() { return {}; }

 private:
  std::int32_t IsServiceDisabled(const std::string& name);
  void DisableService(const std::string& name);
  void EnableService(const std::string& name);
  // Writes "Start" into the service's key when the manager refused the change (changeError);
  // reports only a write that failed.
  void SetStartTypeInRegistry(const std::string& name, std::uint32_t startType, std::uint32_t changeError);
};
