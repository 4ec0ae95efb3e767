#include "app/bmrUIDlgAbout.h"

#include <algorithm>
#include <stdexcept>

#include "app/bmrLocalizer.h"
#include "platform/bmrConsoleHelp.h"
#include "platform/bmrCredits.h"
#include "platform/bmrPEVersions.h"
#include "platform/os/Library.h"
#include "platform/os/Windowing.h"
#include "platform/os/Process.h"
#include "platform/rtlResStrings.h"
#include "platform/rtlSysUtils.h"

std::int32_t UpdateProductID = -1;
std::string PreferredLicenceName;
std::string ProductNameOverride;
std::vector<std::string> ExtraTranslators;
std::unique_ptr<TAboutHelper> AboutHelper;

namespace {

const rtl::ResourceString rsyoutubecommandlinedescription{
    "rsyoutubecommandlinedescription",
    "Adds options to system menu that allows to resize window to standard YouTube video sizes."};
const rtl::ResourceString rsaboutdialogmenuitemtext{"rsaboutdialogmenuitemtext", "&About %s..."};
const rtl::ResourceString rscreditsthankyouintro{"rscreditsthankyouintro",
                                                 "Credits go to these third party algorithms and libraries:"};
const rtl::ResourceString rstranslatorsthankyouintro{"rstranslatorsthankyouintro",
                                                     "We want to thank our translators:"};
const rtl::ResourceString rsdialogtitle{"rsdialogtitle", "About %0:s"};
const rtl::ResourceString rsdialogtabtitle{"rsdialogtabtitle", "About %0:s..."};
const rtl::ResourceString rsdialogversion{"rsdialogversion", "Version %0:s"};

constexpr const char* kLicenceType = "LICENCE";
constexpr const char* kChangeLogName = "CHANGELOG";
constexpr const char* kRcData = "#10";  // RT_RCDATA

// The layout's texts that name the maker.
constexpr const char* kSlogan = "Brenmoor Limited: quiet software";
constexpr const char* kAboutAuthor =
    "Brenmoor Limited writes small tools for Windows that do one thing well and then keep out of "
    "the way. Tolvex Quietmark switches off the reports that Windows and Office send home, and "
    "puts them back just as they were when you ask it to.";

// A text of the dialog as it is shown: through the localizer's replacements.
std::string Shown(const std::string& text) { return ApplyReplacers(text); }
std::string Shown(const rtl::ResourceString& text) { return Shown(rtl::LoadResString(text)); }

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
  return text;
}

// "1, 5, 0, 35" and "1,5,0,35" both give "1.5.0.35".
std::string DottedVersion(const std::string& version) { return ReplaceAll(ReplaceAll(version, ", ", "."), ",", "."); }

ui::Form* FormOrMain(ui::Form* form) { return form ? form : ui::Application::Instance().MainForm(); }

