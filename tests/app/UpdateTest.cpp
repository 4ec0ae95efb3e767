// The about dialog's update check and download on an in-memory HTTP: the reply's values, the
// version comparison, the update tab and its notice, the progress bar in KiB, where the file
// lands, and every refusal and failure with its message box.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/bmrLocalizer.h"
#include "app/bmrUIDlgAbout.h"
#include "app/bmrUIDlgAboutUpdate.h"
#include "app/bmrUpdateReply.h"
#include "app/ui/Toolkit.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "platform/bmrFilesPaths.h"
#include "platform/rtlSysUtils.h"
#include "tests/fakes/FakeHttp.h"
#include "tests/fakes/FakeTrust.h"
#include "tests/fakes/FakeVersionInfo.h"
#include "tests/fakes/FakeWindows.h"

// Replies are written with designated initializers naming only what a case needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using Lines = std::vector<std::string>;

const std::string kDesktop = "C:\\Users\\Tester\\Desktop";
const std::string kCheckURL = "https://updates.test/downloads-api.php?id=55";
const std::string kInstallerURL = "https://files.test/get/TolvexQuietmarkSetup.exe";
const std::string kTarget = kDesktop + "\\TolvexQuietmarkSetup.exe";
const std::string kErrorHead = "An unknown error occured while trying to search for updates:\r\n";
const std::string kNothingToUpdate = "Nothing to update - you're still using the newest version.";
const std::string kSigner = "Brenmoor Limited";

TEST(UpdateReplyTest, ValuesByNameInAnyCaseFirstLineWins) {
  struct Case {
    std::string body;
    TUpdateReply expected;
  };
  const Case cases[] = {
      {"version=1.6\r\nuri=https://a/b.exe\r\nreleasenotes=x<br />y\r\n", {"1.6", "https://a/b.exe", "x<br />y"}},
      {"VERSION=2\nUri=u\rReleaseNotes=n", {"2", "u", "n"}},
      {"version=1\r\nversion=2\r\n", {"1", "", ""}},
      {"uri=https://a/1.exe\nURI=https://a/2.exe\nreleasenotes=first\nReleaseNotes=second\nVersion=3\nversion=4",
       {"3", "https://a/1.exe", "first"}},
      {"uri=\r\nuri=https://a/2.exe\r\n", {"", "", ""}},
      {" version=2\r\nversion =3\r\n", {"", "", ""}},
      {"release=1\r\nno equals\r\n\r\n=x\r\n", {"", "", ""}},
      {"uri=https://h/x?a=b=c\r\n", {"", "https://h/x?a=b=c", ""}},
      {"version=\r\nversion=3\r\n", {"", "", ""}},
      {"", {"", "", ""}},
  };
  for (const Case& c : cases) {
    const TUpdateReply reply = ParseUpdateReply(c.body);
    EXPECT_EQ(reply.Version, c.expected.Version) << c.body;
    EXPECT_EQ(reply.URI, c.expected.URI) << c.body;
    EXPECT_EQ(reply.ReleaseNotes, c.expected.ReleaseNotes) << c.body;
  }
  EXPECT_EQ(SplitReplyLines("a\r\nb\n\nc\rd\r"), (Lines{"a", "b", "", "c", "d"}));
  EXPECT_EQ(ReleaseNoteLines("one<br />two<br/>three<br /><br />"), (Lines{"one", "two<br/>three", ""}));
}

