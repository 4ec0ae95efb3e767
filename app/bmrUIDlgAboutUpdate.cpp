#include "app/bmrUIDlgAboutUpdate.h"

#include <charconv>
#include <memory>

#include "app/bmrLocalizer.h"
#include "app/bmrUIDlgAbout.h"
#include "app/bmrUpdateReply.h"
#include "platform/bmrFFHosts.h"
#include "platform/bmrFilesPaths.h"
#include "platform/bmrUtils.h"
#include "platform/os/Files.h"
#include "platform/os/Http.h"
#include "platform/os/Launcher.h"
#include "platform/os/System.h"
#include "platform/os/Trust.h"
#include "platform/rtlResStrings.h"
#include "platform/rtlSysUtils.h"

#ifndef TVQM_UPDATE_HOST
#define TVQM_UPDATE_HOST "updates.tolvex.example"
#endif

#ifndef TVQM_UPDATE_SIGNER
#define TVQM_UPDATE_SIGNER ""
#endif

std::string UpdateServiceHost = TVQM_UPDATE_HOST;
std::string UpdateSigner = TVQM_UPDATE_SIGNER;

namespace {

const rtl::ResourceString rsupdatechangelog{"rsupdatechangelog", "Changes:"};
const rtl::ResourceString rsupdateversioninformation{"rsupdateversioninformation", "New version found online: %0:s"};
const rtl::ResourceString rserrorupdatesearchexception{
    "rserrorupdatesearchexception", "An unknown error occured while trying to search for updates:\r\n%0:s"};
const rtl::ResourceString rsupdatenotrequired{"rsupdatenotrequired",
                                              "Nothing to update - you're still using the newest version."};
const rtl::ResourceString rsupdatehttpstatus{"rsupdatehttpstatus", "The server answered with status %0:s."};
const rtl::ResourceString rsupdatenothttps{"rsupdatenothttps",
                                           "The download address is not an HTTPS address: %0:s"};
const rtl::ResourceString rsupdatenofilename{"rsupdatenofilename", "The download address names no file: %0:s"};
const rtl::ResourceString rsupdateincomplete{"rsupdateincomplete",
                                             "The download ended after %0:d of %1:d bytes."};
const rtl::ResourceString rsupdatereplytoolarge{"rsupdatereplytoolarge",
                                                "The reply of the update service is longer than %0:d KiB."};
const rtl::ResourceString rsupdatedownloadtoolarge{"rsupdatedownloadtoolarge",
                                                   "The download is larger than %0:d MiB."};
const rtl::ResourceString rsupdatedownloadtooslow{"rsupdatedownloadtooslow",
                                                  "The download took longer than %0:d minutes."};
const rtl::ResourceString rsupdatesignaturerefused{
    "rsupdatesignaturerefused", "The download was not opened, as its signature was not accepted: %0:s"};
const rtl::ResourceString rsupdatewrongsigner{
    "rsupdatewrongsigner", "The download was not opened, as it is signed by \"%0:s\", not by \"%1:s\"."};

// A reply of the service is a few lines; an installer is some MiB. A server that sends more,
// or a byte now and then to stay within each step's time-out, would otherwise hold the
// dialog (and a 32-bit process's memory) without end.
constexpr std::int64_t kReplyLimitBytes = 64 * 1024;
constexpr std::int64_t kDownloadLimitBytes = 512 * 1024 * 1024;
constexpr std::int64_t kDownloadLimitMinutes = 10;
constexpr std::uint64_t kDownloadLimitMs = kDownloadLimitMinutes * 60 * 1000;

bool IsSuccessStatus(int code) { return code >= 200 && code <= 299; }

std::string StatusText(const os::IHttpClient& http) {
  std::string status = std::to_string(http.ResultCode());
  if (!http.ResultString().empty()) status += " " + http.ResultString();
  return rtl::Format(rtl::LoadResString(rsupdatehttpstatus), {status});
}

void ShowUpdateError(const std::string& reason) {
  ui::MessageDlg(rtl::Format(ApplyReplacers(rtl::LoadResString(rserrorupdatesearchexception)), {reason}),
                 ui::DialogType::Error, ui::DialogButtons::Ok);
}

std::int64_t DecimalOrZero(const std::string& text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

std::string SystemText(std::uint32_t code) { return rtl::Trim(os::System().SystemMessageText(code)); }

// The system's text of a Win32 error or an HRESULT with the code itself (an HRESULT in hex),
// which is what a search finds.
std::string SystemReason(std::uint32_t code) {
  std::string number = "error " + std::to_string(code);
  if (code >= 0x80000000u) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    number = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) number += kDigits[(code >> shift) & 0xF];
  }
  const std::string text = SystemText(code);
  return text.empty() ? number : text + " (" + number + ")";
}

