#pragma once
// Office 2013 and 2016 telemetry: the Office telemetry agent's policy values of the current
// user and its scheduled tasks.

#include "engine/tvqmVorletsBase.h"
#include "engine/tvqmVorletsBaseScheduledTasks.h"

class TOffice15TelemetryRegistryImmunization final
    : public TImmunizationClass<TOffice15TelemetryRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TOffice15TelemetryRegistryImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};

class TOffice15TelemetryScheduledTaskImmunization final
    : public TImmunizationClass<TOffice15TelemetryScheduledTaskImmunization,
                                TCustomWindows10ScheduledTaskImmunization> {
 public:
  static constexpr const char* kClassName = "TOffice15TelemetryScheduledTaskImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TAScheduledTaskSetting GetScheduledTaskSettings() override;
};

class TOffice16TelemetryRegistryImmunization final
    : public TImmunizationClass<TOffice16TelemetryRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TOffice16TelemetryRegistryImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};

class TOffice16TelemetryScheduledTaskImmunization final
    : public TImmunizationClass<TOffice16TelemetryScheduledTaskImmunization,
                                TCustomWindows10ScheduledTaskImmunization> {
 public:
  static constexpr const char* kClassName = "TOffice16TelemetryScheduledTaskImmunization";
  static TOperatingSystems SupportedWindowsVersions() { return kWindows7To10; }
  static std::string GetDisplayName();
  TAScheduledTaskSetting GetScheduledTaskSettings() override;
};
