#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tvqmVorletsBaseServices.h"
#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"
#include "platform/rtlSysUtils.h"
#include "tests/fakes/DebugEntryRecorder.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const os::RegKey HKLM = os::kHKeyLocalMachine;
const std::string kServicesKey = "SYSTEM\\CurrentControlSet\\Services\\";

// A service immunizer whose services the test chooses.
class TTestServicesImmunization final
    : public TImmunizationClass<TTestServicesImmunization, TCustomWindowsServicesImmunization> {
 public:
  static constexpr const char* kClassName = "TTestServicesImmunization";
  static std::string GetDisplayName() { return "Test"; }
  TServiceSettings settings;
  TServiceSettings GetServiceSettings() override { return settings; }
};

struct Message {
  TImmunizationLogLevel level;
  std::string text;
  bool operator==(const Message&) const = default;
};

void PrintTo(const Message& m, std::ostream* os) { *os << int(m.level) << ": " << m.text; }

class ServiceImmunizationTest : public ::testing::Test {
 protected:
  ServiceImmunizationTest() {
    immunizer.OnLog = [this](TWindows10Immunization&, TImmunizationLogLevel level, const std::string& msg) {
      messages.push_back({level, msg});
    };
    windows.system.messages[1051] =
        "A stop control has been sent to a service that other running services are dependent on.\r\n";
    windows.system.messages[1058] =
        "The service cannot be started, either because it is disabled or because it has no enabled devices "
        "associated with it.\r\n";
  }
  void Use(std::vector<std::string> names) {
    for (const auto& name : names) immunizer.settings.push_back({name, "", ""});
  }

  fakes::FakeWindows windows;
  TTestServicesImmunization immunizer;
  std::vector<Message> messages;
};

const std::string kMissingRead =
    "Unable to read status for service \"Gone\" (error 1060: The specified service does not exist as an installed "
    "service.).";

TEST_F(ServiceImmunizationTest, AMissingServiceCountsAsInPlaceAndIsReportedAtEveryStep) {
  Use({"Gone"});
  EXPECT_EQ(immunizer.GetCount(), 1);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 1);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 1);
  EXPECT_EQ(messages, (std::vector<Message>{{ilInformation, kMissingRead}, {ilInformation, kMissingRead}}));

  messages.clear();
  immunizer.Immunize();
  EXPECT_EQ(messages, (std::vector<Message>{{ilInformation, kMissingRead}}));
  EXPECT_TRUE(windows.services.CallsOf("ChangeServiceConfigW").empty());
  EXPECT_FALSE(windows.registry.KeyExists(HKLM, kServicesKey + "Gone"));

  messages.clear();
  immunizer.Remove();
  EXPECT_EQ(messages, (std::vector<Message>{
                          {ilInformation, kMissingRead},
                          {ilInformation,
                           "Unable to start service \"Gone\" (error 1060: The specified service does not exist as an "
                           "installed service.)."},
                      }));
  EXPECT_FALSE(windows.registry.KeyExists(HKLM, kServicesKey + "Gone"));
  EXPECT_EQ(windows.services.OpenHandleCount(), 0u);
}

TEST_F(ServiceImmunizationTest, ApplyStopsAndDisablesUndoEnablesAndStarts) {
  Use({"Alpha", "Beta"});
  auto& alpha = windows.services.Add("Alpha", os::kServiceRunning, os::kServiceAutoStart);
  auto& beta = windows.services.Add("Beta", os::kServiceStopped, os::kServiceDemandStart);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);

  immunizer.Immunize();
  EXPECT_EQ(alpha.state, os::kServiceStopPending) << "the kind does not wait";
  EXPECT_EQ(alpha.startType, os::kServiceDisabled);
  EXPECT_EQ(beta.startType, os::kServiceDisabled);
  EXPECT_EQ(windows.services.CallsOf("ControlService").size(), 1u) << "only the running one is stopped";
  EXPECT_EQ(immunizer.GetImmunizedCount(), 2) << "a stopping service counts as in place";

  windows.services.Settle();
  immunizer.Remove();
  EXPECT_EQ(alpha.startType, os::kServiceAutoStart);
  EXPECT_EQ(beta.startType, os::kServiceAutoStart) << "manual before apply, automatic after undo";
  windows.services.Settle();
  EXPECT_EQ(alpha.state, os::kServiceRunning);
  EXPECT_EQ(beta.state, os::kServiceRunning);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(windows.registry.KeyExists(HKLM, kServicesKey + "Alpha")) << "no fallback was needed";
  EXPECT_EQ(windows.services.OpenHandleCount(), 0u);
}

