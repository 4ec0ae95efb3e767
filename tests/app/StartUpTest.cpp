// What the program's start-up leaves behind of the modules at its head: the localizer's two
// language values and the help window class, and the credits of what the exe contains.

#include <gtest/gtest.h>

#include "app/TolvexQuietmark.h"
#include "platform/bmrCredits.h"
#include "platform/bmrDebug.h"
#include "tests/fakes/FakeWindows.h"

namespace {

TEST(StartUp, StoresTheLanguageValueTwiceAndRegistersTheHelpWindowClass) {
  fakes::FakeWindows windows;
  windows.process.SetCommandLine({"/silent"});
  EXPECT_EQ(0, RunTolvexQuietmark());
  InitializeBmrDebug();  // later tests of the logger expect it started

  for (const auto& [root, key] : {std::pair{os::kHKeyCurrentUser, "Software\\Brenmoor Limited\\Localization"},
                                  std::pair{os::kHKeyUsers, "S-1-5-18\\Software\\Brenmoor Limited\\Localization"}}) {
    const auto value = windows.registry.GetValue(root, key, "C:\\Program Files\\Tolvex\\");
    ASSERT_TRUE(value.has_value()) << key;
    EXPECT_EQ(os::kRegSz, value->type);
    EXPECT_EQ("en_US", std::string(reinterpret_cast<const char*>(value->data.data())));
  }
  ASSERT_EQ(1u, windows.helpWindow.registered.size());
  EXPECT_EQ("CommandLineHelp", windows.helpWindow.registered[0].className);
}

}  // namespace