TEST(UpdateReplyTest, AddressesAndFileNames) {
  EXPECT_EQ(UpdateServiceURL("updates.test:8443", 55), "https://updates.test:8443/downloads-api.php?id=55");
  for (const char* address : {"https://h/x.exe", "HTTPS://h", "https://h:1/"}) EXPECT_TRUE(IsHttpsAddress(address)) << address;
  for (const char* address : {"http://h/x.exe", "file:///C:/x.exe", "ftp://h/x", "https://", "https:///x", "", "https:h/x",
                              " https://h/x"}) {
    EXPECT_FALSE(IsHttpsAddress(address)) << address;
  }
  struct Name {
    std::string address, name;
  };
  const Name names[] = {
      {"https://h/a/setup.exe", "setup.exe"},
      {"https://h/a\\b:c.exe", "c.exe"},
      {"https://h/a/", ""},
      {"https://h:1/", ""},
      {"https://h", ""},
      {"https://h?x=/a.exe", ""},
      {"https://h/get/Setup.exe?token=a/b.exe#x", "Setup.exe"},
      {"https://h/Setup.exe#part/x.exe", "Setup.exe"},
      {"https://h/a?b#c?d/e.exe", "a"},
      {"https://h/Setup%20v2%2Fx.exe", "Setup%20v2%2Fx.exe"},
  };
  for (const Name& n : names) EXPECT_EQ(UpdateFileName(n.address), n.name) << n.address;

  const std::string accented = [] {
    std::string text;
    for (int i = 0; i < 246; ++i) text += "\xC3\xA9";  // 246 UTF-16 units in 492 bytes
    return text;
  }();
  const Lines plain{"setup.exe", "Setup 1.6.msi", "COM10.exe", "CONSOLE.exe", "LPT.exe", "nul_.exe", "con-setup.exe",
                    ".exe", std::string(246, 'a'), accented};
  for (const std::string& name : plain) EXPECT_TRUE(IsPlainFileName(name)) << name;
  const Lines refused{"", ".", "..", "get.php?id=1", "a*b", "a|b", "a\"b", "a\tb",
                      // devices, with or without an extension, in any case
                      "CON", "con.exe", "Prn.msi", "aux", "NUL.tar.gz", "AUX .txt", "COM1", "com9.exe", "LPT1.msi",
                      "lPt9", "COM\xC2\xB9.exe",
                      // what Windows would cut off
                      "setup.exe.", "setup.exe ", "setup ",
                      // "<name>.download" past 255 UTF-16 units
                      std::string(247, 'a'), accented + "\xC3\xA9"};
  for (const std::string& name : refused) EXPECT_FALSE(IsPlainFileName(name)) << name;
  EXPECT_EQ(KiB(1023), 0);
  EXPECT_EQ(KiB(2048), 2);
}

// The about dialog on the headless backend, the program's desktop on the in-memory Windows.
class UpdateTest : public ::testing::Test {
 protected:
  UpdateTest() {
    windows_.files.AddFolder(kDesktop);
    const std::string program = "C:\\Program Files\\Tolvex Quietmark\\TolvexQuietmark.exe";
    windows_.versionInfo.SetBlock(program, fakes::BuildVersionBlock({.tables = {{.strings = {
        {"ProductName", "Tolvex Quietmark"}, {"ProductVersion", "1, 5"}, {"CompanyName", "Brenmoor Limited"}}}}}));
    InitializeBmrFilesPaths();
    savedHost_ = UpdateServiceHost;
    savedSigner_ = UpdateSigner;
    UpdateServiceHost = "updates.test";
    UpdateSigner = "";
    dialog_ = ui::NewForm<TdlgAbout>();
    dialog_->SetProductID(55);
    dialog_->SetFileName(program);
    dialog_->Show();
    tab_ = dialog_->tabUpdateAvailable;
    memo_ = dialog_->memoUpdate;
    bar_ = dialog_->pgDownload;
    bnUpdate_ = dialog_->bnUpdate;
  }
  ~UpdateTest() override {
    dialog_.reset();
    FinalizeBmrFilesPaths();
    UpdateServiceHost = savedHost_;
    UpdateSigner = savedSigner_;
  }

