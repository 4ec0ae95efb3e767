#include "platform/os/win32/Win32Providers.h"

#include "platform/os/win32/Win32Process.h"
#include "platform/os/win32/Win32Registry.h"
#include "platform/os/win32/Win32System.h"

void InstallWin32Providers() {
  // Built on the first call rather than at static initialisation; they hold no state, so
  // their destruction after the program's shut-down work is harmless.
  static os::win32::Win32Registry registry;
  static os::win32::Win32Process process;
  static os::win32::Win32System system;
  os::Install<os::IRegistry>(&registry);
  os::Install<os::IProcess>(&process);
  os::Install<os::ISystem>(&system);
}
