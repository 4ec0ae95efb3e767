#include "engine/tvqmVorletsMicrosoftWindowsOptional.h"

#include "platform/rtlResStrings.h"

namespace {

const rtl::ResourceString rsdisplaynamewebsearchgrouppolicy{"rsdisplaynamewebsearchgrouppolicy",
                                                            "Web Search Group Policy"};
const rtl::ResourceString rsdisplaynamecortanagrouppolicy{"rsdisplaynamecortanagrouppolicy", "Cortana Group Policy"};
const rtl::ResourceString rsdisplaynameonedriveservice{"rsdisplaynameonedriveservice", "OneDrive Service"};
const rtl::ResourceString rsonedrivemailissue{"rsonedrivemailissue",
                                              "Do not immunize if you use the Windows Mail app, see FAQ."};
const rtl::ResourceString rsdisplaynameremoteregistyservice{"rsdisplaynameremoteregistyservice",
                                                            "Remote Registry Service"};
const rtl::ResourceString rsdisplaynametelemetryips{"rsdisplaynametelemetryips", "Bing IPs"};
const rtl::ResourceString rsdisplaynamebingissue{"rsdisplaynamebingissue", "Do not immusize if you use Bing"};
const rtl::ResourceString rsdisplaynametelemetryhostsoptional{"rsdisplaynametelemetryhostsoptional",
                                                              "Telemetry Hosts (extensive list)"};

const char* const kWindowsSearchPolicy = "\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search\\";

// Endpoints of Windows' diagnostic data, error reporting, advertising and feedback beyond the
// standard list: regional and older collectors, the names the collectors resolve through, the
// ad servers of the system's own apps and the feedback services. None of them serves updates,
// activation, the Store or sign-in, and none stands in the standard list.
const char* const kTelemetryHostsOptional[] = {
    // diagnostic data: regional, sandbox and older collectors
    "us-v10.events.data.microsoft.com",
    "eu-v10.events.data.microsoft.com",
    "us-mobile.events.data.microsoft.com",
    "eu-mobile.events.data.microsoft.com",
    "functional.events.data.microsoft.com",
    "browser.events.data.msn.com",
    "us.vortex-win.data.microsoft.com",
    "eu.vortex-win.data.microsoft.com",
    "vortex-sandbox.data.microsoft.com",
    "vortex-win-sandbox.data.microsoft.com",
    "settings-sandbox.data.microsoft.com",
    "web.vortex.data.microsoft.com",
    "vortex.data.glbdns2.microsoft.com",
    "wes.df.telemetry.microsoft.com",
    "sqm.df.telemetry.microsoft.com",
    "telemetry.urs.microsoft.com",
    "alpha.telemetry.microsoft.com",
    "choice.microsoft.com",
    "i1.services.social.microsoft.com",
    "compatexchange.cloudapp.net",
    "diagnostics.support.microsoft.com",
    "pre.footprintpredict.com",
    // diagnostic data: the collectors of the system's apps
    "pipe.aria.microsoft.com",
    "browser.pipe.aria.microsoft.com",
    "mobile.pipe.aria.microsoft.com",
    // the names the collectors resolve through
    "cy2.vortex.data.microsoft.com.akadns.net",
    "db5.vortex.data.microsoft.com.akadns.net",
    "geo.vortex.data.microsoft.com.akadns.net",
    "v10-win.vortex.data.microsoft.com.akadns.net",
    "onecollector.cloudapp.aria.akadns.net",
    "vortex-bn2.metron.live.com.nsatc.net",
    "vortex-cy2.metron.live.com.nsatc.net",
    "vortex-win.data.metron.live.com.nsatc.net",
    "v10.vortex-win.data.metron.live.com.nsatc.net",
    "telecommand.telemetry.microsoft.com.nsatc.net",
    "sqm.telemetry.microsoft.com.nsatc.net",
    "choice.microsoft.com.nsatc.net",
    "i1.services.social.microsoft.com.nsatc.net",
    "tele.trafficmanager.net",
    // error reports
    "watson.events.data.microsoft.com",
    "umwatson.events.data.microsoft.com",
    "modern.watson.data.microsoft.com",
    "modern.watson.data.microsoft.com.akadns.net",
    "watson.ppe.telemetry.microsoft.com",
    "watson.telemetry.microsoft.com.nsatc.net",
    "oca.telemetry.microsoft.com.nsatc.net",
    // advertising in the system's apps, the lock screen and the start menu
    "arc.msn.com",
    "ris.api.iris.microsoft.com",
    "rad.msn.com",
    "a.rad.msn.com",
    "b.rad.msn.com",
    "rad.live.com",
    "live.rads.msn.com",
    "ads.msn.com",
    "ads1.msn.com",
    "a.ads1.msn.com",
    "b.ads1.msn.com",
    "a.ads2.msn.com",
    "ads1.msads.net",
    "a.ads2.msads.net",
    "b.ads2.msads.net",
    "flex.msn.com",
    "c.msn.com",
    "c1.microsoft.com",
    "secure.adnxs.com",
    "m.adnxs.com",
    "sb.scorecardresearch.com",
    // feedback
    "feedback.windows.com",
    "feedback.microsoft-hohm.com",
    "feedback.search.microsoft.com",
};

static_assert(sizeof(kTelemetryHostsOptional) / sizeof(kTelemetryHostsOptional[0]) == 70);

}  // namespace

