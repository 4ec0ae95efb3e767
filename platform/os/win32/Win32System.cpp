#include "platform/os/win32/Win32System.h"

#include <windows.h>

#include <memory>
#include <string_view>

#include "platform/os/win32/Text.h"

namespace os::win32 {

static_assert(sizeof(OSVERSIONINFOW) == 276, "the version record is OSVERSIONINFOW");

bool Win32System::VersionInfo(OsVersionInfo& info) {
  OSVERSIONINFOW record{};
  record.dwOSVersionInfoSize = sizeof(record);
  // What Windows 8.1 and later report here depends on the executable's manifest: without
  // its supportedOS entries they answer 6.2.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#elif defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#endif
  const BOOL ok = GetVersionExW(&record);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#elif defined(_MSC_VER)
#pragma warning(pop)
#endif
  if (!ok) return false;
  info.majorVersion = record.dwMajorVersion;
  info.minorVersion = record.dwMinorVersion;
  info.buildNumber = record.dwBuildNumber;
  info.platformId = record.dwPlatformId;
  info.csdVersion = WideToUtf8(record.szCSDVersion);
  return true;
}

SystemTime Win32System::LocalTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return SystemTime{now.wYear, now.wMonth, now.wDayOfWeek, now.wDay,
                    now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void Win32System::DebugOutput(const std::string& text) { OutputDebugStringA(Utf8ToAnsi(text).c_str()); }

std::string Win32System::SystemMessageText(std::uint32_t code) {
  // 255 characters with the terminating zero: a longer text fails and gives "" as no text.
  char buffer[255];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                      0x0400, buffer, sizeof(buffer), nullptr);
  if (length == 0) return {};
  return AnsiToUtf8(std::string_view(buffer, length));
}

std::string Win32System::ExpandEnvironment(const std::string& text) {
  const std::wstring source = Utf8ToWide(text);
  std::wstring expanded(256, L'\0');
  // The answer is the length needed including the terminating zero; the variables may change
  // between the calls, so ask again until the buffer was large enough.
  for (;;) {
    const DWORD needed = ExpandEnvironmentStringsW(source.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    if (needed == 0) return {};
    if (needed <= expanded.size()) {
      expanded.resize(needed - 1);
      return WideToUtf8(expanded);
    }
    expanded.assign(needed, L'\0');
  }
}

bool Win32System::EnvironmentStrings(std::vector<std::string>& strings) {
  strings.clear();
  struct BlockFree {
    void operator()(wchar_t* block) const { FreeEnvironmentStringsW(block); }
  };
  const std::unique_ptr<wchar_t, BlockFree> block(GetEnvironmentStringsW());
  if (!block) return false;
  for (const wchar_t* entry = block.get(); *entry != L'\0';) {
    const std::wstring_view text(entry);
    strings.push_back(WideToUtf8(text));
    entry += text.size() + 1;
  }
  return true;
}

}  // namespace os::win32
