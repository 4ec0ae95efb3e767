#pragma once
// The frame of the optional page: its own Apply and Undo buttons and the immunizer's hint.

#include <memory>
#include <string>

#include "app/FrameUnitQuietmarkStandardImmunizer.h"

extern const rtl::ResourceString rshint;

class TFrameOptionalImmunizer : public TCustomFrameImmunizer {
 public:
  explicit TFrameOptionalImmunizer(TWindows10ImmunizationClass aImmunizerClass);
  static std::unique_ptr<TCustomFrameImmunizer> Make(TWindows10ImmunizationClass aImmunizerClass);

  std::string GetStatusText() override;
  // Also the hint line and which of the two buttons can be used.
  void UpdateState(std::int32_t& Immunized, std::int32_t& Count) override;
  // The details label, also when it is empty.
  void SetShowDetails(bool Show);
  void bnApplyClick();
  void bnUndoClick();

  ui::Button* bnApply = nullptr;
  ui::Button* bnUndo = nullptr;
  ui::Label* labelHint = nullptr;
};
