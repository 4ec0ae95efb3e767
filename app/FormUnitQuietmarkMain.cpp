#include "app/FormUnitQuietmarkMain.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "app/bmrUIDlgAbout.h"
#include "engine/tvqmCommandLine.h"
#include "platform/bmrCredits.h"
#include "platform/bmrPEVersions.h"
#include "platform/bmrWindows.h"
#include "platform/os/Process.h"
#include "platform/os/Resources.h"
#include "platform/rtlSysUtils.h"

const rtl::ResourceString rsprotectionstatefull{"rsprotectionstatefull", "full protection in place."};
const rtl::ResourceString rsprotectionstatenone{"rsprotectionstatenone", "no protection applied yet!"};
const rtl::ResourceString rsprotectionstatepartial{"rsprotectionstatepartial", "%0:.0f%1:s protected (%2:d of %3:d)."};
const rtl::ResourceString rsimmunizernotsupported{"rsimmunizernotsupported", "%0:s is not supported on your OS."};

namespace {

const rtl::ResourceString rsabout{"rsabout", "&About"};
const rtl::ResourceString rsclose{"rsclose", "&Close"};
const rtl::ResourceString rsshowoptions{"rsshowoptions", "Show options"};
const rtl::ResourceString rshideoptions{"rshideoptions", "Hide options"};
const rtl::ResourceString rsshowdetails{"rsshowdetails", "Show details"};
const rtl::ResourceString rshidedetails{"rshidedetails", "Hide details"};
const rtl::ResourceString rsselectall{"rsselectall", "Sselect all"};
const rtl::ResourceString rsdeselectall{"rsdeselectall", "Deselect all"};
const rtl::ResourceString rsprotection{"rsprotection", "&Protection"};
const rtl::ResourceString rsoptional{"rsoptional", "Optional"};
const rtl::ResourceString rslog{"rslog", "&Log"};
const rtl::ResourceString rsfaq{"rsfaq", "Frequently Asked &Questions"};
const rtl::ResourceString rsimmunize{"rsimmunize", "&Immunize"};
const rtl::ResourceString rsundo{"rsundo", "&Undo"};
const rtl::ResourceString rsjumplisterrorimmunize{
    "rsjumplisterrorimmunize", "Unable to create Windows app icon jump list shell link for applying immunization"};
const rtl::ResourceString rsjumplisterrorundo{"rsjumplisterrorundo",
                                             "Unable to create Windows app icon jump list shell link for undoing immunization"};

// Taskbar progress states.
constexpr std::int32_t kProgressNormal = 2;
constexpr std::int32_t kProgressError = 3;

constexpr int kButtonWide = 107;
constexpr int kButtonNarrow = 75;
constexpr int kButtonHeight = 25;

ui::Panel& AddPanel(ui::Container& parent, const std::string& name, ui::Align align, ui::Rect bounds) {
  ui::Panel& panel = parent.Add<ui::Panel>(name);
  panel.SetBounds(bounds);
  panel.SetAlign(align);
  return panel;
}

ui::Button& AddButton(ui::Container& parent, const std::string& name, ui::Rect bounds, ui::Align align,
                      ui::Action* action) {
  ui::Button& button = parent.Add<ui::Button>(name);
  button.SetBounds(bounds);
  button.SetAlign(align);
  button.SetAction(action);
  return button;
}

bool IsPresent(const TCommandLineParameterItem* item) { return item != nullptr && item->Present(); }

}  // namespace

const char* const kIconSetCreditName = "Adwaita icon theme";
const char* const kIconSetCreditCopyright = "Copyright (C) 2002-2014 the GNOME Project";

TFormTolvexQuietmark* FormTolvexQuietmark = nullptr;

TFormTolvexQuietmark::TFormTolvexQuietmark() : TWindows7Form("FormTolvexQuietmark") {
  BuildLayout();
  FormTolvexQuietmark = this;
  onCreate = [this] { FormCreate(); };
  onShow = [this] { FormShow(); };
  onDestroy = [this] { FormDestroy(); };
}

