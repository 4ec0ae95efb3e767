#pragma once
// One small wrapper class per control kind. A wrapper makes its control's window, applies the
// control's properties to it and answers the notifications reflected to it. Its pointer lives
// on its window (GWLP_USERDATA of our own classes, the subclass data of common controls) and
// is cut on WM_NCDESTROY; messages that come before it is set go to the default procedure.

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/ui/Toolkit.h"
#include "app/ui/win32/Win32Backend.h"

namespace ui::win32 {

// Our own window classes.
inline constexpr wchar_t kFormClass[] = L"TvqmForm";
inline constexpr wchar_t kContainerClass[] = L"TvqmContainer";
inline constexpr wchar_t kShapeClass[] = L"TvqmShape";
inline constexpr wchar_t kApplicationClass[] = L"TvqmApplication";
// Window properties: the wrapper of a subclassed common control, the page control of a tab
// strip.
inline constexpr wchar_t kWrapperProperty[] = L"TvqmWrapper";
inline constexpr wchar_t kTabOwnerProperty[] = L"TvqmPageControl";

void RegisterWindowClasses(HINSTANCE instance);

class NativeControl {
 public:
  NativeControl(Win32Backend& backend, Control& control) : backend_(backend), control_(control) {}
  virtual ~NativeControl();
  NativeControl(const NativeControl&) = delete;
  NativeControl& operator=(const NativeControl&) = delete;

  Control& GetControl() const { return control_; }
  HWND Window() const { return hwnd_; }
  // Makes the window as a child of parent (forms: parent is the owner).
  virtual void Create(HWND parent, int id) = 0;
  // Applies a property that changed.
  virtual void Update(Property what);
  // Applies what depends on the DPI: the font (Windows does not re-font windows made with
  // CreateWindowEx), margins, icons, column widths.
  virtual void ApplyDpi();
  // Where the windows of this control's children go.
  virtual HWND ChildParent() const { return hwnd_; }
  // Whether the window shows now (a page only when active).
  virtual bool ShouldShow() const { return control_.Visible(); }
  virtual Answer OnCommand(WORD code);
  virtual Answer OnNotify(NMHDR& header);
  virtual Answer OnCtlColor(HDC dc);
  // Messages of the control's own window (own classes and subclassed common controls).
  virtual Answer OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // The wrapper's own window is going.
  void Detach() { hwnd_ = nullptr; }
  int Dpi() const { return backend_.DpiOf(control_); }

  static LRESULT CALLBACK OwnWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
  static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data) noexcept;

 protected:
  // Creates the window; subclass: a common control, whose wrapper goes into the subclass data.
  void MakeWindow(HWND parent, int id, const wchar_t* windowClass, DWORD style, DWORD exStyle, bool subclass,
                  const std::wstring& text = {});
  void SetStyleBit(DWORD bit, bool on, bool extended = false);
  std::wstring CaptionText() const { return Widen(control_.Caption()); }
  DWORD CommonStyle() const;
  Answer ColorAnswer(HDC dc, bool controlColor);

  Win32Backend& backend_;
  Control& control_;
  HWND hwnd_ = nullptr;
};

// Panels, frames, tab sheets and scroll boxes: our own container class.
class ContainerWindow : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  Answer OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  virtual DWORD ExtraStyle() const { return 0; }
  virtual DWORD ExtraExStyle() const;
};

class TabSheetWindow : public ContainerWindow {
 public:
  using ContainerWindow::ContainerWindow;
  bool ShouldShow() const override;
};

class ScrollBoxWindow : public ContainerWindow {
 public:
  using ContainerWindow::ContainerWindow;
  // Sets the bar from the layout (physical pixels).
  void SetScrollInfo(int range, int page, bool bar);
  int PositionPixels() const { return position_; }
  Answer OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Update(Property what) override;

 protected:
  DWORD ExtraStyle() const override { return WS_VSCROLL; }

 private:
  void ScrollTo(int pixels);
  int range_ = 0;
  int page_ = 0;
  int position_ = 0;
  int wheelRemainder_ = 0;
};

