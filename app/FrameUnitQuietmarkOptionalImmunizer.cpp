#include "app/FrameUnitQuietmarkOptionalImmunizer.h"

#include "platform/rtlSysUtils.h"

const rtl::ResourceString rshint{"rshint", "Hint: %0:s"};

TFrameOptionalImmunizer::TFrameOptionalImmunizer(TWindows10ImmunizationClass aImmunizerClass)
    : TCustomFrameImmunizer(aImmunizerClass) {
  SetChildSizing({0, 0, 0, 4});
  panelLabels = &Add<ui::Panel>("panelLabels");
  panelLabels->SetBounds({0, 0, 100, 25});
  panelLabels->SetAlign(ui::Align::Top);
  panelLabels->SetChildSizing({0, 0, 8, 0});
  AddNameLabel(*panelLabels).SetLayout(ui::TextLayout::Center);
  AddStatusLabel(*panelLabels).SetLayout(ui::TextLayout::Center);
  bnApply = &panelLabels->Add<ui::Button>("bnApply");
  bnApply->SetCaption("Apply");
  bnApply->SetBounds({200, 0, 75, 25});
  bnApply->SetAlign(ui::Align::Right);
  bnApply->onClick = [this] { bnApplyClick(); };
  bnUndo = &panelLabels->Add<ui::Button>("bnUndo");
  bnUndo->SetCaption("Undo");
  bnUndo->SetBounds({283, 0, 75, 25});
  bnUndo->SetAlign(ui::Align::Right);
  bnUndo->onClick = [this] { bnUndoClick(); };

  labelHint = &Add<ui::Label>("labelHint");
  labelHint->SetFont(ui::Font{{}, 0, false, true, ui::clDefault});
  labelHint->SetWordWrap(true);
  labelHint->SetShowHint(true);
  labelHint->SetVisible(false);
  labelHint->SetBounds({0, 30, 100, 15});
  labelHint->SetAlign(ui::Align::Top);
  AddDetailsAndProgress(50, 16);
}

std::unique_ptr<TCustomFrameImmunizer> TFrameOptionalImmunizer::Make(TWindows10ImmunizationClass aImmunizerClass) {
  return std::make_unique<TFrameOptionalImmunizer>(aImmunizerClass);
}

std::string TFrameOptionalImmunizer::GetStatusText() { return labelStatus->Caption(); }

void TFrameOptionalImmunizer::UpdateState(std::int32_t& Immunized, std::int32_t& Count) {
  TCustomFrameImmunizer::UpdateState(Immunized, Count);
  const std::string hint = ImmunizerClass.GetHint();
  labelHint->SetVisible(!hint.empty());
  if (!hint.empty()) {
    // Its tooltip repeats it, as the details label's does.
    labelHint->SetCaption(rtl::Format(rtl::LoadResString(rshint), {hint}));
    labelHint->SetHint(labelHint->Caption());
  }
  ShowDetails();
  ShowStatus(Immunized, Count);
  bnUndo->SetEnabled(Immunized > 0);
  bnApply->SetEnabled(Immunized < Count);
}

void TFrameOptionalImmunizer::SetShowDetails(bool Show) { labelDetails->SetVisible(Show); }

void TFrameOptionalImmunizer::bnApplyClick() { Immunize(); }

void TFrameOptionalImmunizer::bnUndoClick() { Remove(); }
