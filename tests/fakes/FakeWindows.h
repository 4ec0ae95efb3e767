#pragma once
// The whole in-memory Windows a host test runs against, installed for the test's lifetime.
// Declare one as a member of a fixture (or a local) before anything that uses the seams.

#include "platform/bmrAPIWindowsFirewall.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeFirewall.h"
#include "tests/fakes/FakeHelpWindow.h"
#include "tests/fakes/FakeLibrary.h"
#include "tests/fakes/FakeLocale.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/FakeSystem.h"
#include "tests/fakes/FakeTaskbar.h"
#include "tests/fakes/FakeTaskScheduler.h"
#include "tests/fakes/FakeTaskScheduler10.h"
#include "tests/fakes/FakeVersionInfo.h"

namespace fakes {

struct FakeWindows {
  FakeRegistry registry;
  FakeProcess process;
  FakeSystem system;
  // No hosts file yet; its folder C:\Windows\system32\drivers\etc exists.
  FakeFiles files;
  FakeServices services;
  FakeLibrary library;
  FakeTaskScheduler10Library taskScheduler10;
  FakeTaskScheduler taskScheduler;
  FakeAccounts accounts;
  FakeShell shell;
  FakeFirewall firewall;
  FakeVersionInfo versionInfo;
  // The taskbar and jump list, the form bases' window calls and "dwmapi.dll".
  FakeTaskbar taskbar;
  FakeWindowing windowing;
  FakeHelpWindowApi helpWindow;
  FakeLocale locale;

  FakeWindows() = default;
  FakeWindows(const FakeWindows&) = delete;
  FakeWindows& operator=(const FakeWindows&) = delete;
  // The program's firewall access holds objects of this Windows: it goes with it.
  ~FakeWindows() { FinalizeBmrAPIWindowsFirewall(); }

  // A 32-bit process on 64-bit Windows (the default) or on 32-bit Windows: the process answer
  // and the registry's view go together.
  void SetWow64(bool wow64) {
    process.wow64 = wow64;
    registry.wow64 = wow64;
  }

 private:
  os::ScopedOverride<os::IRegistry> registryOverride_{registry};
  os::ScopedOverride<os::IProcess> processOverride_{process};
  os::ScopedOverride<os::ISystem> systemOverride_{system};
  os::ScopedOverride<os::IFiles> filesOverride_{files};
  os::ScopedOverride<os::IServices> servicesOverride_{services};
  os::ScopedOverride<os::ILibrary> libraryOverride_{library};
  os::ScopedOverride<os::ITaskScheduler10Library> taskScheduler10Override_{taskScheduler10};
  os::ScopedOverride<os::ITaskSchedulerLibrary> taskSchedulerOverride_{taskScheduler};
  os::ScopedOverride<os::IAccounts> accountsOverride_{accounts};
  os::ScopedOverride<os::IShell> shellOverride_{shell};
  os::ScopedOverride<os::IFirewallLibrary> firewallOverride_{firewall};
  os::ScopedOverride<os::IComRuntime> comOverride_{firewall};
  os::ScopedOverride<os::IVersionInfo> versionInfoOverride_{versionInfo};
  os::ScopedOverride<os::ITaskbarLibrary> taskbarOverride_{taskbar};
  os::ScopedOverride<os::IWindowing> windowingOverride_{windowing};
  os::ScopedOverride<os::IDynamicLibrary> dynamicLibraryOverride_{windowing};
  os::ScopedOverride<os::IHelpWindowApi> helpWindowOverride_{helpWindow};
  os::ScopedOverride<os::ILocale> localeOverride_{locale};
};

}  // namespace fakes
