#include "app/TolvexQuietmark.h"

#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/FormUnitQuietmarkMain.h"
#include "app/bmrConsoleHelpUIWinAPI.h"
#include "app/bmrLocalizer.h"
#include "app/bmrUIDlgAbout.h"
#include "app/bmrUIWindows7.h"
#include "app/bmrUIWindowsXP.h"
#include "app/ui/Toolkit.h"
#include "engine/tvqmCommandLine.h"
#include "engine/tvqmScheduledTask.h"
#include "engine/tvqmVorletsList.h"
#include "platform/bmrAPIWindowsFirewall.h"
#include "platform/bmrConsoleHelp.h"
#include "platform/bmrCredits.h"
#include "platform/bmrDebug.h"
#include "platform/bmrDebugConsts.h"
#include "platform/bmrFFHosts.h"
#include "platform/bmrFilesPaths.h"
#include "platform/bmrRegistry.h"
#include "platform/bmrServices.h"
#include "platform/bmrWindows.h"
#include "platform/os/Process.h"
#include "platform/os/System.h"
#include "platform/rtlTranslations.h"
#include "platform/rtlSysUtils.h"

namespace {

struct ModuleStep {
  void (*initialize)();
  void (*finalize)();
};

// The modules' start-up work, in the order it must run; shut-down runs backwards.
const std::vector<ModuleStep>& ModuleSteps() {
  static const std::vector<ModuleStep> steps = {
      // The help window class and the localizer come before the switch groups.
      {InitializeBmrConsoleHelpUIWinAPI, FinalizeBmrConsoleHelpUIWinAPI},
      {InitializeBmrLocalizer, FinalizeBmrLocalizer},
      // The catalog of the chosen language, before any text is read.
      {rtl::InitializeRtlTranslations, rtl::FinalizeRtlTranslations},
      {InitializeBmrConsoleHelp, FinalizeBmrConsoleHelp},
      {InitializeBmrWindows, nullptr},
      {InitializeBmrDebugConsts, FinalizeBmrDebugConsts},
      {InitializeBmrDebug, FinalizeBmrDebug},
      {InitializeBmrCredits, FinalizeBmrCredits},
      // What the exe contains whose licence asks for its notice.
      {RegisterRuntimeCredits, nullptr},
      {InitializeBmrRegistryTypes, nullptr},
      {InitializeBmrRegistry, nullptr},
      {InitializeBmrSecurity, nullptr},
      {InitializeBmrRegCache, FinalizeBmrRegCache},
      {InitializeBmrFFHosts, nullptr},
      // COM for the main thread; the firewall access it frees at shut-down needs it.
      {InitializeBmrAPIWindowsFirewall, FinalizeBmrAPIWindowsFirewall},
      {InitializeBmrServices, nullptr},
      {InitializeTvqmVorletsList, FinalizeTvqmVorletsList},
      {InitializeTvqmCommandLine, FinalizeTvqmCommandLine},
      {InitializeBmrFilesPaths, FinalizeBmrFilesPaths},
      // The form bases, the about dialog and the main window.
      {InitializeBmrUIWindowsXP, FinalizeBmrUIWindowsXP},
      {InitializeBmrUIWindows7, FinalizeBmrUIWindows7},
      {InitializeBmrUIDlgAbout, FinalizeBmrUIDlgAbout},
      {InitializeFormUnitQuietmarkMain, nullptr},
  };
  return steps;
}

}  // namespace

void ModuleLifetime::Start() {
  for (const auto& step : ModuleSteps()) {
    if (step.initialize) step.initialize();
    ++started_;
  }
}

void ModuleLifetime::Stop() {
  const auto& steps = ModuleSteps();
  while (started_ > 0) {
    --started_;
    if (steps[started_].finalize) steps[started_].finalize();
  }
}

namespace {

constexpr int kExitUnhandledException = 217;

constexpr int kModeApply = 0;
constexpr int kModeUndo = 1;

bool IsPresent(const TCommandLineParameterItem* item) { return item != nullptr && item->Present(); }

std::string ModuleName() {
  const std::string path = os::Process().ModuleFileName();
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What the program says about an exception nobody caught before it ends with 217. The silent
// mode runs unattended (also as the boot-time task of the SYSTEM account), so the report goes
// to the debugger output and to standard error, never into a window nobody could close. The
// windowed program shows the window toolkit's message box.
void ReportUnhandledException(const std::string& className, const std::string& message) {
  if (!CommandLineHasSwitch("silent")) {
    ui::Application::Instance().HandleException(std::runtime_error(message));
    return;
  }
  const std::string report =
      rtl::Format("Exception %s in module %s.\r\n%s\r\n", {className, ModuleName(), message});
  os::System().DebugOutput(report);
  os::Process().WriteStandardError(report);
}

// Runs one stage of the program; an exception is reported and gives the exit code 217.
template <class Stage>
bool RunReported(Stage stage) {
  try {
    stage();
    return true;
  } catch (const std::exception& error) {
    ReportUnhandledException(rtl::ExceptionClassName(error), error.what());
  } catch (...) {
    ReportUnhandledException("(unknown)", "An exception of an unknown type was raised.");
  }
  return false;
}

// The running program's modules, for a halt from inside the message loop.
ModuleLifetime* g_runningModules = nullptr;

// Ends the program at once: the modules' shut-down, then the process ends with exitCode.
void HaltProgram(int exitCode) {
  if (g_runningModules != nullptr && !RunReported([] { g_runningModules->Stop(); })) {
    exitCode = kExitUnhandledException;
  }
  std::exit(exitCode);
}

}  // namespace

void ProcessImmunizersSilently(int mode) {
  // No log event is attached: the walk shows nothing. Each immunizer exists only for its own
  // operation and is freed before the next is created, also when its operation raised.
  for (const TWindows10ImmunizationClass& immunizerClass : StandardImmunizations) {
    const auto immunizer = immunizerClass.Create();
    if (mode == kModeApply) {
      immunizer->Immunize();
    } else if (mode == kModeUndo) {
      immunizer->Remove();
    }
  }
}

void MainProgram() {
  // The windows build their layouts in code; there is nothing stored to configure.
  ui::Application& application = ui::Application::Instance();
  application.SetTitle("Tolvex Quietmark");
  application.SetIconResource("MAINICON");
  if (IsPresent(CLPSetupTask)) {
    SetupScheduledTask();
    if (IsPresent(CLPSilent)) return;
  }
  if (!IsPresent(CLPSilent)) {
    application.Initialize();
    FormTolvexQuietmark = &application.CreateForm<TFormTolvexQuietmark>();
    application.Run();
    FormTolvexQuietmark = nullptr;
    return;
  }
  if (IsPresent(CLPUndo)) {
    ProcessImmunizersSilently(kModeUndo);
  } else if (IsPresent(CLPApply)) {
    ProcessImmunizersSilently(kModeApply);
  }
}

int RunTolvexQuietmark() {
  ModuleLifetime modules;
  g_runningModules = &modules;
  SetHelpWindowHaltHandler(HaltProgram);
  int exitCode = 0;
  if (!RunReported([&] {
        modules.Start();
        MainProgram();
      })) {
    exitCode = kExitUnhandledException;
  }
  if (!RunReported([&] { modules.Stop(); })) exitCode = kExitUnhandledException;
  SetHelpWindowHaltHandler(nullptr);
  g_runningModules = nullptr;
  return exitCode;
}
