#include "platform/rtlTranslations.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"
#include "tests/fakes/FakeWindows.h"

namespace {

std::string ReadFixture(const std::string& name) {
  std::ifstream file(std::string(TVQM_L10N_TEST_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string GermanCatalog() { return ReadFixture("locale/de/LC_MESSAGES/TolvexQuietmark.mo"); }

void PutWord(std::string& bytes, std::size_t at, std::uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

TEST(MoCatalog, ReadsWhatMsgfmtWritesInEitherByteOrder) {
  const rtl::MessageCatalog expected = {
      {"Telemetry Services", "Telemetriedienste"},
      {"Service: %0:s (%1:s)", "Dienst: %0:s (%1:s)"},
      {"Apps use advertising ID", "Apps verwenden die Werbe-ID f\xC3\xBCr Anzeigen"},
      {"%d item", "%d Eintrag"},  // a plural entry: the singular id, the first form
  };
  for (const char* file : {"locale/de/LC_MESSAGES/TolvexQuietmark.mo", "de-big-endian.mo"}) {
    SCOPED_TRACE(file);
    const std::string bytes = ReadFixture(file);
    ASSERT_GT(bytes.size(), 28u);
    rtl::MessageCatalog messages;
    ASSERT_TRUE(rtl::ParseMoCatalog(bytes, messages));
    EXPECT_EQ(expected, messages);
  }
}

TEST(MoCatalog, MalformedCatalogsGiveNothing) {
  const std::string valid = GermanCatalog();
  ASSERT_GT(valid.size(), 28u);
  // msgfmt puts the strings last: every cut reaches into a table or a string (the very last
  // byte is the NUL after the last string, which nothing needs).
  for (std::size_t size = 0; size + 1 < valid.size(); ++size) {
    rtl::MessageCatalog messages{{"stale", "entry"}};
    ASSERT_FALSE(rtl::ParseMoCatalog(std::string_view(valid).substr(0, size), messages)) << size;
    ASSERT_TRUE(messages.empty());
  }
  std::uint32_t originals = 0;
  std::memcpy(&originals, valid.data() + 12, 4);
  const struct {
    const char* name;
    std::size_t offset;
    std::uint32_t value;
  } patches[] = {
      {"another magic", 0, 0x12345678},
      {"revision 2.0", 4, 0x00020000},
      {"more strings than the file holds", 8, 0xFFFFFFFF},
      {"the originals' table past the end", 12, 0xFFFFFFF0},
      {"a string past the end", originals + 12, 0x7FFFFFFF},
      {"a string longer than the file", originals + 8, 0xFFFFFFFF},
  };
  for (const auto& patch : patches) {
    std::string bytes = valid;
    PutWord(bytes, patch.offset, patch.value);
    rtl::MessageCatalog messages;
    EXPECT_FALSE(rtl::ParseMoCatalog(bytes, messages)) << patch.name;
  }
  std::string latin1 = valid;
  const auto charset = latin1.find("charset=UTF-8");
  ASSERT_NE(std::string::npos, charset);
  latin1.replace(charset + 8, 5, "CP850");
  rtl::MessageCatalog messages;
  EXPECT_FALSE(rtl::ParseMoCatalog(latin1, messages)) << "a charset the texts are not in";
}

class TranslatorTest : public ::testing::Test {
 protected:
  void TearDown() override { rtl::FinalizeRtlTranslations(); }
  fakes::FakeWindows windows_;
};

TEST_F(TranslatorTest, LanguageFromArgumentThenLangThenUserInterface) {
  const struct {
    std::vector<std::string> arguments;
    const char* lang;  // nullptr: not set
    std::uint16_t uiLanguage;
    const char* expected;
  } cases[] = {
      {{"--lang", "de_DE"}, "fr_FR", 0x0409, "de_DE"},
      {{"/silent", "--LANG", "fr"}, nullptr, 0x0409, "fr"},
      {{"-l", "it_IT.UTF-8"}, nullptr, 0x0409, "it_IT"},
      {{"--Lang", "de"}, "pt_BR.UTF-8@latin", 0x0409, "pt_BR"},
      {{"--lang"}, "nl_NL", 0x0409, "nl_NL"},  // no argument after it
      {{}, "", 0x0807, "de_CH"},
      {{}, nullptr, 0x0415, ""},  // a language the system cannot name
      {{"--lang", "..\\..\\Temp"}, nullptr, 0x0409, ""},
  };
  for (const auto& c : cases) {
    windows_.process.SetCommandLine(c.arguments);
    windows_.system.environment.erase("LANG");
    if (c.lang) windows_.system.environment["LANG"] = c.lang;
    windows_.locale.uiLanguage = c.uiLanguage;
    EXPECT_EQ(c.expected, rtl::ChooseTranslationLanguage()) << testing::PrintToString(c.arguments);
  }
}

TEST_F(TranslatorTest, CatalogsAreLookedForFolderByFolderFullCodeFirst) {
  const std::vector<std::string> expected = {
      "C:\\P\\locale\\de_DE\\LC_MESSAGES\\TolvexQuietmark.mo",
      "C:\\P\\locale\\de\\LC_MESSAGES\\TolvexQuietmark.mo",
      "C:\\P\\languages\\de_DE\\LC_MESSAGES\\TolvexQuietmark.mo",
      "C:\\P\\languages\\de\\LC_MESSAGES\\TolvexQuietmark.mo",
      "C:\\P\\de_DE\\LC_MESSAGES\\TolvexQuietmark.mo",
      "C:\\P\\de\\LC_MESSAGES\\TolvexQuietmark.mo",
  };
  EXPECT_EQ(expected, rtl::CatalogCandidates("C:\\P\\", "de_DE"));
  EXPECT_EQ(3u, rtl::CatalogCandidates("C:\\P\\", "de").size());
  EXPECT_TRUE(rtl::CatalogCandidates("C:\\P\\", "").empty());

  // The first that reads and parses wins; a malformed one before it is passed over.
  const std::string folder = "C:\\Program Files\\Tolvex\\";
  windows_.files.AddFolder(folder + "languages\\de_DE\\LC_MESSAGES");
  windows_.files.AddFolder(folder + "languages\\de\\LC_MESSAGES");
  windows_.files.AddFolder(folder + "de\\LC_MESSAGES");
  windows_.files.SetFile(folder + "languages\\de_DE\\LC_MESSAGES\\TolvexQuietmark.mo", "\xDE\x12\x04\x95garbage");
  windows_.files.SetFile(folder + "languages\\de\\LC_MESSAGES\\TolvexQuietmark.mo", GermanCatalog());
  windows_.files.SetFile(folder + "de\\LC_MESSAGES\\TolvexQuietmark.mo", GermanCatalog());
  rtl::MessageCatalog messages;
  std::string path;
  ASSERT_TRUE(rtl::FindTranslationCatalog("de_DE", messages, path));
  EXPECT_EQ(folder + "languages\\de\\LC_MESSAGES\\TolvexQuietmark.mo", path);
  EXPECT_EQ(4u, messages.size());
  EXPECT_FALSE(rtl::FindTranslationCatalog("fr_FR", messages, path));
  EXPECT_TRUE(messages.empty());
}

TEST_F(TranslatorTest, StartWithACatalogTranslatesTheResourceStrings) {
  const std::string catalog = "C:\\Program Files\\Tolvex\\locale\\de\\LC_MESSAGES\\TolvexQuietmark.mo";
  windows_.files.AddFolder("C:\\Program Files\\Tolvex\\locale\\de\\LC_MESSAGES");
  windows_.files.SetFile(catalog, GermanCatalog());
  const rtl::ResourceString untranslated{"rsnottranslated", "Not yet translated"};

  windows_.process.SetCommandLine({"--lang", "de_AT"});
  rtl::InitializeRtlTranslations();
  EXPECT_EQ("Telemetriedienste", TWindows10TelemetryServicesImmunization::GetDisplayName());
  EXPECT_EQ("Not yet translated", rtl::LoadResString(untranslated));
  rtl::FinalizeRtlTranslations();
  EXPECT_EQ("Telemetry Services", TWindows10TelemetryServicesImmunization::GetDisplayName());

  for (const std::string& content : {std::string("\xDE\x12\x04\x95"), std::string()}) {
    windows_.files.SetFile(catalog, content);
    rtl::InitializeRtlTranslations();
    EXPECT_EQ("Telemetry Services", TWindows10TelemetryServicesImmunization::GetDisplayName());
    rtl::FinalizeRtlTranslations();
  }
  windows_.files.SetFile(catalog, GermanCatalog());
  windows_.process.SetCommandLine({"--lang", "en_US"});
  rtl::InitializeRtlTranslations();
  EXPECT_EQ("Telemetry Services", TWindows10TelemetryServicesImmunization::GetDisplayName());
}

TEST(PotTemplate, EveryEnglishTextOnceWithItsNames) {
  const rtl::ResourceString b{"rsb", "Say \"hi\"\\n\tthen\nleave"};
  const rtl::ResourceString a{"rsa", "Shared"};
  const rtl::ResourceString c{"rsc", "Shared"};
  const std::string pot = rtl::WritePotTemplate({&c, &b, &a});
  const std::string entries = pot.substr(pot.find("\n\n#. "));
  EXPECT_EQ(
      "\n\n#. rsa\n#. rsc\nmsgid \"Shared\"\nmsgstr \"\"\n"
      "\n#. rsb\nmsgid \"Say \\\"hi\\\"\\\\n\\tthen\\nleave\"\nmsgstr \"\"\n",
      entries);
  EXPECT_NE(std::string::npos, pot.find("\"Content-Type: text/plain; charset=UTF-8\\n\"\n"));

  bool listed = false;
  for (const rtl::ResourceString* text : rtl::AllResourceStrings()) {
    listed = listed || std::string(text->Name) == "rsdisplaynametelemetryservices";
  }
  EXPECT_TRUE(listed);
  const std::size_t before = rtl::AllResourceStrings().size();
  { const rtl::ResourceString temporary{"rstemporary", "gone again"}; }
  EXPECT_EQ(before, rtl::AllResourceStrings().size());
}

}  // namespace