TFormTolvexQuietmark::~TFormTolvexQuietmark() {
  // The frames and the test tree's records go with the window; the log writers stop first.
  if (FormTolvexQuietmark == this) FormTolvexQuietmark = nullptr;
  DoDestroy();
}

void TFormTolvexQuietmark::BuildLayout() {
  SetCaption("Tolvex Quietmark");
  SetClientSize({537, 639});
  SetPosition(ui::FormPosition::ScreenCenter);
  SetChildSizing({8, 8, 8, 8});

  aShowOptions = &AddAction("aShowOptions", "Show options");
  aHideOptions = &AddAction("aHideOptions", "Hide options");
  aImmunize = &AddAction("aImmunize", "Immunize");
  aUndo = &AddAction("aUndo", "Undo");
  aSelectAll = &AddAction("aSelectAll", "Select all");
  aDeselectAll = &AddAction("aDeselectAll", "Deselect all");
  aOptionalShowDetails = &AddAction("aOptionalShowDetails", "Show details");
  aOptionalHideDetails = &AddAction("aOptionalHideDetails", "Hide details");
  aAbout = &AddAction("aAbout", "&About");
  aClose = &AddAction("aClose", "&Close");
  aShowOptions->onExecute = [this] { aShowOptionsExecute(); };
  aHideOptions->onExecute = [this] { aHideOptionsExecute(); };
  aImmunize->onExecute = [this] { aImmunizeExecute(); };
  aUndo->onExecute = [this] { aUndoExecute(); };
  aSelectAll->onExecute = [this] { aSelectAllExecute(); };
  aDeselectAll->onExecute = [this] { aDeselectAllExecute(); };
  aOptionalShowDetails->onExecute = [this] { aOptionalShowDetailsExecute(); };
  aOptionalHideDetails->onExecute = [this] { aOptionalHideDetailsExecute(); };
  aAbout->onExecute = [this] { aAboutExecute(); };
  aClose->onExecute = [this] { aCloseExecute(); };

  popupOptions = &AddPopupMenu("popupOptions");
  popupOptions->Add("pmiSelectAll").SetAction(aSelectAll);
  popupOptions->Add("pmiDeselectAll").SetAction(aDeselectAll);

  pcStillwater = &Add<ui::PageControl>("pcStillwater");
  pcStillwater->SetAlign(ui::Align::Client);

  // The protection page: the overall state, the standard frames, their buttons.
  tabProtection = &pcStillwater->AddPage("tabProtection", "&Protection");
  // The page's client width less 16 at each side: the shape and its label keep 8 from each picture.
  constexpr int kStatusWidth = 481;
  panelStatus = &AddPanel(*tabProtection, "panelStatus", ui::Align::Top, {0, 0, kStatusWidth, 64});
  panelStatus->SetBorderSpacing({16, 0, 0, 0, 0});
  imgComputer = &panelStatus->Add<ui::Image>("imgComputer");
  imgComputer->SetIconResource("#101");
  imgComputer->SetBounds({0, 0, 64, 64});
  imgComputer->SetAlign(ui::Align::Left);
  imgNetwork = &panelStatus->Add<ui::Image>("imgNetwork");
  imgNetwork->SetIconResource("#102");
  imgNetwork->SetBounds({kStatusWidth - 64, 0, 64, 64});
  imgNetwork->SetAlign(ui::Align::Right);
  shapeTotalStatus = &panelStatus->Add<ui::Shape>("shapeTotalStatus");
  shapeTotalStatus->SetKind(ui::ShapeKind::RoundRect);
  shapeTotalStatus->SetPenVisible(false);
  shapeTotalStatus->SetBrushColor(ui::clBlack);
  shapeTotalStatus->SetBrushStyle(ui::BrushStyle::FDiagonal);
  shapeTotalStatus->SetBounds({72, 0, kStatusWidth - 144, 40});
  shapeTotalStatus->SetAnchors({true, true, true, false});
  labelTotalProtection = &panelStatus->Add<ui::Label>("labelTotalProtection");
  labelTotalProtection->SetCaption("Test pending...");
  labelTotalProtection->SetAlignment(ui::TextAlign::Center);
  labelTotalProtection->SetAutoSize(false);
  labelTotalProtection->SetBounds({72, 48, kStatusWidth - 144, 15});
  labelTotalProtection->SetAnchors({true, true, true, false});

  sb = &tabProtection->Add<ui::ScrollBox>("sb");
  sb->SetAlign(ui::Align::Client);
  // 16 between the box's edges and its frames; each frame's own spacer parts it from the next.
  sb->SetChildSizing({16, 16, 0, 0});

  panelButtonsProtection = &AddPanel(*tabProtection, "panelButtonsProtection", ui::Align::Bottom, {0, 500, 489, 25});
  panelButtonsProtection->SetBorderSpacing({16, 0, 0, 0, 0});
  panelButtonsProtection->SetAutoSize(true);
  panelButtonsProtection->SetChildSizing({0, 0, 8, 0});
  bnOptions = &AddButton(*panelButtonsProtection, "bnOptions", {0, 0, kButtonWide, kButtonHeight}, ui::Align::Left,
                         aShowOptions);
  bnOptions->SetPopupMenu(popupOptions);
  bnImmunize = &AddButton(*panelButtonsProtection, "bnImmunize", {267, 0, kButtonWide, kButtonHeight},
                          ui::Align::Right, aImmunize);
  bnImmunize->SetCaption("&Immunize");
  bnUndo = &AddButton(*panelButtonsProtection, "bnUndo", {382, 0, kButtonWide, kButtonHeight}, ui::Align::Right,
                      aUndo);
  bnUndo->SetCaption("&Undo");

  // The optional page.
  tabOptional = &pcStillwater->AddPage("tabOptional", "Optional");
  sbOptional = &tabOptional->Add<ui::ScrollBox>("sbOptional");
  sbOptional->SetAlign(ui::Align::Client);
  sbOptional->SetChildSizing({16, 16, 0, 0});
  panelButtons2 = &AddPanel(*tabOptional, "panelButtons2", ui::Align::Bottom, {0, 500, 489, 25});
  panelButtons2->SetBorderSpacing({16, 0, 0, 0, 0});
  panelButtons2->SetAutoSize(true);
  bnOptionalDetails = &AddButton(*panelButtons2, "bnOptionalDetails", {0, 0, kButtonWide, kButtonHeight},
                                 ui::Align::Left, aOptionalShowDetails);
  bnOptionalDetails->SetPopupMenu(popupOptions);

  // The log page, its tab hidden until the first immunizer message.
  tabLog = &pcStillwater->AddPage("tabLog", "&Log");
  tabLog->SetTabVisible(false);
  memoLog = &tabLog->Add<ui::Memo>("memoLog");
  memoLog->SetAlign(ui::Align::Client);
  memoLog->SetBorderStyle(ui::BorderStyle::None);
  memoLog->SetReadOnly(true);
  memoLog->SetFont(ui::Font{"Courier New", -13, false, false, ui::clDefault});
  memoLog->SetInnerBorder(4);
  memoLog->SetScrollBars(ui::ScrollBars::AutoBoth);
  memoLog->SetWordWrap(false);

  tabFAQ = &pcStillwater->AddPage("tabFAQ", "Frequently Asked &Questions");
  tabFAQ->SetChildSizing({16, 16, 16, 16});
  memoFAQ = &tabFAQ->Add<ui::RichView>("memoFAQ");
  memoFAQ->SetAlign(ui::Align::Client);
  memoFAQ->SetBorderStyle(ui::BorderStyle::None);
  memoFAQ->SetReadOnly(true);
  memoFAQ->SetColor(ui::clWindow);
  memoFAQ->SetFont(ui::Font{{}, 0, false, false, ui::clWindowText});
  memoFAQ->SetScrollBars(ui::ScrollBars::AutoVertical);

  tabTest = &pcStillwater->AddPage("tabTest", "Test");
  tabTest->SetTabVisible(false);
  vstImmunizers = &tabTest->Add<ui::TreeList>("vstImmunizers");
  vstImmunizers->SetAlign(ui::Align::Client);
  vstImmunizers->SetBorderStyle(ui::BorderStyle::None);
  vstImmunizers->SetFullRowSelect(true);
  vstImmunizers->SetColumns({{"Immunizer", 353}, {"Status", 128}});
  ilTree = {"#103", "#104"};
  vstImmunizers->SetImages(ilTree);
  vstImmunizers->onGetText = [this](const ui::TreeList::Node& node, int column) {
    return vstImmunizersGetText(node, column);
  };
  vstImmunizers->onGetImageIndex = [this](const ui::TreeList::Node& node, int column) {
    return vstImmunizersGetImageIndex(node, column);
  };
  pcStillwater->SetActivePage(tabProtection);

  panelButtons = &AddPanel(*this, "panelButtons", ui::Align::Bottom, {0, 600, 521, 25});
  panelButtons->SetAutoSize(true);
  panelButtons->SetChildSizing({0, 0, 8, 0});
  bnAbout = &AddButton(*panelButtons, "bnAbout", {0, 0, kButtonNarrow, kButtonHeight}, ui::Align::Left, aAbout);
  bnClose = &AddButton(*panelButtons, "bnClose", {444, 0, kButtonNarrow, kButtonHeight}, ui::Align::Right, aClose);
  bnClose->SetBorderSpacing({0, 0, 0, 2, 0});
}

