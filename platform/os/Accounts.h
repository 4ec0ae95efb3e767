#pragma once
// The names of the account the process runs as and of the computer, as the ANSI calls give
// them (converted to UTF-8).

#include <string>

#include "platform/os/Seams.h"

namespace os {

class IAccounts {
 public:
  virtual ~IAccounts() = default;
  // GetUserNameA with a buffer of 256 characters; false when the call fails (also for a name
  // of more than 255 characters).
  virtual bool QueryUserName(std::string& name) = 0;
  // GetComputerNameA with a buffer of 16 characters; false when the call fails.
  virtual bool QueryComputerName(std::string& name) = 0;
};

inline IAccounts& Accounts() { return Get<IAccounts>(); }

}  // namespace os