TEST_F(ServiceImmunizationTest, ADisabledServiceThatStillRunsIsNotInPlace) {
  Use({"Alpha"});
  windows.services.Add("Alpha", os::kServiceRunning, os::kServiceDisabled);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
  windows.services.Find("Alpha")->state = os::kServiceStopped;
  windows.services.Find("Alpha")->startType = os::kServiceDemandStart;
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
}

TEST_F(ServiceImmunizationTest, ARefusedChangeIsWrittenToTheRegistryWithoutAMessage) {
  Use({"Alpha"});
  auto& alpha = windows.services.Add("Alpha", os::kServiceStopped, os::kServiceAutoStart);
  windows.services.failures.Fail("ChangeServiceConfigW", 5, "Alpha");

  immunizer.Immunize();
  EXPECT_EQ(windows.registry.GetDword(HKLM, kServicesKey + "Alpha", "Start"), 4u);
  immunizer.Remove();
  EXPECT_EQ(windows.registry.GetDword(HKLM, kServicesKey + "Alpha", "Start"), 2u);
  EXPECT_EQ(alpha.startType, os::kServiceAutoStart) << "the manager itself never changed it";
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(windows.registry.OpenHandleCount(), 0u);
}

TEST_F(ServiceImmunizationTest, AFallbackThatFailsIsReportedAtLevelOneAndTheNextServiceFollows) {
  Use({"Alpha", "Beta"});
  windows.services.Add("Alpha", os::kServiceStopped, os::kServiceAutoStart);
  auto& beta = windows.services.Add("Beta", os::kServiceStopped, os::kServiceAutoStart);
  windows.services.failures.Fail("ChangeServiceConfigW", 1072, "Alpha");
  windows.registry.failures.Fail("RegSetValueExA", 5, "Alpha");
  windows.system.messages[1072] = "The specified service has been marked for deletion.\r\n";

  immunizer.Immunize();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0],
            (Message{ilError,
                     "Unable to set new status for service \"Alpha\" (error 1072: The specified service has been "
                     "marked for deletion.)."}));
  EXPECT_EQ(messages[1].level, ilError);
  EXPECT_EQ(messages[1].text.rfind("Unable to set new status for service \"Alpha\" via registry (exception ", 0), 0u)
      << messages[1].text;
  EXPECT_NE(messages[1].text.find("Start"), std::string::npos) << "the error's own message names the value";
  EXPECT_EQ(beta.startType, os::kServiceDisabled);
  EXPECT_EQ(windows.registry.OpenHandleCount(), 0u);
}

TEST_F(ServiceImmunizationTest, AFallbackKeyThatCannotBeOpenedLeavesTheStartTypeUnreported) {
  Use({"Alpha"});
  auto& alpha = windows.services.Add("Alpha", os::kServiceStopped, os::kServiceAutoStart);
  windows.services.failures.Fail("ChangeServiceConfigW", 5);
  windows.registry.failures.Fail("RegCreateKeyExA", 5, "Alpha");

  immunizer.Immunize();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(alpha.startType, os::kServiceAutoStart);
  EXPECT_FALSE(windows.registry.KeyExists(HKLM, kServicesKey + "Alpha"));
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0) << "the count still shows it";
}

