#include "platform/rtlRegistry.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tests/fakes/FakeWindows.h"

namespace {

using fakes::FakeRegistry;

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> bytes) { return bytes; }

class TRegistryTest : public ::testing::Test {
 protected:
  fakes::FakeWindows windows;
  FakeRegistry& registry = windows.registry;
};

TEST_F(TRegistryTest, StartsOnCurrentUserWithAllAccessAndNoKey) {
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), os::kHKeyCurrentUser);
  EXPECT_EQ(reg.Access(), os::kKeyAllAccess);
  EXPECT_EQ(reg.CurrentKey(), 0u);
  EXPECT_EQ(reg.CurrentPath(), "");
}

TEST_F(TRegistryTest, RelativeKeysOpenUnderTheCurrentKeyAbsoluteOnesUnderTheRoot) {
  registry.CreateKey(os::kHKeyCurrentUser, "Software\\A\\B");
  registry.CreateKey(os::kHKeyCurrentUser, "Software\\C");
  registry.CreateKey(os::kHKeyCurrentUser, "Top");
  TRegistry reg;

  ASSERT_TRUE(reg.OpenKey("Software\\A", false));  // nothing open yet: under the root
  EXPECT_EQ(reg.CurrentPath(), "Software\\A");
  ASSERT_TRUE(reg.OpenKey("B", false));
  EXPECT_EQ(reg.CurrentPath(), "Software\\A\\B");
  EXPECT_EQ(registry.openCalls.back().path, "HKEY_CURRENT_USER\\Software\\A\\B");
  ASSERT_TRUE(reg.OpenKey("\\Software\\C", false));
  EXPECT_EQ(reg.CurrentPath(), "Software\\C");
  EXPECT_EQ(registry.openCalls.back().path, "HKEY_CURRENT_USER\\Software\\C");  // backslash gone
  EXPECT_FALSE(reg.OpenKey("Top", false));  // relative to Software\C, where it is not
  EXPECT_EQ(reg.CurrentPath(), "Software\\C");

  // Each change closed the key before; only the current one is open.
  EXPECT_EQ(registry.OpenHandleCount(), 1u);
  for (const auto& call : registry.openCalls) {
    EXPECT_EQ(call.call, "RegOpenKeyExA");
    EXPECT_EQ(call.sam, os::kKeyAllAccess);
  }
}

TEST_F(TRegistryTest, OpenKeyCreatesOnlyWhenAllowed) {
  TRegistry reg;
  reg.SetRootKey(os::kHKeyLocalMachine);
  EXPECT_FALSE(reg.OpenKey("\\SYSTEM\\New", false));
  EXPECT_FALSE(registry.KeyExists(os::kHKeyLocalMachine, "SYSTEM\\New"));

  ASSERT_TRUE(reg.OpenKey("\\SYSTEM\\New", true));
  EXPECT_TRUE(registry.KeyExists(os::kHKeyLocalMachine, "SYSTEM\\New"));
  EXPECT_EQ(registry.openCalls.back().call, "RegCreateKeyExA");
  EXPECT_EQ(registry.openCalls.back().sam, os::kKeyAllAccess);
}

TEST_F(TRegistryTest, OpenKeyReadOnlyAsksForKeyReadInTheViewOfTheAccessMask) {
  registry.SetDword(os::kHKeyLocalMachine, "SOFTWARE\\X", "V", 64);
  registry.SetDword(os::kHKeyLocalMachine, "SOFTWARE\\Wow6432Node\\X", "V", 32);
  TRegistry reg;
  reg.SetRootKey(os::kHKeyLocalMachine);

  ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\X"));
  EXPECT_EQ(registry.openCalls.back().sam, os::kKeyRead);
  EXPECT_EQ(reg.ReadInteger("V"), 32);

  reg.SetAccess(os::kKeyAllAccess | os::kKeyWow64_64Key);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\X"));
  EXPECT_EQ(registry.openCalls.back().sam, os::kKeyRead | os::kKeyWow64_64Key);
  EXPECT_EQ(reg.ReadInteger("V"), 64);
  EXPECT_EQ(reg.Access(), os::kKeyAllAccess | os::kKeyWow64_64Key);  // the mask itself stays
}

