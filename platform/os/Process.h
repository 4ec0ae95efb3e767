#pragma once
// What the program asks of its own process: arguments, module file name, ids, whether it
// runs under WOW64, and its standard error.

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
  // IsWow64Process of the program's own process: true for a 32-bit process on 64-bit Windows,
  // whose registry view redirects parts of HKLM\SOFTWARE to Wow6432Node.
  virtual bool IsWow64Process() = 0;
  // Writes text to the standard error handle as it is (GetStdHandle, WriteFile); a GUI
  // process started without one drops it.
  virtual void WriteStandardError(const std::string& text) = 0;
};

inline IProcess& Process() { return Get<IProcess>(); }

}  // namespace os
