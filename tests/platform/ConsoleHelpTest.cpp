#include "platform/bmrConsoleHelp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtlSysUtils.h"
#include "tests/fakes/FakeWindows.h"

namespace {

class ConsoleHelpTest : public ::testing::Test {
 protected:
  void TearDown() override { FinalizeBmrConsoleHelp(); }

  // The registry as the program's start-up leaves it, with the switches of the other modules.
  void RegisterProgramSwitches() {
    InitializeBmrConsoleHelp();
    TCLPGroup* services = CommandLineParameters()->Add();
    services->SetName("System Service related");
    services->SetKind(2);
    CLPGroupAutomation()->Add("apply", "Applies all immunization");
    CLPGroupAutomation()->Add("undo", "Removes changes, back to defaults");
    CLPGroupAutomation()->Add("setuptask", "Setup Scheduled Task");
    CLPGroupBasic()->Add("youtube", "Adds options to system menu.");
  }

  bool Present(const std::string& groupSwitch) {
    for (std::size_t g = 0; g < CommandLineParameters()->Count(); ++g) {
      const TCommandLineParameterItems& items = CommandLineParameters()->GetItem(g)->Items();
      for (std::size_t i = 0; i < items.Count(); ++i) {
        if (items.GetItem(i)->Name() == groupSwitch) return items.GetItem(i)->GetPresent();
      }
    }
    ADD_FAILURE() << "no switch " << groupSwitch;
    return false;
  }

  fakes::FakeWindows windows;
};

TEST_F(ConsoleHelpTest, SwitchLookupNeedsOneSwitchCharacterAndTheExactName) {
  struct Case {
    std::vector<std::string> arguments;
    bool expected;
  };
  const std::vector<Case> cases = {
      {{"/apply"}, true},     {{"-apply"}, true},    {{"/silent", "-apply"}, true},
      {{"--apply"}, false},   {{"/Apply"}, false},   {{"/APPLY"}, false},
      {{"/apply:1"}, false},  {{"apply"}, false},    {{""}, false},
      {{"/apply", "/apply"}, true},                  {{}, false},
  };
  for (const auto& c : cases) {
    windows.process.SetCommandLine(c.arguments);
    EXPECT_EQ(CommandLineHasSwitch("apply"), c.expected) << ::testing::PrintToString(c.arguments);
  }
  // The program path is never a switch.
  windows.process.arguments = {"/apply"};
  EXPECT_FALSE(CommandLineHasSwitch("apply"));
}

TEST_F(ConsoleHelpTest, RegisteredSwitchesKnowWhetherTheyWereGivenAtRegistration) {
  windows.process.SetCommandLine({"/silent", "-apply", "--undo", "/SETUPTASK"});
  RegisterProgramSwitches();
  ASSERT_NE(CLPSilent, nullptr);
  EXPECT_TRUE(CLPSilent->GetPresent());
  EXPECT_TRUE(Present("apply"));
  EXPECT_FALSE(Present("undo"));
  EXPECT_FALSE(Present("setuptask"));
  EXPECT_FALSE(Present("help"));

  // Computed once: a later command line changes nothing.
  windows.process.SetCommandLine({});
  EXPECT_TRUE(CLPSilent->GetPresent());
}

TEST_F(ConsoleHelpTest, HelpTextOfTheProgramIsElevenLines) {
  RegisterProgramSwitches();
  std::vector<std::string> lines;
  CommandLineParameters()->AddHelpLines(lines);
  const std::vector<std::string> expected = {
      "",
      "Basic               ",
      "  /help                 - shows this page",
      "  /verbose              - displays more output",
      "  /youtube              - Adds options to system menu.",
      "",
      "Automation              - Options to automate this program",
      "  /silent               - avoid unnecessary output",
      "  /apply                - Applies all immunization",
      "  /undo                 - Removes changes, back to defaults",
      "  /setuptask            - Setup Scheduled Task",
  };
  EXPECT_EQ(lines, expected);

  // Only appends: the text comes twice after what was there.
  lines = {"kept"};
  CommandLineParameters()->AddHelpLines(lines);
  CommandLineParameters()->AddHelpLines(lines);
  ASSERT_EQ(lines.size(), 23u);
  EXPECT_EQ(lines[0], "kept");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 12, lines.end()), expected);
}

