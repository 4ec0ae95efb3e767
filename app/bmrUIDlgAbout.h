#pragma once
// The about dialog and the entry points that lead to it: the about item of the system menu,
// menu items under a caller's item (about, and the resize items of the `youtube` switch),
// and the dialog itself, which takes every product text from a file's version block.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/bmrUIWindows7.h"
#include "app/ui/Toolkit.h"
#include "platform/os/Http.h"

// Product number of the update service; the update button shows and the check runs only
// when it is greater than -1.
extern std::int32_t UpdateProductID;
// The licence resource to show when several are found (not among them: the first).
extern std::string PreferredLicenceName;
// When not empty, stands in place of the version block's ProductName.
extern std::string ProductNameOverride;
// Further translator lines ("name=value"), listed after the version block's.
extern std::vector<std::string> ExtraTranslators;

// Owner of the menu-click handlers.
class TAboutHelper {
 public:
  void ShowAbout();
  void Resize480x360();
  void Resize640x360();
  void Resize854x480();
  void Resize1280x720();
};
extern std::unique_ptr<TAboutHelper> AboutHelper;

class TdlgAbout : public TWindows7Form {
 public:
  TdlgAbout();
  ~TdlgAbout() override;

  // The layout.
  ui::Button* bnOk;
  ui::Button* bnUpdates;
  ui::PageControl* pcAbout;
  ui::TabSheet* tabAboutProduct;
  ui::Image* imgIcon;
  ui::Panel* panelProduct;
  ui::Label* labelProduct;
  ui::Label* labelVersion;
  ui::Label* labelDescription;
  ui::Label* labelLegal;
  ui::TabSheet* tabParameters;
  ui::Memo* memoParameters;
  ui::TabSheet* tabLicense;
  ui::TabSheet* tabTranslators;
  ui::Memo* memoTranslators;
  ui::TabSheet* tabCredits;
  ui::Memo* memoCredits;
  ui::TabSheet* tabChangeLog;
  ui::Memo* memoChangeLog;
  ui::TabSheet* tabAboutAuthor;
  ui::Image* imgBMRLogo;
  ui::Panel* panelAuthorText;
  ui::Label* labelAboutAuthor;
  ui::TabSheet* tabUpdateAvailable;
  ui::Memo* memoUpdate;
  ui::Panel* panelUpdate;
  ui::ProgressBar* pgDownload;
  ui::Button* bnUpdate;

  // The event handlers of the layout. The update buttons' clicks come with the update check.
  void FormCreate();
  void FormDestroy();
  void FormShow();
  void bnUpdatesClick();
  void bnUpdateClick();

  void SetFileName(const std::string& FileName);
  void SetCompanyName(const std::string& Name);
  void SetProductName(const std::string& Name);
  void SetProductID(std::int32_t ID);
  // The update check and the download (bmrUIDlgAboutUpdate.cpp).
  void CheckForUpdates();
  void DoCheckForUpdates();
  void DownloadUpdate();
  // The HTTP client's status callback during a download: the progress bar in KiB.
  void DownloadSocketStatus(os::HttpStatusReason Reason, const std::string& Value);

  const std::string& FileName() const { return FFileName; }
  const std::string& Version() const { return FVersion; }
  std::int32_t ProductID() const { return FProductID; }
  bool CheckOnShow() const { return FCheckOnShow; }
  void SetCheckOnShow(bool check) { FCheckOnShow = check; }
  const std::vector<std::string>& Licences() const { return FLicences; }
  const std::vector<std::string>& Translators() const { return FTranslators; }
  ui::RichView* LicenceMemo() const { return FLicenceMemo; }

  // What the update check keeps between its steps.
  std::string FUpdateURI;
  std::int64_t FDownloadSize = 0;
  std::int64_t FDownloaded = 0;
  // The client of a running download, null otherwise.
  os::IHttpClient* FHTTP = nullptr;

 protected:
  // The dialog adds no tasks: its first show leaves the application's jump list alone.
  bool OwnsJumpList() const override { return false; }

 private:
  void FillTranslators(const std::vector<std::string>& versionLines);
  void FillParameters();
  void FillCredits();
  void FillLicence();
  void FillChangeLog();

  std::string FFileName;
  std::vector<std::string> FTranslators;
  std::int32_t FProductID = -1;
  std::string FVersion;
  bool FCheckOnShow = false;
  std::vector<std::string> FLicences;
  std::string FProductName;
  std::string FCompanyName;
  ui::RichView* FLicenceMemo = nullptr;
};

// Inserts a command into the form's system menu at position 6 (null: the main form; without
// one, or without a system menu, nothing).
void AddSystemMenuItem(const std::string& Caption, std::uint32_t ID, ui::Form* Form);
// The about command (5681) of the system menu, then AddAboutMenuItems.
void AddAboutSystemMenuItem(ui::Form* Form, ui::MenuItem* ParentMenuItem);
// Under ParentMenuItem: the about item, and with `youtube` on the command line the four
// resize items.
void AddAboutMenuItems(ui::Form* Form, ui::MenuItem* ParentMenuItem);
// Shows the dialog modally; returns when it is closed. Title changes nothing shown.
void ShowAboutDialog(const std::string& Title, bool CheckNow);
// Fixes the main form's size (it can no longer be resized by hand) and puts it at 100, 100.
void ResizeMainForm(int Width, int Height);
// The about item's caption for the application's title ("&" in the title doubled).
std::string AboutMenuItemCaption();

// Start-up (the switch `youtube`, the update product number -1, the command of the system
// menu's about item) and shut-down.
void InitializeBmrUIDlgAbout();
void FinalizeBmrUIDlgAbout();
