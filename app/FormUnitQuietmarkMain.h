#pragma once
// The program's main window. For now only the frame the rest builds on: the caption from the
// version block and the about item in the system menu.

#include <string>
#include <vector>

#include "app/bmrUIWindows7.h"

class TFormTolvexQuietmark : public TWindows7Form {
 public:
  TFormTolvexQuietmark();
  ~TFormTolvexQuietmark() override;

  void FormCreate();
  void FormDestroy();
  void FormShow();

  // The key=value lines of the program's version block.
  std::vector<std::string> VersionInfo;
};

// The window, set when the program body creates it.
extern TFormTolvexQuietmark* FormTolvexQuietmark;

// The unit's start-up: the update product number of the about dialog.
void InitializeFormUnitQuietmarkMain();
