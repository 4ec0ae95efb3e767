#pragma once
// The Service Control Manager calls the program makes: open the manager and a service, query
// its status and configuration, change its start type, start it, send it a control, close the
// handles. Each call answers as its Win32 function does (a null handle or false on failure);
// LastError() then gives the code GetLastError gave right after the failed call. Service names
// are UTF-8 here; the Win32 implementation passes them to the wide functions.
// Method names avoid the windows.h macros (OpenSCManager, OpenService, QueryServiceConfig,
// ChangeServiceConfig, StartService).

#include <cstdint>
#include <string>

#include "platform/os/Seams.h"

namespace os {

// An SC_HANDLE; 0 is none.
using ScHandle = std::uintptr_t;

// Access rights.
inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kScManagerConnect = 0x0001;
inline constexpr std::uint32_t kScManagerEnumerateService = 0x0004;
inline constexpr std::uint32_t kScManagerQueryLockStatus = 0x0010;
inline constexpr std::uint32_t kScManagerAllAccess = 0x000F003F;
inline constexpr std::uint32_t kServiceQueryConfig = 0x0001;
inline constexpr std::uint32_t kServiceChangeConfig = 0x0002;
inline constexpr std::uint32_t kServiceQueryStatus = 0x0004;
inline constexpr std::uint32_t kServiceStart = 0x0010;
inline constexpr std::uint32_t kServiceStop = 0x0020;
inline constexpr std::uint32_t kServiceAllAccess = 0x000F01FF;

// dwCurrentState.
inline constexpr std::uint32_t kServiceStopped = 1;
inline constexpr std::uint32_t kServiceStartPending = 2;
inline constexpr std::uint32_t kServiceStopPending = 3;
inline constexpr std::uint32_t kServiceRunning = 4;
inline constexpr std::uint32_t kServiceContinuePending = 5;
inline constexpr std::uint32_t kServicePausePending = 6;
inline constexpr std::uint32_t kServicePaused = 7;

// dwStartType.
inline constexpr std::uint32_t kServiceBootStart = 0;
inline constexpr std::uint32_t kServiceSystemStart = 1;
inline constexpr std::uint32_t kServiceAutoStart = 2;
inline constexpr std::uint32_t kServiceDemandStart = 3;
inline constexpr std::uint32_t kServiceDisabled = 4;

// dwServiceType, dwErrorControl.
inline constexpr std::uint32_t kServiceWin32OwnProcess = 0x10;
inline constexpr std::uint32_t kServiceWin32ShareProcess = 0x20;
inline constexpr std::uint32_t kServiceErrorIgnore = 0;
inline constexpr std::uint32_t kServiceErrorNormal = 1;

inline constexpr std::uint32_t kServiceNoChange = 0xFFFFFFFFu;
inline constexpr std::uint32_t kServiceControlStop = 1;
inline constexpr std::uint32_t kServiceControlInterrogate = 4;

// Win32 error codes the service calls give back.
inline constexpr std::uint32_t kErrorServiceAccessDenied = 5;
inline constexpr std::uint32_t kErrorServiceInvalidHandle = 6;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;
inline constexpr std::uint32_t kErrorDependentServicesRunning = 1051;
inline constexpr std::uint32_t kErrorInvalidServiceControl = 1052;
inline constexpr std::uint32_t kErrorServiceRequestTimeout = 1053;
inline constexpr std::uint32_t kErrorServiceAlreadyRunning = 1056;
inline constexpr std::uint32_t kErrorServiceDisabled = 1058;
inline constexpr std::uint32_t kErrorServiceDoesNotExist = 1060;
inline constexpr std::uint32_t kErrorServiceCannotAcceptCtrl = 1061;
inline constexpr std::uint32_t kErrorServiceNotActive = 1062;
inline constexpr std::uint32_t kErrorServiceMarkedForDelete = 1072;

// SERVICE_STATUS.
struct ServiceStatus {
  std::uint32_t serviceType = 0;
  std::uint32_t currentState = 0;
  std::uint32_t controlsAccepted = 0;
  std::uint32_t win32ExitCode = 0;
  std::uint32_t serviceSpecificExitCode = 0;
  std::uint32_t checkPoint = 0;
  std::uint32_t waitHint = 0;
};

// QUERY_SERVICE_CONFIGW, its texts in UTF-8 (dependencies as the system's list of
// zero-separated names).
struct ServiceConfig {
  std::uint32_t serviceType = 0;
  std::uint32_t startType = 0;
  std::uint32_t errorControl = 0;
  std::string binaryPathName;
  std::string loadOrderGroup;
  std::uint32_t tagId = 0;
  std::string dependencies;
  std::string serviceStartName;
  std::string displayName;
};

class IServices {
 public:
  virtual ~IServices() = default;

  // OpenSCManagerA with a machine name (empty: the local one) and the default database.
  virtual ScHandle OpenManager(const std::string& machineName, std::uint32_t desiredAccess) = 0;
  // OpenServiceW.
  virtual ScHandle OpenServiceByName(ScHandle manager, const std::string& serviceName, std::uint32_t desiredAccess) = 0;
  // QueryServiceStatus.
  virtual bool QueryStatus(ScHandle service, ServiceStatus& status) = 0;
  // QueryServiceConfigW into a buffer of bufferSize bytes: with config null or a buffer too
  // small it fails with kErrorInsufficientBuffer and bytesNeeded receives the size the
  // record needs; on success config receives the record.
  virtual bool QueryConfig(ScHandle service, ServiceConfig* config, std::uint32_t bufferSize,
                           std::uint32_t& bytesNeeded) = 0;
  // ChangeServiceConfigW; kServiceNoChange leaves a number as it is, a null text leaves a text
  // as it is.
  virtual bool ChangeConfig(ScHandle service, std::uint32_t serviceType, std::uint32_t startType,
                            std::uint32_t errorControl, const std::string* binaryPathName,
                            const std::string* loadOrderGroup, std::uint32_t* tagId, const std::string* dependencies,
                            const std::string* serviceStartName, const std::string* password,
                            const std::string* displayName) = 0;
  // StartServiceW without arguments.
  virtual bool StartWithoutArguments(ScHandle service) = 0;
  // ControlService.
  virtual bool Control(ScHandle service, std::uint32_t control, ServiceStatus& status) = 0;
  // CloseServiceHandle.
  virtual bool Close(ScHandle handle) = 0;
  // GetLastError after the last failed call above.
  virtual std::uint32_t LastError() = 0;
};

inline IServices& Services() { return Get<IServices>(); }

}  // namespace os
