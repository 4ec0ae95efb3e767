#pragma once
// The Customer Experience Improvement Program: its policy and its scheduled tasks.

#include "engine/tvqmVorletsBase.h"
#include "engine/tvqmVorletsBaseScheduledTasks.h"

class TWindowsCEIPRegistryImmunization final
    : public TImmunizationClass<TWindowsCEIPRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindowsCEIPRegistryImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};

class TWindowsCEIPScheduledTaskImmunization final
    : public TImmunizationClass<TWindowsCEIPScheduledTaskImmunization, TCustomWindows10ScheduledTaskImmunization> {
 public:
  static constexpr const char* kClassName = "TWindowsCEIPScheduledTaskImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TAScheduledTaskSetting GetScheduledTaskSettings() override;
};
