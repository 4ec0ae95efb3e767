#include "engine/tvqmVorletsMicrosoftOffice.h"

#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsdisplaynameoffice15telemetrygrouppolicy{"rsdisplaynameoffice15telemetrygrouppolicy",
                                                                    "Office 15 (2013) Telemetry Group Policy"};
const rtl::ResourceString rsdisplaynameoffice15telemetryscheduledtasks{
    "rsdisplaynameoffice15telemetryscheduledtasks", "Office 15 (2013) Telemetry Scheduled Tasks"};
const rtl::ResourceString rsdisplaynameoffice16telemetrygrouppolicy{"rsdisplaynameoffice16telemetrygrouppolicy",
                                                                    "Office 16 (2016) Telemetry Group Policy"};
const rtl::ResourceString rsdisplaynameoffice16telemetryscheduledtasks{
    "rsdisplaynameoffice16telemetryscheduledtasks", "Office 16 (2016) Telemetry Scheduled Tasks"};

// The telemetry agent's policy of one Office version: no logging, file names obscured, no
// upload.
TRegistrySettings OfficeTelemetrySettings(const char* key) {
  return {
      {os::kHKeyCurrentUser, key, "enablelogging", rsdInteger, 0},
      {os::kHKeyCurrentUser, key, "enablefileobfuscation", rsdInteger, 1},
      {os::kHKeyCurrentUser, key, "enableupload", rsdInteger, 0},
  };
}

const char* const kOfficeTaskFolder = "Microsoft\\Office";

}  // namespace

std::string TOffice15TelemetryRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameoffice15telemetrygrouppolicy);
}

TRegistrySettings TOffice15TelemetryRegistryImmunization::GetRegistrySettings() {
  return OfficeTelemetrySettings("\\SOFTWARE\\Policies\\Microsoft\\office\\15.0\\osm\\");
}

std::string TOffice15TelemetryScheduledTaskImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameoffice15telemetryscheduledtasks);
}

TAScheduledTaskSetting TOffice15TelemetryScheduledTaskImmunization::GetScheduledTaskSettings() {
  return {
      {kOfficeTaskFolder, "OfficeTelemetryAgentFallBack"},
      {kOfficeTaskFolder, "OfficeTelemetryAgentLogOn"},
  };
}

std::string TOffice16TelemetryRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameoffice16telemetrygrouppolicy);
}

TRegistrySettings TOffice16TelemetryRegistryImmunization::GetRegistrySettings() {
  return OfficeTelemetrySettings("\\SOFTWARE\\Policies\\Microsoft\\office\\16.0\\osm\\");
}

std::string TOffice16TelemetryScheduledTaskImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameoffice16telemetryscheduledtasks);
}

TAScheduledTaskSetting TOffice16TelemetryScheduledTaskImmunization::GetScheduledTaskSettings() {
  return {
      {kOfficeTaskFolder, "OfficeTelemetryAgentFallBack2016"},
      {kOfficeTaskFolder, "OfficeTelemetryAgentLogOn2016"},
  };
}
