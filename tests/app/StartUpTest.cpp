#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/TolvexQuietmark.h"
#include "engine/tvqmCommandLine.h"
#include "engine/tvqmVorletsList.h"
#include "platform/bmrConsoleHelp.h"
#include "platform/bmrDebug.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const std::string kImmunisationPolicy = "SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Immunisation";
const char kHosts[] = "C:\\Windows\\system32\\drivers\\etc\\hosts.";

bool HasServicesGroup() {
  auto* parameters = CommandLineParameters();
  for (std::size_t i = 0; i < parameters->Count(); ++i) {
    if (parameters->GetItem(i)->Name() == "System Service related") return true;
  }
  return false;
}

// What the program had built when a class's policy was read, and when a switch looked
// itself up on the command line.
struct Snapshot {
  std::string what;
  bool servicesGroup;
  std::size_t standardClasses;
  bool productSwitches;
};
std::vector<Snapshot> g_snapshots;

Snapshot Take(const std::string& what) {
  return {what, HasServicesGroup(), StandardImmunizations.size(), CLPApply != nullptr};
}

class SnoopingRegistry : public fakes::FakeRegistry {
 public:
  std::int32_t QueryValueEx(os::RegKey key, const std::string& valueName, std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* size) override {
    if (valueName.rfind("DisableT", 0) == 0) g_snapshots.push_back(Take(valueName));
    return fakes::FakeRegistry::QueryValueEx(key, valueName, type, data, size);
  }
};

class SnoopingProcess : public fakes::FakeProcess {
 public:
  std::vector<std::string> Arguments() override {
    g_snapshots.push_back(Take("switch"));
    return fakes::FakeProcess::Arguments();
  }
};

class WriteCountingRegistry : public fakes::FakeRegistry {
 public:
  int writes = 0;
  std::int32_t SetValueEx(os::RegKey key, const std::string& valueName, std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) override {
    // The localizer's language values, written at every start, are named after the program's
    // folder; they are no immunizer's.
    if (valueName.find('\\') == std::string::npos) ++writes;
    return fakes::FakeRegistry::SetValueEx(key, valueName, type, data, size);
  }
  std::int32_t DeleteValue(os::RegKey key, const std::string& valueName) override {
    ++writes;
    return fakes::FakeRegistry::DeleteValue(key, valueName);
  }
};

class StartUpTest : public ::testing::Test {
 protected:
  // Later tests of the logger start it again themselves.
  void TearDown() override { InitializeBmrDebug(); }
};

TEST_F(StartUpTest, TheServicesGroupComesFirstThenTheClassListsThenTheProductSwitches) {
  fakes::FakeWindows windows;
  SnoopingRegistry registry;
  SnoopingProcess process;
  const os::ScopedOverride<os::IRegistry> registryOverride(registry);
  const os::ScopedOverride<os::IProcess> processOverride(process);
  // The policy key exists, so that every class's value is looked for.
  registry.SetDword(os::kHKeyLocalMachine, kImmunisationPolicy, "DisableTNoSuchClass", 0);
  g_snapshots.clear();

  EXPECT_EQ(RunTolvexQuietmark(), 0);

  std::size_t policies = 0;
  for (const auto& s : g_snapshots) {
    SCOPED_TRACE(s.what);
    if (s.what == "switch") continue;
    ++policies;
    EXPECT_TRUE(s.servicesGroup) << "the class lists were built before the services' group";
    EXPECT_FALSE(s.productSwitches) << "the product switches were registered before the class lists";
  }
  EXPECT_GE(policies, 10u);
  // The last three switches are the product's: apply, undo, setuptask.
  ASSERT_GE(g_snapshots.size(), 3u);
  for (std::size_t i = g_snapshots.size() - 3; i < g_snapshots.size(); ++i) {
    EXPECT_EQ(g_snapshots[i].what, "switch");
    EXPECT_TRUE(g_snapshots[i].servicesGroup);
    EXPECT_GT(g_snapshots[i].standardClasses, 0u) << "a product switch was registered before the class lists";
  }
}

// Immunizers that note whether a log event was attached when they ran.
std::vector<bool> g_hadLogEvent;

class TLogCheckingImmunization final
    : public TImmunizationClass<TLogCheckingImmunization, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TLogCheckingImmunization";
  static std::string GetDisplayName() { return "Log checking"; }
  void Immunize() override { g_hadLogEvent.push_back(static_cast<bool>(OnLog)); }
  void Remove() override { g_hadLogEvent.push_back(static_cast<bool>(OnLog)); }
};

TEST_F(StartUpTest, TheSilentWalkAttachesNoLogEvent) {
  fakes::FakeWindows windows;
  const TAWindows10ImmunizationClass saved = StandardImmunizations;
  StandardImmunizations = {ImmunizationClassOf<TLogCheckingImmunization>(),
                           ImmunizationClassOf<TLogCheckingImmunization>()};
  g_hadLogEvent.clear();
  ProcessImmunizersSilently(0);
  ProcessImmunizersSilently(1);
  EXPECT_EQ(g_hadLogEvent, (std::vector<bool>{false, false, false, false}));
  StandardImmunizations = saved;
}

// The hosts immunizer comes first: a hosts file that cannot be read ends the walk before
// anything is written, with the exit code of an exception nobody caught.
TEST_F(StartUpTest, AnUnreadableHostsFileEndsTheSilentWalkWith217AndWritesNothing) {
  for (const bool undo : {false, true}) {
    SCOPED_TRACE(undo ? "undo" : "apply");
    fakes::FakeWindows windows;
    windows.files.SetFile(kHosts, "127.0.0.1 localhost\r\n");
    windows.files.failures.Fail("ReadFile", os::kErrorFileSharingViolation, "hosts");
    windows.process.SetCommandLine({"/silent", undo ? "/undo" : "/apply"});
    WriteCountingRegistry registry;
    const os::ScopedOverride<os::IRegistry> registryOverride(registry);

    EXPECT_EQ(RunTolvexQuietmark(), 217);

    EXPECT_EQ(windows.files.Content(kHosts), "127.0.0.1 localhost\r\n");
    EXPECT_EQ(windows.files.Paths(), (std::vector<std::string>{kHosts}));
    for (const auto& call : windows.files.calls) {
      for (const char* write : {"WriteFile", "CopyFileW", "MoveFileExW", "SetFileAttributesW", "DeleteFileW"}) {
        EXPECT_NE(call.rfind(write, 0), 0u) << call;
      }
    }
    EXPECT_EQ(registry.writes, 0);
    EXPECT_TRUE(windows.services.CallsOf("ChangeServiceConfigW").empty());
    EXPECT_TRUE(windows.services.CallsOf("ControlService").empty());
    EXPECT_NE(windows.process.standardError.find("EFOpenError"), std::string::npos) << windows.process.standardError;
  }
}

}  // namespace