void TFormTolvexQuietmark::FormCreate() {
  VersionInfo.clear();
  ReadVersionStrings(os::Process().ModuleFileName(), 0, VersionInfo);
  RegisterCredit(kIconSetCreditName, kIconSetCreditCopyright, "", 2, 0);
  if (const std::optional<std::string> faq = os::Resources().LoadRcData("FAQ")) memoFAQ->LoadRichText(*faq);
  tabTest->SetTabVisible(false);
}

void TFormTolvexQuietmark::FormDestroy() { VersionInfo.clear(); }

void TFormTolvexQuietmark::FormShow() {
  RegisterLogHandler(&TFormTolvexQuietmark::DebugLogToMemo);
  SetCaption(rtl::Format("%0:s %1:s", {VersionValueOf(VersionInfo, "ProductName"), VersionValueOf(VersionInfo, "ProductVersion")}));
  AddAboutSystemMenuItem(nullptr, nullptr);
  CreateImmunizerFrames();
  pcStillwater->SetActivePage(tabProtection);
}

void TFormTolvexQuietmark::CreateImmunizerFrames() {
  auto addRoot = [this](const char* caption) -> ui::TreeList::Node& {
    nodeData_.push_back(std::make_unique<TNodeData>(TNodeData{caption, nullptr, nullptr}));
    return vstImmunizers->AddChild(nullptr, reinterpret_cast<std::uintptr_t>(nodeData_.back().get()));
  };
  ui::TreeList::Node& standardRoot = addRoot("Immunizers");
  ui::TreeList::Node& optionalRoot = addRoot("Optional Immunizers");
  AddImmunizerFrames(StandardImmunizations, *sb, standardRoot, &TFrameImmunizer::Make);
  panelStatus->SetTop(0);
  AddImmunizerFrames(OptionalImmunizations, *sbOptional, optionalRoot, &TFrameOptionalImmunizer::Make);
  SetShowOptions(false);
  vstImmunizers->Expand(standardRoot);
  vstImmunizers->Expand(optionalRoot);
}

