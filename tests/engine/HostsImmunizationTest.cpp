#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/tvqmVorletsBaseHosts.h"
#include "engine/tvqmVorletsMicrosoftWindowsTelemetry.h"
#include "tests/fakes/FakeWindows.h"

namespace {

const char kHosts[] = "C:\\Windows\\system32\\drivers\\etc\\hosts.";
const char kDefaultStart[] = "# Start of entries inserted by Tolvex - Harrow & Mend";
const char kDefaultEnd[] = "# End of entries inserted by Tolvex - Harrow & Mend";
const char kStart[] = "# Start of entries inserted by Tolvex Quietmark for Windows 10";
const char kEnd[] = "# End of entries inserted by Tolvex Quietmark for Windows 10";
const char kOptionalStart[] = "# Start of entries inserted by Tolvex Quietmark for Windows 10 Optional";
const char kOptionalEnd[] = "# End of entries inserted by Tolvex Quietmark for Windows 10 Optional";
const std::string kPolicy = "SOFTWARE\\Policies\\Brenmoor Ltd.\\Tolvex Quietmark\\Hosts";
const std::string kUserLines = "# my own\r\n127.0.0.1 localhost\r\n10.0.0.2 nas.home # backup box\r\n";

using Lines = std::vector<std::string>;

std::string Joined(const Lines& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

// A hosts immunizer with a list of the test's choosing.
class TTestHostsImmunization final
    : public TImmunizationClass<TTestHostsImmunization, TCustomWindows10HostsImmunization> {
 public:
  static constexpr const char* kClassName = "TTestHostsImmunization";
  static std::string GetDisplayName() { return "Test hosts"; }
  explicit TTestHostsImmunization(const Lines& names = {}, const std::string& suffix = "") {
    if (!suffix.empty()) SetSectionSuffix(suffix);
    for (const auto& name : names) AddHost(name);
  }
};

struct Message {
  TImmunizationLogLevel level;
  std::string text;
  bool operator==(const Message&) const = default;
};

void PrintTo(const Message& m, std::ostream* os) { *os << int(m.level) << ": " << m.text; }

class HostsImmunizationTest : public ::testing::Test {
 protected:
  void Listen(TWindows10Immunization& immunizer) {
    immunizer.OnLog = [this](TWindows10Immunization&, TImmunizationLogLevel level, const std::string& msg) {
      messages.push_back({level, msg});
    };
  }
  std::string Content() { return windows.files.Content(kHosts).value_or("<missing>"); }

  fakes::FakeWindows windows;
  std::vector<Message> messages;
};

TEST_F(HostsImmunizationTest, ApplyAppendsItsBlockAfterTheDefaultOneAndUndoEmptiesIt) {
  windows.files.SetFile(kHosts, kUserLines);
  TTestHostsImmunization immunizer({"a.example", "b.example", "a.example"});
  EXPECT_EQ(immunizer.GetCount(), 3);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);

  immunizer.Immunize();
  // The default block holds the comment line already, so the kind's own block gets none.
  const std::string defaultBlock = Joined({"", kDefaultStart, THostsFile::FixedCommentLine(), kDefaultEnd, ""});
  EXPECT_EQ(Content(), kUserLines + defaultBlock +
                           Joined({kStart, "0.0.0.0\ta.example", "0.0.0.0\tb.example", "0.0.0.0\ta.example", kEnd}));
  EXPECT_EQ(immunizer.GetCount(), 3);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 3) << "a name standing twice counts twice";

  immunizer.Remove();
  EXPECT_EQ(Content(), kUserLines + defaultBlock + Joined({kStart, kEnd}));
  EXPECT_EQ(immunizer.GetImmunizedCount(), 0);

  // A second undo and a second apply change nothing more than the first did.
  immunizer.Remove();
  EXPECT_EQ(Content(), kUserLines + defaultBlock + Joined({kStart, kEnd}));
  immunizer.Immunize();
  immunizer.Immunize();
  EXPECT_EQ(Content(), kUserLines + defaultBlock +
                           Joined({kStart, "0.0.0.0\ta.example", "0.0.0.0\tb.example", "0.0.0.0\ta.example", kEnd}));
}

