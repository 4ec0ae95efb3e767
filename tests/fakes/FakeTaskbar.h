#pragma once
// The shell's taskbar objects in memory: taskbar progress per window, the jump list the
// application committed last, shell links with their titles, and COM for the thread; also
// the window calls of the form bases and the run-time loaded "dwmapi.dll".
// Every call is recorded in `calls` as "Interface::Method args" and can be made to fail
// through `failures` with a chosen HRESULT (a success code such as S_FALSE is answered as
// it is, the call then does its work). Object creation is named "CoCreateInstance" with the
// class as subject ("TaskbarList", "DestinationList", "ShellLink",
// "EnumerableObjectCollection"); QueryInterface of the property store is
// "IShellLinkA::QueryInterface".

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/DynamicLibrary.h"
#include "platform/os/Taskbar.h"
#include "platform/os/Windowing.h"
#include "tests/fakes/FailureInjector.h"

namespace fakes {

// What a shell link was given.
struct FakeShellLinkState {
  std::string path;
  std::string arguments;
  std::string iconPath;
  std::int32_t iconIndex = -1;
  std::string description;
  std::string title;
  bool committed = false;
};

class FakeTaskbar : public os::ITaskbarLibrary {
 public:
  FailureInjector failures;
  std::vector<std::string> calls;
  // What CoInitializeEx answers when it does not fail, and the references COM holds.
  os::HResult initializeResult = os::taskbar::kSOk;
  int comReferences = 0;
  // The user tasks of the jump list as the last CommitList left it (links, in order; a null
  // object added stays a null entry) and the number of commits.
  std::vector<std::shared_ptr<FakeShellLinkState>> jumpListTasks;
  int commits = 0;
  // Every link made, in order.
  std::vector<std::shared_ptr<FakeShellLinkState>> links;

  std::size_t CallCount(const std::string& prefix) const;

  os::HResult InitializeCom(std::uint32_t coInit) override;
  void UninitializeCom() override;
  os::HResult CreateTaskbarList(std::shared_ptr<os::ITaskbarList3>& list) override;
  os::HResult CreateDestinationList(std::shared_ptr<os::ICustomDestinationList>& list) override;
  os::HResult CreateShellLink(std::shared_ptr<os::IShellLinkA>& link) override;
  os::HResult CreateObjectCollection(std::shared_ptr<os::IObjectCollection>& collection) override;

  // For the fake's objects: records the call and gives the code it must answer, if a
  // failure rule matches.
  std::optional<os::HResult> Enter(const std::string& call, const std::string& args, const std::string& subject = {});
};

// The window calls and the desktop window manager's library.
class FakeWindowing : public os::IWindowing, public os::IDynamicLibrary {
 public:
  FailureInjector failures;  // "LoadLibraryA" (name), "GetProcAddress" (function name)
  std::vector<std::string> calls;
  // Extended styles by window; registered messages by name (numbers from 0xC000 up).
  std::map<os::WindowHandle, std::int32_t> exStyles;
  std::map<std::string, std::uint32_t> messages;
  // The library "dwmapi.dll" exists, with both functions; composition on or off.
  bool dwmPresent = true;
  bool compositionEnabled = true;
  int loadedLibraries = 0;

  std::size_t CallCount(const std::string& prefix) const;

  bool ShowWindowCmd(os::WindowHandle window, std::int32_t command) override;
  std::int32_t WindowLong(os::WindowHandle window, std::int32_t index) override;
  std::int32_t SetWindowLongValue(os::WindowHandle window, std::int32_t index, std::int32_t value) override;
  std::uint32_t RegisterMessage(const std::string& name) override;
  bool DrawMenuBarOf(os::WindowHandle window) override;

  os::LibraryHandle LoadLibraryNamed(const std::string& name) override;
  os::ProcAddress ProcAddressOf(os::LibraryHandle library, const std::string& name) override;
  bool FreeLibraryHandle(os::LibraryHandle library) override;
  os::HResult CallDwmIsCompositionEnabled(os::ProcAddress function, std::int32_t& enabled) override;
  os::HResult CallDwmExtendFrameIntoClientArea(os::ProcAddress function, os::WindowHandle window,
                                               const os::Margins& margins) override;
};

}  // namespace fakes
