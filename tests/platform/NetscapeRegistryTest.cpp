#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/bmrFFHosts.h"
#include "platform/bmrFFNetscapeRegistry.h"
#include "tests/fakes/FakeWindows.h"
#include "tests/fakes/NetscapeRegistryFile.h"

namespace {

using fakes::NetscapeRegistryFile;
using fakes::NsNode;

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::vector<std::string> ChildNames(const TDataRec& node) {
  std::vector<std::string> names;
  for (const auto& child : node.Children) names.push_back(child->Name);
  return names;
}

std::string ValueOf(const TNSRegistry& registry, const std::string& path) {
  std::string value = "(unset)";
  registry.ReadValue(path, value);
  return value;
}

// The profile list of an old Mozilla: two profiles under Common\Profiles.
NsNode MozillaTree() {
  return NsNode::Key("", {}, {NsNode::Key("Common", {NsNode::Value("Version", "1.0")},
                                          {NsNode::Key("Profiles", {NsNode::Value("CurrentProfile", "default")},
                                                       {NsNode::Key("default", {NsNode::Value("directory", "C:\\p\\default")}),
                                                        NsNode::Key("work", {NsNode::Value("directory", "C:\\p\\work")})})})});
}

TEST(NetscapeRegistryTest, AKeyListsItsValuesThenItsSubkeysEachInReverseFileOrder) {
  const NetscapeRegistryFile file(NsNode::Key(
      "", {}, {NsNode::Key("K", {NsNode::Value("A", "a"), NsNode::Value("B", "b")}, {NsNode::Key("C"), NsNode::Key("D")})}));
  const auto registry = TNSRegistry::FromBytes(file.Bytes());
  ASSERT_NE(registry->Root(), nullptr);
  ASSERT_EQ(registry->Root()->Children.size(), 1u);
  EXPECT_EQ(ChildNames(*registry->Root()->Children[0]), (std::vector<std::string>{"B", "A", "D", "C"}));
  std::string text;
  registry->GetKeyNames("K", text);
  EXPECT_EQ(text, "D\r\nC");
  EXPECT_EQ(registry->Root()->Children[0]->Children[0]->Parent, registry->Root()->Children[0].get());
}

TEST(NetscapeRegistryTest, PathsFoldOnlyAsciiLettersAndTakeTheFirstMatch) {
  // "\xC9" and "\xE9" are one letter in two cases of an 8-bit code page: no match.
  const NetscapeRegistryFile file(NsNode::Key(
      "", {}, {NsNode::Key("Users", {}, {NsNode::Key("bob", {NsNode::Value("ProfileLocation", "C:\\bob")}),
                                         NsNode::Key("r\xE9mi", {NsNode::Value("profilelocation", "C:\\remi")})}),
               NsNode::Key("Same", {NsNode::Value("X", "the value")}, {NsNode::Key("X", {NsNode::Value("Y", "below")})})}));
  const auto registry = TNSRegistry::FromBytes(file.Bytes());
  const struct {
    const char* path;
    const char* value;
  } cases[] = {
      {"Users\\BOB\\ProfileLocation", "C:\\bob"},
      {"users\\Bob\\PROFILELOCATION", "C:\\bob"},
      {"/\\Users\\bob\\ProfileLocation", "C:\\bob"},  // the leading "/\" goes
      {"Users\\R\xE9MI\\ProfileLocation", "C:\\remi"},
      {"Users\\r\xC9mi\\ProfileLocation", ""},
      {"Users\\nobody\\ProfileLocation", ""},
      {"Users\\bob", ""},   // a key is no value entry
      {"NoBackslash", ""},  // no value name at all
      // The value entry X is listed before the subkey X and has nothing below it.
      {"Same\\X\\Y", ""},
      {"Same\\X", "the value"},
      {"Users\\bob\\\\ProfileLocation", "C:\\bob"},  // a key path ending in "\" names the key before it
  };
  for (const auto& c : cases) EXPECT_EQ(ValueOf(*registry, c.path), c.value) << c.path;
  std::string text = "(unset)";
  registry->GetKeyNames("Same\\X", text);
  EXPECT_EQ(text, "");
  registry->GetKeyNames("/\\USERS", text);
  EXPECT_EQ(text, "r\xE9mi\r\nbob");
  for (const char* path : {"Users\\", "/\\Users\\"}) {
    registry->GetKeyNames(path, text);
    EXPECT_EQ(text, "r\xE9mi\r\nbob") << path;
  }
}

TEST(NetscapeRegistryTest, NulBytesAnywhereInATextAreDropped) {
  const NetscapeRegistryFile file(
      NsNode::Key("", {}, {NsNode::Key(std::string("pro\0file", 8), {NsNode::Value("v", std::string("C:\\\0x", 5))})}));
  const auto registry = TNSRegistry::FromBytes(file.Bytes());
  EXPECT_EQ(ValueOf(*registry, "profile\\v"), "C:\\x");
}

// Each case breaks one field of a profile's key; that key, all below it and the keys after it
// in its chain are left out, the rest stays.
TEST(NetscapeRegistryTest, ADescriptorThatFailsItsChecksIsLeftOutWithTheRestOfItsChain) {
  using F = NetscapeRegistryFile;
  const struct {
    const char* what;
    const char* path;
    F::Field field;
    std::uint32_t value;  // ~0u: the offset of the broken node plus one
    std::vector<std::string> profiles;
  } cases[] = {
      {"location differs from the offset", "Common\\Profiles\\default", F::kLocation, 999, {}},
      {"parent points elsewhere", "Common\\Profiles\\work", F::kParent, 16, {"default"}},
      {"left points into the header", "Common\\Profiles\\default", F::kLeft, 12, {"default"}},
      {"left points past the end", "Common\\Profiles\\default", F::kLeft, 0x7FFFFFF0, {"default"}},
      {"left points between descriptors", "Common\\Profiles\\default", F::kLeft, ~0u, {"default"}},
  };
  for (const auto& c : cases) {
    NetscapeRegistryFile file(MozillaTree());
    file.SetField(c.path, c.field, c.value == ~0u ? file.OffsetOf(c.path) + 1 : c.value);
    const auto registry = TNSRegistry::FromBytes(file.Bytes());
    EXPECT_EQ(registry->KeyNames("Common\\Profiles"), c.profiles) << c.what;
    EXPECT_EQ(ValueOf(*registry, "Common\\Version"), "1.0") << c.what;
  }
}

TEST(NetscapeRegistryTest, ADescriptorEndingExactlyAtTheEndOfTheFileIsNotRead) {
  // Header, then the root key at 16 with an empty name, ending at 48.
  std::string bytes(48, '\0');
  Put32(bytes, 12, 16);
  Put32(bytes, 16, 16);
  bytes[26] = 1;  // a key
  EXPECT_EQ(TNSRegistry::FromBytes(bytes)->Root(), nullptr);
  bytes += '\0';
  EXPECT_NE(TNSRegistry::FromBytes(bytes)->Root(), nullptr);
  // A file too short for the root offset has no root.
  EXPECT_EQ(TNSRegistry::FromBytes(bytes.substr(0, 15))->Root(), nullptr);
}

TEST(NetscapeRegistryTest, CyclesEndWithEveryNodeReadOnce) {
  using F = NetscapeRegistryFile;
  const struct {
    const char* what;
    const char* path;
    F::Field field;
    const char* target;
  } cases[] = {
      {"a key's left chain leads back to itself", "Common\\Profiles\\work", F::kLeft, "Common\\Profiles\\default"},
      {"a value chain leads back", "Common\\Profiles\\default\\directory", F::kLeft, "Common\\Profiles\\default\\directory"},
      {"a subkey's down leads to its own key", "Common\\Profiles\\work", F::kDown, "Common\\Profiles"},
      {"a subkey's down leads to the root", "Common\\Profiles\\work", F::kDown, ""},
  };
  for (const auto& c : cases) {
    NetscapeRegistryFile file(MozillaTree());
    file.SetField(c.path, c.field, file.OffsetOf(c.target));
    const auto registry = TNSRegistry::FromBytes(file.Bytes());
    EXPECT_EQ(registry->KeyNames("Common\\Profiles"), (std::vector<std::string>{"work", "default"})) << c.what;
    EXPECT_EQ(ValueOf(*registry, "Common\\Profiles\\default\\directory"), "C:\\p\\default") << c.what;
  }
}

TEST(NetscapeRegistryTest, AChainAsDeepAsTheFileAllowsIsReadAndFreedWithoutRecursion) {
  // 32,000 keys, each the only subkey of the one before, all with an empty name.
  constexpr std::uint32_t kDepth = 32000;
  std::string bytes(16 + kDepth * 32 + 1, '\0');
  Put32(bytes, 12, 16);
  for (std::uint32_t i = 0; i < kDepth; ++i) {
    const std::uint32_t at = 16 + i * 32;
    Put32(bytes, at, at);
    bytes[at + 10] = 1;
    if (i + 1 < kDepth) Put32(bytes, at + 16, at + 32);
    Put32(bytes, at + 28, i == 0 ? 0 : at - 32);
  }
  const auto registry = TNSRegistry::FromBytes(bytes);
  ASSERT_NE(registry->Root(), nullptr);
  std::size_t depth = 1;
  for (const TDataRec* node = registry->Root(); !node->Children.empty(); node = node->Children[0].get()) ++depth;
  EXPECT_EQ(depth, kDepth);
  // The deepest key, through a path of 31,998 empty names.
  std::string path(kDepth - 2, '\\');
  std::string text = "(unset)";
  registry->GetKeyNames(path, text);
  EXPECT_EQ(text, "");
}

TEST(NetscapeRegistryTest, TextsNeverReachPastTheFileOrBeyondWhatItHolds) {
  NetscapeRegistryFile file(MozillaTree());
  // A name length far past the end gives the bytes up to the end.
  file.SetField("Common\\Version", NetscapeRegistryFile::kValueLength, 0xFFFFFFF0u);
  const auto registry = TNSRegistry::FromBytes(file.Bytes());
  const std::string value = ValueOf(*registry, "Common\\Version");
  EXPECT_EQ(value.substr(0, 3), "1.0");
  EXPECT_LT(value.size(), file.Bytes().size());

  // Many value entries that all point at the same large text: the texts together may not hold
  // more than the file, so the reader stops taking nodes once they would.
  std::vector<NsNode> values;
  for (int i = 0; i < 200; ++i) values.push_back(NsNode::Value("v" + std::to_string(i), ""));
  NetscapeRegistryFile shared(NsNode::Key("", {}, {NsNode::Key("K", values), NsNode::Key(std::string(20000, 'x'))}));
  const std::uint32_t bigText = static_cast<std::uint32_t>(shared.Bytes().size() - 20001);
  for (int i = 0; i < 200; ++i) {
    shared.SetField("K\\v" + std::to_string(i), NetscapeRegistryFile::kValue, bigText);
    shared.SetField("K\\v" + std::to_string(i), NetscapeRegistryFile::kValueLength, 20000);
  }
  const auto sharing = TNSRegistry::FromBytes(shared.Bytes());
  std::size_t held = 0;
  for (const auto& key : sharing->Root()->Children) {
    held += key->Name.size();
    for (const auto& entry : key->Children) held += entry->Name.size() + entry->Value.size();
  }
  EXPECT_LE(held, shared.Bytes().size());
}

TEST(NetscapeRegistryTest, FilesAreReadWhenTheyExistAndAreNoLargerThanAnyRegistry) {
  fakes::FakeWindows windows;
  const std::string path = "C:\\Users\\Tester\\AppData\\Roaming\\Mozilla\\registry.dat";
  EXPECT_EQ(TNSRegistry(path).Root(), nullptr);  // no file: an empty reader

  const NetscapeRegistryFile file(MozillaTree());
  windows.files.SetFile(path, file.Bytes());
  EXPECT_EQ(TNSRegistry(path).KeyNames("Common\\Profiles"), (std::vector<std::string>{"work", "default"}));

  windows.files.SetFile(path, file.Bytes() + std::string(TNSRegistry::kMaxFileSize, '\0'));
  EXPECT_EQ(TNSRegistry(path).Root(), nullptr);

  windows.files.SetFile(path, file.Bytes());
  windows.files.failures.Fail("ReadFile", 32, "registry.dat");
  EXPECT_THROW(TNSRegistry{path}, EFOpenError);
}

}  // namespace
