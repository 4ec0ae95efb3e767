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

namespace {

const rtl::ResourceString rsdisplaynametelemetryservices{"rsdisplaynametelemetryservices", "Telemetry Services"};

}  // namespace

std::string TWindows10TelemetryServicesImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynametelemetryservices);
}

TServiceSettings TWindows10TelemetryServicesImmunization::GetServiceSettings() {
  TServiceSettings settings{{"DiagTrack", "", ""}, {"dmwappushservice", "", ""}};
  // The indirect texts point into libraries that only Windows 10 has.
  if (IsWindows10OrLater()) {
    settings[0].DisplayName = "@%SystemRoot%\\system32\\diagtrack.dll,-3001";
    settings[0].Description = "@%SystemRoot%\\system32\\diagtrack.dll,-3002";
    settings[1].DisplayName = "@%SystemRoot%\\system32\\dmwappushsvc.dll,-200";
    settings[1].Description = "@%SystemRoot%\\system32\\dmwappushsvc.dll,-201";
  }
  return settings;
}

namespace {

const rtl::ResourceString rsdisplaynametelemetryhosts{"rsdisplaynametelemetryhosts", "Telemetry Hosts"};

// The collectors of diagnostic data and of error reports. None of them serves updates, the
// store or sign-in. Two names stand twice; the counts go over entries, so both copies count.
const char* const kTelemetryHosts[] = {
    // diagnostic data
    "v10.events.data.microsoft.com",
    "v10c.events.data.microsoft.com",
    "v20.events.data.microsoft.com",
    "us-v10c.events.data.microsoft.com",
    "eu-v10c.events.data.microsoft.com",
    "us-v20.events.data.microsoft.com",
    "eu-v20.events.data.microsoft.com",
    "self.events.data.microsoft.com",
    "mobile.events.data.microsoft.com",
    "browser.events.data.microsoft.com",
    // the collectors of earlier releases
    "v10.vortex-win.data.microsoft.com",
    "vortex-win.data.microsoft.com",
    "vortex.data.microsoft.com",
    "telecommand.telemetry.microsoft.com",
    "telemetry.microsoft.com",
    "sqm.telemetry.microsoft.com",
    "df.telemetry.microsoft.com",
    "reports.wes.df.telemetry.microsoft.com",
    "services.wes.df.telemetry.microsoft.com",
    "telemetry.appex.bing.net",
    "v10.events.data.microsoft.com",
    // error reports and crash analysis
    "watson.telemetry.microsoft.com",
    "watson.microsoft.com",
    "survey.watson.microsoft.com",
    "umwatsonc.events.data.microsoft.com",
    "kmwatsonc.events.data.microsoft.com",
    "us-watsonc.events.data.microsoft.com",
    "eu-watsonc.events.data.microsoft.com",
    "oca.telemetry.microsoft.com",
    "oca.microsoft.com",
    "ceuswatcab01.blob.core.windows.net",
    "ceuswatcab02.blob.core.windows.net",
    "eaus2watcab01.blob.core.windows.net",
    "eaus2watcab02.blob.core.windows.net",
    "weus2watcab01.blob.core.windows.net",
    "weus2watcab02.blob.core.windows.net",
    "watson.telemetry.microsoft.com",
};

static_assert(sizeof(kTelemetryHosts) / sizeof(kTelemetryHosts[0]) == 37);

}  // namespace

std::string TWindows10TelemetryHostsImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynametelemetryhosts);
}

TWindows10TelemetryHostsImmunization::TWindows10TelemetryHostsImmunization() {
  for (const char* host : kTelemetryHosts) AddHost(host);
}