TEST_F(HostsImmunizationTest, ANameTheFileAlreadyMapsCountsAndIsNeitherWrittenNorUndone) {
  const std::string before =
      kUserLines + "1.2.3.4 mine.example\r\n" + Joined({kOptionalStart, "0.0.0.0\tother.example", kOptionalEnd});
  windows.files.SetFile(kHosts, before);
  TTestHostsImmunization immunizer({"mine.example", "other.example", "new.example"});
  EXPECT_EQ(immunizer.GetImmunizedCount(), 2);

  immunizer.Immunize();
  EXPECT_EQ(immunizer.GetImmunizedCount(), 3);
  const std::string content = Content();
  EXPECT_EQ(content.rfind(before, 0), 0u) << content;
  EXPECT_EQ(content.find("\tmine.example"), std::string::npos);
  EXPECT_EQ(content.find("\tother.example"), content.rfind("\tother.example"));

  immunizer.Remove();
  EXPECT_EQ(Content().rfind(before, 0), 0u);
  EXPECT_EQ(immunizer.GetImmunizedCount(), 2);
}

TEST_F(HostsImmunizationTest, TwoSuffixesKeepSeparateBlocks) {
  TTestHostsImmunization standard({"s.example"});
  TTestHostsImmunization optional({"o.example"}, "Optional");
  EXPECT_EQ(optional.GetSuffix(), "Optional");
  standard.Immunize();
  optional.Immunize();
  standard.Remove();
  EXPECT_EQ(optional.GetImmunizedCount(), 1);
  EXPECT_EQ(standard.GetImmunizedCount(), 0);
  const std::string content = Content();
  EXPECT_NE(content.find(Joined({kOptionalStart, "0.0.0.0\to.example", kOptionalEnd})), std::string::npos) << content;
  EXPECT_NE(content.find(Joined({kStart, kEnd})), std::string::npos) << content;
}

// Both immunizers created before either saves, as the window's frames are: neither save may
// drop what the other wrote, nor what another program added in between.
TEST_F(HostsImmunizationTest, EverySaveStartsFromTheFileAsItIsNow) {
  windows.files.SetFile(kHosts, kUserLines);
  TTestHostsImmunization standard({"s.example"});
  TTestHostsImmunization optional({"o.example"}, "Optional");
  EXPECT_EQ(standard.GetImmunizedCount(), 0);

  optional.Immunize();
  windows.files.SetFile(kHosts, Content() + "10.9.9.9 added.later\r\n");
  EXPECT_EQ(standard.GetImmunizedCount(), 0);
  EXPECT_TRUE(standard.GetHostsFile().HasEntry("added.later")) << "the count read the file again";
  standard.Immunize();

  const std::string content = Content();
  EXPECT_NE(content.find("0.0.0.0\to.example"), std::string::npos) << content;
  EXPECT_NE(content.find("10.9.9.9 added.later"), std::string::npos) << content;
  EXPECT_EQ(standard.GetImmunizedCount(), 1);
  EXPECT_EQ(optional.GetImmunizedCount(), 1);
  optional.Remove();
  EXPECT_NE(Content().find("0.0.0.0\ts.example"), std::string::npos);
}

TEST_F(HostsImmunizationTest, EveryCountReportsTheFilesEntries) {
  windows.files.SetFile(kHosts, kUserLines);
  TTestHostsImmunization immunizer({"a.example"});
  Listen(immunizer);
  immunizer.GetImmunizedCount();
  immunizer.GetImmunizedCount();
  const Message line{ilInformation, std::string("2 entries found in hosts file (") + kHosts + ")."};
  EXPECT_EQ(messages, (std::vector<Message>{line, line}));
  EXPECT_EQ(immunizer.GetHostsFileEntryCount(), 2);
}

TEST_F(HostsImmunizationTest, AFileThatCannotBeReadLeavesNoImmunizer) {
  windows.files.SetFile(kHosts, kUserLines);
  windows.files.failures.Fail("ReadFile", os::kErrorFileAccessDenied, "hosts");
  EXPECT_THROW(TTestHostsImmunization({"a.example"}), EFOpenError);
}

