#pragma once
// The about dialog's update check and download: one HTTPS GET each, synchronous on the main
// thread. The check asks the update service whether a newer version exists and reveals the
// update tab with its notes; the download saves the installer on the desktop and opens it.
//
// Only an HTTPS address is fetched for a download, only a reply with a 2xx status counts, and
// the body is written beside the target under a temporary name that replaces the target only
// when the whole body is written, so a failed or cut download leaves no file.

#include <cstdint>
#include <memory>
#include <string>

#include "app/ui/Toolkit.h"
#include "platform/os/Http.h"

// The host of the update service ("name" or "name:port"); the build setting TVQM_UPDATE_HOST
// gives its start value.
extern std::string UpdateServiceHost;

// The controls of the about dialog that the update works on.
struct TUpdateControls {
  ui::Form* Form = nullptr;
  ui::Label* labelProduct = nullptr;  // its caption is the user agent
  ui::TabSheet* tabUpdateAvailable = nullptr;
  ui::Memo* memoUpdate = nullptr;
  ui::ProgressBar* pgDownload = nullptr;
  ui::Button* bnUpdate = nullptr;
};

class TAboutUpdate {
 public:
  explicit TAboutUpdate(TUpdateControls controls) : c_(controls) {}
  TAboutUpdate(const TAboutUpdate&) = delete;
  TAboutUpdate& operator=(const TAboutUpdate&) = delete;

  // The dialog's product number (-1: no update service) and version (dots, not commas).
  int FProductID = -1;
  std::string FVersion;

  // Runs DoCheckForUpdates when the dialog has an update service; else nothing.
  void CheckForUpdates();
  void DoCheckForUpdates();
  void DownloadUpdate();
  // The HTTP client's status callback during a download: the progress bar in KiB.
  void DownloadSocketStatus(os::HttpStatusReason reason, const std::string& value);

  // The download address of the last successful reply.
  std::string FUpdateURI;
  // The client of a running download, null otherwise.
  os::IHttpClient* FHTTP = nullptr;
  std::int64_t FDownloadSize = 0;
  std::int64_t FDownloaded = 0;

 private:
  void ShowError(const std::string& reason);
  TUpdateControls c_;
};