ui::Memo& AddReadOnlyMemo(ui::Container& parent, const std::string& name, ui::ScrollBars bars, bool fixedFont) {
  auto& memo = parent.Add<ui::Memo>(name);
  memo.SetAlign(ui::Align::Client);
  memo.SetReadOnly(true);
  memo.SetBorderStyle(ui::BorderStyle::None);
  memo.SetScrollBars(bars);
  if (fixedFont) {
    memo.SetFont(ui::Font{"Courier New", -12, false, false, {}});
    memo.SetWordWrap(false);
  }
  return memo;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The layout

TdlgAbout::TdlgAbout() : TWindows7Form("dlgAbout") {
  SetCaption("About ...");
  SetClientSize({600, 340});
  SetColor(ui::clWindow);
  SetFont(ui::Font{"Segoe UI", -12, false, false, {}});
  SetPosition(ui::FormPosition::MainFormCenter);
  SetBorder(ui::FormBorder::Dialog);

  pcAbout = &Add<ui::PageControl>("pcAbout");
  pcAbout->SetAlign(ui::Align::Client);
  pcAbout->SetBorderSpacing({0, 8, 8, 8, 39});

  bnOk = &Add<ui::Button>("bnOk");
  bnOk->SetCaption("OK");
  bnOk->SetBounds({517, 307, 75, 25});
  bnOk->SetAnchors({false, false, true, true});
  bnOk->SetDefault(true);
  bnOk->SetModalResult(ui::ModalResult::Ok);

  bnUpdates = &Add<ui::Button>("bnUpdates");
  bnUpdates->SetCaption("Check for updates");
  bnUpdates->SetBounds({8, 307, 121, 25});
  bnUpdates->SetAnchors({true, false, false, true});
  bnUpdates->SetVisible(false);

  tabAboutProduct = &pcAbout->AddPage("tabAboutProduct", "About ...");
  tabAboutProduct->SetChildSizing({8, 8, 8, 8});
  imgIcon = &tabAboutProduct->Add<ui::Image>("imgIcon");
  imgIcon->SetAlign(ui::Align::Left);
  imgIcon->SetWidth(32);
  imgIcon->SetConstraints({0, 0, 0, 32});  // square at the top, not stretched down the page
  panelProduct = &tabAboutProduct->Add<ui::Panel>("panelProduct");
  panelProduct->SetAlign(ui::Align::Client);
  labelProduct = &panelProduct->Add<ui::Label>("labelProduct");
  labelProduct->SetAutoSize(false);
  labelProduct->SetFont(ui::Font{"Arial", -27, false, false, {}});
  labelProduct->SetBounds({0, 0, 400, 33});
  labelProduct->SetAlign(ui::Align::Top);
  labelProduct->SetCaption(kSlogan);
  labelVersion = &panelProduct->Add<ui::Label>("labelVersion");
  labelVersion->SetBounds({0, 33, 400, 15});
  labelVersion->SetAlign(ui::Align::Top);
  labelVersion->SetCaption("Version unknown");
  labelLegal = &panelProduct->Add<ui::Label>("labelLegal");
  labelLegal->SetAutoSize(false);
  labelLegal->SetWordWrap(true);
  labelLegal->SetHeight(56);
  labelLegal->SetAlign(ui::Align::Bottom);
  labelDescription = &panelProduct->Add<ui::Label>("labelDescription");
  labelDescription->SetAutoSize(false);
  labelDescription->SetWordWrap(true);
  labelDescription->SetAlign(ui::Align::Client);
  labelDescription->SetBorderSpacing({0, 0, 8, 0, 8});

  tabParameters = &pcAbout->AddPage("tabParameters", "Parameters");
  memoParameters = &AddReadOnlyMemo(*tabParameters, "memoParameters", ui::ScrollBars::AutoVertical, true);

  tabLicense = &pcAbout->AddPage("tabLicense", "License");

  tabTranslators = &pcAbout->AddPage("tabTranslators", "Translators");
  memoTranslators = &AddReadOnlyMemo(*tabTranslators, "memoTranslators", ui::ScrollBars::Vertical, false);

  tabCredits = &pcAbout->AddPage("tabCredits", "Credits");
  memoCredits = &AddReadOnlyMemo(*tabCredits, "memoCredits", ui::ScrollBars::AutoVertical, false);

  tabChangeLog = &pcAbout->AddPage("tabChangeLog", "Change log");
  tabChangeLog->SetTabVisible(false);
  memoChangeLog = &AddReadOnlyMemo(*tabChangeLog, "memoChangeLog", ui::ScrollBars::AutoBoth, true);

  tabAboutAuthor = &pcAbout->AddPage("tabAboutAuthor", "About ...");
  tabAboutAuthor->SetChildSizing({8, 8, 8, 8});
  imgBMRLogo = &tabAboutAuthor->Add<ui::Image>("imgBMRLogo");
  imgBMRLogo->SetAlign(ui::Align::Left);
  imgBMRLogo->SetWidth(137);
  imgBMRLogo->SetConstraints({0, 0, 0, 137});
  imgBMRLogo->SetIconResource("BMRLOGO");
  panelAuthorText = &tabAboutAuthor->Add<ui::Panel>("panelAuthorText");
  panelAuthorText->SetAlign(ui::Align::Client);
  labelAboutAuthor = &panelAuthorText->Add<ui::Label>("labelAboutAuthor");
  labelAboutAuthor->SetAutoSize(false);
  labelAboutAuthor->SetWordWrap(true);
  labelAboutAuthor->SetAlign(ui::Align::Client);
  labelAboutAuthor->SetCaption(kAboutAuthor);

  tabUpdateAvailable = &pcAbout->AddPage("tabUpdateAvailable", "Update available!");
  tabUpdateAvailable->SetTabVisible(false);
  panelUpdate = &tabUpdateAvailable->Add<ui::Panel>("panelUpdate");
  panelUpdate->SetAlign(ui::Align::Bottom);
  panelUpdate->SetHeight(33);
  panelUpdate->SetChildSizing({4, 4, 8, 0});
  bnUpdate = &panelUpdate->Add<ui::Button>("bnUpdate");
  bnUpdate->SetCaption("Update");
  bnUpdate->SetAlign(ui::Align::Right);
  bnUpdate->SetWidth(75);
  pgDownload = &panelUpdate->Add<ui::ProgressBar>("pgDownload");
  pgDownload->SetAlign(ui::Align::Client);
  pgDownload->SetConstraints({0, 0, 0, 20});
  pgDownload->SetVisible(false);
  memoUpdate = &AddReadOnlyMemo(*tabUpdateAvailable, "memoUpdate", ui::ScrollBars::Vertical, true);
  memoUpdate->SetWordWrap(true);

  pcAbout->SetActivePage(tabAboutProduct);

  bnUpdates->onClick = [this] { bnUpdatesClick(); };
  bnUpdate->onClick = [this] { bnUpdateClick(); };
  onCreate = [this] { FormCreate(); };
  onDestroy = [this] { FormDestroy(); };
  onShow = [this] { FormShow(); };
}

TdlgAbout::~TdlgAbout() { DoDestroy(); }

// ---------------------------------------------------------------------------------------------
// Events

void TdlgAbout::FormCreate() {
  LocalizeForm(this, nullptr);
  FTranslators.clear();
  FLicences.clear();
  FCheckOnShow = false;
  FProductID = -1;
  FLicenceMemo = &tabLicense->Add<ui::RichView>("FLicenceMemo");
  FLicenceMemo->SetAlign(ui::Align::Client);
  FLicenceMemo->SetBorderStyle(ui::BorderStyle::None);
  FLicenceMemo->SetReadOnly(true);
  FLicenceMemo->SetScrollBars(ui::ScrollBars::AutoVertical);
}

void TdlgAbout::FormDestroy() {
  if (FLicenceMemo) tabLicense->Remove(*FLicenceMemo);
  FLicenceMemo = nullptr;
  FLicences.clear();
  FTranslators.clear();
}

void TdlgAbout::FormShow() {
  pcAbout->SetActivePage(tabAboutProduct);
  if (FCheckOnShow) CheckForUpdates();
}

void TdlgAbout::bnUpdatesClick() { CheckForUpdates(); }

void TdlgAbout::bnUpdateClick() { DownloadUpdate(); }

// ---------------------------------------------------------------------------------------------
// Filling

void TdlgAbout::SetProductID(std::int32_t ID) {
  FProductID = ID;
  bnUpdates->SetVisible(ID > -1);
}

void TdlgAbout::SetCompanyName(const std::string& Name) {
  FCompanyName = Name;
  tabAboutAuthor->SetCaption(rtl::Format(Shown(rsdialogtabtitle), {Name}));
}

void TdlgAbout::SetProductName(const std::string& Name) {
  FProductName = Name;
  labelProduct->SetCaption(Name);
  SetCaption(rtl::Format(Shown(rsdialogtitle), {Name}));
  tabAboutProduct->SetCaption(rtl::Format(Shown(rsdialogtabtitle), {Name}));
}

void TdlgAbout::SetFileName(const std::string& FileName) {
  FFileName = FileName;
  std::vector<std::string> lines;
  if (GetVersionTranslationCount(FileName) > 0) {
    ReadVersionStrings(FileName, 0, lines);
    const std::string company = VersionValueOf(lines, "CompanyName");
    SetCompanyName(company);
    SetProductName(!ProductNameOverride.empty() ? ProductNameOverride : VersionValueOf(lines, "ProductName"));
    imgBMRLogo->SetVisible(company.find("Brenmoor") != std::string::npos);
    FVersion = DottedVersion(VersionValueOf(lines, "ProductVersion"));
    labelVersion->SetCaption(rtl::Format(Shown(rsdialogversion), {FVersion}));
    labelDescription->SetCaption(VersionValueOf(lines, "FileDescription") + " " +
                                 DottedVersion(VersionValueOf(lines, "FileVersion")));
    labelLegal->SetCaption(VersionValueOf(lines, "LegalCopyright") + "\r\n" + VersionValueOf(lines, "LegalTrademarks"));
    FTranslators = ui::SplitLines(VersionValueOf(lines, "Translators"));
  }
  FillTranslators(lines);
  FillParameters();
  FillCredits();
  FillLicence();
  FillChangeLog();
}

void TdlgAbout::FillTranslators(const std::vector<std::string>& versionLines) {
  // The block's lines hold "Translators" only when it has a value.
  std::vector<std::string> list = ui::SplitLines(VersionValueOf(versionLines, "Translators"));
  list.insert(list.end(), ExtraTranslators.begin(), ExtraTranslators.end());
  if (list.empty()) {
    tabTranslators->SetTabVisible(false);
    return;
  }
  tabTranslators->SetTabVisible(true);
  memoTranslators->AddLine(Shown(rstranslatorsthankyouintro));
  memoTranslators->AddLine("");
  for (const std::string& entry : list) {
    const std::size_t equals = entry.find('=');
    const std::string name = equals == std::string::npos ? std::string() : entry.substr(0, equals);
    const std::string value = equals == std::string::npos ? entry : entry.substr(equals + 1);
    memoTranslators->AddLine(rtl::Format("%s: %s", {name, value}));
  }
}

void TdlgAbout::FillParameters() {
  memoParameters->Clear();
  std::vector<std::string> lines;
  CommandLineParameters()->AddHelpLines(lines);
  memoParameters->SetLines(std::move(lines));
}

void TdlgAbout::FillCredits() {
  memoCredits->AddLine(Shown(rscreditsthankyouintro));
  memoCredits->AddLine("");
  std::vector<std::string> lines;
  ListCredits(lines);
  for (auto& line : lines) memoCredits->AddLine(std::move(line));
}

void TdlgAbout::FillLicence() {
  os::ILibrary& library = os::Library();
  FLicences.clear();
  if (const os::ModuleHandle module = library.LoadModuleEx(FFileName, os::kLoadLibraryAsDatafile); module != 0) {
    library.EnumResourceNamesOf(module, kLicenceType, FLicences);
    library.ReleaseModule(module);
  }
  if (FLicences.empty()) library.EnumResourceNamesOf(0, kLicenceType, FLicences);
  if (FLicences.empty()) {
    tabLicense->SetTabVisible(false);
    return;
  }
  tabLicense->SetTabVisible(true);
  const bool preferred = std::find(FLicences.begin(), FLicences.end(), PreferredLicenceName) != FLicences.end();
  const std::string name = preferred ? PreferredLicenceName : FLicences.front();

  const os::ModuleHandle module = library.LoadModuleEx(FFileName, os::kLoadLibraryAsDatafile);
  if (module == 0) return;
  struct Release {
    os::ILibrary& library;
    os::ModuleHandle module;
    ~Release() { library.ReleaseModule(module); }
  } release{library, module};
  std::string rtf;
  if (!library.ReadResource(module, name, kLicenceType, rtf) && !library.ReadResource(0, name, kLicenceType, rtf)) {
    throw rtl::Exception(rtl::Format("Resource %s not found", {name}));
  }
  FLicenceMemo->LoadRichText(std::move(rtf));
}

void TdlgAbout::FillChangeLog() {
  std::string text;
  if (!os::Library().ReadResource(0, kChangeLogName, kRcData, text)) {
    tabChangeLog->SetTabVisible(false);
    return;
  }
  memoChangeLog->SetLines(ui::SplitLines(text));
  tabChangeLog->SetTabVisible(true);
}

// ---------------------------------------------------------------------------------------------
// Entry points

std::string AboutMenuItemCaption() {
  const std::string title = ReplaceAll(ui::Application::Instance().Title(), "&", "&&");
  return ReplaceAll(Shown(rsaboutdialogmenuitemtext), "%s", title);
}

void AddSystemMenuItem(const std::string& Caption, std::uint32_t ID, ui::Form* Form) {
  Form = FormOrMain(Form);
  if (!Form) return;
  if (!Form->InsertSystemMenuItem(6, ID, Caption)) return;
  os::Windowing().DrawMenuBarOf(Form->Handle());
}

void AddAboutSystemMenuItem(ui::Form* Form, ui::MenuItem* ParentMenuItem) {
  Form = FormOrMain(Form);
  if (!Form) return;
  AddSystemMenuItem(AboutMenuItemCaption(), kAboutSystemMenuCommand, Form);
  AddAboutMenuItems(Form, ParentMenuItem);
}

void AddAboutMenuItems(ui::Form* Form, ui::MenuItem* ParentMenuItem) {
  Form = FormOrMain(Form);
  if (!Form || !ParentMenuItem) return;
  ui::MenuItem& about = ParentMenuItem->Add();
  about.SetCaption(AboutMenuItemCaption());
  about.onClick = [] { AboutHelper->ShowAbout(); };
  if (!CommandLineHasSwitch("youtube")) return;
  struct ResizeItem {
    const char* caption;
    void (TAboutHelper::*handler)();
  };
  static const ResizeItem items[] = {
      {"Resize to 480 x 360", &TAboutHelper::Resize480x360},
      {"Resize to 640 x 360", &TAboutHelper::Resize640x360},
      {"Resize to 854 x 480", &TAboutHelper::Resize854x480},
      {"Resize to 1280 x 720", &TAboutHelper::Resize1280x720},
  };
  for (const ResizeItem& item : items) {
    ui::MenuItem& resize = ParentMenuItem->Add();
    resize.SetCaption(Shown(std::string(item.caption)));
    resize.onClick = [handler = item.handler] { (AboutHelper.get()->*handler)(); };
  }
}

void ShowAboutDialog(const std::string& /*Title*/, bool CheckNow) {
  auto dialog = ui::NewForm<TdlgAbout>();
  dialog->SetProductID(UpdateProductID);
  dialog->SetFileName(os::Process().ModuleFileName());
  dialog->SetCheckOnShow(CheckNow);
  dialog->imgIcon->SetApplicationIcon();
  dialog->ShowModal();
}

void ResizeMainForm(int Width, int Height) {
  ui::Form* main = ui::Application::Instance().MainForm();
  if (!main) return;
  main->SetConstraints({Width, Height, Width, Height});
  main->SetLeft(100);
  main->SetTop(100);
  main->SetHeight(Height);
  main->SetWidth(Width);
}

void TAboutHelper::ShowAbout() { ShowAboutDialog(ui::Application::Instance().Title(), false); }
void TAboutHelper::Resize480x360() { ResizeMainForm(480, 360); }
void TAboutHelper::Resize640x360() { ResizeMainForm(640, 360); }
void TAboutHelper::Resize854x480() { ResizeMainForm(854, 480); }
void TAboutHelper::Resize1280x720() { ResizeMainForm(1280, 720); }

void InitializeBmrUIDlgAbout() {
  UpdateProductID = -1;
  PreferredLicenceName.clear();
  ProductNameOverride.clear();
  AboutHelper = std::make_unique<TAboutHelper>();
  ExtraTranslators.clear();
  CLPGroupBasic()->Add("youtube", rtl::LoadResString(rsyoutubecommandlinedescription));
  SetAboutCommand([] { ShowAboutDialog(ui::Application::Instance().Title(), false); });
}

void FinalizeBmrUIDlgAbout() {
  SetAboutCommand(nullptr);
  AboutHelper.reset();
  ExtraTranslators.clear();
}