TEST_F(HostsImmunizationTest, ACountThatCannotReadTheFileSaysSoAndCountsTheLastCopy) {
  windows.files.SetFile(kHosts, kUserLines);
  TTestHostsImmunization immunizer({"localhost", "a.example"});
  Listen(immunizer);
  windows.files.failures.Fail("ReadFile", os::kErrorFileSharingViolation, "hosts");
  windows.system.messages[32] = "The process cannot access the file because it is being used by another process.\r\n";
  EXPECT_EQ(immunizer.GetImmunizedCount(), 1);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].level, ilError);
  EXPECT_EQ(messages[0].text, std::string("Unable to access hosts file Cannot open file \"") + kHosts +
                                  "\". The process cannot access the file because it is being used by another "
                                  "process..");
  EXPECT_EQ(messages[1].level, ilInformation);
}

TEST_F(HostsImmunizationTest, PoliciesSetTheAddressAndTheReadOnlyAttribute) {
  struct Case {
    const char* name;
    bool custom;
    const char* blockIp;  // nullptr: no value
    bool readOnly;
    const char* line;
    std::int32_t counted;
  };
  const std::vector<Case> cases = {
      {"no policy", false, nullptr, false, "0.0.0.0\ta.example", 1},
      {"custom address", true, "127.0.0.2", true, "127.0.0.2\ta.example", 1},
      {"custom address switched off", false, "127.0.0.2", false, "0.0.0.0\ta.example", 1},
      // Lines without an address would block nothing and be added again by every apply.
      {"custom address without text", true, nullptr, true, "0.0.0.0\ta.example", 1},
      {"custom address of blanks", true, "  ", false, "0.0.0.0\ta.example", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeWindows fresh;
    fresh.registry.SetDword(os::kHKeyLocalMachine, kPolicy, "CustomBlockIP", c.custom ? 1 : 0);
    if (c.blockIp) fresh.registry.SetString(os::kHKeyLocalMachine, kPolicy, "BlockIP", c.blockIp);
    fresh.registry.SetDword(os::kHKeyLocalMachine, kPolicy, "EnableReadOnlyFileAttribute", c.readOnly ? 1 : 0);
    TTestHostsImmunization immunizer({"a.example"});
    immunizer.Immunize();
    const std::string applied = *fresh.files.Content(kHosts);
    EXPECT_NE(applied.find(std::string("\r\n") + c.line + "\r\n"), std::string::npos);
    immunizer.Immunize();
    EXPECT_EQ(*fresh.files.Content(kHosts), applied) << "a second apply changes nothing";
    EXPECT_EQ(fresh.files.AttributesOf(kHosts), c.readOnly ? os::kFileAttributeReadOnly : 0u);
    EXPECT_EQ(immunizer.GetImmunizedCount(), c.counted);
    // The next save clears the attribute it set itself.
    immunizer.Remove();
    EXPECT_EQ(fresh.files.Content(kHosts)->find("a.example"), std::string::npos);
  }
}

TEST_F(HostsImmunizationTest, AFailedSaveIsTriedFiveTimesInAll) {
  struct Case {
    bool undo;
    int failures;
    std::vector<Message> messages;
    const char* debugText;
  };
  const std::string applyError =
      std::string("Unable to access hosts file, attempt %d: Cannot create file \"") + kHosts + "\". Access is denied..";
  const std::string undoError =
      std::string("Unable to access hosts file Cannot create file \"") + kHosts + "\". Access is denied..";
  auto apply = [&](int n) { return Message{ilError, rtl::Format(applyError, {std::int64_t{n}})}; };
  const Message undo{ilError, undoError};
  const std::vector<Case> cases = {
      {false, 0, {}, "TCustomWindows10HostsImmunization.Immunize: 1"},
      {false,
       1,
       {apply(1), {ilSuccess, "Processed hosts file on attempt 2."}},
       "TCustomWindows10HostsImmunization.Immunize: 2"},
      {false,
       4,
       {apply(1), apply(2), apply(3), apply(4), {ilSuccess, "Processed hosts file on attempt 5."}},
       "TCustomWindows10HostsImmunization.Immunize: 5"},
      {false, 5, {apply(1), apply(2), apply(3), apply(4), apply(5)}, "TCustomWindows10HostsImmunization.Immunize: 6"},
      {true, 0, {}, "TCustomWindows10HostsImmunization.Remove: 1"},
      {true,
       1,
       {undo, {ilSuccess, "Processed hosts file on attempt 2."}},
       "TCustomWindows10HostsImmunization.Remove: 2"},
      {true, 5, {undo, undo, undo, undo, undo}, "TCustomWindows10HostsImmunization.Remove: 6"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.undo ? "undo, " : "apply, ") + std::to_string(c.failures) + " failures");
    fakes::FakeWindows fresh;
    fresh.files.SetFile(kHosts, kUserLines + Joined({kStart, "0.0.0.0\told.example", kEnd}));
    TTestHostsImmunization immunizer({"a.example"});
    messages.clear();
    Listen(immunizer);
    fresh.files.failures.Fail("MoveFileExW", os::kErrorFileAccessDenied, "", c.failures);

    if (c.undo) {
      immunizer.Remove();
    } else {
      immunizer.Immunize();
    }

    EXPECT_EQ(messages, c.messages);
    ASSERT_FALSE(fresh.system.debugOutput.empty());
    EXPECT_EQ(fresh.system.debugOutput.back(), c.debugText);
    const std::string content = *fresh.files.Content(kHosts);
    const bool saved = c.failures < 5;
    EXPECT_EQ(content.find("old.example") == std::string::npos, c.undo && saved) << content;
    EXPECT_EQ(content.find("a.example") != std::string::npos, !c.undo && saved) << content;
    // A failed attempt leaves nothing beside the file.
    for (const auto& path : fresh.files.Paths()) EXPECT_EQ(path.find("tvqm-new"), std::string::npos) << path;
    // The counts show the file, not an edit that never reached it.
    messages.clear();
    EXPECT_EQ(immunizer.GetImmunizedCount(), !c.undo && saved ? 1 : 0);
  }
}

}  // namespace

