#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/bmrAPIWindowsFirewall.h"
#include "tests/fakes/DebugEntryRecorder.h"
#include "tests/fakes/FakeWindows.h"

namespace {

using fakes::FakeFirewallRule;

const os::HResult kAccessDenied = os::fw::kEAccessDenied;
const std::vector<std::string> kAddresses = {"192.0.2.10", "198.51.100.7"};

class WindowsFirewallTest : public ::testing::Test {
 protected:
  bool Add(const std::string& name = "Rule") {
    return WindowsFirewall().AddIPBlock(kAddresses, name, "Tolvex Quietmark", "Blocks two addresses");
  }
  bool Set(const std::string& name, const std::vector<std::string>& addresses) {
    return WindowsFirewall().SetIPBlock(addresses, name, "Tolvex Quietmark", "Blocks them");
  }
  // The one level-5 entry a failed operation makes: the COM error, under the operation's name.
  void ExpectOneFailureEntry(const std::string& operation) {
    ASSERT_EQ(log.Entries().size(), 1u) << operation;
    EXPECT_EQ(log.Entries()[0].kind, dekError);
    EXPECT_EQ(log.Entries()[0].senderClass, "EOleSysError");
    EXPECT_EQ(log.Entries()[0].message, operation);
  }
  // The calls after the firewall access was made.
  std::vector<std::string> CallsFrom(std::size_t start) const {
    return {windows.firewall.calls.begin() + static_cast<std::ptrdiff_t>(start), windows.firewall.calls.end()};
  }