void TFormTolvexQuietmark::AddImmunizerFrames(const TAWindows10ImmunizationClass& list, ui::ScrollBox& box,
                                              ui::TreeList::Node& root, TFrameImmunizerFactory makeFrame) {
  // Each new top-aligned frame goes above the others: walked backwards, the page shows the
  // list in its order, while the box's control order is the reverse.
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    const TWindows10ImmunizationClass immunizerClass = *it;
    if (!immunizerClass.SupportedWindowsVersions().SharesMemberWith(CurrentOperatingSystems)) {
      memoLog->AddLine("[i] " + rtl::Format(rtl::LoadResString(rsimmunizernotsupported), {immunizerClass.ClassName()}));
      continue;
    }
    std::unique_ptr<TCustomFrameImmunizer> made = makeFrame(immunizerClass);
    made->SetName("Frame" + immunizerClass.ClassName());
    auto& frame = static_cast<TCustomFrameImmunizer&>(box.Adopt(std::move(made)));
    frame.SetAlign(ui::Align::Top);
    frame.OnLog = [this](TWindows10Immunization& sender, TImmunizationLogLevel level, const std::string& msg) {
      ImmunizerLog(sender, level, msg);
    };
    nodeData_.push_back(std::make_unique<TNodeData>(TNodeData{{}, &frame.GetImmunizer(), &frame}));
    ui::TreeList::Node& node = vstImmunizers->AddChild(&root, reinterpret_cast<std::uintptr_t>(nodeData_.back().get()));
    vstImmunizers->SetCheckBox(node, true);
  }
}

