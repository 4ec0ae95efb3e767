#include "platform/bmrPEVersions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/FakeWindows.h"

namespace {

using Lines = std::vector<std::string>;

const char kFile[] = "C:\\Program Files\\Tolvex\\TolvexQuietmark.exe";

const std::vector<std::pair<std::string, std::string>> kTenKeys = {
    {"Comments", "No comment"},
    {"CompanyName", "Brenmoor Limited"},
    {"FileDescription", "Stops telemetry"},
    {"FileVersion", "1.2.3.4"},
    {"InternalName", "TolvexQuietmark"},
    {"LegalCopyright", "Copyright \xC2\xA9 2026 Brenmoor Limited"},
    {"LegalTrademarks", "Tolvex is a trademark"},
    {"OriginalFilename", "TolvexQuietmark.exe"},
    {"ProductName", "Tolvex Quietmark"},
    {"ProductVersion", "1.2.3"},
};

class PEVersionsTest : public ::testing::Test {
 protected:
  void SetBlock(const fakes::VersionBlockSpec& spec) { windows_.versionInfo.SetBlock(kFile, fakes::BuildVersionBlock(spec)); }
  fakes::FakeWindows windows_;
};

TEST_F(PEVersionsTest, ReadsTheTwelveLinesOfOneTranslationInKeyOrder) {
  SetBlock({{{"040904E4", kTenKeys}}});
  EXPECT_EQ(1, GetVersionTranslationCount(kFile));
  Lines lines;
  ASSERT_TRUE(ReadVersionStrings(kFile, 0, lines));
  const Lines expected = {
      "FileVersion=1.2.3.4",
      "CompanyName=Brenmoor Limited",
      "InternalName=TolvexQuietmark",
      "Comments=No comment",
      "LegalCopyright=Copyright \xC2\xA9 2026 Brenmoor Limited",
      "LegalTrademarks=Tolvex is a trademark",
      "OriginalFilename=TolvexQuietmark.exe",
      "ProductName=Tolvex Quietmark",
      "ProductVersion=1.2.3",
      "FileDescription=Stops telemetry",
      "PrivateBuild=",
      "SpecialBuild=",
  };
  EXPECT_EQ(expected, lines);
  EXPECT_EQ("Tolvex Quietmark", VersionValueOf(lines, "productname"));
  EXPECT_EQ("", VersionValueOf(lines, "Translators"));
}

TEST_F(PEVersionsTest, LastThreeKeysOnlyWhenTheirLineDoesNotEndWithEquals) {
  auto strings = kTenKeys;
  strings.push_back({"Translators", ""});
  strings.push_back({"Build", "abc="});
  strings.push_back({"Instruction", "Run as administrator"});
  SetBlock({{{"040904E4", strings}}});
  Lines lines;
  ASSERT_TRUE(ReadVersionStrings(kFile, 0, lines));
  ASSERT_EQ(13u, lines.size());
  EXPECT_EQ("Instruction=Run as administrator", lines.back());

  strings[10].second = "Anna (de), Marc (fr)";
  SetBlock({{{"040904E4", strings}}});
  lines.clear();
  ASSERT_TRUE(ReadVersionStrings(kFile, 0, lines));
  ASSERT_EQ(14u, lines.size());
  EXPECT_EQ("Translators=Anna (de), Marc (fr)", lines[12]);
}

TEST_F(PEVersionsTest, AppendsAfterLinesAlreadyThere) {
  SetBlock({{{"040904E4", kTenKeys}}});
  Lines lines = {"kept"};
  ASSERT_TRUE(ReadVersionStrings(kFile, 0, lines));
  ASSERT_TRUE(ReadVersionStrings(kFile, 0, lines));
  ASSERT_EQ(25u, lines.size());
  EXPECT_EQ("kept", lines[0]);
  EXPECT_EQ(lines[1], lines[13]);
}

TEST_F(PEVersionsTest, IndexSelectsTranslationLanguageLowHalfCodePageHighHalf) {
  SetBlock({{{"040904E4", {{"ProductName", "English"}}}, {"040704B0", {{"ProductName", "Deutsch"}}}},
            std::vector<std::uint32_t>{0x04E40409, 0x04B00407}});
  EXPECT_EQ(2, GetVersionTranslationCount(kFile));
  Lines lines;
  ASSERT_TRUE(ReadVersionStrings(kFile, 1, lines));
  EXPECT_EQ("Deutsch", VersionValueOf(lines, "ProductName"));
  EXPECT_EQ("", VersionValueOf(lines, "CompanyName"));
}

TEST_F(PEVersionsTest, NothingReadWithoutBlockTableOrEntry) {
  struct Case {
    const char* name;
    bool block;
    bool table;
    const char* failingCall;
    std::int32_t index;
    std::int32_t count;
  };
  const Case cases[] = {
      {"no file", false, true, nullptr, 0, 0},
      {"size call fails", true, true, "GetFileVersionInfoSizeW", 0, 0},
      {"copy fails", true, true, "GetFileVersionInfoW", 0, 0},
      {"no translation table", true, false, nullptr, 0, 0},
      {"index past the table", true, true, nullptr, 1, 1},
      {"negative index", true, true, nullptr, -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeWindows windows;
    if (c.block) {
      fakes::VersionBlockSpec spec{{{"040904E4", kTenKeys}}};
      if (!c.table) spec.translations.reset();
      windows.versionInfo.SetBlock(kFile, fakes::BuildVersionBlock(spec));
    }
    if (c.failingCall) windows.versionInfo.failures.Fail(c.failingCall, 0);
    EXPECT_EQ(c.count, GetVersionTranslationCount(kFile));
    Lines lines = {"before"};
    EXPECT_FALSE(ReadVersionStrings(kFile, c.index, lines));
    EXPECT_EQ(Lines{"before"}, lines);
  }
}

// The lookup over the block in memory, as VerQueryValueW answers.
class VersionBlockLookup : public ::testing::Test {
 protected:
  std::vector<std::uint8_t> block_ = fakes::BuildVersionBlock({{{"040904E4", kTenKeys}}});

  std::string Text(std::u16string_view path, std::size_t size) {
    const void* value = nullptr;
    std::uint32_t length = 0;
    if (!FindVersionValue(block_.data(), size, path, value, length)) return "<missing>";
    std::string text;
    const auto* units = static_cast<const char16_t*>(value);
    for (std::uint32_t i = 0; i < length && units[i] != 0; ++i) text += static_cast<char>(units[i]);
    return text;
  }
};

TEST_F(VersionBlockLookup, PathsAsVerQueryValueTakesThem) {
  const struct {
    std::u16string_view path;
    const char* text;
  } cases[] = {
      {u"\\StringFileInfo\\040904E4\\ProductName", "Tolvex Quietmark"},
      {u"\\\\StringFileInfo\\\\040904e4\\\\productname", "Tolvex Quietmark"},
      {u"StringFileInfo\\040904E4\\FileVersion\\", "1.2.3.4"},
      {u"\\StringFileInfo\\040904E4\\PrivateBuild", "<missing>"},
      {u"\\StringFileInfo\\04090000\\ProductName", "<missing>"},
      {u"\\StringFileInfo\\040904E4\\ProductNam", "<missing>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.text, Text(c.path, block_.size())) << std::string(c.path.begin(), c.path.end());
  }
  const void* value = nullptr;
  std::uint32_t length = 0;
  ASSERT_TRUE(FindVersionValue(block_.data(), block_.size(), u"\\", value, length));
  EXPECT_EQ(52u, length);
  EXPECT_EQ(0xBD, *static_cast<const std::uint8_t*>(value));
  ASSERT_TRUE(FindVersionValue(block_.data(), block_.size(), u"\\VarFileInfo\\Translation", value, length));
  EXPECT_EQ(4u, length);
}

TEST_F(VersionBlockLookup, ACutBlockNeverFindsAValueOutsideIt) {
  const std::u16string path = u"\\StringFileInfo\\040904E4\\ProductVersion";
  for (std::size_t size = 0; size < block_.size(); ++size) {
    std::vector<std::uint8_t> cut(block_.begin(), block_.begin() + static_cast<std::ptrdiff_t>(size));
    const void* value = nullptr;
    std::uint32_t length = 0;
    if (FindVersionValue(cut.data(), cut.size(), path, value, length)) {
      const auto* at = static_cast<const std::uint8_t*>(value);
      ASSERT_LE(at + 2 * length, cut.data() + cut.size()) << "size " << size;
    }
  }
  // A node that claims to be longer than its parent is not entered: "StringFileInfo" comes
  // right after the root's key and its VS_FIXEDFILEINFO, at offset 92.
  ASSERT_EQ('S', block_[98]);
  block_[92] = 0xFF;
  block_[93] = 0xFF;
  EXPECT_EQ("<missing>", Text(u"\\StringFileInfo\\040904E4\\ProductName", block_.size()));
}

}  // namespace
