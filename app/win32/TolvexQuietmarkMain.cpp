// The process entry of the Windows program: the real operating system behind the seams,
// then the program itself. Arguments are read through os::Process(), not from here.

#include <windows.h>

#include "app/TolvexQuietmark.h"
#include "platform/os/win32/Win32Providers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InstallWin32Providers();
  // COM for this thread comes and goes with the modules' start-up and shut-down.
  return RunTolvexQuietmark();
}
