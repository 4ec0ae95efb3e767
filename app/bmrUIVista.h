#pragma once
// The second base form: desktop composition (glass, which no form of the program wants) and
// the repaint of buttons when Windows switches the keyboard cues on or off.

#include "app/bmrUIWindowsXP.h"

class TVistaForm : public TWindowsXPForm {
 public:
  explicit TVistaForm(std::string name = {});

  // Whether the form wants its frame extended over the client area; false for every form.
  virtual bool WantsGlass() { return false; }

 protected:
  void WndProc(ui::Message& message) override;
  void UpdateGlass();
};

// GetVersionExW: a major version of 6 or more.
bool IsWindowsVistaOrLater();
// DwmIsCompositionEnabled from "dwmapi.dll", loaded for the question; false before Vista,
// without the library or its function.
bool IsCompositionEnabled();
// DwmExtendFrameIntoClientArea with the rectangle's edges as margins, when composition is on.
void ExtendFrameIntoClientArea(ui::WindowHandle window, const ui::Rect& margins);
// Repaints the buttons and check boxes under control, skipping pages that are not active.
void RepaintUIStateControls(ui::Control& control);
