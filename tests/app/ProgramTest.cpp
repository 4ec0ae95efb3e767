#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/TolvexQuietmark.h"
#include "engine/tvqmCommandLine.h"
#include "engine/tvqmVorletsList.h"
#include "platform/bmrConsoleHelp.h"
#include "platform/bmrCredits.h"
#include "platform/bmrDebug.h"
#include "platform/bmrWindows.h"
#include "platform/rtlSysUtils.h"
#include "tests/engine/StandardRegistryValues.h"
#include "tests/fakes/FakeWindows.h"

namespace {

class ProgramTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CurrentOperatingSystems = saved_;
    // Later tests of the logger start it again themselves.
    InitializeBmrDebug();
  }
  fakes::FakeWindows windows;
  TOperatingSystems saved_ = CurrentOperatingSystems;
};

TEST_F(ProgramTest, SilentStartRunsStartUpAndShutDownAndEndsWithZero) {
  windows.process.SetCommandLine({"/silent"});
  windows.system.version = {6, 1, 7601, 2, "Service Pack 1"};

  EXPECT_EQ(RunTolvexQuietmark(), 0);

  // Start-up computed the system's versions; shut-down freed what it had built.
  EXPECT_TRUE(CurrentOperatingSystems.Contains(osWindows7));
  EXPECT_TRUE(CurrentOperatingSystems.Contains(osWinNTSeries));
  EXPECT_EQ(CLPSilent, nullptr);
  EXPECT_EQ(DebugLogger().get(), nullptr);
  EXPECT_TRUE(RegisteredCredits().empty());
  EXPECT_EQ(windows.registry.OpenHandleCount(), 0u);
}

TEST_F(ProgramTest, StartWithoutSwitchesEndsWithZero) { EXPECT_EQ(RunTolvexQuietmark(), 0); }

// What the nine values of the registry classes show after a run.
enum class Outcome { untouched, applied, removed, mixed };

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::untouched:
      return "untouched";
    case Outcome::applied:
      return "applied";
    case Outcome::removed:
      return "removed";
    default:
      return "mixed";
  }
}

constexpr std::uint32_t kForeign = 5;  // what the values hold before the run

void PresetForeignValues(fakes::FakeRegistry& registry) {
  for (const auto& row : tests::kStandardRegistryValues) registry.SetDword(row.root, row.key, row.valueName, kForeign);
}

Outcome OutcomeOf(const fakes::FakeRegistry& registry) {
  std::size_t untouched = 0, applied = 0, removed = 0;
  for (const auto& row : tests::kStandardRegistryValues) {
    const auto value = registry.GetDword(row.root, row.key, row.valueName);
    if (!value) {
      ++removed;
    } else if (*value == kForeign) {
      ++untouched;
    } else if (*value == row.value) {
      ++applied;
    }
  }
  const std::size_t all = tests::kStandardRegistryValues.size();
  if (untouched == all) return Outcome::untouched;
  if (applied == all) return Outcome::applied;
  if (removed == all) return Outcome::removed;
  return Outcome::mixed;
}

struct SwitchCase {
  std::vector<std::string> arguments;
  Outcome outcome;
};

