#include "app/bmrConsoleHelpUIWinAPI.h"

#include <algorithm>
#include <memory>

#include "platform/os/System.h"

std::vector<TCommandLineParametersHelpWindow*>* HelpWindows = nullptr;

namespace {

constexpr std::uint32_t kWmCommand = 0x0111;
constexpr std::uint32_t kWmCtlColorStatic = 0x0138;
constexpr std::uint16_t kBnClicked = 0;
constexpr std::uint16_t kCloseButtonId = 1001;

struct ModuleState {
  bool registered = false;
  std::uintptr_t textFont = 0;
  std::uintptr_t fixedFont = 0;
  std::unique_ptr<std::vector<TCommandLineParametersHelpWindow*>> windows;
  THaltHandler halt = nullptr;
};

ModuleState& State() {
  static ModuleState state;
  return state;
}

}  // namespace

TCommandLineParametersHelpWindow::~TCommandLineParametersHelpWindow() {
  if (HelpWindows == nullptr) return;
  const auto it = std::find(HelpWindows->begin(), HelpWindows->end(), this);
  if (it != HelpWindows->end()) HelpWindows->erase(it);
}

bool HelpWindowClassRegistered() { return State().registered; }
std::uintptr_t HelpWindowTextFont() { return State().textFont; }
std::uintptr_t HelpWindowFixedFont() { return State().fixedFont; }

os::HelpMessageAnswer HelpWndProc(std::uint32_t Message, std::uintptr_t WParam) {
  if (Message == kWmCommand && (WParam & 0xFFFF) == kCloseButtonId && ((WParam >> 16) & 0xFFFF) == kBnClicked) {
    return os::HelpMessageAnswer::Halt;
  }
  if (Message == kWmCtlColorStatic) return os::HelpMessageAnswer::TransparentText;
  return os::HelpMessageAnswer::Default;
}

void SetHelpWindowHaltHandler(THaltHandler handler) { State().halt = handler; }

void HaltFromHelpWindow() {
  if (State().halt != nullptr) State().halt(0);
}

void InitializeBmrConsoleHelpUIWinAPI() {
  ModuleState& state = State();
  os::IHelpWindowApi& api = os::HelpWindowApi();
  os::WindowClassRecord record;
  record.handler = HelpWndProc;
  record.halt = HaltFromHelpWindow;
  record.instance = api.ProgramModule();
  record.icon = api.LoadSystemIcon(os::kIdiApplication);
  record.cursor = api.LoadSystemCursor(os::kIdcArrow);
  record.background = os::kColorHighlightText + 1;
  record.className = kCommandLineHelpClassName;
  state.textFont = api.CreateFontWithFace("MS Sans Serif", os::kDefaultCharset);
  state.fixedFont = api.CreateFontWithFace("Courier", os::kDefaultCharset);
  state.registered = api.RegisterHelpClass(record) != 0;
  if (!state.registered) os::System().DebugOutput(os::System().SystemMessageText(api.LastError()));
  state.windows = std::make_unique<std::vector<TCommandLineParametersHelpWindow*>>();
  HelpWindows = state.windows.get();
}

void FinalizeBmrConsoleHelpUIWinAPI() {
  HelpWindows = nullptr;
  State().windows.reset();
}
