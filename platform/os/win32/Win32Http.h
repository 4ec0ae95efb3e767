#pragma once
// os::IHttp over WinHTTP: the system's TLS (1.2 or later asked for, also on Windows 7) and
// certificate store, the proxy settings of WinHTTP, 90 seconds for each step of a request.

#include "platform/os/Http.h"

namespace os::win32 {

class Win32Http final : public os::IHttp {
 public:
  std::unique_ptr<os::IHttpClient> CreateClient() override;
};

}  // namespace os::win32
