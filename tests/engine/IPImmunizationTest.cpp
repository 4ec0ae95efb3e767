#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/tvqmVorletsBaseIP.h"
#include "platform/bmrAPIWindowsFirewall.h"
#include "tests/fakes/DebugEntryRecorder.h"
#include "tests/fakes/FakeWindows.h"

namespace {

// A firewall immunizer with the addresses of the test's choosing.
class TTestIPImmunization final : public TImmunizationClass<TTestIPImmunization, TCustomWindows10IPImmunization> {
 public:
  static constexpr const char* kClassName = "TTestIPImmunization";
  static std::string GetDisplayName() { return "Test addresses"; }
  TIPBlockSettings settings{{"192.0.2.10", "a.example"}, {"198.51.100.7", "b.example"}};
  TIPBlockSettings GetIPBlockSettings() override { return settings; }
};

class TOtherIPImmunization final : public TImmunizationClass<TOtherIPImmunization, TCustomWindows10IPImmunization> {
 public:
  static constexpr const char* kClassName = "TOtherIPImmunization";
  static std::string GetDisplayName() { return "Other addresses"; }
  TIPBlockSettings GetIPBlockSettings() override { return {{"203.0.113.5", "c.example"}}; }
};

class IPImmunizationTest : public ::testing::Test {
 protected:
  IPImmunizationTest() {
    immunizer.OnLog = [this](TWindows10Immunization&, TImmunizationLogLevel, const std::string& msg) {
      messages.push_back(msg);
    };
  }
  std::vector<fakes::FakeFirewallRule> Rules() const { return windows.firewall.Named("TTestIPImmunization"); }

  fakes::FakeWindows windows;
  fakes::DebugEntryRecorder log;
  TTestIPImmunization immunizer;
  std::vector<std::string> messages;
};

TEST_F(IPImmunizationTest, ApplyAddsOneNamedRuleAndUndoTakesItAway) {
  EXPECT_EQ(immunizer.GetCount(), 2);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);

  immunizer.Immunize();
  auto rules = Rules();
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_EQ(rules[0].grouping, "Tolvex Quietmark");
  EXPECT_EQ(rules[0].description, "Test addresses");
  EXPECT_EQ(rules[0].remoteAddresses, "192.0.2.10,198.51.100.7");
  EXPECT_EQ(rules[0].direction, os::fw::kRuleDirectionOut);
  EXPECT_EQ(rules[0].action, os::fw::kActionBlock);
  EXPECT_TRUE(rules[0].enabled);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 2);

  immunizer.Remove();
  EXPECT_TRUE(Rules().empty());
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
  // Neither the counts with no rule nor the changes log anything.
  EXPECT_TRUE(log.Entries().empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(IPImmunizationTest, ApplyOverRulesOfTheNameLeavesOneEnabledRuleAndUndoRemovesThemAll) {
  // What an older program or a user left: a disabled rule and one with other addresses.
  windows.firewall.AddRule({.name = "TTestIPImmunization", .enabled = false, .remoteAddresses = "192.0.2.10"});
  windows.firewall.AddRule({.name = "TTestIPImmunization", .enabled = true, .remoteAddresses = "203.0.113.9"});
  windows.firewall.AddRule({.name = "Someone else's", .enabled = true});
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0) << "the first rule of the name is disabled";

  immunizer.Immunize();
  immunizer.Immunize();
  auto rules = Rules();
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_TRUE(rules[0].enabled);
  EXPECT_EQ(rules[0].remoteAddresses, "192.0.2.10,198.51.100.7");
  EXPECT_EQ(immunizer.GetImmunizedCount(), 2);

  windows.firewall.AddRule({.name = "TTestIPImmunization", .enabled = true});
  immunizer.Remove();
  EXPECT_TRUE(Rules().empty());
  EXPECT_EQ(windows.firewall.rules.size(), 1u);
  EXPECT_TRUE(log.Entries().empty());
}

TEST_F(IPImmunizationTest, AFailedChangeShowsInTheNextCountAndSendsNoMessage) {
  windows.firewall.failures.Fail("INetFwRules::Add", os::fw::kEAccessDenied);
  immunizer.Immunize();
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);
  windows.firewall.failures.Clear();
  immunizer.Immunize();
  windows.firewall.failures.Fail("INetFwRules::Remove", os::fw::kEAccessDenied);
  immunizer.Remove();
  EXPECT_EQ(immunizer.GetImmunizedCount(), 2);
  windows.firewall.failures.Fail("INetFwRule::get_Enabled", os::fw::kEAccessDenied);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);

  EXPECT_TRUE(messages.empty());
  std::vector<std::string> logged;
  for (const auto& entry : log.Entries()) logged.push_back(entry.message);
  EXPECT_EQ(logged, (std::vector<std::string>{"TWindowsFirewall.SetIPBlock", "TWindowsFirewall.RemoveBlock",
                                              "TWindowsFirewall.BlockExists"}));
}

TEST_F(IPImmunizationTest, ApplyEnablesADisabledRuleInPlaceAndAFailureLeavesIt) {
  windows.firewall.AddRule({.name = "TTestIPImmunization", .enabled = false, .remoteAddresses = "192.0.2.10"});
  windows.firewall.failures.Fail("INetFwRule::put_Enabled", os::fw::kEAccessDenied, "", 1);
  immunizer.Immunize();
  ASSERT_EQ(Rules().size(), 1u);
  EXPECT_FALSE(Rules()[0].enabled);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);

  windows.firewall.failures.Fail("INetFwRules::Add", os::fw::kEAccessDenied);
  immunizer.Immunize();
  ASSERT_EQ(Rules().size(), 1u);
  EXPECT_EQ(Rules()[0].remoteAddresses, "192.0.2.10,198.51.100.7");
  EXPECT_EQ(immunizer.GetImmunizedCount(), 2);
  EXPECT_TRUE(messages.empty());
}

TEST_F(IPImmunizationTest, AFirewallThatCannotBeReachedRaisesToTheCaller) {
  windows.firewall.failures.Fail("CoCreateInstance", os::fw::kEClassNotRegistered, "FwPolicy2");
  EXPECT_THROW(immunizer.GetImmunizedCount(), EOleSysError);
  EXPECT_THROW(immunizer.Immunize(), EOleSysError);
  EXPECT_THROW(immunizer.Remove(), EOleSysError);
  EXPECT_EQ(immunizer.GetCount(), 2) << "counting the addresses needs no firewall";
}

TEST_F(IPImmunizationTest, DetailsListTheAddresses) {
  EXPECT_EQ(immunizer.GetDetailsText(), "IPs: 192.0.2.10, 198.51.100.7");
  immunizer.settings = {{"192.0.2.10", "a.example"}};
  EXPECT_EQ(immunizer.GetDetailsText(), "IPs: 192.0.2.10");
  immunizer.settings.clear();
  EXPECT_EQ(immunizer.GetDetailsText(), "IPs: ");
  EXPECT_EQ(immunizer.GetCount(), 0);
}

TEST_F(IPImmunizationTest, TwoClassesOwnTwoRules) {
  TOtherIPImmunization other;
  immunizer.Immunize();
  other.Immunize();
  immunizer.Remove();
  EXPECT_EQ(other.GetImmunizedCount(), 1);
  ASSERT_EQ(windows.firewall.Named("TOtherIPImmunization").size(), 1u);
  EXPECT_EQ(windows.firewall.Named("TOtherIPImmunization")[0].remoteAddresses, "203.0.113.5");
  EXPECT_EQ(windows.firewall.rules.size(), 1u);
}

}  // namespace
