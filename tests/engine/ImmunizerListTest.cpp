#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/tvqmCommandLine.h"
#include "engine/tvqmVorletsList.h"
#include "engine/tvqmVorletsMicrosoftWiFiSense.h"
#include "platform/bmrConsoleHelp.h"
#include "platform/rtlResStrings.h"
#include "tests/engine/StandardRegistryValues.h"
#include "tests/fakes/DebugEntryRecorder.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const os::RegKey HKLM = os::kHKeyLocalMachine;
const std::string kImmunisation = "SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Immunisation";

// The standard classes built so far, in list order, with what each class answers.
struct ClassRow {
  const char* className;
  const char* displayName;
  bool windows7To10;
};
const std::vector<ClassRow> kStandardRegistryClasses = {
    {"TWindows10TelemetryHostsImmunization", "Telemetry Hosts", true},
    {"TWindows10TelemetryServicesImmunization", "Telemetry Services", false},
    {"TWindows10TelemetryRegistryImmunization", "Telemetry Group Policy", true},
    {"TWindowsCEIPRegistryImmunization", "Consumer Experience Improvement Program (CEIP) Group Policy", true},
    {"TWindowsCEIPScheduledTaskImmunization", "Consumer Experience Improvement Program (CEIP) Scheduled Tasks", true},
    {"TWindows10AITRegistryImmunization", "Application Impact Telemetry (AIT) Group Policy", false},
    {"TWindows10StepsRecorderRegistryImmunization", "Steps Recorder Group Policy", false},
    {"TWindows10WiFiSenseRegistryImmunization", "WiFi Sense (HotSpot Sharing) Group Policy", false},
    {"TWindows10AdvertisingIDRegistryImmunization", "Apps use advertising ID", false},
    {"TWindows10WindowsUpdateLocalP2PRegistryImmunization", "P2P Windows Updates outside local network", false},
};

// The optional classes, in list order, with their hints.
struct OptionalRow {
  const char* className;
  const char* displayName;
  bool windows7To10;
  const char* hint;
};
const std::vector<OptionalRow> kOptionalClasses = {
    {"TWindows10WebSearchRegistryImmunization", "Web Search Group Policy", false, ""},
    {"TWindows10CortanaRegistryImmunization", "Cortana Group Policy", false, ""},
    {"TWindows10OneDriveServicesImmunization", "OneDrive Service", false,
     "Do not immunize if you use the Windows Mail app, see FAQ."},
    {"TWindows10OneDriveRegistryImmunization", "OneDrive Group Policy", false, ""},
    {"TWindows10RemoteRegistryServicesImmunization", "Remote Registry Service", true, ""},
    {"TWindows10TelemetryIPImmunization", "Bing IPs", false, "Do not immusize if you use Bing"},
    {"TWindows10TelemetryHostsOptionalImmunization", "Telemetry Hosts (extensive list)", true, ""},
    {"TOffice15TelemetryRegistryImmunization", "Office 15 (2013) Telemetry Group Policy", true, ""},
    {"TOffice15TelemetryScheduledTaskImmunization", "Office 15 (2013) Telemetry Scheduled Tasks", true, ""},
    {"TOffice16TelemetryRegistryImmunization", "Office 16 (2016) Telemetry Group Policy", true, ""},
    {"TOffice16TelemetryScheduledTaskImmunization", "Office 16 (2016) Telemetry Scheduled Tasks", true, ""},
};

// Items of the classes that are no registry values, all applied on an empty system (a task
// that does not exist counts as disabled).
std::int32_t NonRegistryItems(const std::string& className) {
  // Every host name is in the file after the apply.
  if (className == "TWindows10TelemetryHostsImmunization") return 37;
  // A service this system lacks counts as in place.
  if (className == "TWindows10TelemetryServicesImmunization") return 2;
  return className == "TWindowsCEIPScheduledTaskImmunization" ? 5 : 0;
}

std::vector<std::string> Names(const TAWindows10ImmunizationClass& list) {
  std::vector<std::string> names;
  for (const auto& entry : list) names.push_back(entry.ClassName());
  return names;
}

template <class Row>
std::vector<std::string> Names(const std::vector<Row>& rows) {
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row.className);
  return names;
}

class ImmunizerListTest : public ::testing::Test {
 protected:
  ImmunizerListTest() { FinalizeTvqmVorletsList(); }
  ~ImmunizerListTest() override { FinalizeTvqmVorletsList(); }
  fakes::FakeWindows windows;
  fakes::DebugEntryRecorder log;
};

TEST_F(ImmunizerListTest, WithoutPolicyEveryClassIsListedInItsOrder) {
  InitializeTvqmVorletsList();
  EXPECT_EQ(Names(StandardImmunizations), Names(kStandardRegistryClasses));
  EXPECT_EQ(Names(OptionalImmunizations), Names(kOptionalClasses));
  EXPECT_TRUE(log.Entries().empty());
}