namespace {

bool IsHostNameText(const std::string& name) {
  if (name.empty() || name.front() == '.' || name.back() == '.' || name.front() == '-') return false;
  for (char c : name) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-')) return false;
  }
  return true;
}

TEST_F(HostsImmunizationTest, TelemetryHostsListsThirtySevenEntriesOfThirtyFiveNames) {
  windows.files.SetFile(kHosts, kUserLines);
  TWindows10TelemetryHostsImmunization immunizer;
  const auto& hosts = immunizer.GetHosts();
  ASSERT_EQ(hosts.size(), 37u);
  const std::set<std::string> distinct(hosts.begin(), hosts.end());
  EXPECT_EQ(distinct.size(), 35u);
  for (const auto& name : hosts) EXPECT_TRUE(IsHostNameText(name)) << name;
  EXPECT_EQ(immunizer.GetSuffix(), "");

  immunizer.Immunize();
  EXPECT_EQ(immunizer.GetImmunizedCount(), 37);
  const std::string content = Content();
  const std::size_t start = content.find(std::string(kStart) + "\r\n");
  const std::size_t end = content.find(kEnd);
  ASSERT_NE(start, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  // One line per entry, in list order: a name new to the file is written at each of its places.
  std::string expected;
  for (const auto& name : hosts) expected += "0.0.0.0\t" + name + "\r\n";
  EXPECT_EQ(content.substr(start + std::strlen(kStart) + 2, end - start - std::strlen(kStart) - 2), expected);
}

}  // namespace