void TFormTolvexQuietmark::AfterFirstShow() {
  // The jump list is a convenience: its failure must not cost the run the user asked for
  // on the command line, nor the window its first state.
  try {
    TWindows7Form::AfterFirstShow();
  } catch (const std::exception& error) {
    DebugLogger()->LogException(error, "TFormTolvexQuietmark.AfterFirstShow", 5);
  }
  RunCommandLineSwitch();
  AdjustHeight();
  UpdateProtectionState();
  LoadCaptions();
}

void TFormTolvexQuietmark::RunCommandLineSwitch() {
  // apply wins over undo; the run clears the log, so its line goes in after the clearing.
  if (IsPresent(CLPApply)) {
    RunSelected(&TCustomFrameImmunizer::Immunize, CLPApply->Name());
  } else if (IsPresent(CLPUndo)) {
    RunSelected(&TCustomFrameImmunizer::Remove, CLPUndo->Name());
  }
}

void TFormTolvexQuietmark::RunSelected(void (TCustomFrameImmunizer::*operation)(), const std::string& switchName) {
  memoLog->Clear();
  if (!switchName.empty()) memoLog->AddLine(rtl::Format("[i] processing parameter /%0:s...", {switchName}));
  for (TFrameImmunizer* frame : FramesOf<TFrameImmunizer>(*sb)) (frame->*operation)();
  UpdateProtectionState();
}

void TFormTolvexQuietmark::AdjustHeight() {
  const int excess = sb->VertScrollRange() - sb->Height();
  if (excess <= 0) return;
  const ui::Rect area = ui::Application::Instance().WorkArea();
  const int height = Height() + excess >= area.height ? area.height : Height() + excess;
  SetHeight(height);
  // A window that grew keeps inside the work area rather than reaching below it.
  if (Top() + height > area.Bottom()) SetTop(std::max(area.top, area.Bottom() - height));
}