  fakes::FakeWindows windows;
  fakes::DebugEntryRecorder log;
};

TEST_F(WindowsFirewallTest, AddWritesTheNinePropertiesInOrderAndAddsOneMoreRuleEachTime) {
  WindowsFirewall();
  const std::size_t start = windows.firewall.calls.size();
  ASSERT_TRUE(Add());
  EXPECT_EQ(CallsFrom(start), (std::vector<std::string>{
                                  "CoCreateInstance HNetCfg.FWRule",
                                  "INetFwRule::put_Name",
                                  "INetFwRule::put_Description Rule",
                                  "INetFwRule::put_Profiles Rule",
                                  "INetFwRule::put_Action Rule",
                                  "INetFwRule::put_Direction Rule",
                                  "INetFwRule::put_Enabled Rule",
                                  "INetFwRule::put_InterfaceTypes Rule",
                                  "INetFwRule::put_Grouping Rule",
                                  "INetFwRule::put_RemoteAddresses Rule",
                                  "INetFwPolicy2::get_Rules",
                                  "INetFwRules::Add Rule",
                              }));
  const auto rules = windows.firewall.Named("Rule");
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_EQ(rules[0].description, "Blocks two addresses");
  EXPECT_EQ(rules[0].profiles, 0x7FFFFFFF);
  EXPECT_EQ(rules[0].action, 0);
  EXPECT_EQ(rules[0].direction, 2);
  EXPECT_TRUE(rules[0].enabled);
  EXPECT_EQ(rules[0].interfaceTypes, "All");
  EXPECT_EQ(rules[0].grouping, "Tolvex Quietmark");
  EXPECT_EQ(rules[0].remoteAddresses, "192.0.2.10,198.51.100.7");

  ASSERT_TRUE(Add());
  EXPECT_EQ(windows.firewall.Named("Rule").size(), 2u) << "the plain add does not look for the name";
  EXPECT_TRUE(log.Entries().empty());
}

TEST_F(WindowsFirewallTest, AFailedAddLeavesNoRuleAndLogsItsError) {
  const char* const calls[] = {
      "CoCreateInstance",          "INetFwRule::put_Name",          "INetFwRule::put_Description",
      "INetFwRule::put_Profiles",  "INetFwRule::put_Action",        "INetFwRule::put_Direction",
      "INetFwRule::put_Enabled",   "INetFwRule::put_InterfaceTypes", "INetFwRule::put_Grouping",
      "INetFwRule::put_RemoteAddresses", "INetFwPolicy2::get_Rules", "INetFwRules::Add",
  };
  for (const char* call : calls) {
    SCOPED_TRACE(call);
    WindowsFirewall();
    log.Clear();
    windows.firewall.failures.Clear();
    // The policy exists already; only the rule's creation fails.
    windows.firewall.failures.Fail(call, kAccessDenied, std::string(call) == "CoCreateInstance" ? "FWRule" : "");
    EXPECT_FALSE(Add());
    EXPECT_TRUE(windows.firewall.rules.empty());
    ExpectOneFailureEntry("TWindowsFirewall.AddIPBlock");
  }
}

TEST_F(WindowsFirewallTest, BlockExistsTellsEnabledAndSendsTheRuleCountOfThePolicy) {
  windows.firewall.AddRule({.name = "Other", .enabled = true});
  windows.firewall.AddRule({.name = "Off", .enabled = false});
  windows.firewall.AddRule({.name = "On", .enabled = true});
  struct Case {
    const char* name;
    bool exists;
    bool enabled;
  };
  for (const Case c : {Case{"On", true, true}, Case{"Off", true, false}, Case{"Missing", false, false},
                       Case{"on", false, false}}) {
    SCOPED_TRACE(c.name);
    windows.system.debugOutput.clear();
    bool enabled = !c.enabled;
    EXPECT_EQ(WindowsFirewall().BlockExists(c.name, enabled), c.exists);
    EXPECT_EQ(enabled, c.enabled);
    EXPECT_EQ(windows.system.debugOutput, std::vector<std::string>{"Rules: 3"});
  }
  // No rule of a name is the state before the first apply, not an error.
  EXPECT_TRUE(log.Entries().empty());
}

TEST_F(WindowsFirewallTest, BlockExistsLogsEveryOtherFailure) {
  windows.firewall.AddRule({.name = "On", .enabled = true});
  for (const char* call : {"INetFwPolicy2::get_Rules", "INetFwRules::get_Count", "INetFwRules::Item",
                           "INetFwRule::get_Enabled"}) {
    SCOPED_TRACE(call);
    log.Clear();
    windows.firewall.failures.Clear();
    // Wine answers Item with E_NOTIMPL: a failure, not a missing rule.
    windows.firewall.failures.Fail(call, std::string(call) == "INetFwRules::Item" ? os::fw::kENotImpl : kAccessDenied);
    bool enabled = true;
    EXPECT_FALSE(WindowsFirewall().BlockExists("On", enabled));
    EXPECT_FALSE(enabled);
    ExpectOneFailureEntry("TWindowsFirewall.BlockExists");
  }
}

TEST_F(WindowsFirewallTest, RemoveTakesEveryRuleOfTheNameAndNoOther) {
  windows.firewall.AddRule({.name = "Rule", .enabled = true});
  windows.firewall.AddRule({.name = "Other"});
  windows.firewall.AddRule({.name = "Rule", .enabled = false});
  windows.firewall.AddRule({.name = "Rule", .enabled = true});

  EXPECT_TRUE(WindowsFirewall().RemoveBlock("Rule"));
  EXPECT_TRUE(windows.firewall.Named("Rule").empty());
  EXPECT_EQ(windows.firewall.rules.size(), 1u);
  EXPECT_EQ(windows.firewall.CallCount("INetFwRules::Remove"), 3u);
  EXPECT_TRUE(WindowsFirewall().RemoveBlock("Rule")) << "nothing to remove is no failure";
  EXPECT_TRUE(log.Entries().empty());
}

TEST_F(WindowsFirewallTest, RemoveLogsAFailureAndEndsWhenTheRuleDoesNotGo) {
  struct Case {
    const char* call;
    os::HResult code;
  };
  // A Remove that answers S_OK and removes nothing must not keep the loop going.
  for (const Case c : {Case{"INetFwPolicy2::get_Rules", kAccessDenied}, Case{"INetFwRules::get_Count", kAccessDenied},
                       Case{"INetFwRules::Item", os::fw::kENotImpl}, Case{"INetFwRules::Remove", kAccessDenied},
                       Case{"INetFwRules::Remove", os::fw::kSOk}}) {
    SCOPED_TRACE(std::string(c.call) + " " + std::to_string(c.code));
    windows.firewall.rules.clear();
    windows.firewall.AddRule({.name = "Rule"});
    windows.firewall.AddRule({.name = "Rule"});
    log.Clear();
    windows.firewall.failures.Clear();
    windows.firewall.failures.Fail(c.call, c.code);
    EXPECT_FALSE(WindowsFirewall().RemoveBlock("Rule"));
    ExpectOneFailureEntry("TWindowsFirewall.RemoveBlock");
  }
}

TEST_F(WindowsFirewallTest, SetLeavesExactlyOneEnabledRuleOfTheNameWithTheNewAddresses) {
  windows.firewall.AddRule({.name = "Rule", .enabled = false, .remoteAddresses = "203.0.113.1"});
  windows.firewall.AddRule({.name = "Other", .enabled = true});
  windows.firewall.AddRule({.name = "Rule", .enabled = true, .remoteAddresses = "203.0.113.2"});

  ASSERT_TRUE(Set("Rule", {"192.0.2.10"}));
  ASSERT_TRUE(Set("Rule", {"192.0.2.10"}));
  const auto rules = windows.firewall.Named("Rule");
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_TRUE(rules[0].enabled);
  EXPECT_EQ(rules[0].remoteAddresses, "192.0.2.10");
  EXPECT_EQ(windows.firewall.Named("Other").size(), 1u);
  EXPECT_TRUE(log.Entries().empty());

  // A rule that cannot be filled leaves the old one in place.
  windows.firewall.failures.Fail("INetFwRule::put_RemoteAddresses", kAccessDenied);
  EXPECT_FALSE(Set("Rule", {"198.51.100.7"}));
  ASSERT_EQ(windows.firewall.Named("Rule").size(), 1u);
  EXPECT_EQ(windows.firewall.Named("Rule")[0].remoteAddresses, "192.0.2.10");
  ExpectOneFailureEntry("TWindowsFirewall.SetIPBlock");
}

// What a user or another program may have made of the rule: disabled, inbound, allowing, in
// one profile, another group and other addresses.
FakeFirewallRule ChangedRule(const std::string& name) {
  return {.name = name,
          .description = "changed",
          .profiles = 1,
          .action = os::fw::kActionAllow,
          .direction = os::fw::kRuleDirectionIn,
          .enabled = false,
          .interfaceTypes = "Lan",
          .grouping = "Someone's",
          .remoteAddresses = "203.0.113.1"};
}

TEST_F(WindowsFirewallTest, SetChangesTheRulesOfTheNameInPlaceAndAddsOnlyWhenThereIsNone) {
  const struct {
    const char* what;
    int existing;
    std::size_t adds, removes;
  } cases[] = {
      {"no rule of the name", 0, 1, 0},
      {"one changed rule", 1, 0, 0},
      {"three rules of the name", 3, 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fakes::FakeWindows machine;
    machine.firewall.AddRule({.name = "Other", .enabled = true});
    for (int i = 0; i < c.existing; ++i) machine.firewall.AddRule(ChangedRule("Rule"));
    TWindowsFirewall firewall;
    ASSERT_TRUE(firewall.SetIPBlock({"192.0.2.10"}, "Rule", "Tolvex Quietmark", "Blocks them"));

    const auto rules = machine.firewall.Named("Rule");
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].description, "Blocks them");
    EXPECT_EQ(rules[0].profiles, os::fw::kProfile2All);
    EXPECT_EQ(rules[0].action, os::fw::kActionBlock);
    EXPECT_EQ(rules[0].direction, os::fw::kRuleDirectionOut);
    EXPECT_TRUE(rules[0].enabled);
    EXPECT_EQ(rules[0].interfaceTypes, "All");
    EXPECT_EQ(rules[0].grouping, "Tolvex Quietmark");
    EXPECT_EQ(rules[0].remoteAddresses, "192.0.2.10");
    EXPECT_EQ(machine.firewall.CallCount("INetFwRules::Add"), c.adds);
    EXPECT_EQ(machine.firewall.CallCount("INetFwRules::Remove"), c.removes);
    EXPECT_EQ(machine.firewall.Named("Other").size(), 1u);
  }
}

