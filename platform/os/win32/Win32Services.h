#pragma once
// os::IServices over the Service Control Manager functions of advapi32.

#include "platform/os/Services.h"

namespace os::win32 {

class Win32Services final : public os::IServices {
 public:
  ScHandle OpenManager(const std::string& machineName, std::uint32_t desiredAccess) override;
  ScHandle OpenServiceByName(ScHandle manager, const std::string& serviceName, std::uint32_t desiredAccess) override;
  bool QueryStatus(ScHandle service, ServiceStatus& status) override;
  bool QueryConfig(ScHandle service, ServiceConfig* config, std::uint32_t bufferSize,
                   std::uint32_t& bytesNeeded) override;
  bool ChangeConfig(ScHandle service, std::uint32_t serviceType, std::uint32_t startType, std::uint32_t errorControl,
                    const std::string* binaryPathName, const std::string* loadOrderGroup, std::uint32_t* tagId,
                    const std::string* dependencies, const std::string* serviceStartName, const std::string* password,
                    const std::string* displayName) override;
  bool StartWithoutArguments(ScHandle service) override;
  bool Control(ScHandle service, std::uint32_t control, ServiceStatus& status) override;
  bool Close(ScHandle handle) override;
  std::uint32_t LastError() override;
};

}  // namespace os::win32
