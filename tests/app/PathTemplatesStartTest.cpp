// The path templates at the program's start: built at every start from whatever other
// programs left in the application-data folders, and freed at the end.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/TolvexQuietmark.h"
#include "platform/bmrDebug.h"
#include "platform/bmrFilesPaths.h"
#include "platform/bmrWindows.h"
#include "tests/fakes/FakeWindows.h"
#include "tests/fakes/NetscapeRegistryFile.h"

namespace {

TEST(PathTemplatesStartTest, HostileProfileFilesDoNotKeepTheProgramFromEndingWithZero) {
  const TOperatingSystems saved = CurrentOperatingSystems;
  fakes::FakeWindows windows;
  windows.process.SetCommandLine({"/silent"});
  const std::string roaming = "C:\\Users\\Tester\\AppData\\Roaming";
  // Every key's subkey chain leads back to the root.
  fakes::NetscapeRegistryFile registry(fakes::NsNode::Key("", {}, {fakes::NsNode::Key("Common", {}, {
      fakes::NsNode::Key("Profiles", {}, {fakes::NsNode::Key("p")})})}));
  registry.SetField("Common\\Profiles\\p", fakes::NetscapeRegistryFile::kDown, registry.OffsetOf(""));
  registry.SetField("Common\\Profiles\\p", fakes::NetscapeRegistryFile::kLeft, registry.OffsetOf("Common\\Profiles\\p"));
  windows.files.SetFile(roaming + "\\Mozilla\\registry.dat", registry.Bytes());
  windows.files.SetFile(roaming + "\\Mozilla\\Firefox\\profiles.ini", std::string("\xFF\xFE[\0P\0r\0o\0\x00\xD8", 12));
  windows.files.SetFile(roaming + "\\Thunderbird\\profiles.ini", std::string(300000, '['));

  EXPECT_EQ(RunTolvexQuietmark(), 0);

  // The table was built (every shell folder asked for) and is gone again.
  EXPECT_EQ(std::count_if(windows.shell.calls.begin(), windows.shell.calls.end(),
                          [](const std::string& call) { return call.rfind("SHGetFolderLocation ", 0) == 0; }),
            76);
  EXPECT_EQ(windows.shell.LiveItemLists(), 0u);
  EXPECT_EQ(PathTemplates, nullptr);
  CurrentOperatingSystems = saved;
  InitializeBmrDebug();
}

}  // namespace