namespace {

// Another program at work on the file between the read and the replace: the edit is made
// again on a fresh read, and none of the other program's lines is lost.
TEST_F(HostsImmunizationTest, AFileChangedBetweenReadAndReplaceIsEditedAgain) {
  const std::string late = "10.7.7.7 late.example\r\n";
  struct Case {
    const char* name;
    bool existsAtStart;
    std::function<void(fakes::FakeFiles&)> race;
    bool lateLine;
  };
  auto onFirstWrite = [](std::function<void(fakes::FakeFiles&)> act) {
    return [act](fakes::FakeFiles& files) {
      auto done = std::make_shared<bool>(false);
      files.beforeCall = [&files, act, done](const std::string& call) {
        if (*done || call.rfind("WriteFile", 0) != 0) return;
        *done = true;
        act(files);
      };
    };
  };
  const std::vector<Case> cases = {
      {"briefly absent (2)", true, [](fakes::FakeFiles& f) { f.failures.Fail("ReadFile", 2, "hosts", 1); }, false},
      {"briefly absent (3)", true, [](fakes::FakeFiles& f) { f.failures.Fail("ReadFile", 3, "hosts", 1); }, false},
      {"lines added after the read", true,
       onFirstWrite([&](fakes::FakeFiles& f) { f.SetFile(kHosts, *f.Content(kHosts) + late); }), true},
      {"created after a read that found none", false,
       onFirstWrite([&](fakes::FakeFiles& f) { f.SetFile(kHosts, kUserLines + late); }), true},
  };
  for (const bool undo : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(undo ? "undo, " : "apply, ") + c.name);
      fakes::FakeWindows fresh;
      if (c.existsAtStart) fresh.files.SetFile(kHosts, kUserLines + Joined({kStart, "0.0.0.0\told.example", kEnd}));
      TTestHostsImmunization immunizer({"a.example"});
      messages.clear();
      Listen(immunizer);
      c.race(fresh.files);

      undo ? immunizer.Remove() : immunizer.Immunize();

      const std::string content = fresh.files.Content(kHosts).value_or("<missing>");
      for (const char* line : {"# my own\r\n", "127.0.0.1 localhost\r\n", "10.0.0.2 nas.home # backup box\r\n"}) {
        EXPECT_NE(content.find(line), std::string::npos) << content;
      }
      EXPECT_EQ(content.find(late) != std::string::npos, c.lateLine) << content;
      EXPECT_EQ(content.find("a.example") != std::string::npos, !undo) << content;
      EXPECT_EQ(content.find("old.example") != std::string::npos, !undo && c.existsAtStart) << content;
      ASSERT_FALSE(messages.empty());
      EXPECT_EQ(messages.back(), (Message{ilSuccess, "Processed hosts file on attempt 2."}));
      for (const auto& path : fresh.files.Paths()) EXPECT_EQ(path.find("tvqm-new"), std::string::npos) << path;
    }
  }
}

TEST_F(HostsImmunizationTest, AttemptsPauseLongerEachTime) {
  const std::vector<std::pair<int, std::vector<std::uint32_t>>> cases = {
      {0, {}}, {1, {100}}, {5, {100, 200, 400, 800}}};
  for (const auto& [failures, pauses] : cases) {
    SCOPED_TRACE(failures);
    fakes::FakeWindows fresh;
    fresh.files.SetFile(kHosts, kUserLines);
    TTestHostsImmunization immunizer({"a.example"});
    fresh.files.failures.Fail("MoveFileExW", os::kErrorFileSharingViolation, "", failures);
    immunizer.Immunize();
    EXPECT_EQ(fresh.system.pauses, pauses);
  }
}

TEST_F(HostsImmunizationTest, OnlyAnAddressIsTakenFromTheBlockIPPolicy) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"10.1.2.3", "10.1.2.3"},
      {"::", "::"},
      {"fe80::1", "fe80::1"},
      {"2001:db8:0:0:0:0:0:1", "2001:db8:0:0:0:0:0:1"},
      {"::ffff:10.0.0.1", "::ffff:10.0.0.1"},
      {"#", "0.0.0.0"},
      {"10.0.0.1\r\n1.2.3.4 evil.example", "0.0.0.0"},
      {"10.0.0.1 # comment", "0.0.0.0"},
      {" 10.0.0.1", "0.0.0.0"},
      {"256.0.0.1", "0.0.0.0"},
      {"10.0.0", "0.0.0.0"},
      {"10.0.0.01", "0.0.0.0"},
      {"1:2:3:4:5:6:7:8:9", "0.0.0.0"},
      {"1::2::3", "0.0.0.0"},
      {"12345::1", "0.0.0.0"},
      {":1", "0.0.0.0"},
      {"1:", "0.0.0.0"},
      {"localhost", "0.0.0.0"},
  };
  for (const auto& [value, used] : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(IsIPAddressText(value), std::string(value) == used);
    fakes::FakeWindows fresh;
    fresh.files.SetFile(kHosts, kUserLines);
    fresh.registry.SetDword(os::kHKeyLocalMachine, kPolicy, "CustomBlockIP", 1);
    fresh.registry.SetString(os::kHKeyLocalMachine, kPolicy, "BlockIP", value);
    TTestHostsImmunization immunizer({"a.example"});
    immunizer.Immunize();
    const std::string applied = *fresh.files.Content(kHosts);
    EXPECT_NE(applied.find(std::string("\r\n") + used + "\ta.example\r\n"), std::string::npos) << applied;
    EXPECT_EQ(immunizer.GetImmunizedCount(), 1);
  }
}

}  // namespace