TEST_F(ProgramTest, SwitchesChooseBetweenSilentApplyUndoAndNothing) {
  const std::vector<SwitchCase> cases = {
      {{"/silent"}, Outcome::untouched},
      {{"/silent", "/apply"}, Outcome::applied},
      {{"-silent", "-apply"}, Outcome::applied},
      {{"/silent", "/undo"}, Outcome::removed},
      {{"/apply", "/undo", "/silent"}, Outcome::removed},
      // The refresh task's own arguments; the third is no switch of the program.
      {{"/apply", "/silent", "/atlogon"}, Outcome::applied},
      {{"/setuptask", "/silent", "/apply"}, Outcome::untouched},
      // Without silent the window opens and runs Immunize once at its first show; switches in
      // other letter case are other switches.
      {{"/setuptask", "/apply"}, Outcome::applied},
      {{"/apply"}, Outcome::applied},
      {{"/SILENT", "/apply"}, Outcome::applied},
      {{"/silent", "/Apply"}, Outcome::untouched},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const auto& argument : c.arguments) line += argument + " ";
    SCOPED_TRACE(line);
    fakes::FakeWindows fresh;
    PresetForeignValues(fresh.registry);
    fresh.process.SetCommandLine(c.arguments);

    EXPECT_EQ(RunTolvexQuietmark(), 0);

    EXPECT_STREQ(OutcomeName(OutcomeOf(fresh.registry)), OutcomeName(c.outcome));
    EXPECT_EQ(fresh.registry.OpenHandleCount(), 0u);
    EXPECT_EQ(fresh.process.standardError, "");
    EXPECT_EQ(CLPApply, nullptr);
    EXPECT_TRUE(StandardImmunizations.empty());
  }
}

TEST_F(ProgramTest, SilentWalkIgnoresTheWindowsVersionAndSkipsDisabledClasses) {
  windows.system.version = {6, 1, 7601, 2, "Service Pack 1"};
  windows.registry.SetDword(os::kHKeyLocalMachine, "SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Immunisation",
                            "DisableTWindows10AdvertisingIDRegistryImmunization", 1);
  PresetForeignValues(windows.registry);
  windows.process.SetCommandLine({"/silent", "/apply"});

  EXPECT_EQ(RunTolvexQuietmark(), 0);

  for (const auto& row : tests::kStandardRegistryValues) {
    const bool disabled = std::string(row.className) == "TWindows10AdvertisingIDRegistryImmunization";
    EXPECT_EQ(windows.registry.GetDword(row.root, row.key, row.valueName), disabled ? kForeign : row.value)
        << row.valueName;
  }
}

TEST_F(ProgramTest, EveryClassDisabledMeansNothingToDo) {
  for (const auto& row : tests::kStandardRegistryValues) {
    windows.registry.SetDword(os::kHKeyLocalMachine,
                              "SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Immunisation",
                              std::string("Disable") + row.className, 1);
  }
  PresetForeignValues(windows.registry);
  windows.process.SetCommandLine({"/silent", "/undo"});

  EXPECT_EQ(RunTolvexQuietmark(), 0);
  EXPECT_STREQ(OutcomeName(OutcomeOf(windows.registry)), OutcomeName(Outcome::untouched));
}

TEST_F(ProgramTest, ExceptionInTheWalkEndsItWith217AndAReportThatNeedsNoWindow) {
  PresetForeignValues(windows.registry);
  // The AIT class fails to write; the registry classes before it are done, none after it runs.
  windows.registry.failures.Fail("RegSetValueExA", os::kErrorAccessDenied, "AITEnable");
  windows.process.SetCommandLine({"/silent", "/apply"});

  EXPECT_EQ(RunTolvexQuietmark(), 217);

  const auto& r = windows.registry;
  EXPECT_EQ(
      r.GetDword(os::kHKeyLocalMachine, "SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection", "AllowTelemetry"),
      0u);
  EXPECT_EQ(r.GetDword(os::kHKeyLocalMachine, "SOFTWARE\\Policies\\Microsoft\\SQMClient\\Windows", "CEIPEnable"), 0u);
  EXPECT_EQ(r.GetDword(os::kHKeyLocalMachine, "SOFTWARE\\Policies\\Microsoft\\Windows\\AppCompat", "AITEnable"),
            kForeign);
  EXPECT_EQ(r.GetDword(os::kHKeyLocalMachine, "SOFTWARE\\Policies\\Microsoft\\Windows\\AppCompat", "DisableUAR"),
            kForeign);
  EXPECT_EQ(r.OpenHandleCount(), 0u);

  const std::string report =
      "Exception ERegistryException in module TolvexQuietmark.exe.\r\n"
      "Failed to set data for value \"AITEnable\" (error code 5: Access is denied.)\r\n";
  EXPECT_EQ(windows.process.standardError, report);
  ASSERT_FALSE(windows.system.debugOutput.empty());
  EXPECT_EQ(windows.system.debugOutput.back(), report);
  // The modules were still shut down.
  EXPECT_EQ(CLPSilent, nullptr);
  EXPECT_TRUE(StandardImmunizations.empty());
}

