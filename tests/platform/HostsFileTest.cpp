#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/bmrFFHosts.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const char kHosts[] = "C:\\Windows\\system32\\drivers\\etc\\hosts.";
const char kStart[] = "# Start of entries inserted by Tolvex - Harrow & Mend";
const char kEnd[] = "# End of entries inserted by Tolvex - Harrow & Mend";
const std::string kTcpip = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kTweaks = "SOFTWARE\\Wow6432Node\\Brenmoor Limited\\Tweaks";

using Lines = std::vector<std::string>;

std::string Joined(const Lines& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

class HostsFileTest : public ::testing::Test {
 protected:
  // The file's lines as the editor holds them after loading content.
  Lines Loaded(const std::string& content) {
    windows.files.SetFile(kHosts, content);
    THostsFile file(kHosts);
    return file.Lines;
  }
  std::string Content() { return windows.files.Content(kHosts).value_or("<missing>"); }

  fakes::FakeWindows windows;
};

// --- location ---------------------------------------------------------------------------------

TEST_F(HostsFileTest, LocationPrefersAnExistingFileAndOtherwiseWhereTheResolverReads) {
  struct Case {
    const char* name;
    const char* dataBasePath;  // nullptr: no value
    std::vector<std::string> files;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"nothing anywhere", nullptr, {}, kHosts},
      {"the system folder's file", nullptr, {kHosts}, kHosts},
      {"the configured folder, expanded",
       "%SystemRoot%\\System32\\drivers\\etc",
       {kHosts},
       "C:\\Windows\\System32\\drivers\\etc\\hosts."},
      {"the configured folder as written", "D:\\net", {"D:\\net\\hosts"}, "D:\\net\\hosts."},
      {"a configured folder without file falls back", "D:\\net", {kHosts}, kHosts},
      {"no file: the configured folder", "%SystemDrive%\\net", {}, "C:\\net\\hosts."},
      {"only the Windows folder's file", nullptr, {"C:\\Windows\\hosts"}, "C:\\Windows\\hosts."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeWindows fresh;
    if (c.dataBasePath) {
      fresh.registry.SetString(os::kHKeyLocalMachine, kTcpip, "DataBasePath", c.dataBasePath, os::kRegExpandSz);
    }
    for (const auto& path : c.files) fresh.files.SetFile(path, "");
    EXPECT_EQ(GetHostsFileLocation(), c.expected);
    EXPECT_EQ(fresh.registry.OpenHandleCount(), 0u);
  }
}

TEST_F(HostsFileTest, AnUnreadableDataBasePathCountsAsNone) {
  windows.registry.SetDword(os::kHKeyLocalMachine, kTcpip, "DataBasePath", 7);
  EXPECT_EQ(GetHostsFileLocation(), kHosts);
  windows.registry.SetString(os::kHKeyLocalMachine, kTcpip, "DataBasePath", "D:\\net");
  windows.registry.failures.Fail("RegOpenKeyExA", os::kErrorAccessDenied, "Tcpip");
  EXPECT_EQ(GetHostsFileLocation(), kHosts);
  EXPECT_EQ(windows.registry.OpenHandleCount(), 0u);
}

// --- reading and parsing ----------------------------------------------------------------------

TEST_F(HostsFileTest, EveryLineEndSplitsAndSavingWritesCrLfAfterEveryLine) {
  const Lines lines = Loaded("\xEF\xBB\xBF# one\nb\r\nc\rd\r\n\r\n\te ");
  EXPECT_EQ(lines, (Lines{"\xEF\xBB\xBF# one", "b", "c", "d", "", "\te ", "", kStart, THostsFile::FixedCommentLine(),
                          kEnd, ""}));
  THostsFile file(kHosts);
  file.Save(false);
  EXPECT_EQ(Content(), Joined(lines));
}

TEST_F(HostsFileTest, AMissingFileReadsAsEmptyWithTheDefaultBlock) {
  THostsFile file(kHosts);
  EXPECT_EQ(file.Lines, (Lines{"", kStart, THostsFile::FixedCommentLine(), kEnd, ""}));
  EXPECT_EQ(file.StartIndex, 1);
  EXPECT_EQ(file.EndIndex, 3);
  EXPECT_EQ(file.Entries.Count(), 0);
  EXPECT_FALSE(windows.files.Has(kHosts)) << "loading writes nothing";
}

TEST_F(HostsFileTest, AFileThatCannotBeReadRaises) {
  windows.files.SetFile(kHosts, "127.0.0.1 localhost\r\n");
  windows.files.failures.Fail("ReadFile", os::kErrorFileSharingViolation, "hosts");
  try {
    THostsFile file(kHosts);
    FAIL() << "no exception";
  } catch (const EFOpenError& error) {
    EXPECT_NE(std::string(error.what()).find(kHosts), std::string::npos) << error.what();
  }
}

TEST_F(HostsFileTest, EntryLinesGiveTheirNamesAndOtherLinesNone) {
  struct Case {
    const char* line;
    Lines local;
    Lines other;
  };
  const std::vector<Case> cases = {
      {"127.0.0.1 localhost # the machine", {"localhost=127.0.0.1"}, {}},
      {"0.0.0.0\ta.example  \t b.example", {"a.example=0.0.0.0", "b.example=0.0.0.0"}, {}},
      {"  ::1   ip6-localhost  ", {"ip6-localhost=::1"}, {}},
      {"127.0.0.53 stub", {"stub=127.0.0.53"}, {}},
      {"10.0.0.1 intranet", {}, {"intranet=10.0.0.1"}},
      {"127.0.0 short", {}, {"short=127.0.0"}},
      {"1.2.3.4 # only a comment", {}, {}},
      {"# 1.2.3.4 commented", {}, {}},
      {"lonely", {}, {}},
      {"", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    windows.files.SetFile(kHosts, std::string(c.line) + "\r\n");
    THostsFile file(kHosts);
    EXPECT_EQ(file.LocalEntries(), c.local);
    EXPECT_EQ(file.OtherEntries(), c.other);
    EXPECT_EQ(file.Entries.Count(), static_cast<std::int32_t>(c.local.size() + c.other.size()));
  }
}

TEST_F(HostsFileTest, LoadingCompletesAHalfBlockWhereItStands) {
  EXPECT_EQ(Loaded(Joined({"a", kStart, "b"})), (Lines{"a", kStart, kEnd, "b"}));
  EXPECT_EQ(Loaded(Joined({"a", kEnd, "b"})), (Lines{"a", kStart, THostsFile::FixedCommentLine(), kEnd, "b"}));
  // Markers with blanks around them are still the block's markers when loading.
  EXPECT_EQ(Loaded(Joined({std::string(kStart) + "  ", std::string(" ") + kEnd})),
            (Lines{std::string(kStart) + "  ", std::string(" ") + kEnd}));
}

TEST(HostEntriesTest, LookupsHoldAcrossGrowthDeletionsAndRepeatedNames) {
  THostEntries entries;
  const int kNames = 5000;
  for (int i = 0; i < kNames; ++i) entries.Add("h" + std::to_string(i), "0.0.0.0");
  const std::size_t mark = entries.Mark();
  entries.Add("h7", "1.1.1.1");
  entries.Add("new", "1.1.1.1");
  for (int i = 0; i < kNames; i += 2) EXPECT_TRUE(entries.DeleteOne("h" + std::to_string(i)));
  EXPECT_FALSE(entries.DeleteOne("h0"));
  EXPECT_FALSE(entries.DeleteOne("absent"));
  for (int i = 0; i < kNames; ++i) {
    ASSERT_EQ(entries.Contains("h" + std::to_string(i)), i % 2 == 1) << i;
  }
  EXPECT_TRUE(entries.ContainedBefore("h7", mark));
  EXPECT_FALSE(entries.ContainedBefore("new", mark));
  EXPECT_FALSE(entries.Contains("H7"));
  // The first pair of a name goes first; the later one stays.
  EXPECT_TRUE(entries.DeleteOne("h7"));
  EXPECT_TRUE(entries.Contains("h7"));
  EXPECT_FALSE(entries.ContainedBefore("h7", mark));
  EXPECT_EQ(entries.Count(), kNames / 2 + 1);
  entries.Add("h0", "2.2.2.2");
  EXPECT_TRUE(entries.Contains("h0"));
  const auto texts = entries.Texts();
  EXPECT_EQ(texts.front(), "h1=0.0.0.0");
  EXPECT_EQ(texts.back(), "h0=2.2.2.2");
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "h7=1.1.1.1"), 1);
}

