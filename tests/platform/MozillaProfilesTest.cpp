#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/bmrFFMozillaProfiles.h"
#include "platform/rtlIniFiles.h"
#include "tests/fakes/FakeWindows.h"
#include "tests/fakes/NetscapeRegistryFile.h"

namespace {

using fakes::NetscapeRegistryFile;
using fakes::NsNode;
using Profiles = std::vector<std::string>;

const std::string kBase = "C:\\Users\\Tester\\AppData";
const std::string kFirefoxIni = kBase + "\\Mozilla\\Firefox\\profiles.ini";

// A registry file whose profiles (name, folder) sit under Users (nsreg.dat) or under
// Common\Profiles with the value name of that kind.
std::string RegistryWith(bool netscape, const std::vector<std::pair<std::string, std::string>>& profiles) {
  std::vector<NsNode> keys;
  for (const auto& [name, folder] : profiles) {
    keys.push_back(NsNode::Key(name, {NsNode::Value(netscape ? "ProfileLocation" : "directory", folder)}));
  }
  if (netscape) return NetscapeRegistryFile(NsNode::Key("", {}, {NsNode::Key("Users", {}, keys)})).Bytes();
  return NetscapeRegistryFile(NsNode::Key("", {}, {NsNode::Key("Common", {}, {NsNode::Key("Profiles", {}, keys)})}))
      .Bytes();
}

Profiles ReadIni(const std::string& text) {
  Profiles profiles;
  ReadProfilesIniText(kFirefoxIni, text, profiles);
  return profiles;
}

TEST(MozillaProfilesTest, ProfilesIniGivesEveryProfileSectionsFolder) {
  const std::string ini =
      "[General]\r\nStartWithLastProfile=1\r\n\r\n"
      "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\n\r\n"
      "[Install308046B0AF4A39CB]\r\nDefault=Profiles/abc.default\r\n"
      "[profile2]\nIsRelative=0\nPath=D:/Mozilla/work\n"
      "[PROFILE3]\nPath=E:\\mail\\\n"
      "[Profil]\nPath=X:\\short\n"
      "[ Profile4 ]\nIsRelative=1\n"   // no Path: the ini file's folder
      "[Profile5]\nIsRelative = 1\n"   // blanks around the key and value do not count
      "; Path=Y:\\commented\n";
  const std::string folder = kBase + "\\Mozilla\\Firefox\\";
  EXPECT_EQ(ReadIni(ini), (Profiles{folder + "Profiles\\abc.default\\", "D:\\Mozilla\\work\\", "E:\\mail\\", folder,
                                    folder}));
  // A section without Path and not relative gives a lone delimiter, which the templates drop.
  EXPECT_EQ(ReadIni("[Profile0]\nName=x\n"), (Profiles{"\\"}));
}

TEST(MozillaProfilesTest, ProfilesIniInAnyEncodingOrStateGivesWhatItHolds) {
  const std::string plain = "[Profile0]\r\nIsRelative=0\r\nPath=C:\\p\\one\r\n";
  std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
  for (char c : plain) {
    utf16le += c;
    utf16le += '\0';
    utf16be += '\0';
    utf16be += c;
  }
  const struct {
    const char* what;
    std::string bytes;
    Profiles profiles;
  } cases[] = {
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + plain, {"C:\\p\\one\\"}},
      {"UTF-16 little endian", utf16le, {"C:\\p\\one\\"}},
      {"UTF-16 big endian", utf16be, {"C:\\p\\one\\"}},
      {"UTF-16 cut in half a character", utf16le.substr(0, utf16le.size() - 3), {"C:\\p\\one\\"}},
      {"an 8-bit code page", "[Profile0]\nPath=C:\\J\xFCrgen\n", {"C:\\J\xFCrgen\\"}},
      {"cut in the middle of a section line", plain + "[Profi", {"C:\\p\\one\\"}},
      {"cut after the key", "[Profile0]\nPath", {"\\"}},
      {"NUL bytes inside", std::string("[Prof\0ile0]\nPa\0th=C:\\n\0ul\n", 27), {"C:\\nul\\"}},
      {"old Mac line breaks", "[Profile0]\rPath=C:\\mac\r", {"C:\\mac\\"}},
      {"binary", std::string("\x00\x01\x02[\xFF\xFE\x7F]\n=\n\x80\x81", 14), {}},
      {"empty", "", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadIni(c.bytes), c.profiles) << c.what;
}

TEST(MozillaProfilesTest, IniKeysAndNumbersReadAsTheRuntimeReadsThem) {
  const TMemIniFile ini(
      "top=ignored\n[A]\nn=12\nneg=-7\nhex=$1F\nhex2=0x10\nbad=1x\nbig=4294967296\nn=99\n[a]\nn=5\n[B]\nempty=\n");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"A", "a", "B"}));
  const struct {
    const char* section;
    const char* key;
    std::int32_t value;
  } cases[] = {{"A", "n", 12}, {"a", "N", 12}, {"A", "neg", -7}, {"A", "hex", 31}, {"A", "hex2", 16},
               {"A", "bad", -1}, {"A", "big", -1}, {"B", "empty", -1}, {"B", "missing", -1}, {"", "top", -1}};
  for (const auto& c : cases) EXPECT_EQ(ini.ReadInteger(c.section, c.key, -1), c.value) << c.section << "/" << c.key;
  EXPECT_EQ(ini.ReadString("B", "empty", "default"), "");
  EXPECT_EQ(ini.ReadString("B", "missing", "default"), "default");
}