// Why the held file may not be opened (or why it could not be held); empty when it may.
std::string Refusal(os::IHeldFile* held, std::uint32_t holdError) {
  if (held == nullptr) return rtl::Format(rtl::LoadResString(rsupdatesignaturerefused), {SystemReason(holdError)});
  const os::SignatureCheck check = held->VerifySignature();
  if (check.status != 0) {
    return rtl::Format(rtl::LoadResString(rsupdatesignaturerefused), {SystemReason(check.status)});
  }
  if (!UpdateSigner.empty() && check.signer != UpdateSigner) {
    return rtl::Format(rtl::LoadResString(rsupdatewrongsigner), {check.signer, UpdateSigner});
  }
  return {};
}

// Writes the body beside the target and puts it in place in one step; whatever fails leaves
// neither a partial target nor the temporary file.
void SaveBeside(const std::string& target, const std::string& body) {
  const std::string partial = target + std::string(kPartialSuffix);
  if (const std::uint32_t error = os::Files().WriteAll(partial, body); error != 0) {
    os::Files().Remove(partial);
    throw EFCreateError(rtl::Format("Cannot create file \"%s\". %s", {partial, SystemText(error)}));
  }
  if (const std::uint32_t error =
          os::Files().MoveEx(partial, target, os::kMoveFileReplaceExisting | os::kMoveFileWriteThrough);
      error != 0) {
    os::Files().Remove(partial);
    throw EFCreateError(rtl::Format("Cannot create file \"%s\". %s", {target, SystemText(error)}));
  }
}

}  // namespace

void TdlgAbout::CheckForUpdates() {
  // Without an update source there is nothing to ask.
  if (FProductID > -1) DoCheckForUpdates();
}

void TdlgAbout::DoCheckForUpdates() {
  try {
    std::unique_ptr<os::IHttpClient> http = os::Http().CreateClient();
    http->SetUserAgent(labelProduct->Caption());
    http->SetLimits({kReplyLimitBytes, 0});
    if (!http->Get(UpdateServiceURL(UpdateServiceHost, FProductID))) {
      ShowUpdateError(http->LimitPassed() == os::HttpLimit::Size
                          ? rtl::Format(rtl::LoadResString(rsupdatereplytoolarge), {kReplyLimitBytes >> 10})
                          : http->LastErrorText());
      return;
    }
    std::string whole;
    for (const std::string& line : SplitReplyLines(http->Document())) whole += line + "\r\n";
    os::System().DebugOutput(whole);
    // An error page (404, a portal's login page) is no answer of the service: saying there
    // is nothing to update would be wrong.
    if (!IsSuccessStatus(http->ResultCode())) {
      ShowUpdateError(StatusText(*http));
      return;
    }

    const TUpdateReply reply = ParseUpdateReply(http->Document());
    FUpdateURI = reply.URI;
    if (CompareVersionStrings(reply.Version, FVersion) > 0) {
      tabUpdateAvailable->SetTabVisible(true);
      pcAbout->SetActivePage(tabUpdateAvailable);
      std::vector<std::string> lines{rtl::Format(rtl::LoadResString(rsupdateversioninformation), {reply.Version}),
                                     "", rtl::LoadResString(rsupdatechangelog)};
      for (std::string& note : ReleaseNoteLines(reply.ReleaseNotes)) lines.push_back(std::move(note));
      memoUpdate->SetLines(std::move(lines));
    } else {
      ui::MessageDlg(ApplyReplacers(rtl::LoadResString(rsupdatenotrequired)), ui::DialogType::Information,
                     ui::DialogButtons::Ok);
    }
  } catch (const rtl::Exception& error) {
    ShowUpdateError(error.Message());
  }
}

