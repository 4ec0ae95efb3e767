#pragma once
// os::ITrust over CreateFileW, WinVerifyTrust and crypt32.

#include <string>

#include "platform/os/Trust.h"

namespace os::win32 {

// WinVerifyTrust of the file open as handle (a HANDLE); path is only what the call names it.
os::SignatureCheck VerifyFileHandle(void* handle, const std::wstring& path);

class Win32Trust final : public os::ITrust {
 public:
  std::unique_ptr<os::IHeldFile> Hold(const std::string& path, std::uint32_t& error) override;
};

}  // namespace os::win32
