#pragma once
// The about dialog's update check and download (TdlgAbout::CheckForUpdates, DoCheckForUpdates,
// DownloadUpdate, DownloadSocketStatus): one HTTPS GET each, synchronous on the main thread.
// The check asks the update service whether a newer version exists and reveals the update tab
// with its notes; the download saves the installer on the desktop and opens it.
//
// Only an HTTPS address is fetched for a download, only a reply with a 2xx status counts, and
// the body is written beside the target under a temporary name that replaces the target only
// when the whole body is written, so a failed or cut download leaves no file.

#include <string>

// The host of the update service ("name" or "name:port"); the build setting TVQM_UPDATE_HOST
// gives its start value.
extern std::string UpdateServiceHost;