void TdlgAbout::DownloadUpdate() {
  bnUpdate->SetEnabled(false);
  pgDownload->SetPosition(0);
  pgDownload->SetVisible(true);
  std::unique_ptr<os::IHttpClient> http;
  // Whatever happens below, the dialog is ready for another try afterwards.
  struct Restore {
    TdlgAbout& dialog;
    std::unique_ptr<os::IHttpClient>& http;
    ~Restore() {
      http.reset();
      dialog.pgDownload->SetVisible(false);
      dialog.bnUpdate->SetEnabled(true);
      dialog.FHTTP = nullptr;
    }
  } restore{*this, http};

  // The program opens what it downloads: only what a server proved itself for over TLS, and
  // only under a name of its own on the desktop.
  if (!IsHttpsAddress(FUpdateURI)) {
    ShowUpdateError(rtl::Format(rtl::LoadResString(rsupdatenothttps), {FUpdateURI}));
    return;
  }
  const std::string fileName = UpdateFileName(FUpdateURI);
  if (!IsPlainFileName(fileName)) {
    ShowUpdateError(rtl::Format(rtl::LoadResString(rsupdatenofilename), {FUpdateURI}));
    return;
  }
  const std::string desktop = "<$DESKTOP>\\";
  const std::string target = (PathTemplates != nullptr ? PathTemplates->Expand(desktop, true) : desktop) + fileName;

  http = os::Http().CreateClient();
  FHTTP = http.get();
  FDownloadSize = 0;
  FDownloaded = 0;
  http->SetUserAgent(labelProduct->Caption());
  http->SetStatusCallback([this](os::HttpStatusReason reason, const std::string& value) {
    DownloadSocketStatus(reason, value);
  });
  http->SetLimits({kDownloadLimitBytes, kDownloadLimitMs});
  if (!http->Get(FUpdateURI)) {
    switch (http->LimitPassed()) {
      case os::HttpLimit::Size:
        ShowUpdateError(rtl::Format(rtl::LoadResString(rsupdatedownloadtoolarge), {kDownloadLimitBytes >> 20}));
        break;
      case os::HttpLimit::Time:
        ShowUpdateError(rtl::Format(rtl::LoadResString(rsupdatedownloadtooslow), {kDownloadLimitMinutes}));
        break;
      case os::HttpLimit::None:
        ShowUpdateError(http->LastErrorText());
        break;
    }
    return;
  }
  if (!IsSuccessStatus(http->ResultCode())) {
    ShowUpdateError(StatusText(*http));
    return;
  }
  const std::string& body = http->Document();
  if (http->DownloadSize() > 0 && static_cast<std::int64_t>(body.size()) < http->DownloadSize()) {
    ShowUpdateError(rtl::Format(rtl::LoadResString(rsupdateincomplete),
                                {static_cast<std::int64_t>(body.size()), http->DownloadSize()}));
    return;
  }
  SaveBeside(target, body);
  // The program runs elevated, and so does what it opens: only a whole file signed by a
  // trusted signer (the named one, where the build names one). From the check until the shell
  // has opened it the file is held, so that what runs is what was checked.
  std::uint32_t holdError = 0;
  std::unique_ptr<os::IHeldFile> held = os::Trust().Hold(target, holdError);
  if (const std::string refusal = Refusal(held.get(), holdError); !refusal.empty()) {
    held.reset();
    os::Files().Remove(target);
    ShowUpdateError(refusal);
    return;
  }
  os::Launcher().Execute(Handle(), "open", target, "", "", os::kSwShow);
  held.reset();
}

void TdlgAbout::DownloadSocketStatus(os::HttpStatusReason Reason, const std::string& Value) {
  if (FHTTP != nullptr && FHTTP->DownloadSize() > 0) FDownloadSize = FHTTP->DownloadSize();
  if (Reason != os::HttpStatusReason::ReadCount) return;
  FDownloaded += DecimalOrZero(Value);
  const std::int64_t max = KiB(FDownloadSize);
  if (pgDownload->Max() != max) pgDownload->SetMax(max);
  pgDownload->SetPosition(KiB(FDownloaded));
  // The request keeps the thread until it ends: paint the bar now, or it would not move.
  pgDownload->Repaint();
}
