#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/bmrFilesPaths.h"
#include "platform/bmrFilesPathsConfig.h"
#include "platform/rtlSysUtils.h"
#include "tests/fakes/DebugEntryRecorder.h"
#include "tests/fakes/FakeWindows.h"
#include "tests/fakes/NetscapeRegistryFile.h"

namespace {

using Folders = std::vector<std::string>;

constexpr os::HResult kENotFound = os::kEFileNotFound;

class FilesPathsTest : public ::testing::Test {
 protected:
  FilesPathsTest() {
    // The block of a 32-bit process on 64-bit Windows 10, the drive entry first.
    windows.system.environmentBlock = std::vector<std::string>{
        "=C:=C:\\Users\\Tester",
        "ALLUSERSPROFILE=C:\\ProgramData",
        "APPDATA=c:\\users\\tester\\appdata\\roaming\\",
        "CommonProgramFiles=C:\\Program Files (x86)\\Common Files",
        "CommonProgramFiles(x86)=C:\\Program Files (x86)\\Common Files",
        "CommonProgramFilesW6432=C:\\Program Files\\Common Files",
        "LOCALAPPDATA=C:\\Users\\Tester\\AppData\\Local",
        "Path=C:\\Windows\\system32;C:\\Windows;;C:\\Windows\\System32\\Wbem;",
        "TEMP=C:\\Users\\Tester\\AppData\\Local\\Temp",
        "TMP=C:\\Temp",
        "USERPROFILE=C:\\Users\\Tester",
    };
  }

  static Folders FoldersOf(const TPathTemplates& table, const std::string& name) {
    Folders folders;
    const TPathList* list = table.Find(name);
    if (list == nullptr) return {"(no template)"};
    for (std::size_t i = 0; i < list->Count(); ++i) folders.push_back(list->GetItem(i)->Path);
    return folders;
  }

