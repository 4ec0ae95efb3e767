#pragma once
// What the program asks of its own process: arguments, module file name and ids.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/Seams.h"

namespace os {

class IProcess {
 public:
  virtual ~IProcess() = default;

  // The process arguments as the runtime splits the command line; element 0 is the
  // program path.
  virtual std::vector<std::string> Arguments() = 0;
  // GetModuleFileNameW of the program's own module: the full path of the executable.
  virtual std::string ModuleFileName() = 0;
  // GetCurrentProcessId, GetCurrentThreadId.
  virtual std::uint32_t CurrentProcessId() = 0;
  virtual std::uint32_t CurrentThreadId() = 0;
};

inline IProcess& Process() { return Get<IProcess>(); }

}  // namespace os
