#pragma once
// os::IShell over shell32's special-folder calls.

#include "platform/os/Shell.h"

namespace os::win32 {

class Win32Shell final : public os::IShell {
 public:
  HResult FolderLocation(std::int32_t csidl, UserToken token, ItemIdList& list) override;
  bool PathFromItemIdList(ItemIdList list, std::string& path) override;
  void FreeItemIdList(ItemIdList list) override;
  HResult FolderPath(std::int32_t csidl, UserToken token, std::uint32_t flags, std::string& path) override;
};

}  // namespace os::win32
