#pragma once
// An in-memory Service Control Manager: services with a state, a start type and the rights an
// open may ask for, handles with the rights they were opened with, and the replies and error
// codes of Windows (1060 for a missing service, 5 for a right not granted, 1058 for starting a
// disabled service, ...). Start and stop requests leave a service pending unless the test
// says otherwise; Settle() finishes what is pending. Any call can be made to fail through
// `failures`, by its Win32 name ("OpenServiceW", "ChangeServiceConfigW", ...) and the service
// name as subject ("OpenSCManagerA" has the machine name, empty for the local one).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/Services.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

class FakeServices : public os::IServices {
 public:
  struct Service {
    std::string name;
    std::uint32_t state = os::kServiceStopped;
    std::uint32_t startType = os::kServiceDemandStart;
    std::uint32_t serviceType = os::kServiceWin32OwnProcess;
    std::uint32_t errorControl = os::kServiceErrorNormal;
    std::string binaryPathName = "C:\\Windows\\System32\\svchost.exe -k netsvcs";
    std::string displayName;
    // What an open may ask for; asking for more gives access denied.
    std::uint32_t grantedAccess = os::kServiceAllAccess;
    // The state a start request leaves (running, or start pending until Settle()).
    std::uint32_t stateAfterStart = os::kServiceStartPending;
    // The state a stop request leaves (stop pending until Settle(), or stopped).
    std::uint32_t stateAfterStop = os::kServiceStopPending;
    // Whether the service takes the stop control (otherwise 1061 while it cannot).
    bool acceptsStop = true;
  };

  // One call as the program made it.
  struct Call {
    std::string call;         // the Win32 name
    std::string subject;      // service name; empty for the manager
    std::uint32_t value = 0;  // access asked for, control sent or start type set
    bool succeeded = false;
  };

  FailureInjector failures;
  std::vector<Call> calls;
  // What opening the manager may ask for.
  std::uint32_t managerAccess = os::kScManagerAllAccess;

  // --- test helpers ---
  Service& Add(const std::string& name, std::uint32_t state, std::uint32_t startType);
  Service* Find(const std::string& name);
  void Remove(const std::string& name);
  // Pending states reach their end: start and continue pending run, stop pending stops,
  // pause pending pauses.
  void Settle();
  std::size_t OpenHandleCount() const { return handles_.size(); }
  // The calls of one Win32 name, in order.
  std::vector<Call> CallsOf(const std::string& call) const;

  // --- os::IServices ---
  os::ScHandle OpenManager(const std::string& machineName, std::uint32_t desiredAccess) override;
  os::ScHandle OpenServiceByName(os::ScHandle manager, const std::string& serviceName,
                                 std::uint32_t desiredAccess) override;
  bool QueryStatus(os::ScHandle service, os::ServiceStatus& status) override;
  bool QueryConfig(os::ScHandle service, os::ServiceConfig* config, std::uint32_t bufferSize,
                   std::uint32_t& bytesNeeded) override;
  bool ChangeConfig(os::ScHandle service, std::uint32_t serviceType, std::uint32_t startType,
                    std::uint32_t errorControl, const std::string* binaryPathName, const std::string* loadOrderGroup,
                    std::uint32_t* tagId, const std::string* dependencies, const std::string* serviceStartName,
                    const std::string* password, const std::string* displayName) override;
  bool StartWithoutArguments(os::ScHandle service) override;
  bool Control(os::ScHandle service, std::uint32_t control, os::ServiceStatus& status) override;
  bool Close(os::ScHandle handle) override;
  std::uint32_t LastError() override { return lastError_; }

 private:
  struct Handle {
    bool manager = false;
    std::string service;  // lower-case key
    std::uint32_t access = 0;
  };

  bool Fail(std::uint32_t code);
  // The call's injected failure, if any: records the call and sets the error.
  bool Injected(const std::string& call, const std::string& subject, std::uint32_t value);
  // The service behind a service handle that was opened with `right`; fails as Windows does.
  Service* Use(os::ScHandle handle, std::uint32_t right);
  void Record(const std::string& call, const std::string& subject, std::uint32_t value, bool succeeded);
  std::string SubjectOf(os::ScHandle handle) const;

  std::map<std::string, Service> services_;  // by lower-case name
  std::map<os::ScHandle, Handle> handles_;
  os::ScHandle nextHandle_ = 0x5C00;
  std::uint32_t lastError_ = 0;
};

}  // namespace fakes
