#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"

#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsdisplaynametelemetrygrouppolicy{"rsdisplaynametelemetrygrouppolicy",
                                                            "Telemetry Group Policy"};

}  // namespace

std::string TWindows10TelemetryRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynametelemetrygrouppolicy);
}

TRegistrySettings TWindows10TelemetryRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyLocalMachine, "\\SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection\\", "AllowTelemetry",
       rsdInteger, 0},
  };
}
