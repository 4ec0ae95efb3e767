#pragma once
// os::ITaskSchedulerLibrary over the Task Scheduler 2.0 COM objects (taskschd.h), and
// os::IAccounts over GetUserNameA/W and GetComputerNameA/W. COM must be initialized on the
// calling thread.

#include "platform/os/Accounts.h"
#include "platform/os/TaskScheduler.h"

namespace os::win32 {

class Win32TaskSchedulerLibrary final : public os::ITaskSchedulerLibrary {
 public:
  HResult CreateInstance(std::shared_ptr<ITaskService>& service) override;
  std::string ErrorDescription(HResult code) override;
};

class Win32Accounts final : public os::IAccounts {
 public:
  bool QueryUserName(std::string& name) override;
  bool QueryComputerName(std::string& name) override;
  bool QueryUserNameW(std::string& name) override;
  bool QueryComputerNameW(std::string& name) override;
};

}  // namespace os::win32