  fakes::FakeWindows windows;
  fakes::DebugEntryRecorder recorder;
};

TEST_F(FilesPathsTest, ExpandReplacesTheMacrosOfTemplatesWithFolders) {
  windows.system.now = {2024, 1, 3, 31, 9, 5, 7, 0};
  TPathTemplates table;
  const struct {
    const char* text;
    bool ignoreCase;
    const char* expanded;
  } cases[] = {
      {"<$DESKTOP>\\", true, "C:\\Users\\Tester\\Desktop\\"},
      {"<$desktop>\\", true, "C:\\Users\\Tester\\Desktop\\"},
      {"<$DESKTOP>\\", false, "C:\\Users\\Tester\\Desktop\\"},
      {"<$desktop>\\", false, "<$desktop>\\"},
      {"<$WINDIR>|<$SYSDIR>|<$WINDIR>", true, "C:\\Windows|C:\\Windows\\SysWOW64|C:\\Windows"},
      {"<$NOSUCHTEMPLATE>\\x", true, "<$NOSUCHTEMPLATE>\\x"},
      {"<$ALTSTARTUP>", true, "<$ALTSTARTUP>"},  // the shell has no such folder
      {"<$<$DESKTOP>>", true, "<$C:\\Users\\Tester\\Desktop>"},
      {"<$DATE> <$TIME> <$DATETIME>", true, "24-01-31 09-05-07 24-01-31_09-05-07"},
      {"no macro", true, "no macro"},
  };
  for (const auto& c : cases) EXPECT_EQ(table.Expand(c.text, c.ignoreCase), c.expanded) << c.text;

  // The clock is read at every call.
  windows.system.now = {2025, 12, 3, 1, 23, 59, 0, 0};
  EXPECT_EQ(table.Expand("<$DATETIME>", true), "25-12-01_23-59-00");
  EXPECT_EQ(FoldersOf(table, "DATE"), Folders{"25-12-01"});
}

TEST_F(FilesPathsTest, MacrosAreReplacedTemplateAfterTemplateInNameOrder) {
  // A folder holding the macro of a later template ("TEMP" after "DESKTOP") is expanded
  // further; one holding an earlier template's macro ("APPDATA") is not.
  windows.shell.SetFolder(os::kCurrentUserToken, 16, "<$TEMP>\\desk");
  windows.shell.SetFolder(os::kCurrentUserToken, 6, "<$APPDATA>\\fav");
  TPathTemplates table;
  EXPECT_EQ(table.Expand("<$DESKTOP>", true), "C:\\Users\\Tester\\AppData\\Local\\Temp\\desk");
  EXPECT_EQ(table.Expand("<$FAVORITES>", true), "<$APPDATA>\\fav");

  std::vector<std::string> names;
  for (std::size_t i = 0; i < table.Count(); ++i) names.push_back(table[i].Name);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  EXPECT_NE(std::find(names.begin(), names.end(), "COMMONDOCUMENTS"), names.end());
}

TEST_F(FilesPathsTest, TheCurrentUsersFolderComesFirstAndTheDefaultUsersStandsIn) {
  {
    TPathTemplates table;
    EXPECT_EQ(FoldersOf(table, "DESKTOP"), (Folders{"C:\\Users\\Tester\\Desktop", "C:\\Users\\Default\\Desktop"}));
    // Folders both users share are one item.
    EXPECT_EQ(FoldersOf(table, "COMMONDESKTOP"), Folders{"C:\\Users\\Public\\Desktop"});
  }
  windows.shell.failures.Fail("SHGetFolderLocation", kENotFound, "csidl 16 token 0");
  TPathTemplates table;
  EXPECT_EQ(FoldersOf(table, "DESKTOP"), Folders{"C:\\Users\\Default\\Desktop"});
  EXPECT_EQ(table.Expand("<$DESKTOP>\\", true), "C:\\Users\\Default\\Desktop\\");
}

TEST_F(FilesPathsTest, NoDesktopLeavesTheMacroAsWritten) {
  windows.shell.failures.Fail("SHGetPathFromIDListW", 0, "csidl 16 ");
  TPathTemplates table;
  EXPECT_EQ(FoldersOf(table, "DESKTOP"), Folders{});
  EXPECT_EQ(table.Expand("<$DESKTOP>\\", true), "<$DESKTOP>\\");
  // Every item list was freed, also those that gave no path (Control Panel has none).
  EXPECT_EQ(FoldersOf(table, "CONTROLS"), Folders{});
  EXPECT_EQ(windows.shell.LiveItemLists(), 0u);
  EXPECT_EQ(windows.shell.misusedItemLists, 0);
}

TEST_F(FilesPathsTest, EqualFoldersMergeWithBothSourcesAndLoseOneTrailingDelimiter) {
  windows.shell.SetFolder(os::kCurrentUserToken, 38, "D:\\");
  TPathTemplates table;
  // The shell's folder first, the environment's in other letter case merged into it.
  const TPathList* appData = table.Find("APPDATA");
  ASSERT_NE(appData, nullptr);
  ASSERT_EQ(appData->Count(), 2u);
  EXPECT_EQ(appData->GetItem(0)->Path, "C:\\Users\\Tester\\AppData\\Roaming");
  EXPECT_EQ(appData->GetItem(0)->Sources, PathSourceBit(psCLSID) | PathSourceBit(psEnvironment));
  EXPECT_EQ(appData->GetItem(1)->Path, "C:\\Users\\Default\\AppData\\Roaming");
  EXPECT_EQ(appData->GetItem(1)->Sources, PathSourceBit(psCLSID));
  EXPECT_EQ(FoldersOf(table, "PROGRAMFILES"), (Folders{"D:", "C:\\Program Files (x86)"}));
  EXPECT_THROW(appData->GetItem(2), rtl::EListError);

  TPathList list("X", "");
  EXPECT_EQ(list.AddPath("", psCustom), nullptr);
  EXPECT_EQ(list.AddPath("\\", psCustom), nullptr);  // a lone delimiter is no folder
  EXPECT_EQ(list.AddPath("C:\\a\\\\", psCustom)->Path, "C:\\a\\");
  // SetPath takes the first item's place with its one source; the old path is gone.
  EXPECT_EQ(list.SetPath("C:/b/", psWinAPI)->Path, "C:/b");
  list.AddPath("c:/B", psCopy);
  EXPECT_EQ(list.AddPath("C:\\a\\", psCustom)->Sources, PathSourceBit(psCustom));
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.GetItem(0)->Sources, PathSourceBit(psWinAPI) | PathSourceBit(psCopy));
  EXPECT_EQ(list.GetMacro(), "<$X>");
  EXPECT_STREQ(PathSourceNames[psCopy], "Adjusted Copy");
}

