#pragma once
// A plain Win32 window class in which the command-line help could be shown, "CommandLineHelp",
// registered at start-up with two fonts. The program creates no window of it: the help text
// is on the about dialog's Parameters tab.

#include <cstdint>
#include <vector>

#include "platform/os/HelpWindow.h"

inline constexpr const char* kCommandLineHelpClassName = "CommandLineHelp";

// One help window; its destructor takes it off HelpWindows.
class TCommandLineParametersHelpWindow {
 public:
  virtual ~TCommandLineParametersHelpWindow();
};

// The help windows; the list does not own them.
extern std::vector<TCommandLineParametersHelpWindow*>* HelpWindows;

// Whether the class was registered, and the two fonts (text, fixed-width).
bool HelpWindowClassRegistered();
std::uintptr_t HelpWindowTextFont();
std::uintptr_t HelpWindowFixedFont();

// The class's window procedure: the click of control 1001 halts the program (exit code 0),
// WM_CTLCOLORSTATIC makes the text background transparent, the rest goes to DefWindowProcA.
os::HelpMessageAnswer HelpWndProc(std::uint32_t Message, std::uintptr_t WParam);

// Ends the program with an exit code after the modules' shut-down; the program body installs
// it. Without one, a halt does nothing.
using THaltHandler = void (*)(int exitCode);
void SetHelpWindowHaltHandler(THaltHandler handler);
// Runs the installed halt handler (the window procedure's Halt answer).
void HaltFromHelpWindow();

void InitializeBmrConsoleHelpUIWinAPI();
void FinalizeBmrConsoleHelpUIWinAPI();
