#include "platform/os/win32/Win32Library.h"

#include <windows.h>

#include <vector>

#include "platform/os/win32/Text.h"

namespace os::win32 {

ModuleHandle Win32Library::LoadModuleEx(const std::string& fileName, std::uint32_t flags) {
  const std::string path = Utf8ToAnsi(fileName);
  // The indirect texts name the system's own libraries ("%SystemRoot%\system32\x.dll"); in a
  // 32-bit process on 64-bit Windows that folder is redirected to SysWOW64, where most of
  // them do not exist. A library loaded only for its resources needs no matching bitness, so
  // such a load looks at the real folder. On 32-bit Windows the disabling call fails and
  // nothing changes.
  void* redirection = nullptr;
  const bool disabled = (flags & LOAD_LIBRARY_AS_DATAFILE) != 0 && Wow64DisableWow64FsRedirection(&redirection);
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, flags);
  if (disabled) {
    const DWORD error = GetLastError();
    Wow64RevertWow64FsRedirection(redirection);
    SetLastError(error);
  }
  return reinterpret_cast<ModuleHandle>(module);
}

std::int32_t Win32Library::LoadStringText(ModuleHandle module, std::uint32_t id, std::string& text,
                                          std::int32_t bufferChars) {
  text.clear();
  if (bufferChars <= 0) return 0;
  std::vector<wchar_t> buffer(static_cast<std::size_t>(bufferChars), L'\0');
  const int copied = LoadStringW(reinterpret_cast<HINSTANCE>(module), id, buffer.data(), bufferChars);
  if (copied > 0) text = WideToUtf8(std::wstring_view(buffer.data(), static_cast<std::size_t>(copied)));
  return copied;
}

bool Win32Library::ReleaseModule(ModuleHandle module) {
  return FreeLibrary(reinterpret_cast<HMODULE>(module)) != FALSE;
}

}  // namespace os::win32