// --- adding -----------------------------------------------------------------------------------

TEST_F(HostsFileTest, AddingWritesEachNewNameAboveTheEndMarker) {
  windows.files.SetFile(kHosts, "10.0.0.1 known.example # mine\r\n");
  THostsFile file(kHosts);
  file.AddEntries({"bare.example", "1.2.3.4 two.example  three.example", "first.example second.example",
                   "known.example", "Known.Example", "twice.example", "twice.example", "0.0.0.0 //note"});
  EXPECT_EQ(file.Lines, (Lines{"10.0.0.1 known.example # mine", "", kStart, THostsFile::FixedCommentLine(),
                               "127.0.0.1\tbare.example", "1.2.3.4\ttwo.example three.example",
                               "first.example\tsecond.example", "127.0.0.1\tKnown.Example", "127.0.0.1\ttwice.example",
                               "127.0.0.1\ttwice.example", "0.0.0.0\t//note", kEnd, ""}));
  EXPECT_EQ(file.EndIndex, 11);
  for (const char* name : {"bare.example", "three.example", "second.example", "known.example", "Known.Example"}) {
    EXPECT_TRUE(file.HasEntry(name)) << name;
  }
  EXPECT_FALSE(file.HasEntry("first.example")) << "it is the line's address";
  EXPECT_FALSE(file.HasEntry("KNOWN.EXAMPLE"));
  EXPECT_FALSE(file.HasEntry("//note"));
  EXPECT_EQ(file.Entries.Count(), 8);
}