TEST_F(ServiceImmunizationTest, StopAndStartFailuresAreLevelTwoAndTheStepsGoOn) {
  Use({"Alpha"});
  auto& alpha = windows.services.Add("Alpha", os::kServiceRunning, os::kServiceAutoStart);
  windows.services.failures.Fail("ControlService", 1051, "Alpha");
  immunizer.Immunize();
  EXPECT_EQ(messages, (std::vector<Message>{{ilInformation,
                                             "Unable to stop service \"Alpha\" (error 1051: A stop control has been "
                                             "sent to a service that other running services are dependent on.)."}}));
  EXPECT_EQ(alpha.startType, os::kServiceDisabled) << "the start type is set all the same";

  // A stop that may not be sent at all is a failed stop too.
  messages.clear();
  windows.services.failures.Clear();
  alpha.grantedAccess = os::kServiceAllAccess & ~os::kServiceStop;
  immunizer.Immunize();
  EXPECT_EQ(messages,
            (std::vector<Message>{{ilInformation, "Unable to stop service \"Alpha\" (error 5: Access is denied.)."}}));
  EXPECT_EQ(alpha.state, os::kServiceRunning);

  messages.clear();
  alpha.grantedAccess = os::kServiceAllAccess;
  alpha.state = os::kServiceStopped;
  windows.services.failures.Fail("StartServiceW", 1058, "Alpha");
  immunizer.Remove();
  EXPECT_EQ(alpha.startType, os::kServiceAutoStart);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].level, ilInformation);
  EXPECT_EQ(messages[0].text.rfind("Unable to start service \"Alpha\" (error 1058: The service cannot be started", 0),
            0u);
}

TEST_F(ServiceImmunizationTest, AnUnreadableConfigurationEndsApplyButUndoStillStarts) {
  Use({"Alpha"});
  auto& alpha = windows.services.Add("Alpha", os::kServiceStopped, os::kServiceDemandStart);
  windows.services.failures.Fail("QueryServiceConfigW", 5, "Alpha");
  const Message denied{ilInformation, "Unable to read status for service \"Alpha\" (error 5: Access is denied.)."};

  immunizer.Immunize();
  EXPECT_EQ(alpha.startType, os::kServiceDemandStart);
  immunizer.Remove();
  EXPECT_EQ(alpha.state, os::kServiceStartPending);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 1) << "not running and unreadable counts as in place";
  windows.services.Settle();
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0) << "once it runs it is not";
  EXPECT_EQ(messages, (std::vector<Message>{denied, denied, denied, denied}));
}

// --- details ---------------------------------------------------------------------------------

const std::string kDiagTrackDll = "C:\\Windows\\system32\\diagtrack.dll";

class ServiceDetailsTest : public ServiceImmunizationTest {
 protected:
  ServiceDetailsTest() {
    windows.library.AddModule(kDiagTrackDll, {{3001, "Connected User Experiences and Telemetry"}, {3002, "Sends"}});
  }
};

TEST_F(ServiceDetailsTest, LinesForIndirectPlainAndEmptyDisplayNames) {
  immunizer.settings = {
      {"DiagTrack", "@%SystemRoot%\\system32\\diagtrack.dll,-3001", "@%SystemRoot%\\system32\\diagtrack.dll,-3002"},
      {"Plain", "Plain Service", ""},
      {"Bare", "", ""},
      {"Lacking", "@%SystemRoot%\\system32\\diagtrack.dll,-3999", ""},
  };
  EXPECT_EQ(immunizer.GetDetailsText(),
            "Service: Connected User Experiences and Telemetry (DiagTrack)\r\n"
            "Service: Plain Service (Plain)\r\n"
            "Service: Bare\r\n"
            "Service:  (Lacking)");
  ASSERT_EQ(windows.library.loads.size(), 2u);
  EXPECT_EQ(windows.library.loads[0], (std::pair<std::string, std::uint32_t>{kDiagTrackDll, 2u}))
      << "expanded, and loaded as a data file";
  EXPECT_EQ(windows.library.LoadedCount(), 0u);
  EXPECT_TRUE(windows.services.calls.empty()) << "the details ask no service";

  immunizer.settings.clear();
  EXPECT_EQ(immunizer.GetDetailsText(), "");
}