TEST_F(FilesPathsTest, TheEnvironmentFillsItsTemplatesFirstNameWinning) {
  auto& block = *windows.system.environmentBlock;
  block.insert(block.begin() + 1, "tmp=C:\\FirstTmp");
  TPathTemplates table;
  EXPECT_EQ(FoldersOf(table, "PATH"), (Folders{"C:\\Windows\\system32", "C:\\Windows", "C:\\Windows\\System32\\Wbem"}));
  EXPECT_EQ(FoldersOf(table, "TEMP"), (Folders{"C:\\Users\\Tester\\AppData\\Local\\Temp", "C:\\FirstTmp"}));
  EXPECT_EQ(FoldersOf(table, "COMMONPROGRAMFILES"),
            (Folders{"C:\\Program Files (x86)\\Common Files", "C:\\Program Files\\Common Files"}));
  EXPECT_EQ(FoldersOf(table, "PROFILE"), (Folders{"C:\\Users\\Tester", "C:\\Users\\Default"}));
  EXPECT_EQ(FoldersOf(table, "COMMONPROFILE"), Folders{"C:\\ProgramData"});
  EXPECT_EQ(FoldersOf(table, "LOCALAPPDATA"), (Folders{"C:\\Users\\Tester\\AppData\\Local", "C:\\Users\\Default\\AppData\\Local"}));
  EXPECT_EQ(FoldersOf(table, "COMPUTER"), Folders{"TESTPC"});
  EXPECT_EQ(FoldersOf(table, "USER"), Folders{"Tester"});
  EXPECT_EQ(FoldersOf(table, "WINDIR2"), Folders{"C:\\Windows"});
  EXPECT_EQ(FoldersOf(table, "SYSDIR2"), Folders{"C:\\Windows\\system32"});
}

TEST_F(FilesPathsTest, UserAndComputerComeFromTheWideCallsAndTheirBuffers) {
  // The ANSI calls would give "?" for a letter outside the code page and refuse a user name of
  // more than 255 characters.
  const struct {
    std::string user, computer;
    Folders users, computers;
  } cases[] = {
      {"\u0141ukasz", "PC-\u00c4\u00d6", {"\u0141ukasz"}, {"PC-\u00c4\u00d6"}},
      {std::string(259, 'u'), std::string(15, 'c'), {std::string(259, 'u')}, {std::string(15, 'c')}},
      {std::string(260, 'u'), std::string(16, 'c'), {"(no template)"}, {"(no template)"}},
  };
  for (const auto& c : cases) {
    windows.accounts.userName = c.user;
    windows.accounts.computerName = c.computer;
    TPathTemplates table;
    EXPECT_EQ(FoldersOf(table, "USER"), c.users) << c.user.size();
    EXPECT_EQ(FoldersOf(table, "COMPUTER"), c.computers) << c.computer;
  }
}

TEST_F(FilesPathsTest, FailedCallsLeaveTheirTemplatesOut) {
  windows.system.environmentBlockFails = true;
  windows.files.failures.Fail("GetTempPathW", 5);
  windows.files.failures.Fail("GetWindowsDirectoryW", 5);
  windows.accounts.userNameFails = true;
  windows.accounts.computerNameFails = true;
  TPathTemplates table;
  for (const char* name : {"PATH", "COMMONPROFILE", "WINDIR2", "COMPUTER", "USER"}) {
    EXPECT_EQ(table.Find(name), nullptr) << name;
  }
  EXPECT_EQ(FoldersOf(table, "TEMP"), Folders{"(no template)"});
  EXPECT_EQ(FoldersOf(table, "WINDIR"), Folders{"C:\\Windows"});  // the shell still has it
}