TEST_F(HostsFileTest, UndoNamesAreRemovedFromTheWholeFile) {
  windows.files.SetFile(kHosts,
                        "0.0.0.0 old.example keep.example\r\n0.0.0.0 old.example\r\n0.0.0.0 spaced.example\r\n");
  THostsFile file(kHosts);
  file.AddEntries({"0.0.0.0 new.example //{undo}old.example", "0.0.0.0 // {undo}spaced.example"});
  EXPECT_EQ(file.Lines, (Lines{"0.0.0.0\tkeep.example", "", kStart, THostsFile::FixedCommentLine(),
                               "0.0.0.0\tnew.example", kEnd, ""}));
  EXPECT_FALSE(file.HasEntry("old.example"));
  EXPECT_FALSE(file.HasEntry("spaced.example"));
  EXPECT_TRUE(file.HasEntry("keep.example"));
  EXPECT_TRUE(file.HasEntry("new.example"));
  EXPECT_EQ(file.RemovedCount, 3);
}

TEST_F(HostsFileTest, AddingFindsMarkersOnlyAsTheyAreWritten) {
  struct Case {
    const char* name;
    Lines file;
    Lines expected;
  };
  const std::string comment = THostsFile::FixedCommentLine();
  const std::string paddedStart = std::string(kStart) + " ";
  const std::string paddedEnd = std::string(kEnd) + " ";
  const std::vector<Case> cases = {
      {"markers with trailing blanks: a new pair at the end",
       {"x", paddedStart, paddedEnd},
       {"x", paddedStart, paddedEnd, kStart, comment, "127.0.0.1\tn.example", kEnd}},
      {"end above start: the line goes above the end marker",
       {kEnd, "x", kStart, comment},
       {"127.0.0.1\tn.example", kEnd, "x", kStart, comment}},
      {"the comment line is added once", {kStart, kEnd}, {kStart, comment, "127.0.0.1\tn.example", kEnd}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    windows.files.SetFile(kHosts, Joined(c.file));
    THostsFile file(kHosts);
    file.AddEntries({"n.example"});
    EXPECT_EQ(file.Lines, c.expected);
    EXPECT_EQ(file.Lines[static_cast<std::size_t>(file.EndIndex)], kEnd);
  }
}

// --- removing ---------------------------------------------------------------------------------

TEST_F(HostsFileTest, RemovingNamesRewritesOnlyTheLinesThatHeldThem) {
  windows.files.SetFile(kHosts, Joined({"1.1.1.1  a.example b.example  # c", "# 1.1.1.1 a.example", "2.2.2.2 a.example",
                                        "3.3.3.3 other.example", kStart, kEnd}));
  THostsFile file(kHosts);
  EXPECT_TRUE(file.RemoveEntries({"a.example", "missing.example"}));
  EXPECT_EQ(file.Lines, (Lines{"1.1.1.1\tb.example", "# 1.1.1.1 a.example", "3.3.3.3 other.example", kStart, kEnd}));
  EXPECT_EQ(file.RemovedCount, 2);
  EXPECT_FALSE(file.HasEntry("a.example"));
  EXPECT_EQ(file.StartIndex, 3);
  EXPECT_FALSE(file.RemoveEntries({"a.example"}));
}

TEST_F(HostsFileTest, RemovingNamesLeavesIndentedCommentLinesAlone) {
  const Lines comments = {" # 1.1.1.1 a.example", "\t# a.example", "  #a.example b.example"};
  Lines lines = comments;
  lines.push_back("  2.2.2.2 a.example b.example");
  lines.insert(lines.end(), {kStart, kEnd});
  windows.files.SetFile(kHosts, Joined(lines));
  THostsFile file(kHosts);
  EXPECT_TRUE(file.RemoveEntries({"a.example", "#", "1.1.1.1"}));
  Lines expected = comments;
  expected.insert(expected.end(), {"2.2.2.2\tb.example", kStart, kEnd});
  EXPECT_EQ(file.Lines, expected);
  EXPECT_EQ(file.RemovedCount, 1);
}

TEST_F(HostsFileTest, EmptyingTheBlockLeavesItsMarkersAdjacent) {
  const std::string comment = THostsFile::FixedCommentLine();
  windows.files.SetFile(kHosts, Joined({"9.9.9.9 user.example", kStart, comment, "0.0.0.0\ta.example",
                                        "0.0.0.0\tb.example", "0.0.0.0\tuser.example", kEnd, "after"}));
  THostsFile file(kHosts);
  file.RemoveAllEntries();
  EXPECT_EQ(file.Lines, (Lines{"9.9.9.9 user.example", kStart, kEnd, "after"}));
  EXPECT_EQ(file.Entries.Texts(), (Lines{"user.example=9.9.9.9"}));
  EXPECT_EQ(file.StartIndex, 1);
  EXPECT_EQ(file.EndIndex, 2);

  // End above start: nothing between them is touched.
  const Lines reversed = {kEnd, "0.0.0.0\ta.example", kStart};
  windows.files.SetFile(kHosts, Joined(reversed));
  THostsFile other(kHosts);
  other.RemoveAllEntries();
  EXPECT_EQ(other.Lines, reversed);
  EXPECT_TRUE(other.HasEntry("a.example"));
}

// --- saving -----------------------------------------------------------------------------------

TEST_F(HostsFileTest, SavingBacksUpClearsWritesBesideReplacesAndSetsTheAttribute) {
  windows.system.now = {2015, 12, 4, 31, 23, 59, 59, 900};
  windows.files.SetFile(kHosts, "old\r\n", os::kFileAttributeReadOnly);
  THostsFile file(kHosts);
  windows.files.calls.clear();
  file.Save(true);
  const std::string etc = "C:\\Windows\\system32\\drivers\\etc\\";
  EXPECT_EQ(windows.files.calls, (Lines{"GetFileAttributesW " + etc + "hosts.",
                                        "CopyFileW " + etc + "hosts. -> " + etc + "hosts.20151231-235959.backup",
                                        "SetFileAttributesW " + etc + "hosts.", "WriteFile " + etc + "hosts.tvqm-new",
                                        "ReadFile " + etc + "hosts.",
                                        "MoveFileExW " + etc + "hosts.tvqm-new -> " + etc + "hosts.",
                                        "SetFileAttributesW " + etc + "hosts."}));
  EXPECT_EQ(windows.files.AttributesOf(kHosts), os::kFileAttributeReadOnly);
}

TEST_F(HostsFileTest, SavingMakesADatedBackupOfTheFileAsItWas) {
  windows.system.now = {2015, 12, 4, 31, 23, 59, 59, 900};
  windows.files.SetFile(kHosts, "old\r\n");
  THostsFile file(kHosts);
  file.Save(false);
  file.Save(false);
  const std::string backup = "C:\\Windows\\system32\\drivers\\etc\\hosts.20151231-235959.backup";
  const std::string second = "C:\\Windows\\system32\\drivers\\etc\\hosts.20151231-235959-2.backup";
  EXPECT_EQ(windows.files.Paths(), (Lines{kHosts, second, backup}));
  EXPECT_EQ(windows.files.Content(backup), "old\r\n") << "a later backup in the same second replaced the first";
  EXPECT_EQ(windows.files.Content(second), Content());

  windows.system.now = {2016, 1, 5, 1, 0, 0, 0, 0};
  file.Save(false);
  EXPECT_TRUE(windows.files.Has("C:\\Windows\\system32\\drivers\\etc\\hosts.20160101-000000.backup"));
}

TEST_F(HostsFileTest, TheTweakTurnsBackupsOffWithALowByteOfZero) {
  struct Case {
    bool set;
    std::uint32_t value;
    bool backup;
  };
  for (const Case& c : {Case{false, 0, true}, Case{true, 0, false}, Case{true, 0x100, false}, Case{true, 1, true},
                        Case{true, 0x201, true}}) {
    SCOPED_TRACE(c.set ? std::to_string(c.value) : "no tweak");
    fakes::FakeWindows fresh;
    if (c.set) fresh.registry.SetDword(os::kHKeyLocalMachine, kTweaks, "CreateHostsBackups", c.value);
    fresh.files.SetFile(kHosts, "old\r\n");
    THostsFile file(kHosts);
    file.Save(false);
    EXPECT_EQ(fresh.files.Paths().size(), c.backup ? 2u : 1u);
  }
}

TEST_F(HostsFileTest, SavingLeavesExactlyTheAskedAttribute) {
  for (const bool readOnly : {true, false}) {
    SCOPED_TRACE(readOnly);
    windows.files.SetFile(kHosts, "old\r\n",
                          os::kFileAttributeReadOnly | os::kFileAttributeHidden | os::kFileAttributeSystem);
    THostsFile file(kHosts);
    file.AddEntries({"n.example"});
    file.Save(readOnly);
    EXPECT_NE(Content().find("127.0.0.1\tn.example\r\n"), std::string::npos);
    EXPECT_EQ(windows.files.AttributesOf(kHosts), readOnly ? os::kFileAttributeReadOnly : 0u);
    // As the system reports it: a file without attributes reads as FILE_ATTRIBUTE_NORMAL.
    std::uint32_t attributes = 0;
    ASSERT_EQ(windows.files.Attributes(kHosts, attributes), 0u);
    EXPECT_EQ(attributes, readOnly ? os::kFileAttributeReadOnly : os::kFileAttributeNormal);
  }
}

// Windows does not overwrite a hidden file with a new one: a stale hidden file beside the
// hosts file fails one save, which leaves the hosts file whole and clears the stale file away.
TEST_F(HostsFileTest, AStaleHiddenFileBesideTheHostsFileCostsOneSave) {
  const std::string beside = "C:\\Windows\\system32\\drivers\\etc\\hosts.tvqm-new";
  windows.files.SetFile(kHosts, "old\r\n");
  windows.files.SetFile(beside, "stale", os::kFileAttributeHidden);
  THostsFile file(kHosts);
  file.AddEntries({"n.example"});
  EXPECT_THROW(file.Save(false), EFCreateError);
  EXPECT_EQ(Content(), "old\r\n");
  EXPECT_FALSE(windows.files.Has(beside));
  file.Save(false);
  EXPECT_NE(Content().find("127.0.0.1\tn.example\r\n"), std::string::npos);
  EXPECT_FALSE(windows.files.Has(beside));
}

TEST_F(HostsFileTest, AFailedSaveRaisesAndLeavesTheFileWhole) {
  struct Case {
    const char* call;
    std::int64_t code;
  };
  const std::string original = "127.0.0.1 localhost\r\n# the user's own lines\r\n";
  for (const Case& c : {Case{"WriteFile", 112}, Case{"MoveFileExW", os::kErrorFileAccessDenied}}) {
    SCOPED_TRACE(c.call);
    fakes::FakeWindows fresh;
    fresh.system.messages[112] = "There is not enough space on the disk.\r\n";
    fresh.files.SetFile(kHosts, original, os::kFileAttributeReadOnly);
    THostsFile file(kHosts);
    file.AddEntries({"n.example"});
    fresh.files.failures.Fail(c.call, c.code);
    EXPECT_THROW(file.Save(true), EFCreateError);
    EXPECT_EQ(fresh.files.Content(kHosts), original);
    // The attributes were cleared before the write and are not set again.
    EXPECT_EQ(fresh.files.AttributesOf(kHosts), 0u);
    // Nothing is left beside it but the backup.
    EXPECT_EQ(fresh.files.Paths().size(), 2u);

    fresh.files.failures.Clear();
    file.Save(true);
    EXPECT_NE(fresh.files.Content(kHosts)->find("n.example"), std::string::npos);
  }
}

TEST_F(HostsFileTest, SavingIntoAMissingFolderRaisesWithTheSystemsText) {
  const std::string path = "C:\\nowhere\\hosts.";
  THostsFile file(path);
  try {
    file.Save(false);
    FAIL() << "no exception";
  } catch (const EFCreateError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot create file \"C:\\nowhere\\hosts.\". System error 3.");
    EXPECT_EQ(error.ClassName(), "EFCreateError");
  }
  EXPECT_TRUE(windows.files.Paths().empty());
}

