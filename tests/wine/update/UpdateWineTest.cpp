// The update check and download over the real WinHTTP, against the local HTTPS server that
// run_update_test.sh starts (https_server.py): a newer version found, none found, a 404, a
// plain http download address refused, a download that lands on the desktop and is opened,
// and a download cut in the middle. The about dialog runs on the headless backend; everything
// the update asks of Windows is real.
//
// "--trust=<certificate file>" adds the server's certificate to the machine's root store and
// ends (WinHTTP trusts it in the processes started afterwards). Otherwise
// "--host=localhost:<port>" names the server and "--log=<file>" its request log; with a display,
// "--ready=<file>" and "--done=<file>" also run the dialog in real windows, clicked through its
// buttons, and hand-shake with the script that takes a screenshot of the update tab.

#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/bmrUIDlgAbout.h"
#include "app/bmrUIDlgAboutUpdate.h"
#include "app/ui/Toolkit.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "platform/bmrFilesPaths.h"
#include "platform/os/Files.h"
#include "platform/os/Http.h"
#include "platform/os/Process.h"
#include "platform/os/Trust.h"
#include "platform/os/win32/Text.h"
#include "platform/os/win32/Win32Providers.h"
#include "platform/os/win32/Win32Trust.h"
#include "tests/wine/ui/WineUiSupport.h"
#include "app/ui/win32/Win32Backend.h"

namespace {

std::string g_host;
std::string g_requestLog;
std::string g_readyFile;
std::string g_doneFile;
std::string g_installers;
const std::string kErrorHead = "An unknown error occured while trying to search for updates:\r\n";
const std::string kRefused = kErrorHead + "The download was not opened, as its signature was not accepted: ";
// The subject of the certificate run_update_test.sh signs with.
const std::string kTestSigner = "Brenmoor Limited (test)";

std::vector<std::string> Requests() {
  std::ifstream in(g_requestLog);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class UpdateOnWine : public ::testing::Test {
 protected:
  UpdateOnWine() {
    UpdateServiceHost = g_host;
    UpdateSigner = "";
    desktop_ = PathTemplates->Expand("<$DESKTOP>\\", true);
    dialog_ = ui::NewForm<TdlgAbout>();
    // The test program's own version block says 1.5.
    dialog_->SetFileName(os::Process().ModuleFileName());
    dialog_->Show();
    tab_ = dialog_->tabUpdateAvailable;
    memo_ = dialog_->memoUpdate;
    bar_ = dialog_->pgDownload;
    bnUpdate_ = dialog_->bnUpdate;
  }
  ~UpdateOnWine() override { UpdateSigner = ""; }

  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& box : backend_->messageBoxes) texts.push_back(box.text);
    return texts;
  }
  void Check(int product) {
    dialog_->SetProductID(product);
    ASSERT_TRUE(backend_->UserClick(*dialog_->bnUpdates));
  }
  void Download() { ASSERT_TRUE(backend_->UserClick(*bnUpdate_)); }
  static void RemoveFile(const std::string& path) { os::Files().Remove(path); }

  ui::headless::ScopedHeadlessBackend backend_;
  ui::FormPtr<TdlgAbout> dialog_;
  ui::TabSheet* tab_;
  ui::Memo* memo_;
  ui::ProgressBar* bar_;
  ui::Button* bnUpdate_;
  std::string desktop_;
};

TEST_F(UpdateOnWine, NewerVersionFoundOrNotAndAnErrorPage) {
  Check(55);
  EXPECT_TRUE(Boxes().empty()) << (Boxes().empty() ? "" : Boxes()[0]);
  EXPECT_TRUE(tab_->TabVisible());
  EXPECT_EQ(memo_->Lines(), (std::vector<std::string>{"New version found online: 99.0", "", "Changes:", "Faster start",
                                                       "Fewer clicks"}));
  EXPECT_EQ(dialog_->FUpdateURI, "https://" + g_host + "/files/tvqm_update_marker.exe");

  Check(56);
  Check(57);
  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "Nothing to update - you're still using the newest version.");
  EXPECT_EQ(boxes[1], kErrorHead + "The server answered with status 404 Not Found.");
  // The tab and its notice stay from the first check.
  EXPECT_TRUE(tab_->TabVisible());
  EXPECT_EQ(memo_->Lines().size(), 5u);
}

TEST_F(UpdateOnWine, NoServerOrAnUntrustedOneGivesTheConnectionError) {
  UpdateServiceHost = "localhost:1";
  Check(55);
  // The certificate names "localhost", not the address: TLS must refuse it.
  UpdateServiceHost = "127.0.0.1" + g_host.substr(g_host.find(':'));
  Check(55);
  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  for (const std::string& box : boxes) {
    std::printf("error box: %s\n", box.c_str());
    EXPECT_EQ(box.rfind(kErrorHead, 0), 0u) << box;
    EXPECT_NE(box.find("(error 1"), std::string::npos) << box;
  }
  EXPECT_FALSE(tab_->TabVisible());
}

