#pragma once
// The about dialog's update check and download (TdlgAbout::CheckForUpdates, DoCheckForUpdates,
// DownloadUpdate, DownloadSocketStatus): one HTTPS GET each, synchronous on the main thread.
// The check asks the update service whether a newer version exists and reveals the update tab
// with its notes; the download saves the installer on the desktop and opens it.
//
// Only an HTTPS address is fetched for a download, under a plain name of its own; only a reply
// with a 2xx status counts; the reply is read up to 64 KiB, a download up to 512 MiB and 10
// minutes. The body is written beside the target under a temporary name that replaces the
// target only when the whole body is written, so a failed or cut download leaves no file.
// The file is then held open (nobody may write, replace or delete it) and opened only when
// its Authenticode signature verifies through that handle, with a chain the machine trusts,
// by UpdateSigner where that is set; a refused file is deleted.

#include <string>

// The host of the update service ("name" or "name:port"); the build setting TVQM_UPDATE_HOST
// gives its start value.
extern std::string UpdateServiceHost;
// The subject name (common name) of the certificate that must have signed a download; empty:
// any trusted signer. The build setting TVQM_UPDATE_SIGNER gives its start value.
extern std::string UpdateSigner;