TEST_F(HostsFileTest, SaveCreatesAMissingFile) {
  THostsFile file;
  EXPECT_EQ(file.GetFileName(), kHosts);
  file.AddEntries({"n.example"});
  file.Save(false);
  EXPECT_EQ(Content(), Joined({"", kStart, THostsFile::FixedCommentLine(), "127.0.0.1\tn.example", kEnd, ""}));
  EXPECT_EQ(windows.files.Paths(), (Lines{kHosts})) << "no backup of a file that was not there";
}

// Windows 2000's DNS client keeps the old names until it starts again; on later systems the
// service is not touched.
TEST_F(HostsFileTest, OnWindows2000ARunningDnsClientIsStartedAfterTheSave) {
  struct Case {
    const char* name;
    std::uint32_t major, minor;
    std::uint32_t dnsState;  // 0: no such service
    bool failTheWrite;
    std::size_t starts;
  };
  const std::vector<Case> cases = {
      {"Windows 2000, running", 5, 0, os::kServiceRunning, false, 1},
      {"Windows 2000, running, failed write", 5, 0, os::kServiceRunning, true, 1},
      {"Windows 2000, stopped", 5, 0, os::kServiceStopped, false, 0},
      {"Windows 2000, paused", 5, 0, os::kServicePaused, false, 0},
      {"Windows 2000, no service", 5, 0, 0, false, 0},
      {"Windows XP", 5, 1, os::kServiceRunning, false, 0},
      {"Windows 10", 10, 0, os::kServiceRunning, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeWindows fresh;
    fresh.system.version.majorVersion = c.major;
    fresh.system.version.minorVersion = c.minor;
    InitializeBmrFFHosts();
    if (c.dnsState != 0) fresh.services.Add("Dnscache", c.dnsState, os::kServiceAutoStart);
    if (c.failTheWrite) fresh.files.failures.Fail("WriteFile", 5);
    THostsFile file(kHosts);
    file.AddEntries({"n.example"});
    if (c.failTheWrite) {
      EXPECT_THROW(file.Save(false), EFCreateError);
    } else {
      file.Save(false);
      EXPECT_NE(fresh.files.Content(kHosts).value_or("").find("n.example"), std::string::npos);
    }
    EXPECT_EQ(fresh.services.CallsOf("StartServiceW").size(), c.starts);
    if (c.major != 5 || c.minor != 0) {
      EXPECT_TRUE(fresh.services.calls.empty());
    }
    EXPECT_EQ(fresh.services.OpenHandleCount(), 0u);
  }
  InitializeBmrFFHosts();
}

}  // namespace
