#pragma once
// The standard and the optional immunizer classes, registered once at start-up in their fixed
// order, leaving out each class that the product policy disables. Also home of the
// advertising-ID immunizer.

#include <cstdint>
#include <vector>

#include "engine/tvqmVorletsBase.h"

using TAWindows10ImmunizationClass = std::vector<TWindows10ImmunizationClass>;

// Class descriptors only; every reader creates and frees its own instances.
extern TAWindows10ImmunizationClass StandardImmunizations;
extern TAWindows10ImmunizationClass OptionalImmunizations;

// Appends aClass to its list unless the policy disables it; the index of the new entry, or -1
// when the class was left out.
std::int32_t RegisterImmunization(TWindows10ImmunizationClass aClass, bool aOptional);

class TWindows10AdvertisingIDRegistryImmunization final
    : public TImmunizationClass<TWindows10AdvertisingIDRegistryImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TWindows10AdvertisingIDRegistryImmunization";
  static std::string GetDisplayName();
  TRegistrySettings GetRegistrySettings() override;
};

// Start-up: builds both lists under the policy.
void InitializeTvqmVorletsList();
// Shut-down: empties both lists.
void FinalizeTvqmVorletsList();
