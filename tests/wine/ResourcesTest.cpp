// The resources of the built TolvexQuietmark.exe, read as Windows reads them.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/os/win32/Handles.h"
#include "platform/os/win32/Text.h"
#include "tests/wine/WineTestSupport.h"
#include "tvqmVersion.h"

namespace {

// RT_MANIFEST as the wide resource functions take it.
const LPCWSTR kManifestType = MAKEINTRESOURCEW(24);

class ProgramResources : public testing::Test {
 protected:
  void SetUp() override {
    path_ = winetest::Options().exePath;
    ASSERT_FALSE(path_.empty()) << "CTest passes --exe=<path of TolvexQuietmark.exe>";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path_.c_str())) << os::win32::WideToUtf8(path_);
  }
  std::wstring path_;
};

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
  auto* list = reinterpret_cast<std::vector<std::uintptr_t>*>(names);
  list->push_back(IS_INTRESOURCE(name) ? reinterpret_cast<std::uintptr_t>(name) : 0);
  return TRUE;
}

TEST_F(ProgramResources, ManifestAsksForWhatTheProgramNeeds) {
  os::win32::UniqueModule module(
      LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  ASSERT_TRUE(module) << GetLastError();
  std::vector<std::uintptr_t> names;
  EnumResourceNamesW(module.Get(), kManifestType, CollectName, reinterpret_cast<LONG_PTR>(&names));
  EXPECT_EQ(std::vector<std::uintptr_t>{1}, names) << "one manifest, resource id 1";

  HRSRC resource = FindResourceW(module.Get(), MAKEINTRESOURCEW(1), kManifestType);
  ASSERT_NE(nullptr, resource);
  const auto* data = static_cast<const char*>(LockResource(LoadResource(module.Get(), resource)));
  ASSERT_NE(nullptr, data);
  const std::string manifest(data, SizeofResource(module.Get(), resource));

  const char* const kRequired[] = {
      "level=\"requireAdministrator\"",
      "name=\"Microsoft.Windows.Common-Controls\"",
      "version=\"6.0.0.0\"",
      "publicKeyToken=\"6595b64144ccf1df\"",
      ">True/PM</dpiAware>",
      ">PerMonitorV2, PerMonitor</dpiAwareness>",
      "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // Windows 7
      "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // Windows 8
      "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // Windows 8.1
      "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // Windows 10
  };
  for (const char* fragment : kRequired) {
    EXPECT_NE(std::string::npos, manifest.find(fragment)) << "manifest lacks " << fragment;
  }
}

TEST_F(ProgramResources, VersionBlockNamesTheProduct) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &handle);
  ASSERT_GT(size, 0u) << GetLastError();
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), handle, size, block.data()));

  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(4u, length) << "one translation";
  const auto* translation = static_cast<const WORD*>(value);
  EXPECT_EQ(0x0409, translation[0]);
  EXPECT_EQ(1252, translation[1]);

  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(static_cast<DWORD>(VS_FFI_SIGNATURE), fixed->dwSignature);
  EXPECT_EQ(static_cast<DWORD>(MAKELONG(TVQM_VERSION_MINOR, TVQM_VERSION_MAJOR)), fixed->dwFileVersionMS);
  EXPECT_EQ(static_cast<DWORD>(MAKELONG(TVQM_VERSION_BUILD, TVQM_VERSION_PATCH)), fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
  EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

  auto field = [&](const wchar_t* key) -> std::string {
    void* text = nullptr;
    UINT characters = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904E4\\") + key;
    if (!VerQueryValueW(block.data(), path.c_str(), &text, &characters) || text == nullptr) return "<missing>";
    return os::win32::WideToUtf8(static_cast<const wchar_t*>(text));
  };
  EXPECT_EQ("Tolvex Quietmark", field(L"ProductName"));
  EXPECT_EQ("Brenmoor Limited", field(L"CompanyName"));
  EXPECT_EQ("TolvexQuietmark.exe", field(L"OriginalFilename"));
  EXPECT_EQ("TolvexQuietmark", field(L"InternalName"));
  EXPECT_EQ(TVQM_VERSION_TEXT, field(L"FileVersion"));
  EXPECT_EQ(TVQM_VERSION_TEXT, field(L"ProductVersion"));
  // Code page 1252 of the resource script: its copyright sign must arrive as U+00A9.
  EXPECT_EQ("Copyright \xC2\xA9 2026 Brenmoor Limited", field(L"LegalCopyright"));
  for (const wchar_t* key : {L"FileDescription", L"LegalTrademarks"}) {
    const std::string text = field(key);
    EXPECT_TRUE(!text.empty() && text != "<missing>") << os::win32::WideToUtf8(key);
  }
}

}  // namespace
