#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/TolvexQuietmark.h"
#include "platform/bmrDebug.h"
#include "platform/bmrWindows.h"
#include "tests/fakes/FakeWindows.h"

namespace {

// The program's start-up gives the main thread COM and its shut-down takes it back; the
// silent walk leaves every optional immunizer alone.
TEST(OptionalProgramTest, SilentWalksInitializeCOMOnceAndNeverTouchTheOptionalItems) {
  const TOperatingSystems saved = CurrentOperatingSystems;
  for (const char* mode : {"/apply", "/undo"}) {
    SCOPED_TRACE(mode);
    fakes::FakeWindows windows;
    windows.firewall.AddRule({.name = "TWindows10TelemetryIPImmunization", .enabled = true});
    windows.registry.SetDword(os::kHKeyCurrentUser, "SOFTWARE\\Policies\\Microsoft\\office\\16.0\\osm", "enableupload",
                              1);
    windows.process.SetCommandLine({"/silent", mode});

    EXPECT_EQ(RunTolvexQuietmark(), 0);

    EXPECT_EQ(windows.firewall.calls, (std::vector<std::string>{"CoInitialize", "CoUninitialize"}));
    EXPECT_EQ(windows.firewall.comReferences, 0);
    EXPECT_EQ(windows.firewall.rules.size(), 1u);
    EXPECT_EQ(windows.registry.GetDword(os::kHKeyCurrentUser, "SOFTWARE\\Policies\\Microsoft\\office\\16.0\\osm",
                                        "enableupload"),
              1u);
    EXPECT_FALSE(windows.registry.KeyExists(os::kHKeyLocalMachine,
                                            "SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search"));
    const auto hosts = windows.files.Content("C:\\Windows\\system32\\drivers\\etc\\hosts.").value_or("");
    EXPECT_EQ(hosts.find("Optional"), std::string::npos);
  }
  CurrentOperatingSystems = saved;
  InitializeBmrDebug();
}

}  // namespace