// A change that fails keeps every rule of the name, and a rule that was disabled stays disabled.
TEST_F(WindowsFirewallTest, AFailedSetNeverRemovesTheLastRuleOfTheName) {
  const char* const calls[] = {
      "INetFwRules::Add",
      "INetFwRules::get__NewEnum",
      "INetFwRule::get_Name",
      "INetFwRule::put_Description",
      "INetFwRule::put_RemoteAddresses",
      "INetFwRule::put_Enabled",
  };
  for (const int existing : {1, 2}) {
    for (const char* call : calls) {
      SCOPED_TRACE(std::string(call) + " with " + std::to_string(existing));
      fakes::FakeWindows machine;
      fakes::DebugEntryRecorder entries;
      for (int i = 0; i < existing; ++i) machine.firewall.AddRule(ChangedRule("Rule"));
      machine.firewall.failures.Fail(call, kAccessDenied);
      TWindowsFirewall firewall;
      const bool set = firewall.SetIPBlock({"192.0.2.10"}, "Rule", "Tolvex Quietmark", "Blocks them");
      const auto rules = machine.firewall.Named("Rule");
      ASSERT_FALSE(rules.empty());
      if (std::string(call) == "INetFwRules::Add") {
        // Nothing is added where a rule exists.
        EXPECT_TRUE(set);
        EXPECT_EQ(rules.size(), 1u);
        EXPECT_TRUE(rules[0].enabled);
        continue;
      }
      EXPECT_FALSE(set);
      EXPECT_EQ(rules.size(), static_cast<std::size_t>(existing));
      for (const auto& rule : rules) EXPECT_FALSE(rule.enabled);
      ASSERT_EQ(entries.Entries().size(), 1u);
      EXPECT_EQ(entries.Entries()[0].message, "TWindowsFirewall.SetIPBlock");
    }
  }
}

