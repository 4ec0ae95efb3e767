#include "app/FormUnitQuietmarkMain.h"

#include "app/bmrUIDlgAbout.h"
#include "platform/bmrPEVersions.h"
#include "platform/os/Process.h"
#include "platform/rtlSysUtils.h"

TFormTolvexQuietmark* FormTolvexQuietmark = nullptr;

TFormTolvexQuietmark::TFormTolvexQuietmark() : TWindows7Form("FormTolvexQuietmark") {
  SetCaption("Tolvex Quietmark");
  SetClientSize({537, 639});
  SetPosition(ui::FormPosition::ScreenCenter);
  SetChildSizing({8, 8, 8, 8});
  onCreate = [this] { FormCreate(); };
  onDestroy = [this] { FormDestroy(); };
  onShow = [this] { FormShow(); };
}

TFormTolvexQuietmark::~TFormTolvexQuietmark() {
  DoDestroy();
  if (FormTolvexQuietmark == this) FormTolvexQuietmark = nullptr;
}

void TFormTolvexQuietmark::FormCreate() {
  VersionInfo.clear();
  ReadVersionStrings(os::Process().ModuleFileName(), 0, VersionInfo);
}

void TFormTolvexQuietmark::FormDestroy() { VersionInfo.clear(); }

void TFormTolvexQuietmark::FormShow() {
  SetCaption(rtl::Format("%0:s %1:s", {VersionValueOf(VersionInfo, "ProductName"),
                                       VersionValueOf(VersionInfo, "ProductVersion")}));
  AddAboutSystemMenuItem(nullptr, nullptr);
}

void InitializeFormUnitQuietmarkMain() { UpdateProductID = 55; }
