#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/hmQuietmarkGroupPoliciesClient.h"
#include "tests/fakes/DebugEntryRecorder.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const os::RegKey HKLM = os::kHKeyLocalMachine;
const std::string kHosts = "SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Hosts";

std::string EntryFor(const std::string& valueName) {
  return "hmQuietmarkGroupPoliciesClient.ReadRegBoolean(\"\\SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex "
         "Quietmark\\Hosts\\\", \"" +
         valueName + "\")";
}

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> bytes) { return bytes; }

class PoliciesTest : public ::testing::Test {
 protected:
  std::vector<std::string> EntryMessages() const {
    std::vector<std::string> messages;
    for (const auto& entry : log.Entries()) {
      EXPECT_EQ(entry.kind, dekError);
      EXPECT_EQ(entry.senderClass, "ERegistryException");
      messages.push_back(entry.message);
    }
    return messages;
  }

  fakes::FakeWindows windows;
  fakes::DebugEntryRecorder log;
};

struct FlagCase {
  const char* name;
  std::function<void(fakes::FakeRegistry&)> arrange;
  bool expected;
  bool logged;
};

TEST_F(PoliciesTest, ReadOnlyFlagIsANonZeroDwordAndAnythingElseInAnExistingKeyIsLogged) {
  const std::string value = "EnableReadOnlyFileAttribute";
  const std::vector<FlagCase> cases = {
      {"no policy key", [](auto&) {}, false, false},
      {"key without the value", [&](auto& r) { r.CreateKey(HKLM, kHosts); }, false, true},
      {"dword 0", [&](auto& r) { r.SetDword(HKLM, kHosts, value, 0); }, false, false},
      {"dword 1", [&](auto& r) { r.SetDword(HKLM, kHosts, value, 1); }, true, false},
      {"dword 0xFFFFFFFF", [&](auto& r) { r.SetDword(HKLM, kHosts, value, 0xFFFFFFFFu); }, true, false},
      {"string \"1\"", [&](auto& r) { r.SetString(HKLM, kHosts, value, "1"); }, false, true},
      {"long string", [&](auto& r) { r.SetString(HKLM, kHosts, value, "enabled"); }, false, true},
      {"binary of four bytes",
       [&](auto& r) {
         r.SetValue(HKLM, kHosts, value, os::kRegBinary, Bytes({1, 0, 0, 0}));
       },
       false, true},
      {"qword 1",
       [&](auto& r) {
         r.SetValue(HKLM, kHosts, value, os::kRegQword, Bytes({1, 0, 0, 0, 0, 0, 0, 0}));
       },
       false, true},
      {"key that refuses reading",
       [&](auto& r) {
         r.SetDword(HKLM, kHosts, value, 1);
         r.SetKeyAccess(HKLM, kHosts, 0);
       },
       false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeWindows fresh;
    log.Clear();
    c.arrange(fresh.registry);

    EXPECT_EQ(GetPolicyHostsReadOnly(), c.expected);

    EXPECT_EQ(EntryMessages(), c.logged ? std::vector<std::string>{EntryFor(value)} : std::vector<std::string>{});
    EXPECT_EQ(fresh.registry.OpenHandleCount(), 0u);
  }
}

TEST_F(PoliciesTest, FailedReadsAreLoggedAtLevelFive) {
  windows.registry.CreateKey(HKLM, kHosts);
  DebugLogger()->MinLevel = 6;
  GetPolicyHostsReadOnly();
  EXPECT_TRUE(log.Entries().empty());
  DebugLogger()->MinLevel = 5;
  GetPolicyHostsReadOnly();
  EXPECT_EQ(EntryMessages(), std::vector<std::string>{EntryFor("EnableReadOnlyFileAttribute")});
}

TEST_F(PoliciesTest, EveryReadOpensThePolicyKeyReadOnlyInTheDefaultView) {
  windows.registry.SetDword(HKLM, kHosts, "EnableReadOnlyFileAttribute", 1);
  windows.registry.SetDword(HKLM, kHosts, "CustomBlockIP", 1);
  std::string address;
  GetPolicyHostsReadOnly();
  GetPolicyCustomBlockIP(address);

  ASSERT_FALSE(windows.registry.openCalls.empty());
  for (const auto& call : windows.registry.openCalls) {
    EXPECT_EQ(call.sam, os::kKeyRead) << call.path;
    EXPECT_EQ(call.path, "HKEY_LOCAL_MACHINE\\" + kHosts + "\\");
  }
}

struct AddressCase {
  const char* name;
  std::function<void(fakes::FakeRegistry&)> arrange;
  bool expected;
  std::string address;  // what the out value holds afterwards; "unchanged" keeps the sentinel
  bool logged;
};

TEST_F(PoliciesTest, CustomBlockAddressIsReadOnlyWhenItsFlagIsSet) {
  const std::vector<AddressCase> cases = {
      {"no policy key", [](auto&) {}, false, "unchanged", false},
      {"flag 0 with an address",
       [&](auto& r) {
         r.SetDword(HKLM, kHosts, "CustomBlockIP", 0);
         r.SetString(HKLM, kHosts, "BlockIP", "127.0.0.2");
       },
       false, "unchanged", false},
      {"address without the flag", [&](auto& r) { r.SetString(HKLM, kHosts, "BlockIP", "127.0.0.2"); }, false,
       "unchanged", true},
      {"flag 1 without an address", [&](auto& r) { r.SetDword(HKLM, kHosts, "CustomBlockIP", 1); }, true, "", false},
      {"flag 1 with an empty address",
       [&](auto& r) {
         r.SetDword(HKLM, kHosts, "CustomBlockIP", 1);
         r.SetString(HKLM, kHosts, "BlockIP", "");
       },
       true, "", false},
      {"flag 1 with an address",
       [&](auto& r) {
         r.SetDword(HKLM, kHosts, "CustomBlockIP", 1);
         r.SetString(HKLM, kHosts, "BlockIP", "127.0.0.2");
       },
       true, "127.0.0.2", false},
      {"expandable address stays unexpanded",
       [&](auto& r) {
         r.SetDword(HKLM, kHosts, "CustomBlockIP", 7);
         r.SetString(HKLM, kHosts, "BlockIP", "%BLOCKADDRESS%", os::kRegExpandSz);
       },
       true, "%BLOCKADDRESS%", false},
      {"address stored as a dword",
       [&](auto& r) {
         r.SetDword(HKLM, kHosts, "CustomBlockIP", 1);
         r.SetDword(HKLM, kHosts, "BlockIP", 0x0100007F);
       },
       false, "unchanged", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeWindows fresh;
    log.Clear();
    c.arrange(fresh.registry);
    std::string address = "unchanged";

    EXPECT_EQ(GetPolicyCustomBlockIP(address), c.expected);

    EXPECT_EQ(address, c.address);
    // A failed read names the flag, also when the address was what failed.
    EXPECT_EQ(EntryMessages(),
              c.logged ? std::vector<std::string>{EntryFor("CustomBlockIP")} : std::vector<std::string>{});
    EXPECT_EQ(fresh.registry.OpenHandleCount(), 0u);
  }
}

}  // namespace
