#include "app/bmrUIWindowsXP.h"

#include <exception>

#include "platform/bmrDebug.h"
#include "platform/os/Windowing.h"

namespace {

constexpr std::uint32_t kWsExToolWindow = 0x00000080;
constexpr std::uint32_t kWsExAppWindow = 0x00040000;
constexpr std::uint32_t kSysCommandMask = 0xFFF0;

TAboutCommand g_aboutCommand = nullptr;

}  // namespace

void SetAboutCommand(TAboutCommand command) { g_aboutCommand = command; }

TAboutCommand AboutCommand() { return g_aboutCommand; }

void HideApplicationTaskbarButton() {
  const os::WindowHandle application = ui::Application::Instance().Handle();
  // No application window yet: there is no button to hide.
  if (application == 0) return;
  os::IWindowing& windows = os::Windowing();
  windows.ShowWindowCmd(application, os::kSwHide);
  const auto exStyle = static_cast<std::uint32_t>(windows.WindowLong(application, os::kGwlExStyle));
  windows.SetWindowLongValue(application, os::kGwlExStyle,
                             static_cast<std::int32_t>((exStyle & ~kWsExAppWindow) | kWsExToolWindow));
}

TWindowsXPForm::TWindowsXPForm(std::string name) : ui::Form(std::move(name)) { FFirstShowPending = true; }

void TWindowsXPForm::WndProc(ui::Message& message) {
  if (message.msg == ui::WM_SYSCOMMAND_) {
    WMSysCommand(message);
  } else {
    ui::Form::WndProc(message);
  }
  if (message.msg == ui::WM_PAINT_ || message.msg == ui::WM_ACTIVATE_) CheckFirstShow(false);
}

void TWindowsXPForm::FillCreateParams(ui::CreateParams& params) {
  ui::Form::FillCreateParams(params);
  params.exStyle = (params.exStyle & ~kWsExToolWindow) | kWsExAppWindow;
}

void TWindowsXPForm::Paint() {
  ui::Form::Paint();
  CheckFirstShow(false);
}

void TWindowsXPForm::AfterFirstShow() {
  FFirstShowPending = false;
  HideApplicationTaskbarButton();
}

void TWindowsXPForm::CheckFirstShow(bool force) {
  if (!FFirstShowPending || !(Visible() || force)) return;
  // Cleared before the hook runs, so a failing hook never runs again.
  FFirstShowPending = false;
  try {
    AfterFirstShow();
  } catch (const std::exception& error) {
    DebugLogger()->LogException(error, "TSimpleTolvexForm.WndProc", 5);
  } catch (...) {
    DebugLogger()->LogException(std::runtime_error("Unknown exception."), "TSimpleTolvexForm.WndProc", 5);
  }
}

void TWindowsXPForm::WMSysCommand(ui::Message& message) {
  if (message.wParam == kAboutSystemMenuCommand) {
    // What the dialog raises is not caught here.
    if (g_aboutCommand) g_aboutCommand();
    message.result = 0;
  }
  const os::WindowHandle application = ui::Application::Instance().Handle();
  switch (message.wParam & kSysCommandMask) {
    case SC_MINIMIZE_:
      // The form's own window goes to the taskbar; the application window stays hidden.
      os::Windowing().ShowWindowCmd(application, os::kSwHide);
      os::Windowing().ShowWindowCmd(Handle(), os::kSwMinimize);
      message.result = 0;
      break;
    case SC_RESTORE_:
      os::Windowing().ShowWindowCmd(application, os::kSwHide);
      os::Windowing().ShowWindowCmd(Handle(), os::kSwRestore);
      message.result = 0;
      break;
    default:
      DefaultHandler(message);
      break;
  }
}

void InitializeBmrUIWindowsXP() {
  DebugLogger()->LogUnitInitBegin("bmrUIWindowsXP");
  DebugLogger()->LogUnitInitEnd("bmrUIWindowsXP");
}

void FinalizeBmrUIWindowsXP() {}
