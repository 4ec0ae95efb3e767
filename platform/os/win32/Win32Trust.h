#pragma once
// os::ITrust over CreateFileW, WinVerifyTrust and crypt32.

#include "platform/os/Trust.h"

namespace os::win32 {

class Win32Trust final : public os::ITrust {
 public:
  std::unique_ptr<os::IHeldFile> Hold(const std::string& path, std::uint32_t& error) override;
};

}  // namespace os::win32
