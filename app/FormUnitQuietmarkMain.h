#pragma once
// The program's window when it runs without /silent: the standard and optional immunizers as
// frames on two pages, the overall protection state, the log, the questions and answers.

#include <cstdint>
#include <string>
#include <vector>

#include "app/FrameUnitQuietmarkOptionalImmunizer.h"
#include "app/FrameUnitQuietmarkStandardImmunizer.h"
#include "app/bmrUIWindows7.h"
#include "app/ui/Toolkit.h"
#include "engine/tvqmVorletsList.h"
#include "platform/bmrDebug.h"
#include "platform/rtlResStrings.h"

extern const rtl::ResourceString rsprotectionstatefull;
extern const rtl::ResourceString rsprotectionstatenone;
extern const rtl::ResourceString rsprotectionstatepartial;
extern const rtl::ResourceString rsimmunizernotsupported;

// The name and copyright line of the icon set the window's pictures come from.
extern const char* const kIconSetCreditName;
extern const char* const kIconSetCreditCopyright;

class TFormTolvexQuietmark : public TWindows7Form {
 public:
  TFormTolvexQuietmark();
  ~TFormTolvexQuietmark() override;

  // A node of the test tree.
  struct TNodeData {
    std::string Caption;
    TWindows10Immunization* Immunizer = nullptr;
    TCustomFrameImmunizer* Frame = nullptr;
  };

  void FormCreate();
  void FormDestroy();
  void FormShow();
  // The first-show work: the command-line run, the height, the first state, the captions.
  void AfterFirstShow() override;
  // The two tasks: the program with /apply and with /undo.
  void FillJumpList(os::ICustomDestinationList& List) override;

  void aShowOptionsExecute() { SetShowOptions(true); }
  void aHideOptionsExecute() { SetShowOptions(false); }
  void aImmunizeExecute() { ImmunizeSelected(); }
  void aUndoExecute() { UndoSelected(); }
  void aSelectAllExecute() { SelectAll(); }
  void aDeselectAllExecute() { DeselectAll(); }
  void aOptionalShowDetailsExecute() { SetShowOptionalDetails(true); }
  void aOptionalHideDetailsExecute() { SetShowOptionalDetails(false); }
  void aAboutExecute();
  void aCloseExecute() { Close(); }

  void ImmunizeSelected();
  void UndoSelected();
  void SetShowOptions(bool Show);
  void SetShowOptionalDetails(bool Show);
  void SelectAll();
  void DeselectAll();
  void ImmunizerLog(TWindows10Immunization& Sender, TImmunizationLogLevel Level, const std::string& Msg);
  static void DebugLogToMemo(TDebugEntryKind Kind, TDebugType Scope, const TDebugSender* Sender,
                             const std::string& Msg, const TDebugArguments& Args);
  void UpdateProtectionState();

  std::string vstImmunizersGetText(const ui::TreeList::Node& node, int column) const;
  int vstImmunizersGetImageIndex(const ui::TreeList::Node& node, int column) const;

  // The frames of a page in control order (the reverse of the list order).
  template <class F>
  std::vector<F*> FramesOf(ui::ScrollBox& box) const {
    std::vector<F*> frames;
    for (int i = 0; i < box.ControlCount(); ++i) {
      if (auto* frame = dynamic_cast<F*>(&box.GetControl(i))) frames.push_back(frame);
    }
    return frames;
  }

  // The key=value lines of the program's version block.
  std::vector<std::string> VersionInfo;

  // Controls (names as in the layout).
  ui::PageControl* pcStillwater = nullptr;
  ui::TabSheet* tabProtection = nullptr;
  ui::Panel* panelStatus = nullptr;
  ui::Image* imgComputer = nullptr;
  ui::Image* imgNetwork = nullptr;
  ui::Shape* shapeTotalStatus = nullptr;
  ui::Label* labelTotalProtection = nullptr;
  ui::ScrollBox* sb = nullptr;
  ui::Panel* panelButtonsProtection = nullptr;
  ui::Button* bnOptions = nullptr;
  ui::Button* bnImmunize = nullptr;
  ui::Button* bnUndo = nullptr;
  ui::TabSheet* tabOptional = nullptr;
  ui::ScrollBox* sbOptional = nullptr;
  ui::Panel* panelButtons2 = nullptr;
  ui::Button* bnOptionalDetails = nullptr;
  ui::TabSheet* tabLog = nullptr;
  ui::Memo* memoLog = nullptr;
  ui::TabSheet* tabFAQ = nullptr;
  ui::RichView* memoFAQ = nullptr;
  ui::TabSheet* tabTest = nullptr;
  ui::TreeList* vstImmunizers = nullptr;
  ui::Panel* panelButtons = nullptr;
  ui::Button* bnAbout = nullptr;
  ui::Button* bnClose = nullptr;

  ui::Action* aShowOptions = nullptr;
  ui::Action* aHideOptions = nullptr;
  ui::Action* aImmunize = nullptr;
  ui::Action* aUndo = nullptr;
  ui::Action* aSelectAll = nullptr;
  ui::Action* aDeselectAll = nullptr;
  ui::Action* aOptionalShowDetails = nullptr;
  ui::Action* aOptionalHideDetails = nullptr;
  ui::Action* aAbout = nullptr;
  ui::Action* aClose = nullptr;
  ui::PopupMenu* popupOptions = nullptr;

  // The images of the test tree: 0 a group, 1 an immunizer.
  std::vector<std::string> ilTree;

 private:
  void BuildLayout();
  void CreateImmunizerFrames();
  void AddImmunizerFrames(const TAWindows10ImmunizationClass& list, ui::ScrollBox& box, ui::TreeList::Node& root,
                          TFrameImmunizerFactory makeFrame);
  // Sums the frames' counts on one page.
  void UpdatePageState(ui::ScrollBox& box, std::int32_t& Applied, std::int32_t& Total);
  void RunCommandLineSwitch();
  // One run over the ticked standard frames; a switch name puts its line at the log's top.
  void RunSelected(void (TCustomFrameImmunizer::*operation)(), const std::string& switchName);
  void AdjustHeight();
  void LoadCaptions();

  std::vector<std::unique_ptr<TNodeData>> nodeData_;
};

// The window while it exists (set by its constructor, cleared by its destructor).
extern TFormTolvexQuietmark* FormTolvexQuietmark;

// Start-up of the window's unit.
void InitializeFormUnitQuietmarkMain();