TEST_F(ImmunizerListTest, DisablePolicyLeavesOutOnlyANonZeroDword) {
  windows.registry.SetDword(HKLM, kImmunisation, "DisableTWindows10TelemetryRegistryImmunization", 1);
  windows.registry.SetDword(HKLM, kImmunisation, "DisableTWindows10AITRegistryImmunization", 0);
  windows.registry.SetString(HKLM, kImmunisation, "DisableTWindows10WiFiSenseRegistryImmunization", "1");
  windows.registry.SetDword(HKLM, kImmunisation, "DisableTWindows10WebSearchRegistryImmunization", 1);
  windows.registry.SetDword(HKLM, kImmunisation, "DisableTWindows10TelemetryIPImmunization", 7);

  InitializeTvqmVorletsList();

  auto expected = Names(kStandardRegistryClasses);
  expected.erase(std::find(expected.begin(), expected.end(), "TWindows10TelemetryRegistryImmunization"));
  EXPECT_EQ(Names(StandardImmunizations), expected);
  // An optional class left out leaves no gap: the ones after it move up.
  auto optional = Names(kOptionalClasses);
  optional.erase(optional.begin() + 5);
  optional.erase(optional.begin());
  EXPECT_EQ(Names(OptionalImmunizations), optional);
  // Every other class of the key has no value: one level-5 entry per class that was not a flag.
  std::size_t wifiEntries = 0;
  for (const auto& entry : log.Entries()) {
    if (entry.message.find("DisableTWindows10WiFiSenseRegistryImmunization") != std::string::npos) ++wifiEntries;
  }
  EXPECT_EQ(wifiEntries, 1u);
  EXPECT_EQ(log.Entries().size(), kStandardRegistryClasses.size() - 2 + kOptionalClasses.size() - 2);
}

TEST_F(ImmunizerListTest, RegisterGivesTheIndexOrMinusOneForADisabledClass) {
  const auto wifi = ImmunizationClassOf<TWindows10WiFiSenseRegistryImmunization>();
  EXPECT_EQ(RegisterImmunization(wifi, true), 0);
  EXPECT_EQ(RegisterImmunization(wifi, false), 0);
  EXPECT_EQ(RegisterImmunization(wifi, false), 1);
  windows.registry.SetDword(HKLM, kImmunisation, "DisableTWindows10WiFiSenseRegistryImmunization", 0xFFFFFFFFu);
  EXPECT_EQ(RegisterImmunization(wifi, false), -1);
  EXPECT_EQ(StandardImmunizations.size(), 2u);
  EXPECT_EQ(OptionalImmunizations.size(), 1u);
}

TEST_F(ImmunizerListTest, DescriptorsAnswerWithoutAnInstanceAndCreateTheirOwnClass) {
  InitializeTvqmVorletsList();
  ASSERT_EQ(StandardImmunizations.size(), kStandardRegistryClasses.size());
  const TOperatingSystems windows10{osWindows10};
  for (std::size_t i = 0; i < kStandardRegistryClasses.size(); ++i) {
    const auto& row = kStandardRegistryClasses[i];
    const auto& descriptor = StandardImmunizations[i];
    SCOPED_TRACE(row.className);
    EXPECT_EQ(descriptor.GetDisplayName(), row.displayName);
    EXPECT_EQ(descriptor.GetHint(), "");
    EXPECT_EQ(descriptor.SupportedWindowsVersions(), row.windows7To10 ? kWindows7To10 : windows10);

    const auto immunizer = descriptor.Create();
    EXPECT_EQ(immunizer->ClassName(), row.className);
    EXPECT_TRUE(immunizer->ClassType() == descriptor);
    EXPECT_FALSE(immunizer->OnLog);
    immunizer->DoLog(ilError, "dropped without a handler");
  }
  ASSERT_EQ(OptionalImmunizations.size(), kOptionalClasses.size());
  for (std::size_t i = 0; i < kOptionalClasses.size(); ++i) {
    const auto& row = kOptionalClasses[i];
    const auto& descriptor = OptionalImmunizations[i];
    SCOPED_TRACE(row.className);
    EXPECT_EQ(descriptor.GetDisplayName(), row.displayName);
    EXPECT_EQ(descriptor.GetHint(), row.hint);
    EXPECT_EQ(descriptor.SupportedWindowsVersions(), row.windows7To10 ? kWindows7To10 : windows10);
    EXPECT_EQ(descriptor.Create()->ClassName(), row.className);
  }
}

