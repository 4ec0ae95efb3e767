#include "tests/fakes/FakeServices.h"

namespace fakes {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// What GENERIC_READ stands for on the manager: STANDARD_RIGHTS_READ, enumerate, lock status.
std::uint32_t MapManagerAccess(std::uint32_t access) {
  if (access & os::kGenericRead) {
    access =
        (access & ~os::kGenericRead) | 0x00020000u | os::kScManagerEnumerateService | os::kScManagerQueryLockStatus;
  }
  return access;
}

// The size of QUERY_SERVICE_CONFIGW with its texts behind it, as the system reports it.
std::uint32_t ConfigSize(const FakeServices::Service& service) {
  auto wide = [](const std::string& text) { return static_cast<std::uint32_t>((text.size() + 1) * 2); };
  return 36 + wide(service.binaryPathName) + wide("") + wide("") + 2 + wide("LocalSystem") + wide(service.displayName);
}

}  // namespace

FakeServices::Service& FakeServices::Add(const std::string& name, std::uint32_t state, std::uint32_t startType) {
  Service& service = services_[Lower(name)];
  service = Service{};
  service.name = name;
  service.displayName = name;
  service.state = state;
  service.startType = startType;
  return service;
}

FakeServices::Service* FakeServices::Find(const std::string& name) {
  auto it = services_.find(Lower(name));
  return it == services_.end() ? nullptr : &it->second;
}

void FakeServices::Remove(const std::string& name) { services_.erase(Lower(name)); }

void FakeServices::Settle() {
  for (auto& [key, service] : services_) {
    switch (service.state) {
      case os::kServiceStartPending:
      case os::kServiceContinuePending:
        service.state = os::kServiceRunning;
        break;
      case os::kServiceStopPending:
        service.state = os::kServiceStopped;
        break;
      case os::kServicePausePending:
        service.state = os::kServicePaused;
        break;
      default:
        break;
    }
  }
}

std::vector<FakeServices::Call> FakeServices::CallsOf(const std::string& call) const {
  std::vector<Call> result;
  for (const auto& entry : calls) {
    if (entry.call == call) result.push_back(entry);
  }
  return result;
}

bool FakeServices::Fail(std::uint32_t code) {
  lastError_ = code;
  return false;
}

void FakeServices::Record(const std::string& call, const std::string& subject, std::uint32_t value, bool succeeded) {
  calls.push_back({call, subject, value, succeeded});
}

bool FakeServices::Injected(const std::string& call, const std::string& subject, std::uint32_t value) {
  if (auto code = failures.Check(call, subject)) {
    Record(call, subject, value, false);
    lastError_ = static_cast<std::uint32_t>(*code);
    return true;
  }
  return false;
}

std::string FakeServices::SubjectOf(os::ScHandle handle) const {
  auto it = handles_.find(handle);
  if (it == handles_.end() || it->second.manager) return {};
  auto service = services_.find(it->second.service);
  return service == services_.end() ? it->second.service : service->second.name;
}

FakeServices::Service* FakeServices::Use(os::ScHandle handle, std::uint32_t right) {
  auto it = handles_.find(handle);
  if (it == handles_.end() || it->second.manager) {
    Fail(os::kErrorServiceInvalidHandle);
    return nullptr;
  }
  if ((it->second.access & right) != right) {
    Fail(os::kErrorServiceAccessDenied);
    return nullptr;
  }
  auto service = services_.find(it->second.service);
  if (service == services_.end()) {
    // Deleted while a handle was open.
    Fail(os::kErrorServiceMarkedForDelete);
    return nullptr;
  }
  return &service->second;
}

os::ScHandle FakeServices::OpenManager(const std::string& machineName, std::uint32_t desiredAccess) {
  if (Injected("OpenSCManagerA", machineName, desiredAccess)) return 0;
  const std::uint32_t mapped = MapManagerAccess(desiredAccess);
  if ((mapped & ~managerAccess) != 0) {
    Record("OpenSCManagerA", machineName, desiredAccess, false);
    Fail(os::kErrorServiceAccessDenied);
    return 0;
  }
  Record("OpenSCManagerA", machineName, desiredAccess, true);
  const os::ScHandle handle = nextHandle_++;
  handles_[handle] = Handle{true, {}, mapped | os::kScManagerConnect};
  return handle;
}

os::ScHandle FakeServices::OpenServiceByName(os::ScHandle manager, const std::string& serviceName,
                                             std::uint32_t desiredAccess) {
  if (Injected("OpenServiceW", serviceName, desiredAccess)) return 0;
  auto managerHandle = handles_.find(manager);
  bool ok = false;
  if (managerHandle == handles_.end() || !managerHandle->second.manager) {
    Fail(os::kErrorServiceInvalidHandle);
  } else if (Service* service = Find(serviceName); service == nullptr) {
    Fail(os::kErrorServiceDoesNotExist);
  } else if ((desiredAccess & ~service->grantedAccess) != 0) {
    Fail(os::kErrorServiceAccessDenied);
  } else {
    ok = true;
  }
  Record("OpenServiceW", serviceName, desiredAccess, ok);
  if (!ok) return 0;
  const os::ScHandle handle = nextHandle_++;
  handles_[handle] = Handle{false, Lower(serviceName), desiredAccess};
  return handle;
}

