#include "platform/bmrServices.h"

#include "platform/bmrConsoleHelp.h"
#include "platform/bmrDebug.h"

namespace {

// The code of the failed call; the label names the function and the call for the trace.
std::uint32_t Failed(const std::string& function, const char* call) {
  const std::uint32_t code = os::Services().LastError();
  TraceLog3(static_cast<std::int32_t>(code), function + "." + call, 4);
  return code;
}

// The manager and one service opened for one function's step and closed when it ends, the
// service first.
class OpenedService {
 public:
  OpenedService(const char* function, const std::string& name, std::uint32_t access) : function_(function) {
    auto& services = os::Services();
    manager_ = services.OpenManager({}, os::kGenericRead);
    if (manager_ == 0) {
      error_ = Failed(function_, "OpenSCManager");
      return;
    }
    service_ = services.OpenServiceByName(manager_, name, access);
    if (service_ == 0) error_ = Failed(function_, "OpenServiceW");
  }
  ~OpenedService() {
    auto& services = os::Services();
    if (service_ != 0) services.Close(service_);
    if (manager_ != 0) services.Close(manager_);
  }
  OpenedService(const OpenedService&) = delete;
  OpenedService& operator=(const OpenedService&) = delete;

  bool IsOpen() const { return service_ != 0; }
  bool ManagerOpen() const { return manager_ != 0; }
  // The code of the failed open.
  std::uint32_t OpenError() const { return error_; }
  os::ScHandle Handle() const { return service_; }
  std::uint32_t Fail(const char* call) const { return Failed(function_, call); }

 private:
  std::string function_;
  os::ScHandle manager_ = 0;
  os::ScHandle service_ = 0;
  std::uint32_t error_ = 0;
};

}  // namespace

bool bmrServiceRunning(const std::string& name) {
  std::uint32_t dropped = 0;
  return bmrServiceRunning(name, dropped);
}

bool bmrServiceRunning(const std::string& name, std::uint32_t& error) {
  OpenedService service("bmrServiceRunning", name, os::kServiceQueryStatus);
  if (!service.IsOpen()) {
    error = service.OpenError();
    return false;
  }
  os::ServiceStatus status;
  if (!os::Services().QueryStatus(service.Handle(), status)) {
    error = service.Fail("QueryServiceStatus");
    return false;
  }
  return status.currentState == os::kServiceRunning;
}

bool bmrServiceConfig(const std::string& name, TServiceConfig& config, std::uint32_t& error) {
  config = TServiceConfig{};
  error = 0;
  OpenedService service("bmrServiceConfig", name, os::kServiceQueryConfig);
  if (!service.IsOpen()) {
    error = service.OpenError();
    return false;
  }
  auto& services = os::Services();
  // The first call only asks for the size; its own answer does not matter.
  std::uint32_t needed = 0;
  services.QueryConfig(service.Handle(), nullptr, 0, needed);
  TServiceConfig full;
  std::uint32_t again = 0;
  if (!services.QueryConfig(service.Handle(), &full, needed, again)) {
    error = service.Fail("QueryServiceStatus");
    return false;
  }
  // The texts are not kept: only the numbers are of use.
  config.serviceType = full.serviceType;
  config.startType = full.startType;
  config.errorControl = full.errorControl;
  return true;
}

bool bmrServiceChangeConfig(const std::string& name, const TServiceConfig& config, std::uint32_t& error) {
  error = 0;
  OpenedService service("bmrServiceChangeConfig", name, os::kServiceChangeConfig);
  if (!service.IsOpen()) {
    error = service.OpenError();
    return false;
  }
  if (!os::Services().ChangeConfig(service.Handle(), os::kServiceNoChange, config.startType, os::kServiceNoChange,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)) {
    error = service.Fail("QueryServiceStatus");
    return false;
  }
  return true;
}

bool bmrServiceStart(const std::string& name, std::uint32_t& error) {
  error = 0;
  OpenedService service("bmrServiceStart", name, os::kServiceQueryStatus | os::kServiceStart);
  if (!service.IsOpen()) {
    error = service.OpenError();
    return false;
  }
  auto& services = os::Services();
  os::ServiceStatus status;
  if (!services.QueryStatus(service.Handle(), status)) {
    error = service.Fail("QueryServiceStatus");
    return false;
  }
  switch (status.currentState) {
    case os::kServiceRunning:
      return true;
    case os::kServiceStopped:
    case os::kServiceStopPending:
    case os::kServicePausePending:
    case os::kServicePaused:
      if (services.StartWithoutArguments(service.Handle())) return true;
      error = service.Fail("StartServiceW");
      return false;
    default:
      // Starting or continuing already: nothing is sent, and it does not run yet.
      return false;
  }
}

bool bmrServiceStop(const std::string& name, std::uint32_t& error) {
  error = 0;
  OpenedService service("bmrServiceStop", name, os::kServiceQueryStatus | os::kServiceStop);
  if (!service.IsOpen()) {
    error = service.OpenError();
    // A service that does not exist has nothing to stop; any other failure to open it (access
    // denied above all) is a refused stop, not a stopped service.
    return service.ManagerOpen() && error == os::kErrorServiceDoesNotExist;
  }
  auto& services = os::Services();
  os::ServiceStatus status;
  if (!services.QueryStatus(service.Handle(), status)) {
    error = service.Fail("QueryServiceStatus");
    return false;
  }
  if (status.currentState == os::kServiceStopped || status.currentState == os::kServiceStopPending) return true;
  // The request is sent; the service stops in its own time.
  os::ServiceStatus after;
  if (services.Control(service.Handle(), os::kServiceControlStop, after)) return true;
  error = service.Fail("ControlService");
  return false;
}

void InitializeBmrServices() {
  TCLPGroup* group = CommandLineParameters()->Add();
  group->SetName("System Service related");
  group->SetDescription("");
  group->SetKind(2);
}