TEST_F(TRegistryTest, KeyExistsLeavesTheCurrentKeyAndNoHandleBehind) {
  registry.CreateKey(os::kHKeyCurrentUser, "Software\\A\\B");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\A", false));
  const os::RegKey current = reg.CurrentKey();

  EXPECT_TRUE(reg.KeyExists("B"));
  EXPECT_TRUE(reg.KeyExists("\\Software"));
  EXPECT_FALSE(reg.KeyExists("\\B"));
  EXPECT_EQ(reg.CurrentKey(), current);
  EXPECT_EQ(registry.OpenHandleCount(), 1u);
}

TEST_F(TRegistryTest, ClosesItsKeyOnDestructionAndWhenTheRootChanges) {
  registry.CreateKey(os::kHKeyCurrentUser, "Software");
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software", false));
    reg.SetRootKey(os::kHKeyLocalMachine);
    EXPECT_EQ(reg.CurrentKey(), 0u);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE", true));
    EXPECT_EQ(registry.OpenHandleCount(), 1u);
  }
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(TRegistryTest, DataInfoOfValues) {
  registry.SetDword(os::kHKeyCurrentUser, "K", "Dword", 7);
  registry.SetString(os::kHKeyCurrentUser, "K", "Text", "abc");
  registry.SetValue(os::kHKeyCurrentUser, "K", "Multi", os::kRegMultiSz, Bytes({'a', 0, 0}));
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("K", false));

  EXPECT_EQ(reg.GetDataSize("Dword"), 4);
  EXPECT_EQ(reg.GetDataSize("Text"), 4);
  EXPECT_EQ(reg.GetDataSize("Missing"), -1);
  EXPECT_EQ(reg.GetDataType("Dword"), TRegDataType::rdInteger);
  EXPECT_EQ(reg.GetDataType("Text"), TRegDataType::rdString);
  EXPECT_EQ(reg.GetDataType("Multi"), TRegDataType::rdUnknown);
  EXPECT_EQ(reg.GetDataType("Missing"), TRegDataType::rdUnknown);
  EXPECT_TRUE(reg.ValueExists("Multi"));
  EXPECT_FALSE(reg.ValueExists("Missing"));
}

// Runs `read` and gives the message of the ERegistryException it must raise.
std::string RegistryErrorOf(const std::function<void()>& read) {
  try {
    read();
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.ClassName(), "ERegistryException");
    EXPECT_EQ(rtl::ExceptionClassName(error), "ERegistryException");
    return error.Message();
  }
  ADD_FAILURE() << "no ERegistryException";
  return {};
}

TEST_F(TRegistryTest, ReadIntegerAcceptsOnlyAReadableDword) {
  registry.SetDword(os::kHKeyCurrentUser, "K", "Dword", 0xFFFFFFFFu);
  registry.SetString(os::kHKeyCurrentUser, "K", "Short", "1");
  registry.SetValue(os::kHKeyCurrentUser, "K", "Long", os::kRegDword, Bytes({1, 0, 0, 0, 0, 0, 0, 0}));
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("K", false));

  EXPECT_EQ(reg.ReadInteger("Dword"), -1);
  EXPECT_TRUE(reg.ReadBool("Dword"));

  struct Case {
    const char* name;
    const char* message;
  } cases[] = {
      {"Short", "Invalid registry data type: \"Short\""},
      {"Missing", "Failed to get data for value \"Missing\""},
      {"Long", "Failed to get data for value \"Long\""},  // more than four bytes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RegistryErrorOf([&] { reg.ReadInteger(c.name); }), c.message) << c.name;
  }
}

