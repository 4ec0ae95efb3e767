#include "engine/tvqmVorletsMicrosoftCEIP.h"

#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsdisplaynameceipgrouppolic{"rsdisplaynameceipgrouppolic",
                                                      "Consumer Experience Improvement Program (CEIP) Group Policy"};

}  // namespace

std::string TWindowsCEIPRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameceipgrouppolic);
}

TRegistrySettings TWindowsCEIPRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyLocalMachine, "\\SOFTWARE\\Policies\\Microsoft\\SQMClient\\Windows\\", "CEIPEnable", rsdInteger, 0},
  };
}
