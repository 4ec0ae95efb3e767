#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/bmrConsoleHelp.h"
#include "platform/bmrServices.h"
#include "tests/fakes/FakeWindows.h"

namespace {

constexpr std::uint32_t kUntouched = 0xDEADBEEF;

class ServicesTest : public ::testing::Test {
 protected:
  // Every call closed what it opened, the service before the manager.
  void ExpectHandlesClosedServiceFirst() {
    EXPECT_EQ(windows.services.OpenHandleCount(), 0u);
    const auto& calls = windows.services.calls;
    ASSERT_GE(calls.size(), 2u);
    const auto& last = calls[calls.size() - 1];
    const auto& beforeLast = calls[calls.size() - 2];
    EXPECT_EQ(beforeLast.call, "CloseServiceHandle");
    EXPECT_EQ(beforeLast.subject, "Svc");
    EXPECT_EQ(last.call, "CloseServiceHandle");
    EXPECT_EQ(last.subject, "");
  }
  std::size_t Sent(const std::string& call) { return windows.services.CallsOf(call).size(); }

  fakes::FakeWindows windows;
};

// What each function does with a service in each state. Start and stop requests are accepted
// or refused as Windows does: a pending service takes no stop control (1061), a service that
// is not stopped takes no start (1056).
struct StateRow {
  std::uint32_t state;
  bool running;
  bool startResult;
  std::uint32_t startError;
  bool startSent;
  bool stopResult;
  std::uint32_t stopError;
  bool stopSent;
};

TEST_F(ServicesTest, EachFunctionAgainstEveryServiceState) {
  const std::vector<StateRow> rows = {
      {os::kServiceStopped, false, true, 0, true, true, 0, false},
      {os::kServiceStartPending, false, false, 0, false, false, 1061, true},
      {os::kServiceStopPending, false, false, 1056, true, true, 0, false},
      {os::kServiceRunning, true, true, 0, false, true, 0, true},
      {os::kServiceContinuePending, false, false, 0, false, false, 1061, true},
      {os::kServicePausePending, false, false, 1056, true, false, 1061, true},
      {os::kServicePaused, false, false, 1056, true, true, 0, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE("state " + std::to_string(row.state));
    windows.services.calls.clear();
    windows.services.Add("Svc", row.state, os::kServiceDemandStart);

    std::uint32_t error = kUntouched;
    EXPECT_EQ(bmrServiceRunning("Svc", error), row.running);
    EXPECT_EQ(error, kUntouched) << "nothing failed, so Error stays as it was";
    ExpectHandlesClosedServiceFirst();

    EXPECT_EQ(bmrServiceStart("Svc", error), row.startResult);
    EXPECT_EQ(error, row.startError);
    EXPECT_EQ(Sent("StartServiceW"), row.startSent ? 1u : 0u);
    ExpectHandlesClosedServiceFirst();

    windows.services.Add("Svc", row.state, os::kServiceDemandStart);
    windows.services.calls.clear();
    EXPECT_EQ(bmrServiceStop("Svc", error), row.stopResult);
    EXPECT_EQ(error, row.stopError);
    EXPECT_EQ(Sent("ControlService"), row.stopSent ? 1u : 0u);
    ExpectHandlesClosedServiceFirst();
  }
}

TEST_F(ServicesTest, RequestsAreSentWithoutWaitingAndOpenWithTheirOwnRights) {
  windows.services.Add("Svc", os::kServiceRunning, os::kServiceAutoStart);
  std::uint32_t error = kUntouched;
  EXPECT_TRUE(bmrServiceStop("Svc", error));
  EXPECT_EQ(windows.services.Find("Svc")->state, os::kServiceStopPending) << "answers before the service stopped";
  windows.services.Settle();
  EXPECT_TRUE(bmrServiceStart("Svc", error));
  EXPECT_EQ(windows.services.Find("Svc")->state, os::kServiceStartPending);
  TServiceConfig config;
  EXPECT_TRUE(bmrServiceConfig("Svc", config, error));
  EXPECT_TRUE(bmrServiceChangeConfig("Svc", config, error));
  bmrServiceRunning("Svc");

  for (const auto& call : windows.services.CallsOf("OpenSCManagerA")) {
    EXPECT_EQ(call.value, os::kGenericRead);
    EXPECT_EQ(call.subject, "") << "the local machine";
  }
  std::vector<std::uint32_t> rights;
  for (const auto& call : windows.services.CallsOf("OpenServiceW")) rights.push_back(call.value);
  EXPECT_EQ(rights, (std::vector<std::uint32_t>{0x24, 0x14, 0x01, 0x02, 0x04}));
  EXPECT_EQ(windows.services.OpenHandleCount(), 0u);
}

TEST_F(ServicesTest, AMissingServiceGives1060AndOnlyStopCallsThatDone) {
  std::uint32_t error = kUntouched;
  EXPECT_FALSE(bmrServiceRunning("Svc", error));
  EXPECT_EQ(error, 1060u);
  EXPECT_FALSE(bmrServiceRunning("Svc"));

  TServiceConfig config;
  config.serviceType = 7;
  config.startType = 3;
  config.binaryPathName = "left over";
  error = kUntouched;
  EXPECT_FALSE(bmrServiceConfig("Svc", config, error));
  EXPECT_EQ(error, 1060u);
  EXPECT_EQ(config.serviceType, 0u);
  EXPECT_EQ(config.startType, 0u);
  EXPECT_EQ(config.binaryPathName, "");

  config.startType = os::kServiceDisabled;
  EXPECT_FALSE(bmrServiceChangeConfig("Svc", config, error));
  EXPECT_EQ(error, 1060u);
  EXPECT_FALSE(bmrServiceStart("Svc", error));
  EXPECT_EQ(error, 1060u);
  error = kUntouched;
  EXPECT_TRUE(bmrServiceStop("Svc", error)) << "there is nothing to stop";
  EXPECT_EQ(error, 1060u);
  EXPECT_EQ(windows.services.OpenHandleCount(), 0u);
}

TEST_F(ServicesTest, ARefusedOpenIsAFailedStopNotAStoppedService) {
  auto& service = windows.services.Add("Svc", os::kServiceRunning, os::kServiceAutoStart);
  service.grantedAccess = os::kServiceQueryStatus | os::kServiceQueryConfig;
  std::uint32_t error = 0;
  EXPECT_FALSE(bmrServiceStop("Svc", error));
  EXPECT_EQ(error, 5u);
  EXPECT_EQ(Sent("ControlService"), 0u);
  EXPECT_EQ(service.state, os::kServiceRunning);

  // Without the manager nothing can be opened: every function fails with its code.
  windows.services.failures.Fail("OpenSCManagerA", 5);
  EXPECT_FALSE(bmrServiceStop("Svc", error));
  EXPECT_EQ(error, 5u);
  EXPECT_FALSE(bmrServiceStart("Svc", error));
  EXPECT_EQ(error, 5u);
  TServiceConfig config;
  EXPECT_FALSE(bmrServiceConfig("Svc", config, error));
  EXPECT_EQ(error, 5u);
  EXPECT_EQ(Sent("OpenServiceW"), 1u) << "no service is opened without a manager";
  EXPECT_EQ(windows.services.OpenHandleCount(), 0u);
}

TEST_F(ServicesTest, ConfigReadsOnlyTheNumbersInTwoCalls) {
  auto& service = windows.services.Add("Svc", os::kServiceStopped, os::kServiceDisabled);
  service.serviceType = os::kServiceWin32ShareProcess;
  service.errorControl = os::kServiceErrorIgnore;
  TServiceConfig config;
  config.tagId = 9;
  std::uint32_t error = kUntouched;
  ASSERT_TRUE(bmrServiceConfig("Svc", config, error));
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(config.serviceType, os::kServiceWin32ShareProcess);
  EXPECT_EQ(config.startType, os::kServiceDisabled);
  EXPECT_EQ(config.errorControl, os::kServiceErrorIgnore);
  EXPECT_EQ(config.binaryPathName, "");
  EXPECT_EQ(config.displayName, "");
  EXPECT_EQ(config.tagId, 0u);
  const auto reads = windows.services.CallsOf("QueryServiceConfigW");
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0].value, 0u) << "the first call only asks for the size";
  EXPECT_GT(reads[1].value, 36u);
  EXPECT_TRUE(reads[1].succeeded);
}

