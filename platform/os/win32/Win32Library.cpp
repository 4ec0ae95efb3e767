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

namespace {

BOOL CALLBACK AddResourceName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) noexcept {
  auto* names = reinterpret_cast<std::vector<std::string>*>(param);
  try {
    // A resource identified by a number comes as that number.
    if (IS_INTRESOURCE(name)) {
      names->push_back("#" + std::to_string(reinterpret_cast<std::uintptr_t>(name)));
    } else {
      names->push_back(AnsiToUtf8(name));
    }
  } catch (...) {
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool Win32Library::EnumResourceNamesOf(ModuleHandle module, const std::string& type, std::vector<std::string>& names) {
  const std::string ansiType = Utf8ToAnsi(type);
  const std::size_t before = names.size();
  EnumResourceNamesA(reinterpret_cast<HMODULE>(module), ansiType.c_str(), &AddResourceName,
                     reinterpret_cast<LONG_PTR>(&names));
  return names.size() > before;
}

bool Win32Library::ReadResource(ModuleHandle module, const std::string& name, const std::string& type,
                                std::string& data) {
  data.clear();
  HMODULE handle = reinterpret_cast<HMODULE>(module);
  const std::string ansiName = Utf8ToAnsi(name);
  const std::string ansiType = Utf8ToAnsi(type);
  HRSRC found = FindResourceA(handle, ansiName.c_str(), ansiType.c_str());
  if (!found) return false;
  HGLOBAL loaded = LoadResource(handle, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return false;
  data.assign(static_cast<const char*>(bytes), SizeofResource(handle, found));
  return true;
}

}  // namespace os::win32