TEST_F(UpdateOnWine, DownloadLandsOnTheDesktopAndIsOpened) {
  const std::string target = desktop_ + "tvqm_update_marker.exe";
  RemoveFile(target);
  RemoveFile(target + ".ran");
  // The signer's name as Windows reads it from the signature.
  UpdateSigner = kTestSigner;
  Check(55);
  ASSERT_EQ(dialog_->FUpdateURI, "https://" + g_host + "/files/tvqm_update_marker.exe");
  Download();

  EXPECT_TRUE(Boxes().empty()) << (Boxes().empty() ? "" : Boxes()[0]);
  EXPECT_TRUE(os::Files().FileExists(target)) << target;
  EXPECT_FALSE(os::Files().FileExists(target + ".download"));
  EXPECT_GT(dialog_->FDownloadSize, 1024);
  EXPECT_GE(dialog_->FDownloaded, dialog_->FDownloadSize);
  EXPECT_EQ(bar_->Max(), dialog_->FDownloadSize >> 10);
  EXPECT_FALSE(bar_->Visible());
  EXPECT_TRUE(bnUpdate_->Enabled());
  // The shell started what came down: it leaves its marker beside itself.
  bool ran = false;
  for (int i = 0; i < 300 && !ran; ++i) {
    ran = os::Files().FileExists(target + ".ran");
    if (!ran) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(ran) << "no marker beside " << target;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  RemoveFile(target + ".ran");
  RemoveFile(target);
}

TEST_F(UpdateOnWine, PlainHttpAddressAndCutDownloadLeaveNoFile) {
  const std::string plain = desktop_ + "tvqm_update_marker.exe";
  const std::string cut = desktop_ + "tvqm_update_cut.exe";
  RemoveFile(plain);
  RemoveFile(cut);
  Check(58);
  const std::string plainURI = dialog_->FUpdateURI;
  ASSERT_EQ(plainURI, "http://" + g_host + "/files/tvqm_update_marker.exe");
  const std::size_t before = Requests().size();
  Download();
  EXPECT_EQ(Requests().size(), before) << "the http address was asked for";

  Check(59);
  Download();
  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], kErrorHead + "The download address is not an HTTPS address: " + plainURI);
  EXPECT_EQ(boxes[1].rfind(kErrorHead, 0), 0u) << boxes[1];
  std::printf("cut download: %s\n", boxes[1].c_str());
  EXPECT_EQ(Requests().back(), "/cut/tvqm_update_cut.exe");
  for (const std::string& path : {plain, plain + ".download", cut, cut + ".download"}) {
    EXPECT_FALSE(os::Files().FileExists(path)) << path;
  }
  EXPECT_FALSE(bar_->Visible());
  EXPECT_TRUE(bnUpdate_->Enabled());
}

TEST_F(UpdateOnWine, UnsignedChangedCutOrOtherSignersInstallersAreRefused) {
  struct Case {
    int product;
    std::string name, signer, reason;
  };
  const Case cases[] = {
      {60, "tvqm_update_unsigned.exe", "", "0x800B0100"},   // TRUST_E_NOSIGNATURE
      {61, "tvqm_update_changed.exe", "", "0x80096010"},    // TRUST_E_BAD_DIGEST
      {62, "tvqm_update_truncated.exe", "", "0x800B0100"},  // its end, and so the signature, cut off
      {55, "tvqm_update_marker.exe", "Someone Else", ""},
  };
  for (const Case& c : cases) {
    backend_->messageBoxes.clear();
    const std::string target = desktop_ + c.name;
    RemoveFile(target);
    RemoveFile(target + ".ran");
    UpdateSigner = c.signer;
    Check(c.product);
    Download();
    const std::vector<std::string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u) << c.name;
    std::printf("%s: %s\n", c.name.c_str(), boxes[0].c_str());
    if (c.signer.empty()) {
      EXPECT_EQ(boxes[0].rfind(kRefused, 0), 0u) << boxes[0];
      EXPECT_NE(boxes[0].find(c.reason), std::string::npos) << boxes[0];
    } else {
      EXPECT_EQ(boxes[0], kErrorHead + "The download was not opened, as it is signed by \"" + kTestSigner +
                              "\", not by \"Someone Else\".");
    }
    EXPECT_FALSE(os::Files().FileExists(target)) << target;
    EXPECT_FALSE(os::Files().FileExists(target + ".download")) << target;
    EXPECT_FALSE(bar_->Visible());
    EXPECT_TRUE(bnUpdate_->Enabled());
  }
  // Nothing was started: no marker appears.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  for (const Case& c : cases) EXPECT_FALSE(os::Files().FileExists(desktop_ + c.name + ".ran")) << c.name;
}

