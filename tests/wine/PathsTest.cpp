// The path templates on the prefix's real shell folders, environment and file system: what
// the 32-bit program sees under WOW64, and what building the table costs in its own process.

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/bmrFilesPaths.h"
#include "platform/os/Files.h"
#include "platform/os/Shell.h"
#include "platform/os/System.h"
#include "platform/os/win32/Text.h"

namespace {

using os::win32::WideToUtf8;

std::string ShellFolderW(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return {};
  return WideToUtf8(buffer);
}

std::string EnvironmentW(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
  return length == 0 || length >= 32768 ? std::string() : WideToUtf8(std::wstring_view(buffer, length));
}

std::string FirstFolder(const TPathTemplates& table, const std::string& name) {
  const TPathList* list = table.Find(name);
  return list == nullptr || list->Count() == 0 ? std::string("(none)") : list->GetItem(0)->Path;
}

TEST(Win32Shell, ItemListAndPathRoutesAgreeAndFreeTheirLists) {
  auto& shell = os::Shell();
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_SYSTEM}) {
    os::ItemIdList list = nullptr;
    ASSERT_EQ(os::kSOk, shell.FolderLocation(csidl, os::kCurrentUserToken, list)) << csidl;
    std::string viaList;
    EXPECT_TRUE(shell.PathFromItemIdList(list, viaList)) << csidl;
    shell.FreeItemIdList(list);
    std::string viaPath;
    EXPECT_EQ(os::kSOk, shell.FolderPath(csidl, os::kCurrentUserToken, os::kShGetFolderPathTypeCurrent, viaPath));
    EXPECT_EQ(viaList, viaPath) << csidl;
    EXPECT_EQ(viaList, ShellFolderW(csidl)) << csidl;
  }
  // Control Panel is a folder without a path.
  os::ItemIdList controls = nullptr;
  if (shell.FolderLocation(CSIDL_CONTROLS, os::kCurrentUserToken, controls) == os::kSOk) {
    std::string path;
    EXPECT_FALSE(shell.PathFromItemIdList(controls, path));
    shell.FreeItemIdList(controls);
  }
  std::string none;
  // A number no folder has (the bits above 0xFF are flags).
  EXPECT_NE(os::kSOk, shell.FolderPath(0x7F, os::kCurrentUserToken, 0, none));
}

TEST(Win32System, EnvironmentBlockHoldsTheProcessVariables) {
  std::vector<std::string> strings;
  ASSERT_TRUE(os::System().EnvironmentStrings(strings));
  ASSERT_FALSE(strings.empty());
  const std::string appData = "APPDATA=" + EnvironmentW(L"APPDATA");
  bool found = false;
  for (const auto& entry : strings) {
    if (_stricmp(entry.substr(0, 8).c_str(), "APPDATA=") == 0 && entry.substr(8) == appData.substr(8)) found = true;
  }
  EXPECT_TRUE(found) << appData;
}

TEST(Win32Files, FolderTestsTempFolderAndBoundedReads) {
  auto& files = os::Files();
  const std::string temp = files.TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ('\\', temp.back());
  EXPECT_TRUE(files.FolderExists(temp));
  EXPECT_FALSE(files.FileExists(temp));
  const std::string file = temp + "tvqm-readhead.txt";
  ASSERT_EQ(0u, files.WriteAll(file, std::string(200000, 'x') + "end"));
  EXPECT_FALSE(files.FolderExists(file));
  std::string content;
  EXPECT_EQ(0u, files.ReadHead(file, 70000, content));
  EXPECT_EQ(70000u, content.size());
  EXPECT_EQ(0u, files.ReadHead(file, 1u << 20, content));
  EXPECT_EQ(200003u, content.size());
  files.Remove(file);
  EXPECT_NE(0u, files.ReadHead(file, 10, content));
}

// The table the program builds at its start, built here in the same kind of process.
TEST(PathTemplatesOnWine, DesktopSysnativeAndTempAreTheSystemsAndTheBuildIsTimed) {
  const auto started = std::chrono::steady_clock::now();
  TPathTemplates table;
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  std::printf("PathTemplates built in %.1f ms (%zu templates)\n", ms, table.Count());

  const std::string desktop = ShellFolderW(CSIDL_DESKTOPDIRECTORY);
  ASSERT_FALSE(desktop.empty());
  std::printf("<$DESKTOP> = %s\n", desktop.c_str());
  EXPECT_EQ(desktop + "\\", table.Expand("<$DESKTOP>\\", true));
  EXPECT_EQ(GetFileAttributesW(os::win32::Utf8ToWide(desktop).c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  // The user's own desktop: below the user's profile, not the default user's or the public one.
  const std::string profile = EnvironmentW(L"USERPROFILE");
  ASSERT_FALSE(profile.empty());
  EXPECT_EQ(0, _strnicmp(desktop.c_str(), (profile + "\\").c_str(), profile.size() + 1)) << profile;
  EXPECT_NE(ShellFolderW(CSIDL_COMMON_DESKTOPDIRECTORY), desktop);

  // A 32-bit process on 64-bit Windows reaches the real system folder through sysnative.
  BOOL wow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  wchar_t system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  std::string sysnative = WideToUtf8(system);
  const auto at = sysnative.find("\\system32");
  if (wow64 && at != std::string::npos) sysnative.replace(at, 9, "\\sysnative");
  std::printf("<$SYSNATIVE> = %s (WOW64: %d)\n", FirstFolder(table, "SYSNATIVE").c_str(), wow64);
  EXPECT_EQ(sysnative, FirstFolder(table, "SYSNATIVE"));
  if (wow64) {
    EXPECT_NE(GetFileAttributesW(os::win32::Utf8ToWide(sysnative + "\\kernel32.dll").c_str()), INVALID_FILE_ATTRIBUTES);
  }

  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  ASSERT_GT(length, 1u);
  EXPECT_EQ(WideToUtf8(std::wstring_view(temp, length - 1)), FirstFolder(table, "TEMP"));
  EXPECT_EQ(EnvironmentW(L"APPDATA"), FirstFolder(table, "APPDATA"));
  const TPathList* appData = table.Find("APPDATA");
  ASSERT_NE(appData, nullptr);
  // The shell and the environment name the same folder: one item with both sources.
  EXPECT_EQ(PathSourceBit(psCLSID) | PathSourceBit(psEnvironment), appData->GetItem(0)->Sources & 0x05);
  EXPECT_EQ(FirstFolder(table, "APPDATA") + "\\Microsoft\\Internet Explorer\\Quick Launch",
            FirstFolder(table, "QUICKLAUNCH"));

  wchar_t user[260];
  DWORD userLength = 260;
  ASSERT_TRUE(GetUserNameW(user, &userLength));
  EXPECT_EQ(WideToUtf8(user), FirstFolder(table, "USER"));
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD computerLength = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(computer, &computerLength));
  EXPECT_EQ(WideToUtf8(computer), FirstFolder(table, "COMPUTER"));
}

}  // namespace
