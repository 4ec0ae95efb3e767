#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "engine/tvqmVorletsList.h"
#include "engine/tvqmVorletsMicrosoftOffice.h"
#include "engine/tvqmVorletsMicrosoftWindowsOptional.h"
#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"
#include "tests/engine/StandardRegistryValues.h"
#include "tests/fakes/DebugEntryRecorder.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const os::RegKey HKLM = os::kHKeyLocalMachine;
const os::RegKey HKCU = os::kHKeyCurrentUser;
const char kHosts[] = "C:\\Windows\\system32\\drivers\\etc\\hosts.";

const std::vector<tests::ValueRow> kOptionalRegistryValues = {
    {"TWindows10WebSearchRegistryImmunization", HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search",
     "DisableWebSearch", 1},
    {"TWindows10WebSearchRegistryImmunization", HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search",
     "ConnectedSearchUseWeb", 0},
    {"TWindows10WebSearchRegistryImmunization", HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search",
     "ConnectedSearchUseWebOverMeteredConnections", 0},
    {"TWindows10CortanaRegistryImmunization", HKLM,
     "SOFTWARE\\Microsoft\\PolicyManager\\default\\Experience\\AllowCortana", "value", 0},
    {"TWindows10CortanaRegistryImmunization", HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search",
     "AllowCortana", 0},
    {"TWindows10OneDriveRegistryImmunization", HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows\\OneDrive",
     "DisableFileSyncNGSC", 1},
    {"TOffice15TelemetryRegistryImmunization", HKCU, "SOFTWARE\\Policies\\Microsoft\\office\\15.0\\osm",
     "enablelogging", 0},
    {"TOffice15TelemetryRegistryImmunization", HKCU, "SOFTWARE\\Policies\\Microsoft\\office\\15.0\\osm",
     "enablefileobfuscation", 1},
    {"TOffice15TelemetryRegistryImmunization", HKCU, "SOFTWARE\\Policies\\Microsoft\\office\\15.0\\osm",
     "enableupload", 0},
    {"TOffice16TelemetryRegistryImmunization", HKCU, "SOFTWARE\\Policies\\Microsoft\\office\\16.0\\osm",
     "enablelogging", 0},
    {"TOffice16TelemetryRegistryImmunization", HKCU, "SOFTWARE\\Policies\\Microsoft\\office\\16.0\\osm",
     "enablefileobfuscation", 1},
    {"TOffice16TelemetryRegistryImmunization", HKCU, "SOFTWARE\\Policies\\Microsoft\\office\\16.0\\osm",
     "enableupload", 0},
};

class OptionalImmunizersTest : public ::testing::Test {
 protected:
  OptionalImmunizersTest() { InitializeTvqmVorletsList(); }
  ~OptionalImmunizersTest() override { FinalizeTvqmVorletsList(); }

  std::unique_ptr<TWindows10Immunization> Create(const std::string& className) {
    for (const auto& descriptor : OptionalImmunizations) {
      if (descriptor.ClassName() == className) return descriptor.Create();
    }
    ADD_FAILURE() << className << " is not in the optional list";
    return nullptr;
  }

  fakes::FakeWindows windows;
  fakes::DebugEntryRecorder log;
};

