#include "app/bmrConsoleHelpUIWinAPI.h"

#include <gtest/gtest.h>

#include "tests/fakes/FakeWindows.h"

namespace {

class ConsoleHelpWindowClass : public ::testing::Test {
 protected:
  void TearDown() override {
    FinalizeBmrConsoleHelpUIWinAPI();
    SetHelpWindowHaltHandler(nullptr);
  }
  fakes::FakeWindows windows_;
};

TEST_F(ConsoleHelpWindowClass, StartRegistersTheClassAndMakesTheTwoFonts) {
  InitializeBmrConsoleHelpUIWinAPI();
  ASSERT_EQ(1u, windows_.helpWindow.registered.size());
  const os::WindowClassRecord& record = windows_.helpWindow.registered[0];
  EXPECT_EQ("CommandLineHelp", record.className);
  EXPECT_EQ(0u, record.style);
  EXPECT_EQ(0, record.classExtra);
  EXPECT_EQ(0, record.windowExtra);
  EXPECT_EQ(fakes::FakeHelpWindowApi::kProgramModule, record.instance);
  EXPECT_EQ(fakes::FakeHelpWindowApi::kApplicationIcon, record.icon);
  EXPECT_EQ(fakes::FakeHelpWindowApi::kArrowCursor, record.cursor);
  EXPECT_EQ(15u, record.background);
  EXPECT_EQ("", record.menuName);
  EXPECT_TRUE(HelpWindowClassRegistered());
  const std::vector<std::pair<std::string, std::uint8_t>> fonts = {{"MS Sans Serif", 1}, {"Courier", 1}};
  EXPECT_EQ(fonts, windows_.helpWindow.fonts);
  EXPECT_NE(0u, HelpWindowTextFont());
  EXPECT_NE(HelpWindowTextFont(), HelpWindowFixedFont());
  ASSERT_NE(nullptr, HelpWindows);
  EXPECT_TRUE(HelpWindows->empty());
  EXPECT_TRUE(windows_.system.debugOutput.empty());
}

TEST_F(ConsoleHelpWindowClass, AFailedRegistrationGoesOnlyToTheDebuggerOutput) {
  windows_.helpWindow.registerFails = 5;
  InitializeBmrConsoleHelpUIWinAPI();
  EXPECT_FALSE(HelpWindowClassRegistered());
  EXPECT_EQ(std::vector<std::string>{"Access is denied.\r\n"}, windows_.system.debugOutput);
  EXPECT_NE(nullptr, HelpWindows);
}

int g_halts = 0;
int g_haltCode = -1;

TEST_F(ConsoleHelpWindowClass, OnlyTheClickOfControl1001HaltsWithExitCode0) {
  constexpr std::uint32_t kWmCommand = 0x0111, kWmCtlColorStatic = 0x0138, kWmPaint = 0x000F;
  const struct {
    std::uint32_t message;
    std::uintptr_t wParam;
    os::HelpMessageAnswer answer;
  } cases[] = {
      {kWmCommand, 1001, os::HelpMessageAnswer::Halt},
      {kWmCommand, 1002, os::HelpMessageAnswer::Default},
      {kWmCommand, (5u << 16) | 1001, os::HelpMessageAnswer::Default},  // another notification
      {kWmCtlColorStatic, 0x1234, os::HelpMessageAnswer::TransparentText},
      {kWmPaint, 1001, os::HelpMessageAnswer::Default},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.answer, HelpWndProc(c.message, c.wParam)) << c.message << " " << c.wParam;
  }

  InitializeBmrConsoleHelpUIWinAPI();
  const os::WindowClassRecord& record = windows_.helpWindow.registered.at(0);
  EXPECT_EQ(os::HelpMessageAnswer::Halt, record.handler(kWmCommand, 1001));
  record.halt();  // no handler installed: nothing happens
  SetHelpWindowHaltHandler([](int code) {
    ++g_halts;
    g_haltCode = code;
  });
  record.halt();
  EXPECT_EQ(1, g_halts);
  EXPECT_EQ(0, g_haltCode);
}

TEST_F(ConsoleHelpWindowClass, AHelpWindowLeavesTheListWhenFreed) {
  InitializeBmrConsoleHelpUIWinAPI();
  auto* listed = new TCommandLineParametersHelpWindow;
  TCommandLineParametersHelpWindow unlisted;
  HelpWindows->push_back(listed);
  delete listed;
  EXPECT_TRUE(HelpWindows->empty());
}

}  // namespace