bool FakeServices::QueryStatus(os::ScHandle handle, os::ServiceStatus& status) {
  const std::string subject = SubjectOf(handle);
  if (Injected("QueryServiceStatus", subject, 0)) return false;
  Service* service = Use(handle, os::kServiceQueryStatus);
  Record("QueryServiceStatus", subject, 0, service != nullptr);
  if (service == nullptr) return false;
  status = os::ServiceStatus{};
  status.serviceType = service->serviceType;
  status.currentState = service->state;
  status.controlsAccepted = (service->acceptsStop && service->state == os::kServiceRunning) ? 1u : 0u;
  return true;
}

bool FakeServices::QueryConfig(os::ScHandle handle, os::ServiceConfig* config, std::uint32_t bufferSize,
                               std::uint32_t& bytesNeeded) {
  const std::string subject = SubjectOf(handle);
  if (Injected("QueryServiceConfigW", subject, bufferSize)) return false;
  Service* service = Use(handle, os::kServiceQueryConfig);
  if (service != nullptr) {
    const std::uint32_t size = ConfigSize(*service);
    if (config == nullptr || bufferSize < size) {
      bytesNeeded = size;
      Fail(os::kErrorInsufficientBuffer);
      service = nullptr;
    } else {
      *config = os::ServiceConfig{};
      config->serviceType = service->serviceType;
      config->startType = service->startType;
      config->errorControl = service->errorControl;
      config->binaryPathName = service->binaryPathName;
      config->serviceStartName = "LocalSystem";
      config->displayName = service->displayName;
    }
  }
  Record("QueryServiceConfigW", subject, bufferSize, service != nullptr);
  return service != nullptr;
}

bool FakeServices::ChangeConfig(os::ScHandle handle, std::uint32_t serviceType, std::uint32_t startType,
                                std::uint32_t errorControl, const std::string* binaryPathName,
                                const std::string* loadOrderGroup, std::uint32_t* tagId,
                                const std::string* dependencies, const std::string* serviceStartName,
                                const std::string* password, const std::string* displayName) {
  const std::string subject = SubjectOf(handle);
  if (Injected("ChangeServiceConfigW", subject, startType)) return false;
  Service* service = Use(handle, os::kServiceChangeConfig);
  if (service != nullptr && startType != os::kServiceNoChange && startType > os::kServiceDisabled) {
    Fail(87);
    service = nullptr;
  }
  Record("ChangeServiceConfigW", subject, startType, service != nullptr);
  if (service == nullptr) return false;
  if (serviceType != os::kServiceNoChange) service->serviceType = serviceType;
  if (startType != os::kServiceNoChange) service->startType = startType;
  if (errorControl != os::kServiceNoChange) service->errorControl = errorControl;
  if (binaryPathName != nullptr) service->binaryPathName = *binaryPathName;
  if (displayName != nullptr) service->displayName = *displayName;
  // Texts the fake does not keep: a change through them is a change nobody reads back.
  (void)loadOrderGroup;
  (void)tagId;
  (void)dependencies;
  (void)serviceStartName;
  (void)password;
  return true;
}

bool FakeServices::StartWithoutArguments(os::ScHandle handle) {
  const std::string subject = SubjectOf(handle);
  if (Injected("StartServiceW", subject, 0)) return false;
  Service* service = Use(handle, os::kServiceStart);
  if (service != nullptr && service->startType == os::kServiceDisabled) {
    Fail(os::kErrorServiceDisabled);
    service = nullptr;
  } else if (service != nullptr && service->state != os::kServiceStopped) {
    Fail(os::kErrorServiceAlreadyRunning);
    service = nullptr;
  }
  Record("StartServiceW", subject, 0, service != nullptr);
  if (service == nullptr) return false;
  service->state = service->stateAfterStart;
  return true;
}

bool FakeServices::Control(os::ScHandle handle, std::uint32_t control, os::ServiceStatus& status) {
  const std::string subject = SubjectOf(handle);
  if (Injected("ControlService", subject, control)) return false;
  const std::uint32_t right = control == os::kServiceControlStop ? os::kServiceStop : os::kServiceQueryStatus;
  Service* service = Use(handle, right);
  if (service != nullptr && control == os::kServiceControlStop) {
    switch (service->state) {
      case os::kServiceStopped:
        Fail(os::kErrorServiceNotActive);
        service = nullptr;
        break;
      case os::kServiceRunning:
      case os::kServicePaused:
        if (!service->acceptsStop) {
          Fail(os::kErrorInvalidServiceControl);
          service = nullptr;
        }
        break;
      default:
        // Pending: the service cannot take a control now.
        Fail(os::kErrorServiceCannotAcceptCtrl);
        service = nullptr;
        break;
    }
  } else if (service != nullptr && control != os::kServiceControlInterrogate) {
    Fail(os::kErrorInvalidServiceControl);
    service = nullptr;
  }
  Record("ControlService", subject, control, service != nullptr);
  if (service == nullptr) return false;
  if (control == os::kServiceControlStop) service->state = service->stateAfterStop;
  status = os::ServiceStatus{};
  status.serviceType = service->serviceType;
  status.currentState = service->state;
  return true;
}

bool FakeServices::Close(os::ScHandle handle) {
  const std::string subject = SubjectOf(handle);
  if (Injected("CloseServiceHandle", subject, 0)) return false;
  const bool known = handles_.erase(handle) == 1;
  Record("CloseServiceHandle", subject, 0, known);
  return known ? true : Fail(os::kErrorServiceInvalidHandle);
}

}  // namespace fakes