  void Reply(const std::string& url, fakes::FakeHttp::Reply reply) { http_.replies[url] = std::move(reply); }
  // These bytes carry a good signature.
  void Signed(const std::string& body) { trust_.verdicts[body] = {0, kSigner}; }
  void OfferUpdate(const std::string& version = "1.6", const std::string& uri = kInstallerURL) {
    Reply(kCheckURL, {.body = "version=" + version + "\r\nuri=" + uri + "\r\nreleasenotes=Faster<br />Smaller\r\n"});
  }
  void ClickCheck() { ASSERT_TRUE(backend_->UserClick(*dialog_->bnUpdates)); }
  Lines BoxTexts() const {
    Lines texts;
    for (const auto& box : backend_->messageBoxes) texts.push_back(box.text);
    return texts;
  }
  // What every download leaves: the bar hidden, the button usable, the client gone.
  void ExpectDialogReady() {
    EXPECT_FALSE(bar_->Visible());
    EXPECT_TRUE(bnUpdate_->Enabled());
    EXPECT_EQ(dialog_->FHTTP, nullptr);
    EXPECT_EQ(http_.clientsAlive, 0);
  }
  void ExpectNoFileOnDesktop() {
    for (const std::string& path : windows_.files.Paths()) EXPECT_NE(path.rfind(kDesktop, 0), 0u) << path;
  }

  fakes::FakeWindows windows_;
  fakes::FakeHttp http_;
  fakes::FakeLauncher launcher_;
  fakes::FakeTrust trust_{windows_.files};
  os::ScopedOverride<os::IHttp> httpOverride_{http_};
  os::ScopedOverride<os::ILauncher> launcherOverride_{launcher_};
  os::ScopedOverride<os::ITrust> trustOverride_{trust_};
  ui::headless::ScopedHeadlessBackend backend_;
  ui::FormPtr<TdlgAbout> dialog_;
  ui::TabSheet* tab_;
  ui::Memo* memo_;
  ui::ProgressBar* bar_;
  ui::Button* bnUpdate_;
  std::string savedHost_;
  std::string savedSigner_;
};

TEST_F(UpdateTest, NewerVersionRevealsTheTabWithTheNotice) {
  OfferUpdate();
  ClickCheck();

  ASSERT_EQ(http_.requests.size(), 1u);
  EXPECT_EQ(http_.requests[0].url, kCheckURL);
  EXPECT_EQ(http_.requests[0].userAgent, "Tolvex Quietmark");
  EXPECT_TRUE(tab_->TabVisible());
  EXPECT_EQ(tab_->GetPageControl()->ActivePage(), tab_);
  EXPECT_EQ(memo_->Lines(), (Lines{"New version found online: 1.6", "", "Changes:", "Faster", "Smaller"}));
  EXPECT_EQ(dialog_->FUpdateURI, kInstallerURL);
  EXPECT_TRUE(backend_->messageBoxes.empty());
  ASSERT_FALSE(windows_.system.debugOutput.empty());
  EXPECT_EQ(windows_.system.debugOutput.back(),
            "version=1.6\r\nuri=" + kInstallerURL + "\r\nreleasenotes=Faster<br />Smaller\r\n");

  // A second check replaces the notice: one set of heading lines, the new notes.
  Reply(kCheckURL, {.body = "version=2.0\nuri=https://files.test/v2.exe\nreleasenotes=Only this"});
  ClickCheck();
  EXPECT_EQ(memo_->Lines(), (Lines{"New version found online: 2.0", "", "Changes:", "Only this"}));
  EXPECT_EQ(dialog_->FUpdateURI, "https://files.test/v2.exe");
}

