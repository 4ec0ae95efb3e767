#pragma once
// Opening a file with the program the shell associates with it (ShellExecute).

#include <cstdint>
#include <string>

#include "platform/os/Seams.h"

namespace os {

inline constexpr int kSwShow = 5;  // SW_SHOW

class ILauncher {
 public:
  virtual ~ILauncher() = default;
  // ShellExecuteW(owner, verb, file, parameters, directory, showCommand): the value the call
  // gives back (greater than 32 on success). Texts are UTF-8; empty parameters and directory
  // are passed as none.
  virtual std::intptr_t Execute(std::uintptr_t owner, const std::string& verb, const std::string& file,
                                const std::string& parameters, const std::string& directory,
                                int showCommand) = 0;
};

inline ILauncher& Launcher() { return Get<ILauncher>(); }

}  // namespace os
