// The process entry of the Windows program: the real operating system behind the seams,
// then the program itself. Arguments are read through os::Process(), not from here.

#include <windows.h>

#include "app/TolvexQuietmark.h"
#include "platform/os/win32/ComApartment.h"
#include "platform/os/win32/Win32Providers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InstallWin32Providers();
  // One single-threaded apartment for the whole run: the Task Scheduler objects are made
  // and used on this thread.
  const os::win32::ScopedComApartment com;
  return RunTolvexQuietmark();
}
