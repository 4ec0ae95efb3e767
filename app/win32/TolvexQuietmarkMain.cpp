// The process entry of the Windows program: the real operating system behind the seams and
// the window toolkit's Win32 backend, then the program itself. Arguments are read through
// os::Process(), not from here.

#include <windows.h>

#include "app/TolvexQuietmark.h"
#include "app/ui/win32/Win32Backend.h"
#include "platform/os/win32/Win32Providers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InstallWin32Providers();
  // Before the application object is initialized; it makes no window by itself, so the
  // silent program stays without one.
  ui::win32::InstallWin32Backend();
  // COM for this thread comes and goes with the modules' start-up and shut-down.
  return RunTolvexQuietmark();
}