// A page control: our container holding a SysTabControl32 as its first child (so Tab
// reaches the tab strip before the active page) and the pages above it, inside its display
// area. The tab strip holds only the pages whose tab is visible.
class PageControlWindow : public ContainerWindow {
 public:
  using ContainerWindow::ContainerWindow;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  Answer OnNotify(NMHDR& header) override;
  Answer OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void ApplyDpi() override;
  HWND TabWindow() const { return tab_; }
  // The colour of the pane the pages lie on (the theme's, else the face colour).
  COLORREF PaneColor();
  ~PageControlWindow() override;
  // Fills the tab strip again: the pages whose tab is visible, in page order.
  void RebuildTabs();
  // Chooses the next (or previous) visible tab, as the user would (Ctrl+Tab).
  void CycleTab(bool backwards);
  // The page control whose tab strip this is, or null.
  static PageControlWindow* OfTab(HWND window);

 private:
  static LRESULT CALLBACK TabProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data) noexcept;
  void SelectCurrent();
  void Arrange(int width, int height);
  void PaintPane(HDC dc);
  HANDLE Theme();
  HWND tab_ = nullptr;
  HANDLE theme_ = nullptr;  // HTHEME
  bool themeOpened_ = false;
  int paneTop_ = 0;
  COLORREF paneColor_ = CLR_INVALID;
};

class ButtonWindow : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  Answer OnCommand(WORD code) override;
  Answer OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class CheckBoxWindow : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  Answer OnCommand(WORD code) override;
  Answer OnCtlColor(HDC dc) override;
};

class LabelWindow : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  Answer OnCtlColor(HDC dc) override;

 private:
  DWORD LabelStyle() const;
};

class ImageWindow : public NativeControl {
 public:
  using NativeControl::NativeControl;
  ~ImageWindow() override;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  void ApplyDpi() override;
  Answer OnCtlColor(HDC dc) override;
  Answer OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Loads the icon at the control's size at its DPI.
  void LoadIcon();

 private:
  HICON icon_ = nullptr;
  SIZE iconSize_{};
};

class ShapeWindow : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  Answer OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc);
};

class MemoWindow : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  void ApplyDpi() override;
  Answer OnCtlColor(HDC dc) override;
  Answer OnCommand(WORD code) override;
  Answer OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  DWORD MemoStyle() const;
  void Recreate();
  bool typing_ = false;
};

class RichViewWindow : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  void ApplyDpi() override;
  Answer OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void StreamIn();
};

class ProgressBarWindow : public NativeControl {
 public:
  using NativeControl::NativeControl;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  // The bar's 32-bit range and position for a 64-bit range: the span is divided down until
  // it fits an int.
  static void MapRange(std::int64_t min, std::int64_t max, std::int64_t position, int& range, int& pos);

 private:
  void ApplyRange();
};

class TreeListWindow : public NativeControl {
 public:
  using NativeControl::NativeControl;
  ~TreeListWindow() override;
  void Create(HWND parent, int id) override;
  void Update(Property what) override;
  void ApplyDpi() override;
  Answer OnNotify(NMHDR& header) override;

 private:
  void Populate();
  void SelectRow(const TreeList::Node* node);
  void ApplyColumns();
  void ApplyImages();
  std::vector<TreeList::Node*> rows_;
  HIMAGELIST images_ = nullptr;
  bool filling_ = false;
};

// The form's window: every message goes through the form's WndProc (Form::Perform), whose
// default ends in the backend's DefaultWindowProc.
class FormWindow : public NativeControl {
 public:
  FormWindow(Win32Backend& backend, Form& form) : NativeControl(backend, form), form_(form) {}
  ~FormWindow() override;
  void Create(HWND owner, int id) override;
  void Update(Property what) override;
  Form& GetForm() const { return form_; }
  int FormDpi() const { return dpi_; }
  void SetDpi(int dpi) { dpi_ = dpi; }
  HWND Tooltip();
  // Applies the form's client size at its DPI to the window.
  void ApplyClientSize();
  // The toolkit's own handling of a form message after the form's WndProc.
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  bool InSizeMessage() const { return inSize_; }
  void SetIcons();

  static LRESULT CALLBACK FormProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

 private:
  void Activate(bool active);
  void ClickDefault(bool cancel);
  void OnSize();
  Form& form_;
  int dpi_ = 96;
  HWND tooltip_ = nullptr;
  HWND lastFocus_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool inSize_ = false;
  // While CreateWindowEx runs: the size it reports then (a popup made with CW_USEDEFAULT is
  // 0 x 0) is not the form's.
  bool creating_ = false;
};

// Makes the wrapper for a control of any kind.
std::unique_ptr<NativeControl> MakeWrapper(Win32Backend& backend, Control& control);

}  // namespace ui::win32