TEST_F(UpdateTest, NoNewerVersionSaysNothingToUpdate) {
  struct Case {
    std::string body;
    bool newer;
  };
  const Case cases[] = {
      {"version=1.6", true},      {"version=1.5.1", true}, {"VERSION=2", true},  {"version=1.5", false},
      {"version=1.4", false},     {"uri=https://x/y.exe", false}, {" version=2", false}, {"version=1.5.0", false},
      {"\xEF\xBB\xBFversion=1.6", true}, {"uri=x\r\n\xEF\xBB\xBFversion=1.6", false},
  };
  for (const Case& c : cases) {
    backend_->messageBoxes.clear();
    tab_->SetTabVisible(false);
    Reply(kCheckURL, {.body = c.body});
    ClickCheck();
    EXPECT_EQ(tab_->TabVisible(), c.newer) << c.body;
    if (c.newer) {
      EXPECT_TRUE(backend_->messageBoxes.empty()) << c.body;
    } else {
      ASSERT_EQ(backend_->messageBoxes.size(), 1u) << c.body;
      EXPECT_EQ(backend_->messageBoxes[0].text, kNothingToUpdate);
      EXPECT_EQ(backend_->messageBoxes[0].type, ui::DialogType::Information);
    }
  }
}

TEST_F(UpdateTest, EverySuccessfulReplyGivesTheDownloadAddress) {
  // Not newer: the address is taken all the same.
  Reply(kCheckURL, {.body = "version=1.5\r\nuri=https://files.test/old.exe"});
  ClickCheck();
  EXPECT_FALSE(tab_->TabVisible());
  EXPECT_EQ(dialog_->FUpdateURI, "https://files.test/old.exe");
  // Newer without an address: none is kept from before.
  Reply(kCheckURL, {.body = "version=2"});
  ClickCheck();
  EXPECT_TRUE(tab_->TabVisible());
  EXPECT_EQ(dialog_->FUpdateURI, "");
  Reply(kCheckURL, {.body = "uri=https://files.test/any.exe"});
  ClickCheck();
  EXPECT_EQ(dialog_->FUpdateURI, "https://files.test/any.exe");
}

TEST_F(UpdateTest, CheckFailuresShowTheErrorBox) {
  // No update source: nothing is asked.
  dialog_->SetProductID(-1);
  EXPECT_FALSE(dialog_->bnUpdates->Visible());
  dialog_->CheckForUpdates();
  EXPECT_TRUE(http_.requests.empty());
  dialog_->SetProductID(55);

  // No reply at all: the connection error on the second line.
  ClickCheck();
  // An error page is no answer: not "Nothing to update".
  Reply(kCheckURL, {.status = 404, .reason = "Not Found", .body = "<html>version=9</html>"});
  ClickCheck();
  Reply(kCheckURL, {.status = 302, .reason = "", .body = ""});
  ClickCheck();
  // The project's exceptions are caught and shown.
  Reply(kCheckURL, {.body = "version=2"});
  http_.duringRead = [] { throw rtl::EConvertError("bad number"); };
  ClickCheck();
  EXPECT_EQ(BoxTexts(), (Lines{kErrorHead + "The server name or address could not be resolved",
                               kErrorHead + "The server answered with status 404 Not Found.",
                               kErrorHead + "The server answered with status 302.", kErrorHead + "bad number"}));
  for (const auto& box : backend_->messageBoxes) EXPECT_EQ(box.type, ui::DialogType::Error);
  EXPECT_FALSE(tab_->TabVisible());
  EXPECT_EQ(dialog_->FUpdateURI, "");
  EXPECT_EQ(http_.clientsAlive, 0);

  // Anything else goes on to the caller, the client freed all the same.
  http_.duringRead = [] { throw std::runtime_error("not ours"); };
  EXPECT_THROW(dialog_->CheckForUpdates(), std::runtime_error);
  EXPECT_EQ(http_.clientsAlive, 0);
}

