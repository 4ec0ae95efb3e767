#include "platform/os/win32/Win32Locale.h"

#include <windows.h>

#include "platform/os/win32/Text.h"

namespace os::win32 {

std::uint16_t Win32Locale::UserDefaultUILanguage() { return GetUserDefaultUILanguage(); }

std::string Win32Locale::LocaleInfo(std::uint32_t locale, std::uint32_t type) {
  wchar_t buffer[85] = {};
  const int written = GetLocaleInfoW(locale, type, buffer, static_cast<int>(sizeof buffer / sizeof buffer[0]));
  if (written <= 1) return {};
  return WideToUtf8(std::wstring_view(buffer, static_cast<std::size_t>(written - 1)));
}

}  // namespace os::win32
