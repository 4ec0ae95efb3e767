// Win32System: the version the manifest lets Windows report, system message texts and the
// debugger output.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/os/System.h"
#include "platform/os/win32/Handles.h"
#include "platform/os/win32/Text.h"

namespace {

using os::win32::UniqueKernelHandle;

// This program carries the supportedOS entries of the real one, so GetVersionExW must give
// the true version, which RtlGetVersion reports whatever the manifest says.
TEST(Win32System, VersionIsTheTrueOne) {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(nullptr, rtlGetVersion);
  OSVERSIONINFOW truth{};
  truth.dwOSVersionInfoSize = sizeof(truth);
  ASSERT_EQ(0, rtlGetVersion(&truth));

  os::OsVersionInfo info;
  ASSERT_TRUE(os::System().VersionInfo(info));
  std::printf("GetVersionExW: %u.%u.%u platform %u \"%s\"\n", info.majorVersion, info.minorVersion,
              info.buildNumber, info.platformId, info.csdVersion.c_str());
  EXPECT_EQ(truth.dwMajorVersion, info.majorVersion);
  EXPECT_EQ(truth.dwMinorVersion, info.minorVersion);
  EXPECT_EQ(truth.dwBuildNumber, info.buildNumber);
  EXPECT_EQ(static_cast<std::uint32_t>(VER_PLATFORM_WIN32_NT), info.platformId);
  EXPECT_EQ(os::win32::WideToUtf8(truth.szCSDVersion), info.csdVersion);
}

TEST(Win32System, SystemMessageTextIsTheSystemsOwn) {
  const std::string text = os::System().SystemMessageText(ERROR_ACCESS_DENIED);
  std::printf("FormatMessageA(5): \"%s\"\n", text.c_str());
  wchar_t wide[512];
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      ERROR_ACCESS_DENIED, 0x0400, wide, 512, nullptr);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(os::win32::WideToUtf8(std::wstring_view(wide, length)), text);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ("\r\n", text.substr(text.size() - 2)) << "the system's line break stays";
  EXPECT_LE(text.size(), 254u);
  // A code the message table does not know has no text.
  EXPECT_EQ("", os::System().SystemMessageText(0x2000BEEF));
}

// OutputDebugStringA hands its text to a monitor through the DBWIN_BUFFER protocol; this
// test is the monitor, so it sees the ANSI text the call made of the UTF-8 one.
TEST(Win32System, DebugOutputReachesAMonitorInTheAnsiCodePage) {
  UniqueKernelHandle bufferReady(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY"));
  UniqueKernelHandle dataReady(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY"));
  UniqueKernelHandle mapping(
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER"));
  ASSERT_TRUE(bufferReady && dataReady && mapping);
  os::win32::UniqueMapView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 4096));
  ASSERT_TRUE(view);

  const std::string text = "tvqm debug output caf\xC3\xA9";
  const std::string expected = os::win32::Utf8ToAnsi(text);
  // Other programs in the same prefix may write too: look for this process's text.
  bool seen = false;
  for (int attempt = 0; attempt < 20 && !seen; ++attempt) {
    SetEvent(bufferReady.Get());
    os::System().DebugOutput(text);
    if (WaitForSingleObject(dataReady.Get(), 5000) != WAIT_OBJECT_0) break;
    const auto* block = static_cast<const char*>(view.Get());
    DWORD pid = 0;
    std::memcpy(&pid, block, sizeof(pid));
    seen = pid == GetCurrentProcessId() && expected == std::string(block + sizeof(DWORD));
  }
  EXPECT_TRUE(seen) << "no monitor saw \"" << text << "\"";
}

}  // namespace

// Long values take a second call with the size the first one asked for; unknown names stay.
TEST(Win32System, ExpandEnvironmentReplacesKnownNamesOnly) {
  const std::wstring longValue(700, L'x');
  ASSERT_TRUE(SetEnvironmentVariableW(L"TVQM_LONG_VALUE", longValue.c_str()));
  wchar_t systemRoot[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableW(L"SystemRoot", systemRoot, MAX_PATH), 0u);

  EXPECT_EQ(os::win32::WideToUtf8(systemRoot) + "\\system32\\drivers\\etc",
            os::System().ExpandEnvironment("%SystemRoot%\\system32\\drivers\\etc"));
  EXPECT_EQ("<" + std::string(700, 'x') + ">", os::System().ExpandEnvironment("<%TVQM_LONG_VALUE%>"));
  EXPECT_EQ("%TVQM_NOT_SET_ANYWHERE%\\a", os::System().ExpandEnvironment("%TVQM_NOT_SET_ANYWHERE%\\a"));
  EXPECT_EQ("Grüße", os::System().ExpandEnvironment("Grüße"));
  SetEnvironmentVariableW(L"TVQM_LONG_VALUE", nullptr);
}
