#include "app/bmrLocalizer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/fakes/FakeWindows.h"

namespace {

const char kUserKey[] = "Software\\Brenmoor Limited\\Localization";
const char kSystemKey[] = "S-1-5-18\\Software\\Brenmoor Limited\\Localization";
const char kFolder[] = "C:\\Program Files\\Tolvex\\";

class LocalizerTest : public ::testing::Test {
 protected:
  void TearDown() override { FinalizeBmrLocalizer(); }

  // The string under both keys for a folder; nullopt when a key or value is missing or not
  // REG_SZ.
  std::optional<std::string> Stored(os::RegKey root, const char* key, const std::string& folder = kFolder) {
    const auto value = windows_.registry.GetValue(root, key, folder);
    if (!value || value->type != os::kRegSz) return std::nullopt;
    std::string text(value->data.begin(), value->data.end());
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }
  void ExpectBoth(const std::string& language, const std::string& folder = kFolder) {
    EXPECT_EQ(language, Stored(os::kHKeyCurrentUser, kUserKey, folder));
    EXPECT_EQ(language, Stored(os::kHKeyUsers, kSystemKey, folder));
  }

  fakes::FakeWindows windows_;
};

TEST_F(LocalizerTest, StartCopiesTheUsersValueToBothKeys) {
  struct Case {
    const char* name;
    void (*arrange)(fakes::FakeRegistry&);
    std::string expected;
  };
  const Case cases[] = {
      {"first start: neither key", [](fakes::FakeRegistry&) {}, "en_US"},
      {"the user's key without a value for the folder",
       [](fakes::FakeRegistry& r) { r.CreateKey(os::kHKeyCurrentUser, kUserKey); }, ""},
      {"a stored choice",
       [](fakes::FakeRegistry& r) { r.SetString(os::kHKeyCurrentUser, kUserKey, kFolder, "de_DE"); }, "de_DE"},
      {"an expandable string",
       [](fakes::FakeRegistry& r) { r.SetString(os::kHKeyCurrentUser, kUserKey, kFolder, "fr_FR", os::kRegExpandSz); },
       "fr_FR"},
      {"a REG_DWORD under the folder's name",
       [](fakes::FakeRegistry& r) { r.SetDword(os::kHKeyCurrentUser, kUserKey, kFolder, 7); }, "en_US"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FinalizeBmrLocalizer();
    windows_.registry.DeleteKey(os::kHKeyCurrentUser, "Software\\Brenmoor Limited");
    windows_.registry.DeleteKey(os::kHKeyUsers, "S-1-5-18\\Software\\Brenmoor Limited");
    c.arrange(windows_.registry);
    InitializeBmrLocalizer();
    ExpectBoth(c.expected);
    EXPECT_EQ(0u, windows_.registry.OpenHandleCount());
  }
}

TEST_F(LocalizerTest, AnotherFolderAddsItsOwnValue) {
  windows_.registry.SetString(os::kHKeyCurrentUser, kUserKey, kFolder, "de_DE");
  InitializeBmrLocalizer();
  FinalizeBmrLocalizer();
  windows_.process.arguments = {"D:\\Tools\\TolvexQuietmark.exe", "/silent"};
  InitializeBmrLocalizer();
  // The key exists now, without a value for this folder: the empty text.
  ExpectBoth("", "D:\\Tools\\");
  ExpectBoth("de_DE");
}

TEST_F(LocalizerTest, AKeyThatCannotBeWrittenLeavesTheOtherWritten) {
  windows_.registry.failures.Fail("RegCreateKeyExA", os::kErrorAccessDenied, "S-1-5-18");
  InitializeBmrLocalizer();
  EXPECT_EQ("en_US", Stored(os::kHKeyCurrentUser, kUserKey));
  EXPECT_EQ(std::nullopt, Stored(os::kHKeyUsers, kSystemKey));

  windows_.registry.failures.Clear();
  windows_.registry.failures.Fail("RegCreateKeyExA", os::kErrorAccessDenied, "Software\\Brenmoor", 1);
  windows_.registry.failures.Fail("RegOpenKeyExA", os::kErrorAccessDenied, "Localization");
  EXPECT_FALSE(StoreLanguage("it_IT"));
  EXPECT_EQ("en_US", Stored(os::kHKeyCurrentUser, kUserKey));
  EXPECT_EQ("it_IT", Stored(os::kHKeyUsers, kSystemKey));
  EXPECT_EQ("en_US", GetStoredLanguage("en-US")) << "an unreadable key gives the default";
}

TEST(Replacers, EachLineReplacesInTheResultOfTheOneBefore) {
  TReplacers replacers;
  EXPECT_EQ("About %0:s", replacers.Apply("About %0:s"));
  const struct {
    std::vector<std::string> pairs;
    const char* text;
    const char* expected;
  } cases[] = {
      {{"Color=Colour"}, "Color Color color", "Colour Colour color"},
      {{"a=aa"}, "aba", "aabaa"},  // inserted text is not searched again
      {{"ab=c", "cc=d"}, "abab", "d"},
      {{"x=", "=y", "novalue"}, "xnovalue", "novalue"},
  };
  for (const auto& c : cases) {
    replacers.Pairs = c.pairs;
    EXPECT_EQ(c.expected, replacers.Apply(c.text)) << c.text;
  }
}

}  // namespace
