#include "app/TolvexQuietmark.h"

#include <exception>
#include <vector>

#include "platform/bmrConsoleHelp.h"
#include "platform/bmrCredits.h"
#include "platform/bmrDebug.h"
#include "platform/bmrDebugConsts.h"
#include "platform/bmrRegistry.h"
#include "platform/bmrWindows.h"

namespace {

struct ModuleStep {
  void (*initialize)();
  void (*finalize)();
};

// The modules' start-up work, in the order it must run; shut-down runs backwards.
const std::vector<ModuleStep>& ModuleSteps() {
  static const std::vector<ModuleStep> steps = {
      {InitializeBmrConsoleHelp, FinalizeBmrConsoleHelp},
      {InitializeBmrWindows, nullptr},
      {InitializeBmrDebugConsts, FinalizeBmrDebugConsts},
      {InitializeBmrDebug, FinalizeBmrDebug},
      {InitializeBmrCredits, FinalizeBmrCredits},
      {InitializeBmrRegistryTypes, nullptr},
      {InitializeBmrRegistry, nullptr},
      {InitializeBmrSecurity, nullptr},
      {InitializeBmrRegCache, FinalizeBmrRegCache},
  };
  return steps;
}

// Starts the modules in order; Stop shuts down, backwards, every module that was started,
// also after the start-up or the body raised.
class ModuleLifetime {
 public:
  void Start() {
    for (const auto& step : ModuleSteps()) {
      if (step.initialize) step.initialize();
      ++started_;
    }
  }
  void Stop() {
    const auto& steps = ModuleSteps();
    while (started_ > 0) {
      --started_;
      if (steps[started_].finalize) steps[started_].finalize();
    }
  }

 private:
  std::size_t started_ = 0;
};

constexpr int kExitUnhandledException = 217;

}  // namespace

void MainProgram() {
  // Without the main window a start ends after start-up; the silent walk comes with the
  // immunizers.
}

int RunTolvexQuietmark() {
  ModuleLifetime modules;
  int exitCode = 0;
  try {
    modules.Start();
    MainProgram();
  } catch (...) {
    exitCode = kExitUnhandledException;
  }
  try {
    modules.Stop();
  } catch (...) {
    exitCode = kExitUnhandledException;
  }
  return exitCode;
}
