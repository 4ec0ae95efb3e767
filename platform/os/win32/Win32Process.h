#pragma once
// os::IProcess for the running Windows process.

#include "platform/os/Process.h"

namespace os::win32 {

class Win32Process final : public os::IProcess {
 public:
  // CommandLineToArgvW of GetCommandLineW, in UTF-8.
  std::vector<std::string> Arguments() override;
  // GetModuleFileNameW of the executable, in UTF-8; long paths included.
  std::string ModuleFileName() override;
  std::uint32_t CurrentProcessId() override;
  std::uint32_t CurrentThreadId() override;
  bool IsWow64Process() override;
  void WriteStandardError(const std::string& text) override;
};

}  // namespace os::win32