TEST_F(UpdateTest, ReplyIsReadUpTo64KiB) {
  const auto padded = [](std::size_t size) {
    std::string body = "version=2\r\n";
    body.resize(size, 'x');
    return body;
  };
  struct Case {
    fakes::FakeHttp::Reply reply;
    bool read;
  };
  const Case cases[] = {
      {{.body = padded(65536), .chunks = {1000, 30000}}, true},
      {{.body = padded(65537), .chunks = {1000, 30000}}, false},
      // Longer than announced: stopped where it passes the bound.
      {{.body = padded(65537), .length = 10, .chunks = {65537}}, false},
      // Announced longer: not read at all.
      {{.body = "version=2", .length = 65537}, false},
      {{.body = padded(200000), .length = 0, .chunks = {4096, 4096}}, false},
  };
  for (const Case& c : cases) {
    backend_->messageBoxes.clear();
    windows_.system.debugOutput.clear();
    tab_->SetTabVisible(false);
    Reply(kCheckURL, c.reply);
    ClickCheck();
    const std::string shown = c.reply.body.substr(0, 20) + " of " + std::to_string(c.reply.body.size());
    EXPECT_EQ(tab_->TabVisible(), c.read) << shown;
    if (c.read) {
      EXPECT_TRUE(backend_->messageBoxes.empty()) << shown;
    } else {
      EXPECT_EQ(BoxTexts(), (Lines{kErrorHead + "The reply of the update service is longer than 64 KiB."})) << shown;
      EXPECT_TRUE(windows_.system.debugOutput.empty()) << shown;
    }
  }
}

TEST_F(UpdateTest, DownloadLandsOnTheDesktopAndIsOpened) {
  OfferUpdate();
  ClickCheck();
  windows_.files.SetFile(kTarget, "old installer");
  const std::string body(3000, 'x');
  Signed(body);
  Reply(kInstallerURL, {.body = body, .chunks = {1024, 1024}, .headerBytes = 300});
  struct Step {
    long long max, position;
    bool barShown, buttonEnabled;
    int repaints;
  };
  std::vector<Step> steps;
  http_.duringRead = [&] {
    steps.push_back({bar_->Max(), bar_->Position(), bar_->Visible(), bnUpdate_->Enabled(), backend_->RepaintCount(*bar_)});
  };
  ASSERT_TRUE(backend_->UserClick(*bnUpdate_));

  EXPECT_EQ(http_.requests.back().url, kInstallerURL);
  EXPECT_EQ(http_.requests.back().userAgent, "Tolvex Quietmark");
  // Whole KiB of 3000 bytes; the header's 300 bytes count as read too.
  ASSERT_EQ(steps.size(), 4u);
  const long long positions[] = {0, 1, 2, 2};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(steps[i].max, 2) << i;
    EXPECT_EQ(steps[i].position, positions[i]) << i;
    EXPECT_TRUE(steps[i].barShown);
    EXPECT_FALSE(steps[i].buttonEnabled);
    EXPECT_EQ(steps[i].repaints, static_cast<int>(i) + 1) << "the bar is painted at each read";
  }
  EXPECT_EQ(dialog_->FDownloaded, 3300);
  EXPECT_EQ(dialog_->FDownloadSize, 3000);
  EXPECT_EQ(windows_.files.Content(kTarget), body);
  EXPECT_FALSE(windows_.files.Has(kTarget + ".download"));
  ASSERT_EQ(launcher_.calls.size(), 1u);
  const auto& call = launcher_.calls[0];
  EXPECT_EQ(call.owner, dialog_->Handle());
  EXPECT_EQ(call.verb, "open");
  EXPECT_EQ(call.file, kTarget);
  EXPECT_EQ(call.parameters, "");
  EXPECT_EQ(call.directory, "");
  EXPECT_EQ(call.showCommand, 5);
  EXPECT_TRUE(backend_->messageBoxes.empty());
  ExpectDialogReady();

  // Without a length header the maximum is 0.
  steps.clear();
  Reply(kInstallerURL, {.body = body, .length = 0});
  dialog_->DownloadUpdate();
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].max, 0);
  EXPECT_EQ(dialog_->FDownloadSize, 0);
}