void TFormTolvexQuietmark::LoadCaptions() {
  aAbout->SetCaption(rtl::LoadResString(rsabout));
  aClose->SetCaption(rtl::LoadResString(rsclose));
  aShowOptions->SetCaption(rtl::LoadResString(rsshowoptions));
  bnOptions->SetCaption(rtl::LoadResString(rsshowoptions));
  aHideOptions->SetCaption(rtl::LoadResString(rshideoptions));
  aOptionalShowDetails->SetCaption(rtl::LoadResString(rsshowdetails));
  bnOptionalDetails->SetCaption(rtl::LoadResString(rsshowdetails));
  aOptionalHideDetails->SetCaption(rtl::LoadResString(rshidedetails));
  aSelectAll->SetCaption(rtl::LoadResString(rsselectall));
  aDeselectAll->SetCaption(rtl::LoadResString(rsdeselectall));
  tabProtection->SetCaption(rtl::LoadResString(rsprotection));
  tabOptional->SetCaption(rtl::LoadResString(rsoptional));
  tabLog->SetCaption(rtl::LoadResString(rslog));
  tabFAQ->SetCaption(rtl::LoadResString(rsfaq));
}

void TFormTolvexQuietmark::FillJumpList(os::ICustomDestinationList& List) {
  std::shared_ptr<os::IObjectCollection> tasks;
  const os::HResult created = os::TaskbarLibrary().CreateObjectCollection(tasks);
  OleCheck(created, tasks != nullptr);
  auto addTask = [&](const TCommandLineParameterItem* item, const rtl::ResourceString& title,
                     const rtl::ResourceString& error) {
    std::shared_ptr<os::IShellLinkA> link;
    CreateJumpListShellLink("/" + (item != nullptr ? item->Name() : std::string()), rtl::LoadResString(title), "", 0,
                            link);
    const os::HResult added = tasks->AddObject(link.get());
    if (added < 0) DebugLogger()->LogWin32Error(added, rtl::LoadResString(error), 4);
  };
  addTask(CLPApply, rsimmunize, rsjumplisterrorimmunize);
  addTask(CLPUndo, rsundo, rsjumplisterrorundo);
  List.AddUserTasks(*tasks);
}

void TFormTolvexQuietmark::aAboutExecute() { ShowAboutDialog("", false); }

void TFormTolvexQuietmark::ImmunizeSelected() { RunSelected(&TCustomFrameImmunizer::Immunize, {}); }

void TFormTolvexQuietmark::UndoSelected() { RunSelected(&TCustomFrameImmunizer::Remove, {}); }

void TFormTolvexQuietmark::SetShowOptions(bool Show) {
  ui::LayoutBatch batch(*this);
  for (TFrameImmunizer* frame : FramesOf<TFrameImmunizer>(*sb)) frame->SetShowOptions(Show);
  bnOptions->SetAction(Show ? aHideOptions : aShowOptions);
}

void TFormTolvexQuietmark::SetShowOptionalDetails(bool Show) {
  ui::LayoutBatch batch(*this);
  for (TFrameOptionalImmunizer* frame : FramesOf<TFrameOptionalImmunizer>(*sbOptional)) frame->SetShowDetails(Show);
  bnOptionalDetails->SetAction(Show ? aOptionalHideDetails : aOptionalShowDetails);
}

void TFormTolvexQuietmark::SelectAll() {
  aShowOptions->Execute();
  for (TFrameImmunizer* frame : FramesOf<TFrameImmunizer>(*sb)) frame->cb->SetChecked(true);
}

void TFormTolvexQuietmark::DeselectAll() {
  aShowOptions->Execute();
  for (TFrameImmunizer* frame : FramesOf<TFrameImmunizer>(*sb)) frame->cb->SetChecked(false);
}

void TFormTolvexQuietmark::ImmunizerLog(TWindows10Immunization& Sender, TImmunizationLogLevel Level,
                                        const std::string& Msg) {
  const char* marker = "?";
  switch (Level) {
    case ilSuccess:
      marker = "+";
      break;
    case ilError:
      marker = "-";
      break;
    case ilInformation:
      marker = "i";
      break;
  }
  memoLog->AddLine(rtl::Format("[%0:s] %1:s: %2:s", {std::string(marker), Sender.ClassType().GetDisplayName(), Msg}));
  memoLog->AddLine(rtl::Format("[%0:s] (%1:s)", {std::string("."), Sender.ClassName()}));
  tabLog->SetTabVisible(true);
}