// The profile files in the order they are probed: product number, file type (0 a binary
// registry file, 1 a "profiles.ini"), path below the base folder.
const TMozillaProfileSpecification kProfileFiles[] = {
    {2, 1, "Mozilla\\Firefox\\profiles.ini"},
    {0, 0, "Beonex\\registry.dat"},
    {1, 0, "Firebird\\registry.dat"},
    {1, 0, "Phoenix\\registry.dat"},
    {3, 1, "Flock\\Browser\\profiles.ini"},
    {4, 1, "K-Meleon\\profiles.ini"},
    {4, 0, "K-Meleon\\registry.dat"},
    {5, 1, "altimit-dev\\lolifox\\profiles.ini"},
    {5, 1, "kyobu-senbi\\lolifox\\profiles.ini"},
    {6, 0, "Mozilla\\registry.dat"},
    {6, 1, "Mozilla\\SeaMonkey\\profiles.ini"},
    {8, 0, "nsreg.dat"},
    {7, 1, "Netscape\\Navigator\\profiles.ini"},
    {12, 1, "Postbox\\profiles.ini"},
    {13, 1, "Songbird2\\profiles.ini"},
    {11, 1, "Thunderbird\\profiles.ini"},
    {9, 1, "Moonchild Productions\\Pale Moon\\profiles.ini"},
    {10, 1, "Wyzo\\Data\\profiles.ini"},
};
const char* const kSubFolders[] = {"", "Local\\", "Roaming\\"};

TEST(MozillaProfilesTest, EveryRowIsProbedUnderEverySubFolderInOrder) {
  fakes::FakeWindows windows;
  // One profile file per row and sub-folder, each naming its own folder.
  Profiles expected;
  for (const auto& row : kProfileFiles) {
    for (const char* sub : kSubFolders) {
      const std::string file = kBase + "\\" + sub + row.RelativePath;
      const std::string folder = "P:\\" + std::string(sub) + row.RelativePath;
      if (row.FileType == 1) {
        windows.files.SetFile(file, "[Profile0]\nPath=" + folder + "\n");
      } else {
        windows.files.SetFile(file, RegistryWith(row.Kind == 8, {{"p", folder}}));
      }
      expected.push_back(folder + "\\");
    }
  }
  Profiles profiles{"kept"};
  FindMozillaProfiles(kBase + "\\", profiles);
  expected.insert(expected.begin(), "kept");
  EXPECT_EQ(profiles, expected);

  std::set<std::string> tested;
  for (const auto& call : windows.files.calls) {
    if (call.rfind("GetFileAttributesW ", 0) == 0) tested.insert(call);
  }
  EXPECT_EQ(tested.size(), 54u);

  // The product numbers other than 8 change nothing that can be seen; they stand as listed.
  ASSERT_EQ(MozillaProfileSpecifications.size(), std::size(kProfileFiles));
  for (std::size_t i = 0; i < std::size(kProfileFiles); ++i) {
    EXPECT_EQ(MozillaProfileSpecifications[i].Kind, kProfileFiles[i].Kind) << kProfileFiles[i].RelativePath;
  }
}

TEST(MozillaProfilesTest, RegistryFilesListProfilesInTheReadersOrderAndRepeatsStay) {
  fakes::FakeWindows windows;
  // nsreg.dat in the base folder goes through Users; a registry.dat through Common\Profiles,
  // whose Users key is not read.
  windows.files.SetFile(kBase + "\\nsreg.dat", RegistryWith(true, {{"anna", "C:\\a"}, {"ben", "C:\\b"}}));
  const std::string both =
      NetscapeRegistryFile(
          NsNode::Key("", {}, {NsNode::Key("Users", {}, {NsNode::Key("x", {NsNode::Value("directory", "C:\\wrong")})}),
                               NsNode::Key("Common", {}, {NsNode::Key("Profiles", {}, {
                                   NsNode::Key("one", {NsNode::Value("directory", "C:\\a\\")}),
                                   NsNode::Key("none")})})}))
          .Bytes();
  windows.files.SetFile(kBase + "\\Mozilla\\registry.dat", both);
  windows.files.SetFile(kBase + "\\Roaming\\Mozilla\\SeaMonkey\\profiles.ini", "[Profile0]\nPath=C:\\a\n");
  Profiles profiles;
  FindMozillaProfiles(kBase, profiles);
  // A profile without its location value gives a lone delimiter.
  EXPECT_EQ(profiles, (Profiles{"\\", "C:\\a\\", "C:\\a\\", "C:\\b\\", "C:\\a\\"}));
}

TEST(MozillaProfilesTest, AFileThatCannotBeReadOrIsTooLargeAddsNothing) {
  fakes::FakeWindows windows;
  windows.files.SetFile(kFirefoxIni, "[Profile0]\nPath=C:\\ff\n");
  windows.files.SetFile(kBase + "\\Thunderbird\\profiles.ini",
                        "[Profile0]\nPath=C:\\tb\n" + std::string(kMaxProfilesIniSize, ';'));
  windows.files.SetFile(kBase + "\\Mozilla\\registry.dat", RegistryWith(false, {{"p", "C:\\moz"}}));
  windows.files.SetFile(kBase + "\\Phoenix\\registry.dat", RegistryWith(false, {{"p", "C:\\phoenix"}}));
  windows.files.SetFile(kBase + "\\Postbox\\profiles.ini", "[Profile0]\nPath=C:\\postbox\n");
  windows.files.failures.Fail("ReadFile", 5, "Mozilla\\registry.dat");
  windows.files.failures.Fail("ReadFile", 32, "Postbox");
  Profiles profiles;
  FindMozillaProfiles(kBase, profiles);
  EXPECT_EQ(profiles, (Profiles{"C:\\ff\\", "C:\\phoenix\\"}));
}

}  // namespace