TEST_F(UpdateTest, VerifiedDownloadIsOpenedOnceWhileHeld) {
  UpdateSigner = kSigner;
  dialog_->FUpdateURI = kInstallerURL;
  Signed("signed installer");
  Reply(kInstallerURL, {.body = "signed installer"});
  // Meanwhile the user's other programs can read the file, not change, replace or delete it.
  std::vector<std::uint32_t> tries;
  launcher_.duringExecute = [&](const fakes::FakeLauncher::Call& call) {
    trust_.events.push_back("execute " + call.file);
    windows_.files.SetFile(kDesktop + "\\other.exe", "other");
    tries = {windows_.files.WriteAll(kTarget, "changed"), windows_.files.Remove(kTarget),
             windows_.files.MoveEx(kDesktop + "\\other.exe", kTarget, os::kMoveFileReplaceExisting),
             windows_.files.MoveEx(kTarget, kDesktop + "\\moved.exe", 0)};
    std::string read;
    tries.push_back(windows_.files.ReadAll(kTarget, read));
    windows_.files.Remove(kDesktop + "\\other.exe");
  };
  dialog_->DownloadUpdate();

  EXPECT_EQ(trust_.events, (Lines{"hold 1 " + kTarget, "verify 1", "execute " + kTarget, "release 1"}));
  EXPECT_EQ(tries, (std::vector<std::uint32_t>{32, 32, 32, 32, 0}));
  EXPECT_EQ(windows_.files.Content(kTarget), "signed installer");
  EXPECT_EQ(launcher_.calls.size(), 1u);
  EXPECT_TRUE(backend_->messageBoxes.empty());
  ExpectDialogReady();
}

TEST_F(UpdateTest, RefusedSignaturesLeaveNoFileAndOpenNothing) {
  windows_.system.messages[os::kTrustNoSignature] = "No signature was present in the subject.\r\n";
  windows_.system.messages[os::kTrustBadDigest] = "The digital signature of the object did not verify.\r\n";
  windows_.system.messages[os::kTrustUntrustedRoot] =
      "A certificate chain processed, but terminated in a root certificate which is not trusted by the trust "
      "provider.\r\n";
  windows_.system.messages[32] = "The process cannot access the file because it is being used by another process.\r\n";
  const std::string refused = kErrorHead + "The download was not opened, as its signature was not accepted: ";
  struct Case {
    std::string body;
    std::optional<os::SignatureCheck> verdict;
    std::string signer;
    std::string shown;
  };
  const Case cases[] = {
      {"unsigned", std::nullopt, "", refused + "No signature was present in the subject. (0x800B0100)"},
      {"changed after signing", os::SignatureCheck{os::kTrustBadDigest, ""}, "",
       refused + "The digital signature of the object did not verify. (0x80096010)"},
      {"from an unknown root", os::SignatureCheck{os::kTrustUntrustedRoot, ""}, "",
       refused +
           "A certificate chain processed, but terminated in a root certificate which is not trusted by the trust "
           "provider. (0x800B0109)"},
      {"expired", os::SignatureCheck{os::kTrustExpired, ""}, kSigner, refused + "0x800B0101"},
      {"from someone else", os::SignatureCheck{0, "Brenmoor Ltd"}, kSigner,
       kErrorHead + "The download was not opened, as it is signed by \"Brenmoor Ltd\", not by \"Brenmoor Limited\"."},
      {"no name", os::SignatureCheck{0, ""}, kSigner,
       kErrorHead + "The download was not opened, as it is signed by \"\", not by \"Brenmoor Limited\"."},
      {"held by another program", os::SignatureCheck{0, kSigner}, "",
       refused + "The process cannot access the file because it is being used by another process. (error 32)"},
  };
  dialog_->FUpdateURI = kInstallerURL;
  int handle = 0;
  for (const Case& c : cases) {
    backend_->messageBoxes.clear();
    trust_.events.clear();
    trust_.failures.Clear();
    if (c.verdict) trust_.verdicts[c.body] = *c.verdict;
    if (c.body == "held by another program") trust_.failures.Fail("CreateFileW", 32);
    UpdateSigner = c.signer;
    Reply(kInstallerURL, {.body = c.body});
    dialog_->DownloadUpdate();
    EXPECT_EQ(BoxTexts(), (Lines{c.shown})) << c.body;
    // Let go of before it is deleted, or the delete would fail.
    if (c.body != "held by another program") {
      const std::string n = std::to_string(++handle);
      EXPECT_EQ(trust_.events, (Lines{"hold " + n + " " + kTarget, "verify " + n, "release " + n})) << c.body;
    }
    ExpectNoFileOnDesktop();
    ExpectDialogReady();
    trust_.verdicts.clear();
  }
  EXPECT_TRUE(launcher_.calls.empty());
  // The same bytes, signed, by the named signer: opened.
  trust_.failures.Clear();
  UpdateSigner = kSigner;
  Signed("from someone else");
  Reply(kInstallerURL, {.body = "from someone else"});
  dialog_->DownloadUpdate();
  EXPECT_EQ(launcher_.calls.size(), 1u);
}

