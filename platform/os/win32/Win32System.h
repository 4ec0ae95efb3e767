#pragma once
// os::ISystem over kernel32: version, local time, debugger output, system message texts and
// the environment.

#include "platform/os/System.h"

namespace os::win32 {

class Win32System final : public os::ISystem {
 public:
  bool VersionInfo(OsVersionInfo& info) override;
  SystemTime LocalTime() override;
  void DebugOutput(const std::string& text) override;
  std::string SystemMessageText(std::uint32_t code) override;
  std::string ExpandEnvironment(const std::string& text) override;
  bool EnvironmentStrings(std::vector<std::string>& strings) override;
};

}  // namespace os::win32
