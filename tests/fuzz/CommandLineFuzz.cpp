// Any bytes as the process arguments (split at zero bytes): each switch is found exactly when
// an argument is "/" or "-" and its name, and the help text lists every switch whatever was
// given.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/tvqmCommandLine.h"
#include "platform/bmrConsoleHelp.h"
#include "tests/fakes/FakeWindows.h"

namespace {

bool Given(const std::vector<std::string>& arguments, const std::string& name) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "/" + name || arguments[i] == "-" + name) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fakes::FakeWindows windows;
  std::vector<std::string> switches(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      switches.emplace_back();
    } else {
      switches.back() += static_cast<char>(data[i]);
    }
  }
  windows.process.SetCommandLine(switches);
  const std::vector<std::string> arguments = windows.process.arguments;

  InitializeBmrConsoleHelp();
  InitializeTvqmCommandLine();
  const std::pair<TCommandLineParameterItem*, const char*> items[] = {
      {CLPApply, "apply"}, {CLPUndo, "undo"}, {CLPSetupTask, "setuptask"}, {CLPSilent, "silent"}};
  for (const auto& [item, name] : items) {
    if (item == nullptr || item->Present() != Given(arguments, name)) std::abort();
  }
  std::vector<std::string> help;
  CommandLineParameters()->AddHelpLines(help);
  std::string text;
  for (const auto& line : help) text += line + "\n";
  for (const char* name : {"apply", "undo", "setuptask", "silent"}) {
    if (text.find(name) == std::string::npos) std::abort();
  }
  FinalizeTvqmCommandLine();
  FinalizeBmrConsoleHelp();
  return 0;
}
