#include "app/FrameUnitQuietmarkStandardImmunizer.h"

#include <utility>

#include "platform/rtlSysUtils.h"

const rtl::ResourceString rsimmunizerstatusfull{"rsimmunizerstatusfull", "all blocked."};
const rtl::ResourceString rsimmunizerstatusnone{"rsimmunizerstatusnone", "no blocks yet!"};
const rtl::ResourceString rsimmunizerstatuspartial{"rsimmunizerstatuspartial", "%0:d of %1:d blocked currently."};

namespace {

ui::Panel& AddPanel(ui::Container& parent, const std::string& name, ui::Align align, ui::Rect bounds) {
  ui::Panel& panel = parent.Add<ui::Panel>(name);
  panel.SetBounds(bounds);
  panel.SetAlign(align);
  return panel;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCustomFrameImmunizer

TCustomFrameImmunizer::TCustomFrameImmunizer(TWindows10ImmunizationClass aImmunizerClass)
    : ImmunizerClass(aImmunizerClass) {
  SetAutoSize(true);
}

TCustomFrameImmunizer::~TCustomFrameImmunizer() = default;

std::string TCustomFrameImmunizer::GetStatusText() { return {}; }

TWindows10Immunization& TCustomFrameImmunizer::GetImmunizer() {
  if (!Immunizer) {
    Immunizer = ImmunizerClass.Create();
    Immunizer->OnLog = [this](TWindows10Immunization& sender, TImmunizationLogLevel level, const std::string& msg) {
      DoImmunizerLog(sender, level, msg);
    };
  }
  return *Immunizer;
}

void TCustomFrameImmunizer::DoImmunizerLog(TWindows10Immunization& Sender, TImmunizationLogLevel Level,
                                           const std::string& Msg) {
  if (OnLog) OnLog(Sender, Level, Msg);
}

void TCustomFrameImmunizer::UpdateState(std::int32_t& Immunized, std::int32_t& Count) {
  Immunized = GetImmunizer().GetImmunizedCount();
  Count = GetImmunizer().GetCount();
}

void TCustomFrameImmunizer::Immunize() {
  GetImmunizer().Immunize();
  std::int32_t immunized = 0, count = 0;
  UpdateState(immunized, count);
}

void TCustomFrameImmunizer::Remove() {
  GetImmunizer().Remove();
  std::int32_t immunized = 0, count = 0;
  UpdateState(immunized, count);
}

void TCustomFrameImmunizer::ShowDetails() {
  std::string details = GetImmunizer().GetDetailsText();
  labelDetails->SetCaption(details);
  const int lines = static_cast<int>(ui::SplitLines(details).size());
  labelDetails->SetHeight(lines * labelDetails->TextHeight(details) + 10);
  labelDetails->SetHint(std::move(details));
}

void TCustomFrameImmunizer::ShowStatus(std::int32_t Immunized, std::int32_t Count) {
  const std::string partial = rtl::Format(rtl::LoadResString(rsimmunizerstatuspartial), {Immunized, Count});
  if (Immunized == Count) {
    labelStatus->SetCaption(rtl::LoadResString(rsimmunizerstatusfull));
  } else if (Immunized == 0) {
    labelStatus->SetCaption(rtl::LoadResString(rsimmunizerstatusnone));
  } else {
    labelStatus->SetCaption(partial);
  }
  labelStatus->SetHint(partial);
  labelDisplayName->SetCaption(ImmunizerClass.GetDisplayName() + ":");
  labelDisplayName->SetHint(ImmunizerClass.GetDisplayName());
  pg->SetMax(Count);
  pg->SetPosition(Immunized);
}

ui::Label& TCustomFrameImmunizer::AddNameLabel(ui::Container& parent) {
  ui::Label& label = parent.Add<ui::Label>("labelDisplayName");
  label.SetCaption("Block");
  label.SetBounds({30, 0, 40, 15});
  label.SetAlign(ui::Align::Left);
  // The status is the row's answer: where both do not fit, the name gives way and its hint
  // holds it whole.
  label.SetEndEllipsis(true);
  label.SetShowHint(true);
  labelDisplayName = &label;
  return label;
}

ui::Label& TCustomFrameImmunizer::AddStatusLabel(ui::Container& parent) {
  ui::Label& label = parent.Add<ui::Label>("labelStatus");
  label.SetCaption("pending...");
  label.SetAlignment(ui::TextAlign::Right);
  label.SetAlign(ui::Align::Client);
  labelStatus = &label;
  return label;
}

void TCustomFrameImmunizer::AddDetailsAndProgress(int top, int spacerHeight) {
  labelDetails = &Add<ui::Label>("labelDetails");
  labelDetails->SetCaption("...");
  labelDetails->SetAutoSize(false);
  labelDetails->SetFont(ui::Font{"Courier New", -11, false, false, ui::clGrayText});
  labelDetails->SetShowHint(true);
  labelDetails->SetVisible(false);
  labelDetails->SetBounds({0, top, 100, 20});
  labelDetails->SetAlign(ui::Align::Top);
  pg = &Add<ui::ProgressBar>("pg");
  pg->SetBounds({0, top + 20, 100, 15});
  pg->SetAlign(ui::Align::Top);
  panelSpacer = &AddPanel(*this, "panelSpacer", ui::Align::Top, {0, top + 40, 100, spacerHeight});
}

// ---------------------------------------------------------------------------------------------
// TFrameImmunizer

TFrameImmunizer::TFrameImmunizer(TWindows10ImmunizationClass aImmunizerClass)
    : TCustomFrameImmunizer(aImmunizerClass) {
  SetChildSizing({0, 0, 0, 2});
  panelLabels = &AddPanel(*this, "panelLabels", ui::Align::Top, {0, 0, 100, 17});
  panelLabels->SetAutoSize(true);
  cb = &panelLabels->Add<ui::CheckBox>("cb");
  cb->SetChecked(true);
  cb->SetVisible(false);
  cb->SetBounds({0, 0, 20, 17});
  cb->SetAlign(ui::Align::Left);
  cb->onChange = [this] { cbChange(); };
  AddNameLabel(*panelLabels).SetBorderSpacing({0, 0, 2, 0, 0});
  // Right-aligned text: the left spacing shows only where a cut name reaches it.
  AddStatusLabel(*panelLabels).SetBorderSpacing({0, 8, 2, 0, 0});
  AddDetailsAndProgress(20, 8);
}

std::unique_ptr<TCustomFrameImmunizer> TFrameImmunizer::Make(TWindows10ImmunizationClass aImmunizerClass) {
  return std::make_unique<TFrameImmunizer>(aImmunizerClass);
}

std::string TFrameImmunizer::GetStatusText() { return labelStatus->Caption(); }

void TFrameImmunizer::UpdateState(std::int32_t& Immunized, std::int32_t& Count) {
  ShowDetails();
  if (cb->Checked()) {
    TCustomFrameImmunizer::UpdateState(Immunized, Count);
    ShowStatus(Immunized, Count);
  } else {
    // An unticked frame counts for nothing and keeps what it showed; it is only greyed.
    Immunized = 0;
    Count = 0;
  }
}

void TFrameImmunizer::Immunize() {
  if (cb->Checked()) TCustomFrameImmunizer::Immunize();
}

void TFrameImmunizer::Remove() {
  if (cb->Checked()) TCustomFrameImmunizer::Remove();
}

void TFrameImmunizer::SetSelected(bool Value) {
  if (Value == selected_) return;
  selected_ = Value;
  pg->SetVisible(Value);
  const ui::Color color = Value ? ui::clDefault : ui::clGrayText;
  for (ui::Label* label : {labelDisplayName, labelStatus}) {
    ui::Font font = label->GetFont();
    font.color = color;
    label->SetFont(font);
  }
}

void TFrameImmunizer::SetShowOptions(bool Show) {
  cb->SetVisible(Show);
  labelDetails->SetVisible(Show && !labelDetails->Caption().empty());
}

void TFrameImmunizer::cbChange() { SetSelected(!selected_); }