// Immunizers that count their lives and can be told to raise.
int g_alive = 0;
int g_created = 0;
std::vector<std::string> g_calls;

template <int N>
class TCountedImmunization final
    : public TImmunizationClass<TCountedImmunization<N>, TCustomWindows10RegistryImmunization> {
 public:
  static constexpr const char* kClassName = "TCountedImmunization";
  static std::string GetDisplayName() { return "Counted"; }
  TCountedImmunization() {
    ++g_alive;
    ++g_created;
  }
  ~TCountedImmunization() override { --g_alive; }
  void Immunize() override {
    g_calls.push_back("Immunize " + std::to_string(N) + " alive " + std::to_string(g_alive));
    if (N == 2) throw rtl::Exception("second fails");
  }
  void Remove() override { g_calls.push_back("Remove " + std::to_string(N) + " alive " + std::to_string(g_alive)); }
};

TEST(SilentWalkTest, EachImmunizerLivesForItsOwnOperationAndARaisingOneEndsTheWalk) {
  fakes::FakeWindows windows;
  const TAWindows10ImmunizationClass saved = StandardImmunizations;
  StandardImmunizations = {ImmunizationClassOf<TCountedImmunization<1>>(),
                           ImmunizationClassOf<TCountedImmunization<2>>(),
                           ImmunizationClassOf<TCountedImmunization<3>>()};
  g_alive = g_created = 0;
  g_calls.clear();

  ProcessImmunizersSilently(1);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"Remove 1 alive 1", "Remove 2 alive 1", "Remove 3 alive 1"}));

  g_calls.clear();
  EXPECT_THROW(ProcessImmunizersSilently(0), rtl::Exception);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"Immunize 1 alive 1", "Immunize 2 alive 1"}));
  EXPECT_EQ(g_alive, 0);

  // Any other mode only creates and frees.
  g_calls.clear();
  g_created = 0;
  ProcessImmunizersSilently(7);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(g_created, 3);
  EXPECT_EQ(g_alive, 0);
  StandardImmunizations = saved;
}

TEST_F(ProgramTest, SilentApplyDisablesTheTelemetryServicesAndUndoStartsThemAgain) {
  auto& diagTrack = windows.services.Add("DiagTrack", os::kServiceRunning, os::kServiceAutoStart);
  auto& push = windows.services.Add("dmwappushservice", os::kServiceStopped, os::kServiceDemandStart);
  windows.process.SetCommandLine({"/silent", "/apply"});

  EXPECT_EQ(RunTolvexQuietmark(), 0);
  EXPECT_EQ(diagTrack.startType, os::kServiceDisabled);
  EXPECT_EQ(diagTrack.state, os::kServiceStopPending);
  EXPECT_EQ(push.startType, os::kServiceDisabled);
  EXPECT_EQ(push.state, os::kServiceStopped);

  windows.services.Settle();
  fakes::FakeProcess undo;
  undo.SetCommandLine({"/silent", "/undo"});
  {
    os::ScopedOverride<os::IProcess> process(undo);
    EXPECT_EQ(RunTolvexQuietmark(), 0);
  }
  windows.services.Settle();
  EXPECT_EQ(diagTrack.startType, os::kServiceAutoStart);
  EXPECT_EQ(diagTrack.state, os::kServiceRunning);
  EXPECT_EQ(push.startType, os::kServiceAutoStart);
  EXPECT_EQ(push.state, os::kServiceRunning);
  EXPECT_EQ(windows.services.OpenHandleCount(), 0u);
  EXPECT_EQ(undo.standardError, "");
}

}  // namespace
