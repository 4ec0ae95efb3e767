#include "engine/tvqmVorletsMicrosoftStepsRecorder.h"

#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsdisplaynamestepsrecordergrouppolicy{"rsdisplaynamestepsrecordergrouppolicy",
                                                                "Steps Recorder Group Policy"};

}  // namespace

std::string TWindows10StepsRecorderRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynamestepsrecordergrouppolicy);
}

TRegistrySettings TWindows10StepsRecorderRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyLocalMachine, "\\SOFTWARE\\Policies\\Microsoft\\Windows\\AppCompat\\", "DisableUAR", rsdInteger, 1},
  };
}