void TFormTolvexQuietmark::DebugLogToMemo(TDebugEntryKind Kind, TDebugType /*Scope*/, const TDebugSender* Sender,
                                          const std::string& Msg, const TDebugArguments& /*Args*/) {
  if (FormTolvexQuietmark == nullptr || Kind != dekError) return;
  std::string text = Msg;
  if (Sender != nullptr) text = Sender->ClassName + ": " + text;
  FormTolvexQuietmark->memoLog->AddLine("[-] " + text);
}

void TFormTolvexQuietmark::UpdatePageState(ui::ScrollBox& box, std::int32_t& Applied, std::int32_t& Total) {
  Applied = 0;
  Total = 0;
  for (TCustomFrameImmunizer* frame : FramesOf<TCustomFrameImmunizer>(box)) {
    std::int32_t immunized = 0, count = 0;
    frame->UpdateState(immunized, count);
    Applied += immunized;
    Total += count;
  }
}

void TFormTolvexQuietmark::UpdateProtectionState() {
  std::int32_t applied = 0, total = 0;
  UpdatePageState(*sb, applied, total);
  const double percentage = total > 0 ? applied * 100.0 / total : 0.0;
  if (applied == total) {
    labelTotalProtection->SetCaption(rtl::LoadResString(rsprotectionstatefull));
    shapeTotalStatus->SetBrushColor(ui::clGreen);
    shapeTotalStatus->SetBrushStyle(ui::BrushStyle::Vertical);
  } else if (applied == 0) {
    labelTotalProtection->SetCaption(rtl::LoadResString(rsprotectionstatenone));
    shapeTotalStatus->SetBrushColor(ui::clRed);
    shapeTotalStatus->SetBrushStyle(ui::BrushStyle::Solid);
  } else {
    labelTotalProtection->SetCaption(rtl::Format(rtl::LoadResString(rsprotectionstatepartial),
                                                 {percentage, std::string("%"), applied, total}));
    shapeTotalStatus->SetBrushColor(ui::clRed);
    shapeTotalStatus->SetBrushStyle(ui::BrushStyle::FDiagonal);
  }
  if (applied > 0) {
    SetTaskBarProgressState(kProgressNormal);
    SetTaskbarProgressMax(total);
    SetTaskbarProgressValue(applied);
  } else {
    // A full red bar (an empty one when there is nothing to count).
    SetTaskBarProgressState(kProgressError);
    SetTaskbarProgressMax(total);
    SetTaskbarProgressValue(total);
  }
  // The optional page is refreshed; it adds nothing to the overall state.
  std::int32_t optionalApplied = 0, optionalTotal = 0;
  UpdatePageState(*sbOptional, optionalApplied, optionalTotal);
  // The test tree shows the frames' new states.
  vstImmunizers->Invalidate();
}

std::string TFormTolvexQuietmark::vstImmunizersGetText(const ui::TreeList::Node& node, int column) const {
  const auto* data = reinterpret_cast<const TNodeData*>(node.data);
  if (data == nullptr) return {};
  if (column == 0) return data->Immunizer != nullptr ? data->Immunizer->ClassType().GetDisplayName() : data->Caption;
  return data->Frame != nullptr ? data->Frame->GetStatusText() : std::string();
}

int TFormTolvexQuietmark::vstImmunizersGetImageIndex(const ui::TreeList::Node& node, int column) const {
  if (column != 0) return -1;
  const auto* data = reinterpret_cast<const TNodeData*>(node.data);
  return data != nullptr && data->Immunizer != nullptr ? 1 : 0;
}

void InitializeFormUnitQuietmarkMain() { UpdateProductID = 55; }
