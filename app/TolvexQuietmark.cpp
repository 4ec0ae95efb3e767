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

// Shuts down every module that was started when it ends, also when the start-up or the body
// raised.
class ModuleLifetime {
 public:
  ModuleLifetime() = default;
  void Start() {
    for (const auto& step : ModuleSteps()) {
      if (step.initialize) step.initialize();
      ++started_;
    }
  }
  ~ModuleLifetime() {
    const auto& steps = ModuleSteps();
    while (started_ > 0) {
      --started_;
      if (steps[started_].finalize) steps[started_].finalize();
    }
  }
  ModuleLifetime(const ModuleLifetime&) = delete;
  ModuleLifetime& operator=(const ModuleLifetime&) = delete;

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
  try {
    ModuleLifetime modules;
    modules.Start();
    MainProgram();
  } catch (const std::exception&) {
    return kExitUnhandledException;
  }
  return 0;
}
