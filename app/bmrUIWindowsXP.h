#pragma once
// The first base form: every form of the program gets a taskbar button of its own (the
// application window's is hidden), a hook that runs once after the form is first shown, and
// the system commands of its system menu (the about item, minimize, restore).
// The about item runs a command that the about dialog's unit sets at start-up: the bases
// know nothing of the dialog, which is itself one of their forms.

#include <cstdint>
#include <string>

#include "app/ui/Toolkit.h"

// The command of the about item that the about dialog puts into the main window's system menu.
inline constexpr std::uint32_t kAboutSystemMenuCommand = 5681;

// What the about item runs (shows the about dialog modally); null: the item only takes the
// default path.
using TAboutCommand = void (*)();
void SetAboutCommand(TAboutCommand command);
TAboutCommand AboutCommand();

inline constexpr std::uint32_t SC_MINIMIZE_ = 0xF020;
inline constexpr std::uint32_t SC_RESTORE_ = 0xF120;

class TWindowsXPForm : public ui::Form {
 public:
  explicit TWindowsXPForm(std::string name = {});

  bool FirstShowPending() const { return FFirstShowPending; }

 protected:
  // The toolkit's handling (WM_SYSCOMMAND through WMSysCommand), then, for WM_PAINT and
  // WM_ACTIVATE, the first-show check.
  void WndProc(ui::Message& message) override;
  // The window has a taskbar button of its own: WS_EX_APPWINDOW, never WS_EX_TOOLWINDOW.
  void FillCreateParams(ui::CreateParams& params) override;
  void Paint() override;
  // Runs once, after the form was first shown; overrides call this first.
  virtual void AfterFirstShow();
  // Runs AfterFirstShow when it is pending and the form is flagged visible (or force); what
  // it raises is logged (level 5) and goes no further.
  void CheckFirstShow(bool force);
  void WMSysCommand(ui::Message& message);

 private:
  bool FFirstShowPending = true;
};

// Hides the toolkit's application window and makes it a tool window, so that it never shows
// a taskbar button beside the forms' own.
void HideApplicationTaskbarButton();

// The unit's start-up and shut-down traces.
void InitializeBmrUIWindowsXP();
void FinalizeBmrUIWindowsXP();