// The held file: readable by others, not writable, deletable or replaceable, and verified
// through its handle (the path given beside it names an unsigned file).
TEST(TrustOnWine, HeldFileIsLockedAndVerifiedThroughItsHandle) {
  const std::wstring signedFile = os::win32::Utf8ToWide(g_installers + "\\signed.exe");
  const std::wstring unsignedFile = os::win32::Utf8ToWide(g_installers + "\\unsigned.exe");
  const std::wstring copy = os::win32::Utf8ToWide(g_installers + "\\held.exe");
  ASSERT_TRUE(CopyFileW(signedFile.c_str(), copy.c_str(), FALSE));
  std::uint32_t error = 0;
  std::unique_ptr<os::IHeldFile> held = os::Trust().Hold(os::win32::WideToUtf8(copy), error);
  ASSERT_NE(held, nullptr) << error;

  HANDLE writer = CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  const DWORD writeError = GetLastError();
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  EXPECT_EQ(writeError, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(DeleteFileW(copy.c_str()));
  EXPECT_FALSE(MoveFileExW(unsignedFile.c_str(), copy.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  HANDLE reader = CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE) << GetLastError();
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);

  const os::SignatureCheck check = held->VerifySignature();
  EXPECT_EQ(check.status, 0u) << std::hex << check.status;
  EXPECT_EQ(check.signer, kTestSigner);
  held.reset();
  EXPECT_TRUE(DeleteFileW(copy.c_str())) << GetLastError();

  // WinVerifyTrust reads the handle's file, not the path's.
  HANDLE file = CreateFileW(signedFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const os::SignatureCheck beside = os::win32::VerifyFileHandle(file, unsignedFile);
  CloseHandle(file);
  std::printf("WinVerifyTrust of a signed file's handle beside an unsigned file's path: 0x%08lX \"%s\"\n",
              static_cast<unsigned long>(beside.status), beside.signer.c_str());
  EXPECT_EQ(beside.status, 0u);
  EXPECT_EQ(beside.signer, kTestSigner);
}

// The HTTP client's own bounds: a body announced past the size bound is not read, and a server
// that sends a byte every four seconds is left once the time bound is up. (Wine keeps the
// receive time-out a request had when it was sent, so the read under way ends at the next
// byte; at worst a step's time-out past the bound.)
TEST(HttpOnWine, TheClientsBoundsEndTheTransfer) {
  std::unique_ptr<os::IHttpClient> http = os::Http().CreateClient();
  http->SetLimits({1000, 0});
  EXPECT_FALSE(http->Get("https://" + g_host + "/files/tvqm_update_marker.exe"));
  EXPECT_EQ(http->LimitPassed(), os::HttpLimit::Size);
  EXPECT_LE(http->Document().size(), 1000u + 65536u);

  http->SetLimits({0, 1000});
  const ULONGLONG started = GetTickCount64();
  EXPECT_FALSE(http->Get("https://" + g_host + "/slow/tvqm_update_slow.exe"));
  const ULONGLONG took = GetTickCount64() - started;
  std::printf("slow download ended after %llu ms with %zu bytes\n", took, http->Document().size());
  EXPECT_EQ(http->LimitPassed(), os::HttpLimit::Time);
  EXPECT_GE(took, 900u);
  EXPECT_LT(took, 6000u);
  EXPECT_LT(http->Document().size(), 3u);

  // Within its bounds the same client reads a whole reply again.
  http->SetLimits({1 << 20, 60000});
  EXPECT_TRUE(http->Get("https://" + g_host + "/files/tvqm_update_marker.exe")) << http->LastErrorText();
  EXPECT_EQ(http->LimitPassed(), os::HttpLimit::None);
}

using wineui::Hwnd;
using wineui::TextOf;
using wineui::Pump;

// Answers any message box of this process with OK and keeps its text: a box would otherwise
// wait for a user who never comes.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer()
      : thread_([this] {
          while (!stop_) {
            if (HWND box = FindWindowW(L"#32770", nullptr)) {
              DWORD process = 0;
              GetWindowThreadProcessId(box, &process);
              if (process == GetCurrentProcessId()) {
                wchar_t text[1024] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 1024);
                {
                  std::lock_guard<std::mutex> lock(mutex_);
                  texts_.push_back(os::win32::WideToUtf8(text));
                }
                PostMessageW(box, WM_COMMAND, IDOK, 0);
              }
            }
            Sleep(200);
          }
        }) {}
  ~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> texts_;
  std::thread thread_;
};

