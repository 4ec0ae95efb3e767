#include "engine/tvqmVorletsList.h"

#include "engine/hmQuietmarkGroupPoliciesClient.h"
#include "engine/tvqmVorletsMicrosoftAIT.h"
#include "engine/tvqmVorletsMicrosoftCEIP.h"
#include "engine/tvqmVorletsMicrosoftOffice.h"
#include "engine/tvqmVorletsMicrosoftOneDrive.h"
#include "engine/tvqmVorletsMicrosoftStepsRecorder.h"
#include "engine/tvqmVorletsMicrosoftWiFiSense.h"
#include "engine/tvqmVorletsMicrosoftWindowsOptional.h"
#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"
#include "engine/tvqmVorletsMicrosoftWindowsUpdates.h"
#include "platform/rtlResStrings.h"

TAWindows10ImmunizationClass StandardImmunizations;
TAWindows10ImmunizationClass OptionalImmunizations;

namespace {

const rtl::ResourceString rsdisplaynameappsadvertisingid{"rsdisplaynameappsadvertisingid", "Apps use advertising ID"};

}  // namespace

std::int32_t RegisterImmunization(TWindows10ImmunizationClass aClass, bool aOptional) {
  if (IsImmunizerDisabledByPolicy(aClass.ClassName())) return -1;
  auto& list = aOptional ? OptionalImmunizations : StandardImmunizations;
  list.push_back(aClass);
  return static_cast<std::int32_t>(list.size() - 1);
}

std::string TWindows10AdvertisingIDRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameappsadvertisingid);
}

TRegistrySettings TWindows10AdvertisingIDRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyCurrentUser, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AdvertisingInfo\\", "Enabled", rsdInteger,
       0},
  };
}

void InitializeTvqmVorletsList() {
  StandardImmunizations.clear();
  OptionalImmunizations.clear();
  // The standard list, in the order of the silent walk and of the standard page.
  RegisterImmunization(ImmunizationClassOf<TWindows10TelemetryHostsImmunization>(), false);
  RegisterImmunization(ImmunizationClassOf<TWindows10TelemetryServicesImmunization>(), false);
  RegisterImmunization(ImmunizationClassOf<TWindows10TelemetryRegistryImmunization>(), false);
  RegisterImmunization(ImmunizationClassOf<TWindowsCEIPRegistryImmunization>(), false);
  RegisterImmunization(ImmunizationClassOf<TWindowsCEIPScheduledTaskImmunization>(), false);
  RegisterImmunization(ImmunizationClassOf<TWindows10AITRegistryImmunization>(), false);
  RegisterImmunization(ImmunizationClassOf<TWindows10StepsRecorderRegistryImmunization>(), false);
  RegisterImmunization(ImmunizationClassOf<TWindows10WiFiSenseRegistryImmunization>(), false);
  RegisterImmunization(ImmunizationClassOf<TWindows10AdvertisingIDRegistryImmunization>(), false);
  RegisterImmunization(ImmunizationClassOf<TWindows10WindowsUpdateLocalP2PRegistryImmunization>(), false);
  // The optional list, in the order of the optional page; the silent walk never runs it.
  RegisterImmunization(ImmunizationClassOf<TWindows10WebSearchRegistryImmunization>(), true);
  RegisterImmunization(ImmunizationClassOf<TWindows10CortanaRegistryImmunization>(), true);
  RegisterImmunization(ImmunizationClassOf<TWindows10OneDriveServicesImmunization>(), true);
  RegisterImmunization(ImmunizationClassOf<TWindows10OneDriveRegistryImmunization>(), true);
  RegisterImmunization(ImmunizationClassOf<TWindows10RemoteRegistryServicesImmunization>(), true);
  RegisterImmunization(ImmunizationClassOf<TWindows10TelemetryIPImmunization>(), true);
  RegisterImmunization(ImmunizationClassOf<TWindows10TelemetryHostsOptionalImmunization>(), true);
  RegisterImmunization(ImmunizationClassOf<TOffice15TelemetryRegistryImmunization>(), true);
  RegisterImmunization(ImmunizationClassOf<TOffice15TelemetryScheduledTaskImmunization>(), true);
  RegisterImmunization(ImmunizationClassOf<TOffice16TelemetryRegistryImmunization>(), true);
  RegisterImmunization(ImmunizationClassOf<TOffice16TelemetryScheduledTaskImmunization>(), true);
}

void FinalizeTvqmVorletsList() {
  StandardImmunizations.clear();
  OptionalImmunizations.clear();
}