TEST_F(ServicesTest, ChangeConfigSetsOnlyTheStartType) {
  auto& service = windows.services.Add("Svc", os::kServiceStopped, os::kServiceDemandStart);
  const std::string path = service.binaryPathName;
  TServiceConfig config;
  config.serviceType = os::kServiceWin32ShareProcess;
  config.startType = os::kServiceDisabled;
  config.errorControl = os::kServiceErrorIgnore;
  config.binaryPathName = "C:\\evil.exe";
  config.displayName = "Renamed";
  std::uint32_t error = kUntouched;
  ASSERT_TRUE(bmrServiceChangeConfig("Svc", config, error));
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(service.startType, os::kServiceDisabled);
  EXPECT_EQ(service.serviceType, os::kServiceWin32OwnProcess);
  EXPECT_EQ(service.errorControl, os::kServiceErrorNormal);
  EXPECT_EQ(service.binaryPathName, path);
  EXPECT_EQ(service.displayName, "Svc");

  // Without the right to change it, nothing changes.
  service.grantedAccess = os::kServiceQueryConfig | os::kServiceQueryStatus;
  config.startType = os::kServiceAutoStart;
  EXPECT_FALSE(bmrServiceChangeConfig("Svc", config, error));
  EXPECT_EQ(error, 5u);
  EXPECT_EQ(service.startType, os::kServiceDisabled);
}

