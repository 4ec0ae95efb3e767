// The about dialog's update check and download: none yet, so the update button (shown only
// with an update product number) does nothing.

#include "app/bmrUIDlgAbout.h"

void TdlgAbout::CheckForUpdates() {}

void TdlgAbout::DownloadUpdate() {}