TEST_F(ConsoleHelpTest, LongNamesAreWrittenWhole) {
  TCLPGroup* group = CommandLineParameters()->Add();
  group->SetName("A group name longer than twenty");
  group->SetDescription("d");
  group->Add("averyveryverylongswitchname", "text");
  std::vector<std::string> lines;
  CommandLineParameters()->AddHelpLines(lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"", "A group name longer than twenty    - d",
                                             "  /averyveryverylongswitchname - text"}));
}

TEST_F(ConsoleHelpTest, ProgramGroupsAreCreatedOnceWithKindTwo) {
  TCLPGroup* basic = CLPGroupBasic();
  TCLPGroup* automation = CLPGroupAutomation();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(CLPGroupBasic(), basic);
    EXPECT_EQ(CLPGroupAutomation(), automation);
  }
  ASSERT_EQ(CommandLineParameters()->Count(), 2u);
  EXPECT_EQ(CommandLineParameters()->GetItem(0), basic);
  EXPECT_EQ(basic->Name(), "Basic");
  EXPECT_EQ(basic->Description(), "");
  EXPECT_EQ(basic->Kind(), 2);
  EXPECT_EQ(automation->Description(), "Options to automate this program");
  EXPECT_EQ(automation->Kind(), 2);
  EXPECT_EQ(basic->Owner(), CommandLineParameters());

  TCLPGroup* plain = CommandLineParameters()->Add();
  EXPECT_EQ(plain->Kind(), 0);
  EXPECT_EQ(plain->GetDisplayName(), "TCLPGroup");
  EXPECT_THROW(CommandLineParameters()->GetItem(3), rtl::EListError);
  EXPECT_THROW(basic->Items().GetItem(0), rtl::EListError);
}

TEST_F(ConsoleHelpTest, DisplayNameKeepsTheFirstNameAndDuplicatesAreSeparateSwitches) {
  windows.process.SetCommandLine({"/second"});
  TCommandLineParameterItem* item = CLPGroupBasic()->Add("first", "d");
  EXPECT_EQ(item->Owner(), &CLPGroupBasic()->Items());
  EXPECT_EQ(item->DisplayName(), "first");
  item->SetName("second");
  EXPECT_EQ(item->Name(), "second");
  EXPECT_EQ(item->DisplayName(), "first");
  EXPECT_TRUE(item->GetPresent());

  TCommandLineParameterItem* again = CLPGroupBasic()->Add("first", "d");
  EXPECT_NE(again, item);
  EXPECT_EQ(CLPGroupBasic()->Items().Count(), 2u);
}

TEST_F(ConsoleHelpTest, AssignCopiesTextsButNotPresenceOrOwner) {
  windows.process.SetCommandLine({"/silent"});
  InitializeBmrConsoleHelp();
  TCLPGroup* copy = CommandLineParameters()->Add();
  copy->Assign(*CLPGroupAutomation());
  EXPECT_EQ(copy->Name(), "Automation");
  EXPECT_EQ(copy->Kind(), 2);
  ASSERT_EQ(copy->Items().Count(), 1u);
  const TCommandLineParameterItem* item = copy->Items().GetItem(0);
  EXPECT_EQ(item->Name(), "silent");
  EXPECT_EQ(item->Description(), "avoid unnecessary output");
  EXPECT_FALSE(item->GetPresent());
  EXPECT_EQ(item->Owner(), &copy->Items());
}

TEST_F(ConsoleHelpTest, FinalizeFreesTheRegistry) {
  InitializeBmrConsoleHelp();
  ASSERT_NE(CLPSilent, nullptr);
  FinalizeBmrConsoleHelp();
  EXPECT_EQ(CLPSilent, nullptr);
  EXPECT_EQ(CommandLineParameters()->Count(), 0u);
  // The groups come back new, not as stale pointers.
  EXPECT_EQ(CLPGroupAutomation()->Items().Count(), 0u);
  EXPECT_EQ(CommandLineParameters()->Count(), 1u);
}

}  // namespace
