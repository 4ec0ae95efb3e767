// Win32Process in the running test program.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/os/Process.h"
#include "platform/os/win32/Text.h"
#include "tests/wine/WineTestSupport.h"

namespace winetest {

// Spaces, quotes, a trailing backslash, an empty argument, a switch and non-ASCII text: the
// cases where splitting the command line goes wrong. tests/wine/CMakeLists.txt passes them.
const std::vector<std::string> kPassedArguments = {
    "two words", "say \"hi\"", "trailing backslash\\", "", "/silent", "Gr\xC3\xBC\xC3\x9F" "e",
};

}  // namespace winetest

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  return CompareStringOrdinal(os::win32::Utf8ToWide(text.substr(text.size() - end.size())).c_str(), -1,
                              os::win32::Utf8ToWide(end).c_str(), -1, TRUE) == CSTR_EQUAL;
}

TEST(Win32Process, ModuleFileNameIsTheFullPathOfTheExecutable) {
  const std::string path = os::Process().ModuleFileName();
  EXPECT_TRUE(EndsWithNoCase(path, "\\tvqm_wine_tests.exe")) << path;
  ASSERT_GE(path.size(), 3u);
  EXPECT_EQ(":\\", path.substr(1, 2)) << path;
  const DWORD attributes = GetFileAttributesW(os::win32::Utf8ToWide(path).c_str());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes) << path;
}

// The arguments went from CTest through Wine's command line to CommandLineToArgvW: each one
// must come back as it was given, in UTF-8.
TEST(Win32Process, ArgumentsComeBackAsTheyWereGiven) {
  const std::vector<std::string> arguments = os::Process().Arguments();
  ASSERT_FALSE(arguments.empty());
  EXPECT_TRUE(EndsWithNoCase(arguments[0], "tvqm_wine_tests.exe")) << arguments[0];
  EXPECT_EQ(winetest::kPassedArguments, winetest::Options().passedArguments);
  std::printf("command line: %s\n", os::win32::WideToUtf8(GetCommandLineW()).c_str());
}

DWORD WINAPI StoreThreadId(void* result) {
  *static_cast<std::uint32_t*>(result) = os::Process().CurrentThreadId();
  return 0;
}

TEST(Win32Process, IdsAreThoseOfTheCallingThread) {
  EXPECT_EQ(GetCurrentProcessId(), os::Process().CurrentProcessId());
  EXPECT_EQ(GetCurrentThreadId(), os::Process().CurrentThreadId());
  std::uint32_t other = 0;
  HANDLE thread = CreateThread(nullptr, 0, StoreThreadId, &other, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_NE(0u, other);
  EXPECT_NE(os::Process().CurrentThreadId(), other);
}

// The prefix is a 64-bit one and the tests a 32-bit program: the registry immunizers depend on
// this answer to reach the native view.
TEST(Win32Process, ThirtyTwoBitProgramInTheSixtyFourBitPrefixRunsUnderWow64) {
  EXPECT_TRUE(os::Process().IsWow64Process());
}

}  // namespace
