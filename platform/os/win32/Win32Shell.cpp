#include "platform/os/win32/Win32Shell.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/os/win32/Text.h"

namespace os::win32 {

static_assert(kShGetFolderPathTypeCurrent == SHGFP_TYPE_CURRENT);

namespace {

HANDLE TokenHandle(UserToken token) { return reinterpret_cast<HANDLE>(token); }

}  // namespace

HResult Win32Shell::FolderLocation(std::int32_t csidl, UserToken token, ItemIdList& list) {
  PIDLIST_ABSOLUTE found = nullptr;
  const HRESULT result = SHGetFolderLocation(nullptr, csidl, TokenHandle(token), 0, &found);
  list = SUCCEEDED(result) ? found : nullptr;
  return static_cast<HResult>(result);
}

bool Win32Shell::PathFromItemIdList(ItemIdList list, std::string& path) {
  wchar_t buffer[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(list), buffer)) return false;
  path = WideToUtf8(buffer);
  return true;
}

void Win32Shell::FreeItemIdList(ItemIdList list) { ILFree(static_cast<PIDLIST_RELATIVE>(list)); }

HResult Win32Shell::FolderPath(std::int32_t csidl, UserToken token, std::uint32_t flags, std::string& path) {
  wchar_t buffer[MAX_PATH] = {};
  const HRESULT result = SHGetFolderPathW(nullptr, csidl, TokenHandle(token), flags, buffer);
  if (result == S_OK) path = WideToUtf8(buffer);
  return static_cast<HResult>(result);
}

}  // namespace os::win32