// The dialog in real windows, its buttons clicked as the user clicks them. Runs after the
// headless tests, in the same process.
TEST(UpdateDialogOnWine, ButtonsCheckAndDownloadInRealWindows) {
  if (g_readyFile.empty()) GTEST_SKIP() << "no display asked for";
  MessageBoxAnswerer boxes;
  ui::win32::InstallWin32Backend();
  ui::Application::Instance().SetTitle("Tolvex Quietmark");
  ui::Application::Instance().Initialize();
  UpdateServiceHost = g_host;
  UpdateSigner = kTestSigner;
  const std::string target = PathTemplates->Expand("<$DESKTOP>\\", true) + "tvqm_update_marker.exe";
  os::Files().Remove(target);
  os::Files().Remove(target + ".ran");
  ui::FormPtr<TdlgAbout> dialog = ui::NewForm<TdlgAbout>();
  dialog->SetProductID(55);
  dialog->SetFileName(os::Process().ModuleFileName());
  dialog->Show();
  Pump();
  ASSERT_NE(Hwnd(*dialog->bnUpdates), nullptr);
  EXPECT_TRUE(IsWindowVisible(Hwnd(*dialog->bnUpdates)));

  SendMessageW(Hwnd(*dialog->bnUpdates), BM_CLICK, 0, 0);
  Pump();
  EXPECT_TRUE(dialog->tabUpdateAvailable->TabVisible());
  EXPECT_EQ(dialog->pcAbout->ActivePage(), dialog->tabUpdateAvailable);
  EXPECT_TRUE(IsWindowVisible(Hwnd(*dialog->memoUpdate)));
  EXPECT_EQ(TextOf(Hwnd(*dialog->memoUpdate)),
            L"New version found online: 99.0\r\n\r\nChanges:\r\nFaster start\r\nFewer clicks");
  RedrawWindow(Hwnd(*dialog), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  RECT frame{};
  GetWindowRect(Hwnd(*dialog), &frame);
  std::printf("dialog at %ld,%ld-%ld,%ld, visible %d, client %d x %d\n", frame.left, frame.top, frame.right,
              frame.bottom, IsWindowVisible(Hwnd(*dialog)) ? 1 : 0, dialog->ClientSize().width,
              dialog->ClientSize().height);
  std::ofstream(g_readyFile) << "ready\n";
  for (int i = 0; i < 300 && !std::ifstream(g_doneFile).good(); ++i) {
    Pump();
    Sleep(50);
  }

  SendMessageW(Hwnd(*dialog->bnUpdate), BM_CLICK, 0, 0);
  Pump();
  EXPECT_TRUE(os::Files().FileExists(target)) << target;
  EXPECT_FALSE(IsWindowVisible(Hwnd(*dialog->pgDownload)));
  EXPECT_TRUE(IsWindowEnabled(Hwnd(*dialog->bnUpdate)));
  bool ran = false;
  for (int i = 0; i < 300 && !ran; ++i) {
    ran = os::Files().FileExists(target + ".ran");
    if (!ran) Sleep(100);
  }
  EXPECT_TRUE(ran) << "no marker beside " << target;
  EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts().front();
  dialog.reset();
  Sleep(300);
  os::Files().Remove(target + ".ran");
  os::Files().Remove(target);
}

int Trust(const std::string& certificateFile) {
  std::ifstream in(certificateFile, std::ios::binary);
  const std::string der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (der.empty()) {
    std::printf("tvqm-update: no certificate in %s\n", certificateFile.c_str());
    return 1;
  }
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
  if (store == nullptr) {
    std::printf("tvqm-update: the root store does not open (%lu)\n", GetLastError());
    return 1;
  }
  const BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                      reinterpret_cast<const BYTE*>(der.data()),
                                                      static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                      nullptr);
  const DWORD error = GetLastError();
  CertCloseStore(store, 0);
  if (!added) {
    std::printf("tvqm-update: the certificate was not added (%lu)\n", error);
    return 1;
  }
  std::printf("tvqm-update: certificate trusted\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::vector<std::string> trust;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--trust=", 0) == 0) trust.push_back(arg.substr(8));
    if (arg.rfind("--host=", 0) == 0) g_host = arg.substr(7);
    if (arg.rfind("--log=", 0) == 0) g_requestLog = arg.substr(6);
    if (arg.rfind("--installers=", 0) == 0) g_installers = arg.substr(13);
    if (arg.rfind("--ready=", 0) == 0) g_readyFile = arg.substr(8);
    if (arg.rfind("--done=", 0) == 0) g_doneFile = arg.substr(7);
  }
  if (!trust.empty()) {
    for (const std::string& certificate : trust) {
      if (Trust(certificate) != 0) return 1;
    }
    return 0;
  }
  InstallWin32Providers();
  InitializeBmrFilesPaths();
  const int result = RUN_ALL_TESTS();
  FinalizeBmrFilesPaths();
  return result;
}
