#include "engine/tvqmVorletsMicrosoftCEIP.h"

#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsdisplaynameceipgrouppolic{"rsdisplaynameceipgrouppolic",
                                                      "Consumer Experience Improvement Program (CEIP) Group Policy"};
const rtl::ResourceString rsdisplaynameceipscheduledtask{
    "rsdisplaynameceipscheduledtask", "Consumer Experience Improvement Program (CEIP) Scheduled Tasks"};

}  // namespace

std::string TWindowsCEIPRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameceipgrouppolic);
}

TRegistrySettings TWindowsCEIPRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyLocalMachine, "\\SOFTWARE\\Policies\\Microsoft\\SQMClient\\Windows\\", "CEIPEnable", rsdInteger, 0},
  };
}

std::string TWindowsCEIPScheduledTaskImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameceipscheduledtask);
}

TAScheduledTaskSetting TWindowsCEIPScheduledTaskImmunization::GetScheduledTaskSettings() {
  return {
      {"Microsoft\\Windows\\Application Experience", "Microsoft Compatibility Appraiser"},
      {"Microsoft\\Windows\\Application Experience", "ProgramDataUpdater"},
      {"Microsoft\\Windows\\Autochk", "Proxy"},
      {"Microsoft\\Windows\\DiskDiagnostic", "Microsoft-Windows-DiskDiagnosticDataCollector"},
      {"Microsoft\\Windows\\Customer Experience Improvement Program", "Consolidator"},
  };
}
