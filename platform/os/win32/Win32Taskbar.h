#pragma once
// os::ITaskbarLibrary over the shell's taskbar list, destination list, shell link and object
// collection. Objects are used on the thread that made them.

#include "platform/os/Taskbar.h"

namespace os::win32 {

class Win32TaskbarLibrary final : public os::ITaskbarLibrary {
 public:
  HResult InitializeCom(std::uint32_t coInit) override;
  void UninitializeCom() override;
  HResult CreateTaskbarList(std::shared_ptr<ITaskbarList3>& list) override;
  HResult CreateDestinationList(std::shared_ptr<ICustomDestinationList>& list) override;
  HResult CreateShellLink(std::shared_ptr<IShellLinkA>& link) override;
  HResult CreateObjectCollection(std::shared_ptr<IObjectCollection>& collection) override;
};

}  // namespace os::win32
