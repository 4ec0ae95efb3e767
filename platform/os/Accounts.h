#pragma once
// The names of the account the process runs as and of the computer, as the ANSI or the wide
// calls give them (converted to UTF-8).

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
  // GetUserNameW with a buffer of 260 wide characters; false when the call fails (also for a
  // name of more than 259).
  virtual bool QueryUserNameW(std::string& name) = 0;
  // GetComputerNameW with a buffer of 16 wide characters; false when the call fails.
  virtual bool QueryComputerNameW(std::string& name) = 0;
};

inline IAccounts& Accounts() { return Get<IAccounts>(); }

}  // namespace os