TEST_F(FilesPathsTest, SysnativeIsTheRealSystemFolderOnlyWhereItExists) {
  const struct {
    const char* what;
    const char* systemFolder;
    bool sysnativeExists;
    const char* expected;
  } cases[] = {
      {"32-bit program on 64-bit Windows", "C:\\Windows\\system32", true, "C:\\Windows\\sysnative"},
      {"32-bit Windows", "C:\\Windows\\system32", false, "C:\\Windows\\system32"},
      {"other letter case is not replaced", "C:\\WINDOWS\\SYSTEM32", true, "C:\\WINDOWS\\SYSTEM32"},
  };
  for (const auto& c : cases) {
    fakes::FakeWindows local;
    local.files.systemFolder = c.systemFolder;
    if (c.sysnativeExists) {
      local.files.AddFolder("C:\\Windows\\sysnative");
      local.files.AddFolder("C:\\WINDOWS\\SYSNATIVE");
    }
    TPathTemplates table;
    EXPECT_EQ(FoldersOf(table, "SYSNATIVE"), Folders{c.expected}) << c.what;
  }
}

TEST_F(FilesPathsTest, BeforeVersion6TheFolderPathCallIsUsedAndItsFailuresLogged) {
  windows.system.version = {5, 1, 2600, 2, "Service Pack 3"};
  windows.system.messages[static_cast<std::uint32_t>(kENotFound)] = "The system cannot find the file specified.\r\n";
  TPathTemplates table;
  EXPECT_EQ(FoldersOf(table, "DESKTOP"), (Folders{"C:\\Users\\Tester\\Desktop", "C:\\Users\\Default\\Desktop"}));
  for (const auto& call : windows.shell.calls) EXPECT_EQ(call.rfind("SHGetFolderPathW ", 0), 0u) << call;
  EXPECT_EQ(windows.shell.calls.size(), 76u);

  int enters = 0, leaves = 0, successes = 0;
  std::vector<std::string> errors;
  for (const auto& entry : recorder.Entries()) {
    if (entry.message == "AddUsingCLSIDs") (entry.kind == dekEnter ? enters : leaves)++;
    if (entry.kind == dekInfo && entry.message == "SHGetFolderPathW = S_OK") ++successes;
    if (entry.kind == dekError) errors.push_back(entry.message);
  }
  EXPECT_EQ(enters, 2);
  EXPECT_EQ(leaves, 2);
  // Alternate Startup, common Alternate Startup and common Favorites exist for neither user;
  // Control Panel has no path.
  EXPECT_EQ(successes, 76 - 8);
  ASSERT_EQ(errors.size(), 8u);
  EXPECT_EQ(errors[0], "SHGetFolderPathW = (-2147467259) ");
  EXPECT_EQ(errors[1], "SHGetFolderPathW = (-2147024894) The system cannot find the file specified.\r\n");
}

TEST_F(FilesPathsTest, DerivedTemplatesAlwaysExistAndFollowTheirSources) {
  {
    TPathTemplates table;
    EXPECT_EQ(FoldersOf(table, "QUICKLAUNCH"),
              (Folders{"C:\\Users\\Tester\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch",
                       "C:\\Users\\Default\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch"}));
    EXPECT_EQ(FoldersOf(table, "COMMONQUICKLAUNCH"),
              Folders{"C:\\ProgramData\\Microsoft\\Internet Explorer\\Quick Launch"});
    EXPECT_EQ(table.Find("QUICKLAUNCH")->GetItem(0)->Sources, PathSourceBit(psCopy));
  }
  for (os::UserToken token : {os::kCurrentUserToken, os::kDefaultUserToken}) {
    windows.shell.RemoveFolder(token, 26);
    windows.shell.RemoveFolder(token, 35);
  }
  windows.system.environmentBlockFails = true;
  TPathTemplates table;
  for (const char* name : {"APPDATA", "QUICKLAUNCH", "MOZILLAPROFILE", "COMMONAPPDATA", "COMMONQUICKLAUNCH"}) {
    EXPECT_EQ(FoldersOf(table, name), Folders{}) << name;
  }
}

