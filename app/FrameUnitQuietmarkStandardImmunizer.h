#pragma once
// The frame that shows one immunizer on a page of the main window: its display name, its
// state as a text and a progress bar, its details on request; it owns the immunizer and runs
// its apply and undo. The base serves both pages; TFrameImmunizer is the standard page's.

#include <cstdint>
#include <memory>
#include <string>

#include "app/ui/Toolkit.h"
#include "engine/tvqmVorletsBase.h"
#include "platform/rtlResStrings.h"

extern const rtl::ResourceString rsimmunizerstatusfull;
extern const rtl::ResourceString rsimmunizerstatusnone;
extern const rtl::ResourceString rsimmunizerstatuspartial;

class TCustomFrameImmunizer : public ui::Frame {
 public:
  // The immunizer is not created here: the first GetImmunizer does that.
  explicit TCustomFrameImmunizer(TWindows10ImmunizationClass aImmunizerClass);
  ~TCustomFrameImmunizer() override;

  // Where the immunizer's messages go (Sender is the immunizer); unset drops them.
  TImmunizationLogEvent OnLog;
  const TWindows10ImmunizationClass ImmunizerClass;

  // The current caption of the status label.
  virtual std::string GetStatusText();
  // Immunized: the items in place; Count: all items (in this order).
  virtual void UpdateState(std::int32_t& Immunized, std::int32_t& Count);
  virtual void Immunize();
  virtual void Remove();

  // The immunizer, created on first use with its log routed through this frame.
  TWindows10Immunization& GetImmunizer();
  // Whether the immunizer exists yet.
  bool HasImmunizer() const { return Immunizer != nullptr; }
  void DoImmunizerLog(TWindows10Immunization& Sender, TImmunizationLogLevel Level, const std::string& Msg);

  ui::Panel* panelLabels = nullptr;
  ui::Label* labelDisplayName = nullptr;
  ui::Label* labelStatus = nullptr;
  ui::Label* labelDetails = nullptr;
  ui::ProgressBar* pg = nullptr;
  ui::Panel* panelSpacer = nullptr;

 protected:
  // The details label: the immunizer's details, one line of its font per line plus 10.
  void ShowDetails();
  // Status caption and hint, display name and progress bar for these counts.
  void ShowStatus(std::int32_t Immunized, std::int32_t Count);
  // Builders of the controls both layouts share.
  ui::Label& AddNameLabel(ui::Container& parent);
  ui::Label& AddStatusLabel(ui::Container& parent);
  void AddDetailsAndProgress(int top, int spacerHeight);

 private:
  std::unique_ptr<TWindows10Immunization> Immunizer;
};

// What the main window makes a frame with: the frame kind's constructor.
using TFrameImmunizerFactory = std::unique_ptr<TCustomFrameImmunizer> (*)(TWindows10ImmunizationClass);

// A frame of the standard page: a check box picks it for the main window's runs.
class TFrameImmunizer : public TCustomFrameImmunizer {
 public:
  explicit TFrameImmunizer(TWindows10ImmunizationClass aImmunizerClass);
  static std::unique_ptr<TCustomFrameImmunizer> Make(TWindows10ImmunizationClass aImmunizerClass);

  std::string GetStatusText() override;
  void UpdateState(std::int32_t& Immunized, std::int32_t& Count) override;
  // Nothing unless the check box is ticked.
  void Immunize() override;
  void Remove() override;

  void SetSelected(bool Value);
  bool Selected() const { return selected_; }
  // The check box, and the details when there are any.
  void SetShowOptions(bool Show);
  void cbChange();

  ui::CheckBox* cb = nullptr;

 private:
  bool selected_ = true;
};