TEST_F(WindowsFirewallTest, APolicyThatCannotBeMadeRaisesAndIsTriedAgainNextTime) {
  windows.firewall.failures.Fail("CoCreateInstance", os::fw::kEClassString, "FwPolicy2", 1);
  try {
    WindowsFirewall();
    FAIL() << "no error";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.ErrorCode, os::fw::kEClassString);
    EXPECT_STREQ(error.what(), "OLE error 800401F3") << "the fake system has no text for the code";
  }
  TWindowsFirewall& first = WindowsFirewall();
  EXPECT_EQ(&WindowsFirewall(), &first);
  EXPECT_EQ(windows.firewall.CallCount("CoCreateInstance HNetCfg.FwPolicy2"), 2u);
  EXPECT_TRUE(log.Entries().empty());
}

TEST_F(WindowsFirewallTest, ShutDownReleasesThePolicyBeforeCOMGoes) {
  struct Case {
    os::HResult initialize;
    bool fails;
    bool uninitialized;
  };
  // S_FALSE holds a reference as S_OK does; a thread in the other apartment holds none.
  for (const Case c : {Case{os::fw::kSOk, false, true}, Case{1, false, true}, Case{os::fw::kEChangedMode, true, false}}) {
    SCOPED_TRACE(c.initialize);
    fakes::FakeWindows fresh;
    if (c.fails) {
      fresh.firewall.failures.Fail("CoInitialize", c.initialize);
    } else {
      fresh.firewall.initializeResult = c.initialize;
    }
    InitializeBmrAPIWindowsFirewall();
    EXPECT_EQ(fresh.firewall.calls, std::vector<std::string>{"CoInitialize"}) << "no firewall object yet";
    WindowsFirewall();
    FinalizeBmrAPIWindowsFirewall();
    std::vector<std::string> expected = {"CoInitialize", "CoCreateInstance HNetCfg.FwPolicy2", "Release INetFwPolicy2"};
    if (c.uninitialized) expected.push_back("CoUninitialize");
    EXPECT_EQ(fresh.firewall.calls, expected);
    EXPECT_EQ(fresh.firewall.comReferences, 0);
    EXPECT_EQ(fresh.firewall.livePolicies, 0);
  }
}

TEST(CommaTextTest, QuotesItemsWithBlanksCommasOrQuotes) {
  struct Case {
    std::vector<std::string> items;
    const char* text;
  };
  const Case cases[] = {
      {{}, ""},
      {{"192.0.2.1"}, "192.0.2.1"},
      {{"192.0.2.1", "192.0.2.2", "10.0.0.0/8"}, "192.0.2.1,192.0.2.2,10.0.0.0/8"},
      {{"a b", "c,d", "say \"x\"", "tab\there"}, "\"a b\",\"c,d\",\"say \"\"x\"\"\",\"tab\there\""},
      {{""}, "\"\""},
      {{"a", "", "b"}, "a,,b"},
  };
  for (const auto& c : cases) EXPECT_EQ(CommaText(c.items), c.text);
}

}  // namespace
