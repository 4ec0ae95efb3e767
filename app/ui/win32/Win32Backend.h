#pragma once
// The toolkit's Win32 backend: real windows and common controls (version 6) for the tree of
// controls, laid out at each window's DPI, with the keyboard handling of dialogs.

#include <windows.h>

#include <map>
#include <memory>
#include <unordered_map>

#include "app/ui/Toolkit.h"
#include "app/ui/win32/Win32Dpi.h"

namespace ui::win32 {

class NativeControl;
class FormWindow;

// What a wrapper answers to a message: handled or not, and the result (0 is a real answer to
// many notifications, so "handled" is separate).
struct Answer {
  bool handled = false;
  LRESULT result = 0;
};

// Calls fn; an exception goes to the application's handler and fallback is returned. Every
// entry from Windows (window, subclass and callback procedures) goes through this: 32-bit
// MinGW cannot unwind through user32's frames.
template <class Fn>
LRESULT Trampoline(LRESULT fallback, Fn&& fn) noexcept {
  try {
    return fn();
  } catch (const std::exception& error) {
    try {
      Application::Instance().HandleException(error);
    } catch (...) {
    }
  } catch (...) {
    try {
      Application::Instance().HandleUnknownException();
    } catch (...) {
    }
  }
  return fallback;
}

class Win32Backend : public Backend {
 public:
  Win32Backend();
  ~Win32Backend() override;

  // Backend
  ITextMeasurer& TextMeasurer() override { return measurer_; }
  void ControlAdded(Control& control) override;
  void ControlRemoving(Control& control) override;
  void ControlChanged(Control& control, Property what) override;
  void LayoutChanged(Container& container) override;
  WindowHandle HandleOf(const Control& control) override;
  void RepaintNow(Control& control) override;
  void SetFocus(Control& control) override;
  bool Focused(const Control& control) override;
  void ShowForm(Form& form) override;
  void HideForm(Form& form) override;
  void RunModal(Form& form) override;
  void DestroyForm(Form& form) override;
  std::intptr_t DefaultWindowProc(Form& form, const Message& message) override;
  int FormDpi(const Form& form) override;
  void InitializeApplication(Application& application) override;
  WindowHandle ApplicationHandle() override { return reinterpret_cast<WindowHandle>(appWindow_); }
  void RunMessageLoop(Application& application) override;
  void ProcessMessages() override;
  void Terminate() override;
  Rect WorkArea() override;
  ModalResult ShowMessageBox(const std::string& title, const std::string& text, DialogType type,
                             DialogButtons buttons, Form* owner) override;
  void ShowPopupMenu(PopupMenu& menu, Point screenPoint, Form* owner) override;
  Size NonClientSize(const Form& form) override;
  void ApplicationChanged(Application& application) override;
  void ControlDestroyed(const Control& control) override;
  bool InsertSystemMenuItem(Form& form, int position, std::uint32_t id, const std::string& caption) override;

  // For the wrappers.
  HINSTANCE Instance() const { return instance_; }
  NativeControl* WrapperOf(const Control& control) const;
  static NativeControl* WrapperOfWindow(HWND window);
  FormWindow* FormWindowOf(const Control& control) const;
  int DpiOf(const Control& control) const;
  HFONT FontFor(const Control& control);
  // The colour a control's background shows (its own, else its parent's, else the face).
  COLORREF BackgroundOf(const Control& control) const;
  HBRUSH BrushFor(COLORREF color);
  // WM_COMMAND, WM_NOTIFY and WM_CTLCOLOR* of any of our windows, handed to the child's
  // wrapper.
  Answer Reflect(UINT msg, WPARAM wParam, LPARAM lParam);
  // Shows a popup menu at a point in physical screen pixels and runs the chosen item.
  void TrackPopup(PopupMenu& menu, POINT screen, HWND owner);
  // Lays out the form's windows at the form's DPI now.
  void LayoutForm(Form& form);
  // The form's fonts are set again (DPI or the system's fonts changed).
  void RefontForm(Form& form);
  void UpdateTooltip(NativeControl& wrapper);
  // Moves the form's window where the core placed it.
  void PlaceForm(Form& form);
  // A scroll box moved: its children follow.
  void ScrollChildren(ScrollBox& box);
  // Hands a message of the form's window to the form's WndProc; its result.
  LRESULT CallForm(Form& form, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  friend class FormWindow;
  FormWindow& EnsureFormWindow(Form& form);
  void CreateChildren(Container& container);
  void CreateWindowFor(Control& control);
  void DropWrappers(Control& control);
  void ApplyZOrder(Container& container);
  HWND OwnerFor(Form& form) const;
  WindowHandle HandleOfExisting(const Control& control) const;
  void PositionForm(Form& form, FormWindow& window);
  // One message of a loop: the dialog keys of the form it is for, else the usual dispatch.
  void Dispatch(MSG& msg);

  HINSTANCE instance_ = nullptr;
  FontCache fonts_;
  GdiTextMeasurer measurer_{fonts_};
  HWND appWindow_ = nullptr;
  std::unordered_map<const Control*, std::unique_ptr<NativeControl>> wrappers_;
  std::map<COLORREF, HBRUSH> brushes_;
  int nextId_ = 100;
  int layoutDepth_ = 0;
  bool layoutAgain_ = false;
  bool quit_ = false;
};

// Installs the Win32 backend (and per-monitor DPI awareness) for the process.
void InstallWin32Backend();

}  // namespace ui::win32
