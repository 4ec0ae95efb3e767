// The program started without `silent` on the headless backend: the application's title, the
// main window with the version block's caption and the about item in its system menu, exit
// code 0 when it closes, and the windowed report of an exception.

#include <gtest/gtest.h>

#include <string>

#include "app/FormUnitQuietmarkMain.h"
#include "app/TolvexQuietmark.h"
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