TEST_F(ServiceDetailsTest, SolveLibraryResolvesOnlyWellFormedReferences) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Plain text", "Plain text"},
      {"", ""},
      {"@C:\\Windows\\system32\\diagtrack.dll,-3001", "Connected User Experiences and Telemetry"},
      {"@%systemroot%\\system32\\diagtrack.dll,3002", "Sends"},
      {"@%SystemRoot%\\system32\\diagtrack.dll", ""},
      {"@%SystemRoot%\\system32\\diagtrack.dll,", ""},
      {"@%SystemRoot%\\system32\\diagtrack.dll,-30x1", ""},
      {"@%SystemRoot%\\system32\\diagtrack.dll,0", ""},
      // String numbers have 16 bits; 68537 would be read as 3001.
      {"@%SystemRoot%\\system32\\diagtrack.dll,-68537", ""},
      // Numbers beyond the 32-bit range are refused, also where 64 bits would wrap to 3001.
      {"@%SystemRoot%\\system32\\diagtrack.dll,4294970297", ""},
      {"@%SystemRoot%\\system32\\diagtrack.dll,-18446744073709554617", ""},
      {"@%SystemRoot%\\system32\\missing.dll,-3001", ""},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(TServiceSetting::SolveLibrary(text), expected) << text;
  }
  EXPECT_EQ(windows.library.LoadedCount(), 0u);
}

// A library whose string lookup raises.
class ThrowingLibrary : public fakes::FakeLibrary {
 public:
  std::int32_t LoadStringText(os::ModuleHandle, std::uint32_t, std::string&, std::int32_t) override {
    throw rtl::Exception("resource section damaged");
  }
};

TEST_F(ServiceDetailsTest, AnErrorWhileResolvingIsLoggedAtLevelFiveAndGivesEmptyText) {
  fakes::DebugEntryRecorder log;
  ThrowingLibrary library;
  library.AddModule(kDiagTrackDll, {{3001, "never read"}});
  os::ScopedOverride<os::ILibrary> override(library);

  TServiceSetting setting{"DiagTrack", "@%SystemRoot%\\system32\\diagtrack.dll,-3001", ""};
  EXPECT_EQ(setting.DetailsText(), "Service:  (DiagTrack)");
  EXPECT_EQ(library.LoadedCount(), 0u) << "unloaded also when the lookup raised";
  ASSERT_EQ(log.Entries().size(), 1u);
  EXPECT_EQ(log.Entries()[0].kind, dekError);
  EXPECT_EQ(log.Entries()[0].senderClass, "Exception");
  EXPECT_NE(log.Entries()[0].message.find("TServiceSetting.DetailsText#SolveLibrary"), std::string::npos)
      << log.Entries()[0].message;
}

// --- the telemetry services class -------------------------------------------------------------

TEST_F(ServiceDetailsTest, TelemetryServicesNameTheirDisplayTextsOnlyOnWindows10) {
  windows.library.AddModule("C:\\Windows\\system32\\dmwappushsvc.dll", {{200, "Device Management Push"}});
  TWindows10TelemetryServicesImmunization telemetry;
  EXPECT_EQ(TWindows10TelemetryServicesImmunization::GetDisplayName(), "Telemetry Services");
  EXPECT_EQ(ImmunizationClassOf<TWindows10TelemetryServicesImmunization>().SupportedWindowsVersions(),
            TOperatingSystems{osWindows10});
  const auto settings = telemetry.GetServiceSettings();
  ASSERT_EQ(settings.size(), 2u);
  EXPECT_EQ(settings[0].Name, "DiagTrack");
  EXPECT_EQ(settings[0].Description, "@%SystemRoot%\\system32\\diagtrack.dll,-3002");
  EXPECT_EQ(settings[1].Name, "dmwappushservice");
  EXPECT_EQ(settings[1].DisplayName, "@%SystemRoot%\\system32\\dmwappushsvc.dll,-200");
  EXPECT_EQ(settings[1].Description, "@%SystemRoot%\\system32\\dmwappushsvc.dll,-201");
  EXPECT_EQ(telemetry.GetDetailsText(),
            "Service: Connected User Experiences and Telemetry (DiagTrack)\r\n"
            "Service: Device Management Push (dmwappushservice)");

  windows.system.version = {6, 3, 9600, 2, ""};
  for (const auto& setting : telemetry.GetServiceSettings()) {
    EXPECT_EQ(setting.DisplayName, "");
    EXPECT_EQ(setting.Description, "");
  }
  EXPECT_EQ(telemetry.GetDetailsText(), "Service: DiagTrack\r\nService: dmwappushservice");
}

}  // namespace