TEST_F(FilesPathsTest, MozillaProfilesOfEveryApplicationDataFolderAreMerged) {
  const std::string roaming = "C:\\Users\\Tester\\AppData\\Roaming";
  windows.files.SetFile(roaming + "\\Mozilla\\Firefox\\profiles.ini",
                        "[Profile0]\nIsRelative=1\nPath=Profiles/abc.default\n[Profile1]\nPath=D:\\Work\\\n"
                        "[Profile2]\nName=broken\n");
  windows.files.SetFile(roaming + "\\Thunderbird\\profiles.ini", "[Profile0]\nPath=d:\\work\n");
  // A registry whose profile chain leads back to itself.
  fakes::NetscapeRegistryFile registry(fakes::NsNode::Key(
      "", {}, {fakes::NsNode::Key("Common", {}, {fakes::NsNode::Key("Profiles", {}, {
                   fakes::NsNode::Key("old", {fakes::NsNode::Value("directory", "E:\\old")})})})}));
  registry.SetField("Common\\Profiles\\old", fakes::NetscapeRegistryFile::kLeft, registry.OffsetOf("Common\\Profiles\\old"));
  windows.files.SetFile("C:\\Users\\Default\\AppData\\Roaming\\Mozilla\\registry.dat", registry.Bytes());
  TPathTemplates table;
  EXPECT_EQ(FoldersOf(table, "MOZILLAPROFILE"),
            (Folders{roaming + "\\Mozilla\\Firefox\\Profiles\\abc.default", "D:\\Work", "E:\\old"}));
  EXPECT_EQ(table.Find("MOZILLAPROFILE")->GetItem(0)->Sources, PathSourceBit(psCopy));
}

// The configuration rows in their order: template name, shell folder number, code.
const struct {
  const char* name;
  std::int32_t csidl;
  const char* code;
} kPathRows[] = {
    {"FIXEDDRIVES", -1, "AA"},
    {"SYSDRIVE", -1, "AB"},
    {"WINDIR", 36, "AC"},
    {"WINDIR2", -1, "AD"},
    {"SYSDIR", 37, "AE"},
    {"SYSDIR2", -1, "AF"},
    {"FONTS", 20, "AG"},
    {"CONTROLS", 3, "AH"},
    {"SYSCPLDIR", -1, "AI"},
    {"PATH", -1, "AJ"},
    {"PROGRAMFILES", 38, "AK"},
    {"COMMONPROGRAMFILES", 43, "AL"},
    {"PROFILES", 62, "AM"},
    {"PROFILE", 40, "AN"},
    {"APPDATA", 26, "AO"},
    {"QUICKLAUNCH", -1, "AP"},
    {"ADESKTOP", 0, "AQ"},
    {"DESKTOP", 16, "AR"},
    {"FAVORITES", 6, "AS"},
    {"LOCALSETTINGS", -1, "AT"},
    {"LOCALAPPDATA", 28, "AU"},
    {"PERSONAL", 5, "AV"},
    {"MYDOCUMENTS", 12, "AW"},
    {"MYMUSIC", 13, "AX"},
    {"MYVIDEO", 14, "AY"},
    {"NETHOOD", 19, "AZ"},
    {"PRINTHOOD", 27, "BA"},
    {"RECENT", 8, "BB"},
    {"SENDTO", 9, "BC"},
    {"STARTMENU", 11, "BD"},
    {"PROGRAMS", 2, "BE"},
    {"ALTSTARTUP", 29, "BF"},
    {"STARTUP", 7, "BG"},
    {"TEMPLATES", 21, "BH"},
    {"COMMONAPPDATA", 35, "BI"},
    {"COMMONQUICKLAUNCH", -1, "BJ"},
    {"COMMONDESKTOP", 25, "BK"},
    {"COMMONDOCUMENTS", 46, "BL"},
    {"COMMONDOCUMENTS", 46, "BM"},
    {"COMMONMUSIC", 53, "BN"},
    {"COMMONVIDEO", 55, "BO"},
    {"COMMONFAVORITES", 31, "BP"},
    {"COMMONSTARTMENU", 22, "BQ"},
    {"COMMONPROGRAMS", 23, "BR"},
    {"COMMONALTSTARTUP", 30, "BS"},
    {"COMMONSTARTUP", 24, "BT"},
    {"COMMONTEMPLATES", 45, "BU"},
    {"TEMP", -1, "BV"},
    {"MOZILLAPROFILE", -1, "BW"},
};