TEST_F(UpdateTest, DownloadAddressesThatAreRefused) {
  const std::string refusals[] = {"http://files.test/setup.exe", "file:///C:/Windows/notepad.exe", "ftp://f/setup.exe",
                                  "", "https://files.test/get/", "https://files.test/..", "https://files.test?a=/b.exe",
                                  "https://files.test/get/CON.exe?x=1", "https://files.test/setup.exe.",
                                  "https://files.test/" + std::string(247, 's')};
  for (const std::string& uri : refusals) Reply(uri, {.body = "MZ"});
  for (const std::string& uri : refusals) {
    dialog_->FUpdateURI = uri;
    dialog_->DownloadUpdate();
    ExpectDialogReady();
  }
  EXPECT_TRUE(http_.requests.empty());
  EXPECT_TRUE(launcher_.calls.empty());
  ExpectNoFileOnDesktop();
  const Lines texts = BoxTexts();
  ASSERT_EQ(texts.size(), std::size(refusals));
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(texts[i], kErrorHead + "The download address is not an HTTPS address: " + refusals[i]);
  }
  for (std::size_t i = 4; i < std::size(refusals); ++i) {
    EXPECT_EQ(texts[i], kErrorHead + "The download address names no file: " + refusals[i]);
  }
}

TEST_F(UpdateTest, QueryAndFragmentAreNoPartOfTheName) {
  const std::string uri = kInstallerURL + "?token=a/b%2F.lnk#top";
  Signed("MZ");
  Reply(uri, {.body = "MZ"});
  dialog_->FUpdateURI = uri;
  dialog_->DownloadUpdate();
  ASSERT_EQ(http_.requests.size(), 1u);
  EXPECT_EQ(http_.requests[0].url, uri);
  EXPECT_EQ(windows_.files.Content(kTarget), "MZ");
  ASSERT_EQ(launcher_.calls.size(), 1u);
  EXPECT_EQ(launcher_.calls[0].file, kTarget);
}

TEST_F(UpdateTest, FailedDownloadsLeaveNoFile) {
  dialog_->FUpdateURI = kInstallerURL;
  const std::string body(5000, 'x');
  // An error page, a cut transfer, a body shorter than announced, no server at all.
  Reply(kInstallerURL, {.status = 404, .reason = "Not Found", .body = "<html>gone</html>"});
  dialog_->DownloadUpdate();
  Reply(kInstallerURL, {.body = body, .chunks = {2048}, .error = "The connection with the server was terminated"});
  dialog_->DownloadUpdate();
  Reply(kInstallerURL, {.body = body.substr(0, 4000), .length = 5000});
  dialog_->DownloadUpdate();
  http_.replies.clear();
  dialog_->DownloadUpdate();
  EXPECT_EQ(BoxTexts(), (Lines{kErrorHead + "The server answered with status 404 Not Found.",
                               kErrorHead + "The connection with the server was terminated",
                               kErrorHead + "The download ended after 4000 of 5000 bytes.",
                               kErrorHead + "The server name or address could not be resolved"}));
  ExpectNoFileOnDesktop();
  EXPECT_TRUE(launcher_.calls.empty());
  ExpectDialogReady();
}

