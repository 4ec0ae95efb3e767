// What the window tests under Wine share: the window behind a control, a window's text, a
// short message pump, and the hand-over with the screenshot script of the test.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>

#include "app/ui/Toolkit.h"

namespace wineui {

inline HWND Hwnd(const ui::Control& control) { return reinterpret_cast<HWND>(control.Handle()); }

inline std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

inline void Pump(int rounds = 3) {
  for (int i = 0; i < rounds; ++i) {
    ui::Application::Instance().ProcessMessages();
    Sleep(5);
  }
}

// Tells the script that the window is painted ("<ready>-<name>"), then waits up to 15 s for
// its picture ("<done>-<name>"), the window kept alive meanwhile; true when it was taken.
inline bool AwaitScreenshot(const std::string& readyFile, const std::string& doneFile, const std::string& name) {
  std::ofstream(readyFile + "-" + name) << "ready\n";
  const std::string done = doneFile + "-" + name;
  for (int i = 0; i < 300; ++i) {
    if (std::ifstream(done).good()) return true;
    Pump();
    Sleep(50);
  }
  return false;
}

}  // namespace wineui