std::string TWindows10WebSearchRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynamewebsearchgrouppolicy);
}

TRegistrySettings TWindows10WebSearchRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyLocalMachine, kWindowsSearchPolicy, "DisableWebSearch", rsdInteger, 1},
      {os::kHKeyLocalMachine, kWindowsSearchPolicy, "ConnectedSearchUseWeb", rsdInteger, 0},
      {os::kHKeyLocalMachine, kWindowsSearchPolicy, "ConnectedSearchUseWebOverMeteredConnections", rsdInteger, 0},
  };
}

std::string TWindows10CortanaRegistryImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynamecortanagrouppolicy);
}

TRegistrySettings TWindows10CortanaRegistryImmunization::GetRegistrySettings() {
  return {
      {os::kHKeyLocalMachine, "\\SOFTWARE\\Microsoft\\PolicyManager\\default\\Experience\\AllowCortana\\", "value",
       rsdInteger, 0},
      {os::kHKeyLocalMachine, kWindowsSearchPolicy, "AllowCortana", rsdInteger, 0},
  };
}

std::string TWindows10OneDriveServicesImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameonedriveservice);
}

std::string TWindows10OneDriveServicesImmunization::GetHint() { return rtl::LoadResString(rsonedrivemailissue); }

TServiceSettings TWindows10OneDriveServicesImmunization::GetServiceSettings() {
  TServiceSettings settings{{"OneSyncSvc", "", ""}, {"OneSyncSvc_Session1", "Sync Host_Session1", ""}};
  if (IsWindows10OrLater()) {
    settings[0].DisplayName = "@%SystemRoot%\\system32\\APHostRes.dll,-10002";
    settings[0].Description = "@%SystemRoot%\\system32\\APHostRes.dll,-10001";
  }
  return settings;
}

std::string TWindows10RemoteRegistryServicesImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynameremoteregistyservice);
}

TServiceSettings TWindows10RemoteRegistryServicesImmunization::GetServiceSettings() {
  TServiceSettings settings{{"RemoteRegistry", "", ""}};
  if (IsWindows10OrLater()) {
    settings[0].DisplayName = "@regsvc.dll,-1";
    settings[0].Description = "@regsvc.dll,-2";
  }
  return settings;
}

std::string TWindows10TelemetryIPImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynametelemetryips);
}

std::string TWindows10TelemetryIPImmunization::GetHint() { return rtl::LoadResString(rsdisplaynamebingissue); }

TIPBlockSettings TWindows10TelemetryIPImmunization::GetIPBlockSettings() {
  // The search service's anycast front door, the address its host name answers with.
  return {{"204.79.197.200", "www.bing.com"}};
}

std::string TWindows10TelemetryHostsOptionalImmunization::GetDisplayName() {
  return rtl::LoadResString(rsdisplaynametelemetryhostsoptional);
}

TWindows10TelemetryHostsOptionalImmunization::TWindows10TelemetryHostsOptionalImmunization() {
  SetSectionSuffix("Optional");
  for (const char* host : kTelemetryHostsOptional) AddHost(host);
}