TEST_F(OptionalImmunizersTest, EachRegistryClassWritesAndDeletesExactlyItsOwnValues) {
  std::set<std::string> classes;
  for (const auto& row : kOptionalRegistryValues) classes.insert(row.className);
  for (const auto& className : classes) {
    SCOPED_TRACE(className);
    fakes::FakeWindows fresh;
    const auto immunizer = Create(className);
    ASSERT_TRUE(immunizer);
    std::int32_t own = 0;
    std::string details;
    immunizer->Immunize();
    for (const auto& row : kOptionalRegistryValues) {
      const auto written = fresh.registry.GetDword(row.root, row.key, row.valueName);
      if (className == row.className) {
        ++own;
        EXPECT_EQ(written, row.value) << row.key << "\\" << row.valueName;
        details += std::string(details.empty() ? "" : "\r\n") + "Registry: " +
                   (row.root == HKLM ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + row.key + "\\" + row.valueName;
      } else {
        EXPECT_FALSE(written) << row.key << "\\" << row.valueName;
      }
    }
    EXPECT_EQ(immunizer->GetCount(), own);
    EXPECT_EQ(immunizer->GetImmunizedCount(), own);
    EXPECT_EQ(immunizer->GetDetailsText(), details);
    immunizer->Remove();
    EXPECT_EQ(immunizer->GetImmunizedCount(), 0);
  }
}

TEST_F(OptionalImmunizersTest, ServiceClassesNameTheirServicesAndTheIndirectTextsOnlyOnWindows10) {
  struct Case {
    const char* className;
    std::vector<TServiceSetting> windows10;
    std::vector<TServiceSetting> windows7;
  };
  const Case cases[] = {
      {"TWindows10OneDriveServicesImmunization",
       {{"OneSyncSvc", "@%SystemRoot%\\system32\\APHostRes.dll,-10002", "@%SystemRoot%\\system32\\APHostRes.dll,-10001"},
        {"OneSyncSvc_Session1", "Sync Host_Session1", ""}},
       {{"OneSyncSvc", "", ""}, {"OneSyncSvc_Session1", "Sync Host_Session1", ""}}},
      {"TWindows10RemoteRegistryServicesImmunization",
       {{"RemoteRegistry", "@regsvc.dll,-1", "@regsvc.dll,-2"}},
       {{"RemoteRegistry", "", ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.className);
    const auto immunizer = Create(c.className);
    auto& services = dynamic_cast<TCustomWindowsServicesImmunization&>(*immunizer);
    for (const bool windows10 : {true, false}) {
      windows.system.version = windows10 ? os::OsVersionInfo{10, 0, 18362, 2, ""} : os::OsVersionInfo{6, 1, 7601, 2, ""};
      const auto& expected = windows10 ? c.windows10 : c.windows7;
      const auto settings = services.GetServiceSettings();
      ASSERT_EQ(settings.size(), expected.size());
      for (std::size_t i = 0; i < settings.size(); ++i) {
        EXPECT_EQ(settings[i].Name, expected[i].Name);
        EXPECT_EQ(settings[i].DisplayName, expected[i].DisplayName);
        EXPECT_EQ(settings[i].Description, expected[i].Description);
      }
    }
  }
  // On Windows 7 the details show the bare name; the session service always its plain name.
  EXPECT_EQ(Create("TWindows10OneDriveServicesImmunization")->GetDetailsText(),
            "Service: OneSyncSvc\r\nService: Sync Host_Session1 (OneSyncSvc_Session1)");
}

TEST_F(OptionalImmunizersTest, RemoteRegistryIsStoppedAndDisabledThenStartedAgain) {
  windows.services.Add("RemoteRegistry", os::kServiceRunning, os::kServiceAutoStart);
  const auto immunizer = Create("TWindows10RemoteRegistryServicesImmunization");
  EXPECT_EQ(immunizer->GetImmunizedCount(), 0);
  immunizer->Immunize();
  windows.services.Settle();
  EXPECT_EQ(windows.services.Find("RemoteRegistry")->startType, os::kServiceDisabled);
  EXPECT_EQ(immunizer->GetImmunizedCount(), 1);
  immunizer->Remove();
  windows.services.Settle();
  EXPECT_EQ(windows.services.Find("RemoteRegistry")->state, os::kServiceRunning);
  EXPECT_EQ(immunizer->GetImmunizedCount(), 0);
}

TEST_F(OptionalImmunizersTest, OfficeTaskClassesListTheirTasksAndCountMissingOnesAsApplied) {
  struct Case {
    const char* className;
    const char* first;
    const char* second;
  };
  for (const Case c : {Case{"TOffice15TelemetryScheduledTaskImmunization", "OfficeTelemetryAgentFallBack",
                            "OfficeTelemetryAgentLogOn"},
                       Case{"TOffice16TelemetryScheduledTaskImmunization", "OfficeTelemetryAgentFallBack2016",
                            "OfficeTelemetryAgentLogOn2016"}}) {
    SCOPED_TRACE(c.className);
    fakes::FakeWindows fresh;
    const auto immunizer = Create(c.className);
    EXPECT_EQ(immunizer->GetDetailsText(), std::string("Task: Microsoft\\Office\\") + c.first +
                                               "\r\nTask: Microsoft\\Office\\" + c.second);
    // A system without Office: both count as applied, and no folder is made for them.
    EXPECT_EQ(immunizer->GetCount(), 2);
    EXPECT_EQ(immunizer->GetImmunizedCount(), 2);
    immunizer->Immunize();
    immunizer->Remove();
    EXPECT_EQ(fresh.taskScheduler.FindFolder("Microsoft\\Office"), nullptr);
    EXPECT_EQ(fresh.taskScheduler.FindFolder("Microsoft"), nullptr);

    fakes::FakeDefinitionData enabled;
    fresh.taskScheduler.AddTask("Microsoft\\Office", c.first, enabled);
    fresh.taskScheduler.AddTask("Microsoft\\Office", c.second, enabled);
    EXPECT_EQ(immunizer->GetImmunizedCount(), 0);
    immunizer->Immunize();
    EXPECT_EQ(immunizer->GetImmunizedCount(), 2);
    EXPECT_FALSE(fresh.taskScheduler.FindTask("Microsoft\\Office", c.first)->definition.flags.at(
        os::TaskSettingFlag::Enabled));
    immunizer->Remove();
    EXPECT_EQ(immunizer->GetImmunizedCount(), 0);
  }
}

TEST_F(OptionalImmunizersTest, TheSearchAddressIsBlockedByARuleNamedAfterTheClass) {
  const auto immunizer = Create("TWindows10TelemetryIPImmunization");
  const auto settings = dynamic_cast<TCustomWindows10IPImmunization&>(*immunizer).GetIPBlockSettings();
  ASSERT_EQ(settings.size(), 1u);
  EXPECT_EQ(settings[0].HostName, "www.bing.com");
  EXPECT_EQ(immunizer->GetDetailsText(), "IPs: " + settings[0].IP);
  EXPECT_TRUE(std::regex_match(settings[0].IP, std::regex(R"((\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3}))")));

  immunizer->Immunize();
  const auto rules = windows.firewall.Named("TWindows10TelemetryIPImmunization");
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_EQ(rules[0].description, "Bing IPs");
  EXPECT_EQ(rules[0].grouping, "Tolvex Quietmark");
  EXPECT_EQ(rules[0].remoteAddresses, settings[0].IP);
  EXPECT_EQ(immunizer->GetImmunizedCount(), 1);
  immunizer->Remove();
  EXPECT_TRUE(windows.firewall.rules.empty());
}

TEST_F(OptionalImmunizersTest, TheExtensiveHostsListHolds70NewNamesNoneOfThemNeededToUpdateOrSignIn) {
  TWindows10TelemetryHostsOptionalImmunization optional;
  TWindows10TelemetryHostsImmunization standard;
  EXPECT_EQ(optional.GetSuffix(), "Optional");
  const auto& names = optional.GetHosts();
  EXPECT_EQ(optional.GetCount(), 70);
  const std::set<std::string> distinct(names.begin(), names.end());
  EXPECT_EQ(distinct.size(), 70u);
  const std::set<std::string> standardNames(standard.GetHosts().begin(), standard.GetHosts().end());
  const std::regex hostName(R"([a-z0-9]([a-z0-9-]*[a-z0-9])?(\.[a-z0-9]([a-z0-9-]*[a-z0-9])?)+)");
  // Parts of the names of the update, activation, Store and sign-in services.
  const char* const needed[] = {"update", "delivery", "login", "licensing", "activation", "displaycatalog",
                                "storeedge", "account", "sls.", "wns."};
  for (const auto& name : names) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(std::regex_match(name, hostName));
    EXPECT_EQ(standardNames.count(name), 0u) << "also in the standard list";
    for (const char* part : needed) EXPECT_EQ(name.find(part), std::string::npos) << part;
  }
}

// The lines between two marker lines of the file, or "<missing>".
std::string Block(const std::string& content, const std::string& start, const std::string& end) {
  const auto from = content.find(start + "\r\n");
  const auto to = content.find(end + "\r\n");
  if (from == std::string::npos || to == std::string::npos || to < from) return "<missing>";
  return content.substr(from + start.size() + 2, to - from - start.size() - 2);
}

TEST_F(OptionalImmunizersTest, TheTwoHostsBlocksStandSideBySideWhateverTheOrder) {
  const std::string kStart = "# Start of entries inserted by Tolvex Quietmark for Windows 10";
  const std::string kEnd = "# End of entries inserted by Tolvex Quietmark for Windows 10";
  const std::string kOptionalStart = kStart + " Optional";
  const std::string kOptionalEnd = kEnd + " Optional";
  for (const bool optionalFirst : {false, true}) {
    SCOPED_TRACE(optionalFirst ? "optional first" : "standard first");
    fakes::FakeWindows fresh;
    const std::string userLines = "127.0.0.1 localhost\r\n";
    fresh.files.SetFile(kHosts, userLines);
    // Both made before either saves, as the window's frames are.
    TWindows10TelemetryHostsImmunization standard;
    TWindows10TelemetryHostsOptionalImmunization optional;
    TCustomWindows10HostsImmunization& first = optionalFirst ? static_cast<TCustomWindows10HostsImmunization&>(optional)
                                                             : standard;
    TCustomWindows10HostsImmunization& second =
        optionalFirst ? static_cast<TCustomWindows10HostsImmunization&>(standard) : optional;
    const auto content = [&] { return fresh.files.Content(kHosts).value_or(""); };
    const auto standardBlock = [&] { return Block(content(), kStart, kEnd); };
    const auto optionalBlock = [&] { return Block(content(), kOptionalStart, kOptionalEnd); };

    first.Immunize();
    second.Immunize();
    EXPECT_EQ(standard.GetImmunizedCount(), 37);
    EXPECT_EQ(optional.GetImmunizedCount(), 70);
    const std::string appliedStandard = standardBlock();
    const std::string appliedOptional = optionalBlock();
    EXPECT_NE(appliedOptional.find("0.0.0.0\tus-v10.events.data.microsoft.com\r\n"), std::string::npos);
    EXPECT_EQ(appliedStandard.find("us-v10.events.data.microsoft.com"), std::string::npos);
    EXPECT_EQ(content().rfind(userLines, 0), 0u);

    // Undoing either leaves the other's block as it was, and applying it again restores it.
    for (const bool undoFirst : {true, false}) {
      TCustomWindows10HostsImmunization& undone = undoFirst ? first : second;
      TCustomWindows10HostsImmunization& kept = undoFirst ? second : first;
      SCOPED_TRACE(undoFirst ? "undo the first" : "undo the second");
      undone.Remove();
      EXPECT_EQ(undone.GetImmunizedCount(), 0);
      EXPECT_EQ(kept.GetImmunizedCount(), kept.GetCount());
      const bool standardUndone = &undone == &standard;
      EXPECT_EQ(standardBlock(), standardUndone ? "" : appliedStandard);
      EXPECT_EQ(optionalBlock(), standardUndone ? appliedOptional : "");
      undone.Immunize();
      EXPECT_EQ(standardBlock(), appliedStandard);
      EXPECT_EQ(optionalBlock(), appliedOptional);
    }
  }
}

}  // namespace
