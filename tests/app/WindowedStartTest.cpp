// The program started without `silent` on the headless backend: the application's title and
// icon, the main window with the version block's caption and the about item in its system
// menu, the about dialog it opens, exit code 0 when it closes or when the help window's button
// halts it, and the windowed report of an exception.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/FormUnitQuietmarkMain.h"
#include "app/TolvexQuietmark.h"
#include "app/bmrUIDlgAbout.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "platform/bmrDebug.h"
#include "tests/fakes/FakeWindows.h"

namespace {

class WindowedStartTest : public ::testing::Test {
 protected:
  ~WindowedStartTest() override { InitializeBmrDebug(); }
  fakes::FakeWindows windows;
  ui::headless::ScopedHeadlessBackend backend;
};

TEST_F(WindowedStartTest, TheMainWindowShowsTheVersionCaptionAndTheAboutItemAndClosingEndsWithZero) {
  windows.versionInfo.SetBlock(windows.process.moduleFileName,
                               fakes::BuildVersionBlock({{{"040904E4",
                                                           {{"ProductName", "Tolvex Quietmark"},
                                                            {"ProductVersion", "1.0.0.0"}}}}}));
  bool inspected = false;
  backend->Post([&] {
    inspected = true;
    ui::Application& app = ui::Application::Instance();
    EXPECT_EQ(app.Title(), "Tolvex Quietmark");
    EXPECT_EQ(app.IconResource(), "MAINICON");
    EXPECT_TRUE(backend->ApplicationInitialized());
    ASSERT_NE(FormTolvexQuietmark, nullptr);
    EXPECT_EQ(app.MainForm(), FormTolvexQuietmark);
    EXPECT_NE(dynamic_cast<TWindows7Form*>(app.MainForm()), nullptr);
    EXPECT_EQ(FormTolvexQuietmark->Caption(), "Tolvex Quietmark 1.0.0.0");
    const auto menu = backend->SystemMenu(*FormTolvexQuietmark);
    ASSERT_GT(menu.size(), 6u);
    EXPECT_EQ(menu[6].id, 5681u);
    EXPECT_EQ(menu[6].caption, "&About Tolvex Quietmark...");
  });
  EXPECT_EQ(RunTolvexQuietmark(), 0);
  EXPECT_TRUE(inspected);
  EXPECT_TRUE(backend->LoopRan());
  EXPECT_EQ(FormTolvexQuietmark, nullptr);
  EXPECT_TRUE(backend->messageBoxes.empty());
}

TEST_F(WindowedStartTest, TheAboutItemShowsTheProgramsSwitchesCreditsAndIcon) {
  using Lines = std::vector<std::string>;
  const Lines help = {
      "",
      "Basic               ",
      "  /help                 - shows this page",
      "  /verbose              - displays more output",
      "  /youtube              - Adds options to system menu that allows to resize window to standard YouTube "
      "video sizes.",
      "",
      "Automation              - Options to automate this program",
      "  /silent               - avoid unnecessary output",
      "  /apply                - Applies all immunization",
      "  /undo                 - Removes changes, back to defaults",
      "  /setuptask            - Setup Scheduled Task",
  };
  const Lines credits = {
      "Credits go to these third party algorithms and libraries:",
      "",
      "MinGW-w64 runtime: Copyright (c) 2009, 2010 by the mingw-w64 project",
      "winpthreads: Copyright (c) 2011 mingw-w64 project",
      "Adwaita icon theme: Copyright (C) 2002-2014 the GNOME Project",
  };
  bool shown = false;
  backend->onModal = [&](ui::Form& form) {
    shown = true;
    auto& dialog = dynamic_cast<TdlgAbout&>(form);
    EXPECT_EQ(dialog.memoParameters->Lines(), help);
    EXPECT_EQ(dialog.memoCredits->Lines(), credits);
    EXPECT_EQ(dialog.imgIcon->IconResource(), "MAINICON");
    EXPECT_TRUE(dialog.bnUpdates->Visible());  // the main window's update product number
  };
  // The user chooses the item the main window put into its system menu.
  backend->Post([&] { EXPECT_TRUE(backend->UserChooseSystemMenuItem(*FormTolvexQuietmark, 5681)); });
  EXPECT_EQ(RunTolvexQuietmark(), 0);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(backend->messageBoxes.empty());
}

// The help window's close button: the program ends at once, after its modules' shut-down.
TEST_F(WindowedStartTest, TheHelpWindowsButtonEndsTheProgramWithZeroAfterTheShutDown) {
  struct ReportingTaskbar : fakes::FakeTaskbar {
    void UninitializeCom() override {
      std::fputs("taskbar module shut down\n", stderr);
      fakes::FakeTaskbar::UninitializeCom();
    }
  };
  EXPECT_EXIT(
      {
        ReportingTaskbar taskbar;
        const os::ScopedOverride<os::ITaskbarLibrary> taskbarOverride(taskbar);
        backend->Post([&] {
          ASSERT_EQ(windows.helpWindow.registered.size(), 1u);
          windows.helpWindow.registered[0].halt();
          std::fputs("the program went on\n", stderr);
        });
        RunTolvexQuietmark();
        std::fputs("the program ended normally\n", stderr);
        std::exit(1);
      },
      ::testing::ExitedWithCode(0), "^taskbar module shut down\n$");
}

TEST_F(WindowedStartTest, WithoutVersionBlockTheCaptionIsABlankBetweenTwoEmptyTexts) {
  std::string caption;
  backend->Post([&] { caption = FormTolvexQuietmark->Caption(); });
  EXPECT_EQ(RunTolvexQuietmark(), 0);
  EXPECT_EQ(caption, " ");
}

TEST_F(WindowedStartTest, AnUnhandledExceptionOfTheWindowedProgramIsTheToolkitsMessageBox) {
  // A start-up step that raises: the taskbar module finds no implementation of its seam.
  auto* saved = os::g_current<os::ITaskbarLibrary>;
  os::g_current<os::ITaskbarLibrary> = nullptr;
  const int code = RunTolvexQuietmark();
  os::g_current<os::ITaskbarLibrary> = saved;

  EXPECT_EQ(code, 217);
  ASSERT_EQ(backend->messageBoxes.size(), 1u);
  EXPECT_NE(backend->messageBoxes[0].text.find("no implementation installed"), std::string::npos);
  EXPECT_EQ(backend->messageBoxes[0].type, ui::DialogType::Error);
  EXPECT_TRUE(windows.process.standardError.empty());
  EXPECT_FALSE(backend->LoopRan());
}

}  // namespace