TEST_F(TRegistryTest, ReadStringGivesTextValuesUpToTheirFirstNul) {
  registry.SetString(os::kHKeyCurrentUser, "K", "Text", "0.0.0.0");
  registry.SetString(os::kHKeyCurrentUser, "K", "Expand", "%SystemRoot%\\x", os::kRegExpandSz);
  registry.SetValue(os::kHKeyCurrentUser, "K", "Nul", os::kRegSz, Bytes({'a', 'b', 0, 'c', 0}));
  registry.SetValue(os::kHKeyCurrentUser, "K", "Empty", os::kRegBinary, {});
  registry.SetDword(os::kHKeyCurrentUser, "K", "Dword", 1);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("K", false));

  EXPECT_EQ(reg.ReadString("Text"), "0.0.0.0");
  EXPECT_EQ(reg.ReadString("Expand"), "%SystemRoot%\\x");
  EXPECT_EQ(reg.ReadString("Nul"), "ab");
  EXPECT_EQ(reg.ReadString("Missing"), "");
  EXPECT_EQ(reg.ReadString("Empty"), "");  // no data is no error, whatever the type
  EXPECT_EQ(RegistryErrorOf([&] { reg.ReadString("Dword"); }), "Invalid data type for \"Dword\"");
}

TEST_F(TRegistryTest, WritesAndDeletesValuesOfTheCurrentKey) {
  TRegistry reg;
  reg.SetRootKey(os::kHKeyLocalMachine);
  ASSERT_TRUE(reg.OpenKey("\\SYSTEM\\CurrentControlSet\\Services\\Svc", true));
  reg.WriteInteger("Start", 4);
  reg.WriteString("Text", "abc");
  reg.WriteExpandString("Path", "%windir%");

  EXPECT_EQ(registry.GetDword(os::kHKeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Svc", "Start"), 4u);
  auto text = registry.GetValue(os::kHKeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Svc", "Text");
  ASSERT_TRUE(text);
  EXPECT_EQ(text->type, os::kRegSz);
  EXPECT_EQ(text->data, Bytes({'a', 'b', 'c', 0}));
  EXPECT_EQ(reg.ReadString("Path"), "%windir%");
  EXPECT_EQ(reg.GetDataType("Path"), TRegDataType::rdExpandString);

  EXPECT_TRUE(reg.DeleteValue("Text"));
  EXPECT_FALSE(reg.DeleteValue("Text"));
  EXPECT_FALSE(reg.ValueExists("Text"));
}

TEST_F(TRegistryTest, AFailedWriteRaisesWithTheValueName) {
  registry.failures.Fail("RegSetValueExA", os::kErrorAccessDenied, "Start");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Svc", true));
  EXPECT_EQ(RegistryErrorOf([&] { reg.WriteInteger("Start", 2); }), "Failed to set data for value \"Start\"");

  TRegistry readOnly(os::kKeyRead);
  ASSERT_TRUE(readOnly.OpenKey("\\Svc", false));
  EXPECT_EQ(RegistryErrorOf([&] { readOnly.WriteString("Other", "x"); }), "Failed to set data for value \"Other\"");
}

// How the product's policy values are read: a KEY_READ object on HKLM, in the default view of
// a 32-bit process, where the policy keys are shared.
TEST_F(TRegistryTest, ReadsPolicyValuesWithKeyReadOnly) {
  const std::string hosts = "SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Hosts";
  registry.SetDword(os::kHKeyLocalMachine, hosts, "CustomBlockIP", 1);
  registry.SetString(os::kHKeyLocalMachine, hosts, "BlockIP", "127.0.0.1");
  registry.SetKeyAccess(os::kHKeyLocalMachine, hosts, os::kKeyRead);

  TRegistry reg(os::kKeyRead);
  reg.SetRootKey(os::kHKeyLocalMachine);
  ASSERT_TRUE(reg.OpenKeyReadOnly("\\" + hosts + "\\"));
  EXPECT_EQ(registry.openCalls.back().sam, os::kKeyRead);
  EXPECT_EQ(reg.ReadInteger("CustomBlockIP"), 1);
  EXPECT_EQ(reg.ReadString("BlockIP"), "127.0.0.1");
  EXPECT_THROW(reg.ReadInteger("EnableReadOnlyFileAttribute"), ERegistryException);
}

}  // namespace