TEST_F(UpdateTest, DownloadBoundsOfSizeAndTime) {
  dialog_->FUpdateURI = kInstallerURL;
  // 512 MiB announced is still taken (and then found cut); one byte more is not read.
  Reply(kInstallerURL, {.body = "MZ", .length = 536870912});
  dialog_->DownloadUpdate();
  Reply(kInstallerURL, {.body = "MZ", .length = 536870913});
  dialog_->DownloadUpdate();
  // A minute between reads: ten of them keep within the ten minutes, the eleventh does not.
  const std::string body(11, 'x');
  Signed(body.substr(0, 10));
  Reply(kInstallerURL, {.body = body.substr(0, 10), .chunks = std::vector<std::size_t>(10, 1)});
  http_.duringRead = [this] { windows_.system.ticks += 60000; };
  dialog_->DownloadUpdate();
  EXPECT_EQ(windows_.files.Content(kTarget), body.substr(0, 10));
  ASSERT_EQ(launcher_.calls.size(), 1u);
  windows_.files.Remove(kTarget);
  Reply(kInstallerURL, {.body = body, .chunks = std::vector<std::size_t>(11, 1)});
  dialog_->DownloadUpdate();

  EXPECT_EQ(BoxTexts(), (Lines{kErrorHead + "The download ended after 2 of 536870912 bytes.",
                               kErrorHead + "The download is larger than 512 MiB.",
                               kErrorHead + "The download took longer than 10 minutes."}));
  EXPECT_EQ(launcher_.calls.size(), 1u);
  ExpectNoFileOnDesktop();
  ExpectDialogReady();
}

TEST_F(UpdateTest, TargetThatCannotBeWrittenReachesTheToolkitsHandler) {
  OfferUpdate();
  ClickCheck();
  Reply(kInstallerURL, {.body = "new"});
  windows_.files.SetFile(kTarget, "old");
  struct Case {
    const char* call;
    std::string shownPath;
  };
  for (const Case& c : {Case{"WriteFile", kTarget + ".download"}, Case{"MoveFileExW", kTarget}}) {
    backend_->messageBoxes.clear();
    windows_.files.failures.Clear();
    windows_.files.failures.Fail(c.call, 5);
    ASSERT_TRUE(backend_->UserClick(*bnUpdate_));
    ASSERT_EQ(backend_->messageBoxes.size(), 1u) << c.call;
    EXPECT_EQ(backend_->messageBoxes[0].text, "Cannot create file \"" + c.shownPath + "\". Access is denied.");
    // The old file stays as it was, nothing half-written beside it, nothing opened.
    EXPECT_EQ(windows_.files.Content(kTarget), "old") << c.call;
    EXPECT_FALSE(windows_.files.Has(kTarget + ".download")) << c.call;
    ExpectDialogReady();
  }
  EXPECT_TRUE(launcher_.calls.empty());
}

TEST_F(UpdateTest, MessageTextsPassThroughTheReplacementsTheNoticeDoesNot) {
  TReplacers replacers;
  replacers.Pairs = {"newest=latest", "updates=Updates", "Changes=Notes", "found=seen"};
  TReplacers* const saved = Replacers;
  Replacers = &replacers;
  Reply(kCheckURL, {.body = "version=1.5"});
  ClickCheck();
  Reply(kCheckURL, {.status = 500, .reason = "updates down"});
  ClickCheck();
  OfferUpdate();
  ClickCheck();
  Replacers = saved;
  EXPECT_EQ(BoxTexts(), (Lines{"Nothing to update - you're still using the latest version.",
                               "An unknown error occured while trying to search for Updates:\r\n"
                               "The server answered with status 500 updates down."}));
  EXPECT_EQ(memo_->Lines(), (Lines{"New version found online: 1.6", "", "Changes:", "Faster", "Smaller"}));
}

}  // namespace
