#pragma once
// The shell's special folders by CSIDL number and user, through both routes the shell offers:
// the item list (SHGetFolderLocation, SHGetPathFromIDListW, ILFree) and, for systems before
// version 6, the path call (SHGetFolderPathW). Method names avoid the names windows.h
// defines as macros (SHGetPathFromIDList, SHGetFolderPath). Paths are UTF-8.

#include <cstdint>
#include <string>

#include "platform/os/Seams.h"
#include "platform/os/TaskScheduler.h"

namespace os {

// The user whose folders are asked for: the access token of the current user is 0, the
// default user's is -1.
using UserToken = std::intptr_t;
inline constexpr UserToken kCurrentUserToken = 0;
inline constexpr UserToken kDefaultUserToken = -1;

// An item list the shell allocated (PIDLIST_ABSOLUTE); freed with FreeItemIdList.
using ItemIdList = void*;

inline constexpr std::uint32_t kShGetFolderPathTypeCurrent = 0;  // SHGFP_TYPE_CURRENT

class IShell {
 public:
  virtual ~IShell() = default;

  // SHGetFolderLocation(no window, csidl, token, 0, &list): S_OK with the list, or the error.
  virtual HResult FolderLocation(std::int32_t csidl, UserToken token, ItemIdList& list) = 0;
  // SHGetPathFromIDListW into a buffer of 260 wide characters; false when it fails.
  virtual bool PathFromItemIdList(ItemIdList list, std::string& path) = 0;
  // ILFree.
  virtual void FreeItemIdList(ItemIdList list) = 0;
  // SHGetFolderPathW(no window, csidl, token, flags, buffer of 260 wide characters): the path
  // on S_OK, else the error.
  virtual HResult FolderPath(std::int32_t csidl, UserToken token, std::uint32_t flags, std::string& path) = 0;
};

inline IShell& Shell() { return Get<IShell>(); }

}  // namespace os
