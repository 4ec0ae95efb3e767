#pragma once
// The policy that keeps OneDrive from syncing files.

#include "engine/tvqmVorletsBase.h"

class TWindows10OneDriveRegistryImmunization final
    : public TImmunizationClass<TWindows10OneDriveRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10OneDriveRegistryImmunization";
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};
