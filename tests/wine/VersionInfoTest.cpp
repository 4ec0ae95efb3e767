// The version block of the built TolvexQuietmark.exe through the program's reader, and the
// in-memory block lookup and block builder of the host tests checked against version.dll.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/bmrPEVersions.h"
#include "platform/os/win32/Text.h"
#include "tests/fakes/FakeVersionInfo.h"
#include "tests/wine/WineTestSupport.h"
#include "tvqmVersion.h"

namespace {

std::string ExePath() { return os::win32::WideToUtf8(winetest::Options().exePath); }

TEST(Win32VersionInfo, ProgramReadsItsOwnVersionBlock) {
  const std::string exe = ExePath();
  ASSERT_FALSE(exe.empty()) << "CTest passes --exe=<path of TolvexQuietmark.exe>";
  EXPECT_EQ(1, GetVersionTranslationCount(exe));
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadVersionStrings(exe, 0, lines));
  ASSERT_EQ(12u, lines.size()) << "no Translators, Build or Instruction field";
  EXPECT_EQ("FileVersion=" TVQM_VERSION_TEXT, lines[0]);
  EXPECT_EQ(TVQM_PRODUCT_NAME, VersionValueOf(lines, "ProductName"));
  EXPECT_EQ(TVQM_VERSION_TEXT, VersionValueOf(lines, "ProductVersion"));
  EXPECT_EQ(TVQM_COMPANY_NAME, VersionValueOf(lines, "CompanyName"));
  EXPECT_EQ(TVQM_FILE_DESCRIPTION, VersionValueOf(lines, "FileDescription"));
  EXPECT_EQ(TVQM_LEGAL_COPYRIGHT, VersionValueOf(lines, "LegalCopyright"));
  EXPECT_EQ(TVQM_LEGAL_TRADEMARKS, VersionValueOf(lines, "LegalTrademarks"));
  EXPECT_EQ("PrivateBuild=", lines[10]);

  EXPECT_EQ(0, GetVersionTranslationCount(exe + ".missing"));
  EXPECT_FALSE(ReadVersionStrings(exe + ".missing", 0, lines));
  EXPECT_EQ(12u, lines.size());
}

// What VerQueryValueW and the in-memory lookup find in the same block.
void ExpectSameAnswers(const std::vector<BYTE>& block, const std::vector<std::wstring>& paths) {
  for (const std::wstring& path : paths) {
    SCOPED_TRACE(os::win32::WideToUtf8(path));
    void* real = nullptr;
    UINT realLength = 0;
    const bool realFound = VerQueryValueW(block.data(), path.c_str(), &real, &realLength) != FALSE && real != nullptr;
    const void* own = nullptr;
    std::uint32_t ownLength = 0;
    const bool ownFound =
        FindVersionValue(block.data(), block.size(), std::u16string(path.begin(), path.end()), own, ownLength);
    ASSERT_EQ(realFound, ownFound);
    if (!realFound) continue;
    EXPECT_EQ(real, own);
    EXPECT_EQ(realLength, ownLength);
  }
}

const std::vector<std::wstring> kPaths = {
    L"\\",
    L"\\VarFileInfo\\Translation",
    L"\\\\VarFileInfo\\\\Translation",
    L"\\StringFileInfo\\040904E4\\ProductName",
    L"\\\\StringFileInfo\\\\040904E4\\\\CompanyName",
    L"\\StringFileInfo\\040904e4\\legalcopyright",
    L"\\StringFileInfo\\040904E4\\PrivateBuild",
    L"\\StringFileInfo\\040704B0\\ProductName",
};

TEST(Win32VersionInfo, LookupInMemoryAnswersAsVersionDllOnTheProgramsBlock) {
  const std::wstring exe = winetest::Options().exePath;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), handle, size, block.data()));
  ExpectSameAnswers(block, kPaths);
}

TEST(Win32VersionInfo, BlocksOfTheHostTestsReadAsVersionDllReadsThem) {
  const auto built = fakes::BuildVersionBlock(
      {{{"040904E4", {{"ProductName", "Tolvex Quietmark"}, {"CompanyName", "Gr\xC3\xBC\xC3\x9F" "e"}, {"Comments", ""}}},
        {"040704B0", {{"ProductName", "Deutsch"}}}},
       std::vector<std::uint32_t>{0x04E40409, 0x04B00407}});
  const std::vector<BYTE> block(built.begin(), built.end());
  std::vector<std::wstring> paths = kPaths;
  paths.push_back(L"\\StringFileInfo\\040904E4\\Comments");
  ExpectSameAnswers(block, paths);
  void* text = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904E4\\CompanyName", &text, &length));
  EXPECT_EQ(L"Gr\u00FC\u00DFe", std::wstring(static_cast<const wchar_t*>(text)));
}

}  // namespace