// A failed call of the step itself gives false and that call's code.
struct FailureRow {
  const char* call;
  std::uint32_t code;
  const char* function;
};

TEST_F(ServicesTest, AFailedStepGivesFalseWithItsCode) {
  const std::vector<FailureRow> rows = {
      {"OpenServiceW", 1072, "running"},       {"QueryServiceStatus", 6, "running"},
      {"QueryServiceConfigW", 1072, "config"}, {"ChangeServiceConfigW", 1072, "change"},
      {"QueryServiceStatus", 6, "start"},      {"StartServiceW", 1058, "start"},
      {"QueryServiceStatus", 6, "stop"},       {"ControlService", 1051, "stop"},
      {"OpenServiceW", 1072, "stop"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.function) + " / " + row.call);
    fakes::FakeWindows fresh;
    fresh.services.Add("Svc", os::kServiceRunning, os::kServiceAutoStart);
    if (std::string(row.function) == "start") fresh.services.Find("Svc")->state = os::kServiceStopped;
    fresh.services.failures.Fail(row.call, row.code, "Svc");
    std::uint32_t error = 0;
    TServiceConfig config;
    const std::string function = row.function;
    bool result = true;
    if (function == "running") result = bmrServiceRunning("Svc", error);
    if (function == "config") result = bmrServiceConfig("Svc", config, error);
    if (function == "change") result = bmrServiceChangeConfig("Svc", config, error);
    if (function == "start") result = bmrServiceStart("Svc", error);
    if (function == "stop") result = bmrServiceStop("Svc", error);
    EXPECT_FALSE(result);
    EXPECT_EQ(error, row.code);
    EXPECT_EQ(fresh.services.OpenHandleCount(), 0u);
  }
}

TEST(ServicesStartUpTest, AddsTheServiceGroupThatTheHelpNeverShows) {
  fakes::FakeWindows windows;
  InitializeBmrConsoleHelp();
  std::vector<std::string> before;
  CommandLineParameters()->AddHelpLines(before);
  InitializeBmrServices();

  auto* parameters = CommandLineParameters();
  ASSERT_EQ(parameters->Count(), 3u);
  const TCLPGroup* group = parameters->GetItem(2);
  EXPECT_EQ(group->Name(), "System Service related");
  EXPECT_EQ(group->Description(), "");
  EXPECT_EQ(group->Kind(), 2);
  EXPECT_EQ(group->Items().Count(), 0u);
  std::vector<std::string> after;
  parameters->AddHelpLines(after);
  EXPECT_EQ(after, before);
  FinalizeBmrConsoleHelp();
}

}  // namespace
