#include "platform/os/win32/Win32Library.h"

#include <windows.h>

#include <vector>

#include "platform/os/win32/Text.h"

namespace os::win32 {

ModuleHandle Win32Library::LoadModuleEx(const std::string& fileName, std::uint32_t flags) {
  const std::string path = Utf8ToAnsi(fileName);
  return reinterpret_cast<ModuleHandle>(LoadLibraryExA(path.c_str(), nullptr, flags));
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
