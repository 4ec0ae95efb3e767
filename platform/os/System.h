#pragma once
// Method names avoid the names windows.h defines as macros (GetVersionEx, OutputDebugString,
// FormatMessage): a Win32 implementation includes both.
// System-wide queries: the version, the local clock, a monotonic clock, the debugger output,
// the system's text of an error code and the environment.

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/os/Seams.h"

namespace os {

// The fields of OSVERSIONINFOW that the program reads.
struct OsVersionInfo {
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;
  std::uint32_t platformId = 0;
  std::string csdVersion;
};

// SYSTEMTIME.
struct SystemTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t dayOfWeek = 0;
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};

class ISystem {
 public:
  virtual ~ISystem() = default;

  // GetVersionExW with the record size set to that of OSVERSIONINFOW (276 bytes).
  virtual bool VersionInfo(OsVersionInfo& info) = 0;
  // GetLocalTime.
  virtual SystemTime LocalTime() = 0;
  // OutputDebugStringA.
  virtual void DebugOutput(const std::string& text) = 0;
  // FormatMessageA from the system message table, language 0x0400, at most 254 characters,
  // as the system gives it (trailing line break included). Empty when the system has no text.
  virtual std::string SystemMessageText(std::uint32_t code) = 0;
  // ExpandEnvironmentStringsW: %NAME% replaced by the variable's value, unknown names kept as
  // written. Empty when the call fails.
  virtual std::string ExpandEnvironment(const std::string& text) = 0;
  // GetEnvironmentStringsW: every string of the block ("NAME=value", also the "=C:=C:\..."
  // entries of the drives) in block order, up to the empty string that ends it; the block is
  // freed again. False when the call gives no block.
  virtual bool EnvironmentStrings(std::vector<std::string>& strings) = 0;
  // Milliseconds since some start, never going back (GetTickCount64): what time limits are
  // measured on. Fakes move it by hand.
  virtual std::uint64_t TickCount() {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
  }
  // Sleep: waits before a call is tried again. Fakes record the pause instead.
  virtual void Pause(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

inline ISystem& System() { return Get<ISystem>(); }

}  // namespace os
