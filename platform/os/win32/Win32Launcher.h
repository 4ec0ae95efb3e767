#pragma once
// os::ILauncher over ShellExecuteW.

#include "platform/os/Launcher.h"

namespace os::win32 {

class Win32Launcher final : public os::ILauncher {
 public:
  std::intptr_t Execute(std::uintptr_t owner, const std::string& verb, const std::string& file,
                        const std::string& parameters, const std::string& directory, int showCommand) override;
};

}  // namespace os::win32
