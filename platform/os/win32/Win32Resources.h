#pragma once

#include "platform/os/Resources.h"

namespace os::win32 {

class Win32Resources : public IResources {
 public:
  std::optional<std::string> LoadRcData(const std::string& name) override;
};

}  // namespace os::win32