TEST_F(ImmunizerListTest, OnWindows7OnlyTheClassesForAllVersionsAreSupported) {
  InitializeTvqmVorletsList();
  const TOperatingSystems windows7{osWinNTSeries, osWindows7};
  std::vector<std::string> supported;
  for (const auto& descriptor : StandardImmunizations) {
    if (descriptor.SupportedWindowsVersions().SharesMemberWith(windows7)) supported.push_back(descriptor.ClassName());
  }
  EXPECT_EQ(supported,
            (std::vector<std::string>{"TWindows10TelemetryHostsImmunization", "TWindows10TelemetryRegistryImmunization",
                                      "TWindowsCEIPRegistryImmunization", "TWindowsCEIPScheduledTaskImmunization"}));
  // The optional page offers classes 5 and 7 to 11 there.
  supported.clear();
  for (const auto& descriptor : OptionalImmunizations) {
    if (descriptor.SupportedWindowsVersions().SharesMemberWith(windows7)) supported.push_back(descriptor.ClassName());
  }
  EXPECT_EQ(supported, (std::vector<std::string>{"TWindows10RemoteRegistryServicesImmunization",
                                                 "TWindows10TelemetryHostsOptionalImmunization",
                                                 "TOffice15TelemetryRegistryImmunization",
                                                 "TOffice15TelemetryScheduledTaskImmunization",
                                                 "TOffice16TelemetryRegistryImmunization",
                                                 "TOffice16TelemetryScheduledTaskImmunization"}));
}

TEST_F(ImmunizerListTest, DisplayNameFollowsTheTranslation) {
  const auto previous = rtl::SetResStringTranslator([](const rtl::ResourceString& text) {
    return std::string(text.Name) == "rsdisplaynamewifisensegrouppolicy" ? "WLAN-Optimierung" : "";
  });
  const auto wifi = ImmunizationClassOf<TWindows10WiFiSenseRegistryImmunization>();
  EXPECT_EQ(wifi.GetDisplayName(), "WLAN-Optimierung");
  rtl::SetResStringTranslator(previous);
  EXPECT_EQ(wifi.GetDisplayName(), "WiFi Sense (HotSpot Sharing) Group Policy");
}

TEST_F(ImmunizerListTest, EachClassWritesExactlyItsOwnValues) {
  InitializeTvqmVorletsList();
  for (const auto& descriptor : StandardImmunizations) {
    SCOPED_TRACE(descriptor.ClassName());
    fakes::FakeWindows fresh;
    const auto immunizer = descriptor.Create();
    std::size_t own = 0;
    immunizer->Immunize();
    for (const auto& row : tests::kStandardRegistryValues) {
      const auto written = fresh.registry.GetDword(row.root, row.key, row.valueName);
      if (descriptor.ClassName() == row.className) {
        ++own;
        EXPECT_EQ(written, row.value) << row.key << "\\" << row.valueName;
      } else {
        EXPECT_FALSE(written) << row.key << "\\" << row.valueName;
      }
    }
    const std::int32_t others = NonRegistryItems(descriptor.ClassName());
    EXPECT_EQ(immunizer->GetCount(), static_cast<std::int32_t>(own) + others);
    EXPECT_EQ(immunizer->GetImmunizedCount(), static_cast<std::int32_t>(own) + others);
  }
}

TEST(ProductSwitchesTest, RegisteredInAutomationAfterSilentAndClearedAtShutDown) {
  fakes::FakeWindows windows;
  windows.process.SetCommandLine({"/undo", "-setuptask", "/Apply"});
  EXPECT_EQ(CLPApply, nullptr);
  InitializeBmrConsoleHelp();
  InitializeTvqmCommandLine();

  const auto& items = CLPGroupAutomation()->Items();
  ASSERT_EQ(items.Count(), 4u);
  EXPECT_EQ(items.GetItem(0), CLPSilent);
  EXPECT_EQ(items.GetItem(1), CLPApply);
  EXPECT_EQ(items.GetItem(2), CLPUndo);
  EXPECT_EQ(items.GetItem(3), CLPSetupTask);
  EXPECT_EQ(CLPApply->Name(), "apply");
  EXPECT_EQ(CLPApply->Description(), "Applies all immunization");
  EXPECT_EQ(CLPUndo->Description(), "Removes changes, back to defaults");
  EXPECT_EQ(CLPSetupTask->Description(), "Setup Scheduled Task");
  EXPECT_FALSE(CLPApply->Present());  // "/Apply" is another switch
  EXPECT_TRUE(CLPUndo->Present());
  EXPECT_TRUE(CLPSetupTask->Present());

  FinalizeTvqmCommandLine();
  FinalizeBmrConsoleHelp();
  EXPECT_EQ(CLPApply, nullptr);
  EXPECT_EQ(CLPUndo, nullptr);
  EXPECT_EQ(CLPSetupTask, nullptr);
}

}  // namespace
