#pragma once
// The Steps Recorder.

#include "engine/tvqmVorletsBase.h"

class TWindows10StepsRecorderRegistryImmunization final
    : public TImmunizationClass<TWindows10StepsRecorderRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10StepsRecorderRegistryImmunization";
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};
