#include "platform/os/win32/Win32Providers.h"

#include "platform/os/win32/Win32Files.h"
#include "platform/os/win32/Win32Firewall.h"
#include "platform/os/win32/Win32HelpWindow.h"
#include "platform/os/win32/Win32Http.h"
#include "platform/os/win32/Win32Launcher.h"
#include "platform/os/win32/Win32Library.h"
#include "platform/os/win32/Win32Locale.h"
#include "platform/os/win32/Win32Process.h"
#include "platform/os/win32/Win32Registry.h"
#include "platform/os/win32/Win32Resources.h"
#include "platform/os/win32/Win32Services.h"
#include "platform/os/win32/Win32Shell.h"
#include "platform/os/win32/Win32System.h"
#include "platform/os/win32/Win32TaskScheduler.h"
#include "platform/os/win32/Win32TaskScheduler10.h"
#include "platform/os/win32/Win32VersionInfo.h"
#include "platform/os/win32/Win32Taskbar.h"
#include "platform/os/win32/Win32Trust.h"
#include "platform/os/win32/Win32Windowing.h"

void InstallWin32Providers() {
  // Built on the first call rather than at static initialisation; they hold no state, so
  // their destruction after the program's shut-down work is harmless.
  static os::win32::Win32Registry registry;
  static os::win32::Win32Process process;
  static os::win32::Win32System system;
  os::Install<os::IRegistry>(&registry);
  os::Install<os::IProcess>(&process);
  os::Install<os::ISystem>(&system);
  static os::win32::Win32Files files;
  os::Install<os::IFiles>(&files);
  static os::win32::Win32Services services;
  static os::win32::Win32Library library;
  os::Install<os::IServices>(&services);
  os::Install<os::ILibrary>(&library);
  static os::win32::Win32TaskScheduler10Library taskScheduler10;
  os::Install<os::ITaskScheduler10Library>(&taskScheduler10);
  static os::win32::Win32TaskSchedulerLibrary taskScheduler;
  static os::win32::Win32Accounts accounts;
  os::Install<os::ITaskSchedulerLibrary>(&taskScheduler);
  os::Install<os::IAccounts>(&accounts);
  static os::win32::Win32Shell shell;
  os::Install<os::IShell>(&shell);
  static os::win32::Win32FirewallLibrary firewall;
  static os::win32::Win32ComRuntime com;
  os::Install<os::IFirewallLibrary>(&firewall);
  os::Install<os::IComRuntime>(&com);
  static os::win32::Win32Resources resources;
  os::Install<os::IResources>(&resources);
  static os::win32::Win32VersionInfo versionInfo;
  os::Install<os::IVersionInfo>(&versionInfo);
  // The form bases: taskbar and jump list, window calls, the desktop window manager.
  static os::win32::Win32TaskbarLibrary taskbar;
  static os::win32::Win32Windowing windowing;
  static os::win32::Win32DynamicLibrary dynamicLibrary;
  os::Install<os::ITaskbarLibrary>(&taskbar);
  os::Install<os::IWindowing>(&windowing);
  os::Install<os::IDynamicLibrary>(&dynamicLibrary);
  static os::win32::Win32HelpWindowApi helpWindow;
  os::Install<os::IHelpWindowApi>(&helpWindow);
  static os::win32::Win32Locale locale;
  os::Install<os::ILocale>(&locale);
  static os::win32::Win32Http http;
  static os::win32::Win32Launcher launcher;
  os::Install<os::IHttp>(&http);
  os::Install<os::ILauncher>(&launcher);
  static os::win32::Win32Trust trust;
  os::Install<os::ITrust>(&trust);
}