// Each shell folder gets a path of its own number, so every template shows the number its row
// looks up; the lookups run in row order, for the current user and then the default user.
TEST_F(FilesPathsTest, EachRowFillsItsTemplateFromItsShellFolderInRowOrder) {
  ASSERT_EQ(std::size(kPathRows), PathSolveConfig.size());
  windows.shell.folders.clear();
  std::vector<std::string> lookups;
  for (const os::UserToken token : {os::kCurrentUserToken, os::kDefaultUserToken}) {
    for (const auto& row : kPathRows) {
      if (row.csidl < 0) continue;
      if (token == os::kCurrentUserToken) windows.shell.SetFolder(token, row.csidl, "S:\\" + std::to_string(row.csidl));
      lookups.push_back("SHGetFolderLocation csidl " + std::to_string(row.csidl) + " token " + std::to_string(token));
    }
  }
  TPathTemplates table;

  std::vector<std::string> made;
  for (const auto& call : windows.shell.calls) {
    if (call.rfind("SHGetFolderLocation ", 0) == 0) made.push_back(call);
  }
  EXPECT_EQ(made, lookups);
  for (const auto& row : kPathRows) {
    SCOPED_TRACE(row.name);
    // A name that stands in two rows takes the later row's code.
    const char* code = row.code;
    for (const auto& other : kPathRows) {
      if (std::string(other.name) == row.name) code = other.code;
    }
    EXPECT_EQ(table.GetList(row.name)->Code, code);
    if (row.csidl >= 0) {
      const TPathList* list = table.Find(row.name);
      ASSERT_NE(list, nullptr);
      ASSERT_GT(list->Count(), 0u);
      EXPECT_EQ(list->GetItem(0)->Path, "S:\\" + std::to_string(row.csidl));
    }
  }
}

TEST(FilesPathsConfigTest, CodesFollowTheRowOrderAndTheLastRowOfANameWins) {
  for (std::size_t row = 0; row < PathSolveConfig.size(); ++row) {
    const std::string code{static_cast<char>('A' + row / 26), static_cast<char>('A' + row % 26)};
    EXPECT_EQ(PathSolveConfig[row].Code, code) << PathSolveConfig[row].Name;
  }
  EXPECT_EQ(std::count_if(PathSolveConfig.begin(), PathSolveConfig.end(), [](const auto& r) { return r.CSIDL >= 0; }), 38);
  EXPECT_EQ(PathSolveCode("commondocuments"), "BM");
  EXPECT_EQ(PathSolveCode("Desktop"), "AR");
  EXPECT_EQ(PathSolveCode("COMPUTER"), "");
  fakes::FakeWindows windows;
  TPathTemplates table;
  EXPECT_EQ(table.GetList("mozillaprofile")->Code, "BW");
  EXPECT_EQ(table.GetList("mozillaprofile")->Name, "MOZILLAPROFILE");
  EXPECT_EQ(table.GetList("New one")->Code, "");
}

// A shell that fails as no shell should: the table must not end the start-up.
class ThrowingShell : public fakes::FakeShell {
 public:
  os::HResult FolderLocation(std::int32_t, os::UserToken, os::ItemIdList&) override {
    throw std::runtime_error("shell gone");
  }
};

TEST_F(FilesPathsTest, StartUpBuildsTheTableAndAFailureLeavesAnEmptyOne) {
  InitializeBmrFilesPaths();
  ASSERT_NE(PathTemplates, nullptr);
  EXPECT_EQ(PathTemplates->Expand("<$DESKTOP>\\", true), "C:\\Users\\Tester\\Desktop\\");
  FinalizeBmrFilesPaths();
  EXPECT_EQ(PathTemplates, nullptr);

  ThrowingShell shell;
  os::ScopedOverride<os::IShell> broken(shell);
  recorder.Clear();
  InitializeBmrFilesPaths();
  ASSERT_NE(PathTemplates, nullptr);
  EXPECT_EQ(PathTemplates->Expand("<$DESKTOP>\\", true), "<$DESKTOP>\\");
  const auto& entries = recorder.Entries();
  EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const auto& e) {
    return e.kind == dekError && e.message == "TPathTemplates.Create" && !e.senderClass.empty();
  }));
  FinalizeBmrFilesPaths();
}

}  // namespace
