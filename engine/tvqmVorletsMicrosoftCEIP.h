#pragma once
// The Customer Experience Improvement Program: its policy.

#include "engine/tvqmVorletsBase.h"

class TWindowsCEIPRegistryImmunization final
    : public TImmunizationClass<TWindowsCEIPRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindowsCEIPRegistryImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};
