#include "app/ui/win32/Win32Controls.h"

#include <richedit.h>
#include <uxtheme.h>
#include <vsstyle.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace ui::win32 {
namespace {

COLORREF Resolve(Color color, int fallbackIndex) {
  switch (color.kind()) {
    case Color::Kind::Rgb:
      return static_cast<COLORREF>(color.value());
    case Color::Kind::System:
      return GetSysColor(static_cast<int>(color.value()));
    case Color::Kind::Default:
      break;
  }
  return GetSysColor(fallbackIndex);
}

BorderStyle BorderOf(const Control& control) {
  if (auto* panel = dynamic_cast<const Panel*>(&control)) return panel->GetBorderStyle();
  if (auto* box = dynamic_cast<const ScrollBox*>(&control)) return box->GetBorderStyle();
  if (auto* memo = dynamic_cast<const Memo*>(&control)) return memo->GetBorderStyle();
  if (auto* rich = dynamic_cast<const RichView*>(&control)) return rich->GetBorderStyle();
  if (auto* tree = dynamic_cast<const TreeList*>(&control)) return tree->GetBorderStyle();
  return BorderStyle::None;
}

DWORD ScrollBarStyle(ScrollBars bars) {
  switch (bars) {
    case ScrollBars::Horizontal:
    case ScrollBars::AutoHorizontal:
      return WS_HSCROLL;
    case ScrollBars::Vertical:
    case ScrollBars::AutoVertical:
      return WS_VSCROLL;
    case ScrollBars::Both:
    case ScrollBars::AutoBoth:
      return WS_HSCROLL | WS_VSCROLL;
    case ScrollBars::None:
      break;
  }
  return 0;
}

// A multi-line edit wants Tab, Enter and Esc for itself; a read-only one gives them to the
// dialog keys (Tab order, default and cancel buttons), an editable one keeps only Enter.
Answer DialogCodeWithoutDialogKeys(HWND window, WPARAM wParam, LPARAM lParam, bool keepEnter) {
  LRESULT code = DefSubclassProc(window, WM_GETDLGCODE, wParam, lParam);
  const MSG* msg = reinterpret_cast<const MSG*>(lParam);
  const bool enter = msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
  if (!(keepEnter && enter)) code &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
  if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) code &= ~DLGC_WANTMESSAGE;
  return {true, code};
}

}  // namespace

void RegisterWindowClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW

  wc.lpszClassName = kFormClass;
  wc.lpfnWndProc = &FormWindow::FormProc;
  wc.style = CS_DBLCLKS;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassExW(&wc);

  wc.lpszClassName = kContainerClass;
  wc.lpfnWndProc = &NativeControl::OwnWindowProc;
  wc.hbrBackground = nullptr;  // painted with the container's colour
  RegisterClassExW(&wc);

  wc.lpszClassName = kShapeClass;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  RegisterClassExW(&wc);
}

// ---------------------------------------------------------------------------------------------
// NativeControl

NativeControl::~NativeControl() {
  if (!hwnd_) return;
  // The window outlives its wrapper (the backend goes first): cut the link.
  if (GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&OwnWindowProc) ||
      GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&FormWindow::FormProc))
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  else {
    RemoveWindowSubclass(hwnd_, &SubclassProc, 0);
    RemovePropW(hwnd_, kWrapperProperty);
  }
}

DWORD NativeControl::CommonStyle() const {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (!control_.Enabled()) style |= WS_DISABLED;
  // Every tab stop starts a group of its own: arrow keys do not wander between controls.
  if (control_.TabStop()) style |= WS_TABSTOP | WS_GROUP;
  return style;
}

void NativeControl::MakeWindow(HWND parent, int id, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                               bool subclass, const std::wstring& text) {
  HWND made = CreateWindowExW(exStyle, windowClass, text.c_str(), style, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), backend_.Instance(),
                              subclass ? nullptr : this);
  if (!made) return;
  hwnd_ = made;
  if (subclass) {
    SetWindowSubclass(made, &SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    // Also on a property: the reflection finds it there (GetWindowSubclass is not in every
    // import library).
    SetPropW(made, kWrapperProperty, this);
  }
}

void NativeControl::SetStyleBit(DWORD bit, bool on, bool extended) {
  if (!hwnd_) return;
  const int index = extended ? GWL_EXSTYLE : GWL_STYLE;
  const LONG_PTR old = GetWindowLongPtrW(hwnd_, index);
  const LONG_PTR now = on ? (old | static_cast<LONG_PTR>(bit)) : (old & ~static_cast<LONG_PTR>(bit));
  if (now == old) return;
  SetWindowLongPtrW(hwnd_, index, now);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void NativeControl::Update(Property what) {
  if (!hwnd_) return;
  switch (what) {
    case Property::Caption:
      SetWindowTextW(hwnd_, CaptionText().c_str());
      break;
    case Property::Enabled:
      EnableWindow(hwnd_, control_.Enabled());
      break;
    case Property::Visible:
      ShowWindow(hwnd_, ShouldShow() ? SW_SHOWNA : SW_HIDE);
      break;
    case Property::TabStop:
      SetStyleBit(WS_TABSTOP | WS_GROUP, control_.TabStop());
      break;
    case Property::Font:
      ApplyDpi();
      break;
    case Property::Color:
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case Property::BorderStyle:
      SetStyleBit(WS_EX_CLIENTEDGE, BorderOf(control_) == BorderStyle::Single, true);
      break;
    default:
      break;
  }
}

void NativeControl::ApplyDpi() {
  if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(backend_.FontFor(control_)), TRUE);
}

Answer NativeControl::OnCommand(WORD) { return {}; }
Answer NativeControl::OnNotify(NMHDR&) { return {}; }
Answer NativeControl::OnCtlColor(HDC) { return {}; }
Answer NativeControl::OnMessage(UINT, WPARAM, LPARAM) { return {}; }

// Text in the control's font colour on its background (its own colour, else its parent's).
Answer NativeControl::ColorAnswer(HDC dc, bool controlColor) {
  const COLORREF back = controlColor ? Resolve(control_.GetColor(), COLOR_WINDOW) : backend_.BackgroundOf(control_);
  SetTextColor(dc, Resolve(control_.GetFont().color, controlColor ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
  SetBkColor(dc, back);
  return {true, reinterpret_cast<LRESULT>(backend_.BrushFor(back))};
}

LRESULT CALLBACK NativeControl::OwnWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<NativeControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) {
      self->hwnd_ = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  auto* self = reinterpret_cast<NativeControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->Detach();
    return DefWindowProcW(window, msg, wParam, lParam);
  }
  return Trampoline(0, [&]() -> LRESULT {
    const Answer answer = self->OnMessage(msg, wParam, lParam);
    return answer.handled ? answer.result : DefWindowProcW(window, msg, wParam, lParam);
  });
}

LRESULT CALLBACK NativeControl::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<NativeControl*>(data);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &SubclassProc, 0);
    RemovePropW(window, kWrapperProperty);
    if (self && self->hwnd_ == window) self->Detach();
    return DefSubclassProc(window, msg, wParam, lParam);
  }
  if (!self) return DefSubclassProc(window, msg, wParam, lParam);
  return Trampoline(0, [&]() -> LRESULT {
    const Answer answer = self->OnMessage(msg, wParam, lParam);
    return answer.handled ? answer.result : DefSubclassProc(window, msg, wParam, lParam);
  });
}

// ---------------------------------------------------------------------------------------------
// Containers

DWORD ContainerWindow::ExtraExStyle() const {
  return WS_EX_CONTROLPARENT | (BorderOf(control_) == BorderStyle::Single ? WS_EX_CLIENTEDGE : 0);
}

void ContainerWindow::Create(HWND parent, int id) {
  DWORD style = (CommonStyle() & ~(WS_TABSTOP | WS_GROUP)) | WS_CLIPCHILDREN | ExtraStyle();
  MakeWindow(parent, id, kContainerClass, style, ExtraExStyle(), false);
}

void ContainerWindow::Update(Property what) {
  if (what == Property::TabStop || what == Property::Caption) return;  // no tab stop, no text
  NativeControl::Update(what);
}

Answer ContainerWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return backend_.Reflect(msg, wParam, lParam);
    case WM_ERASEBKGND: {
      RECT rect;
      GetClientRect(hwnd_, &rect);
      FillRect(reinterpret_cast<HDC>(wParam), &rect, backend_.BrushFor(backend_.BackgroundOf(control_)));
      return {true, 1};
    }
    default:
      return {};
  }
}

bool TabSheetWindow::ShouldShow() const {
  auto& page = static_cast<TabSheet&>(control_);
  PageControl* owner = page.GetPageControl();
  return page.Visible() && owner && owner->ActivePage() == &page;
}

// ---------------------------------------------------------------------------------------------
// Scroll box

void ScrollBoxWindow::SetScrollInfo(int range, int page, bool bar) {
  if (!hwnd_) return;
  range_ = range;
  page_ = page;
  position_ = std::clamp(position_, 0, std::max(0, range_ - page_));
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = std::max(0, range - 1);
  info.nPage = static_cast<UINT>(std::max(0, page));
  info.nPos = position_;
  ShowScrollBar(hwnd_, SB_VERT, bar);
  ::SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
}

void ScrollBoxWindow::ScrollTo(int pixels) {
  const int target = std::clamp(pixels, 0, std::max(0, range_ - page_));
  if (target == position_) return;
  position_ = target;
  SetScrollPos(hwnd_, SB_VERT, position_, TRUE);
  auto& box = static_cast<ScrollBox&>(control_);
  // The core keeps the position at 96 DPI; the pixels stay ours so rounding does not creep.
  const int dpi = Dpi();
  box.SetVertScrollPosition(MulDiv(position_, 96, dpi));
  backend_.ScrollChildren(box);
}

void ScrollBoxWindow::Update(Property what) {
  if (what == Property::ScrollPosition) {
    auto& box = static_cast<ScrollBox&>(control_);
    const int dpi = Dpi();
    // Only a position set by the program moves the box (ours comes back rounded).
    if (MulDiv(position_, 96, dpi) != box.VertScrollPosition()) {
      position_ = std::clamp(ScaleForDpi(box.VertScrollPosition(), dpi), 0, std::max(0, range_ - page_));
      SetScrollPos(hwnd_, SB_VERT, position_, TRUE);
      backend_.ScrollChildren(box);
    }
    return;
  }
  ContainerWindow::Update(what);
}

Answer ScrollBoxWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const int line = ScaleForDpi(16, Dpi());
  switch (msg) {
    case WM_VSCROLL: {
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_ALL;
      GetScrollInfo(hwnd_, SB_VERT, &info);
      int target = position_;
      switch (LOWORD(wParam)) {
        case SB_LINEUP: target -= line; break;
        case SB_LINEDOWN: target += line; break;
        case SB_PAGEUP: target -= std::max(line, page_ - line); break;
        case SB_PAGEDOWN: target += std::max(line, page_ - line); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: target = info.nTrackPos; break;
        case SB_TOP: target = 0; break;
        case SB_BOTTOM: target = range_; break;
        default: break;
      }
      ScrollTo(target);
      return {true, 0};
    }
    case WM_MOUSEWHEEL: {
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      if (range_ <= page_) return {};
      wheelRemainder_ += GET_WHEEL_DELTA_WPARAM(wParam);
      const int notches = wheelRemainder_ / WHEEL_DELTA;
      wheelRemainder_ -= notches * WHEEL_DELTA;
      const int step = lines == WHEEL_PAGESCROLL ? page_ : static_cast<int>(lines) * line;
      ScrollTo(position_ - notches * step);
      return {true, 0};
    }
    default:
      return ContainerWindow::OnMessage(msg, wParam, lParam);
  }
}

// ---------------------------------------------------------------------------------------------
// Page control

void PageControlWindow::Create(HWND parent, int id) {
  ContainerWindow::Create(parent, id);
  if (!hwnd_) return;
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_TABS | TCS_FOCUSONBUTTONDOWN;
  if (control_.TabStop()) style |= WS_TABSTOP | WS_GROUP;
  tab_ = CreateWindowExW(0, WC_TABCONTROLW, L"", style, 0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(1),
                         backend_.Instance(), nullptr);
  // The tab strip's notifications are the page control's.
  if (tab_) {
    SetWindowSubclass(tab_, &TabProc, 0, reinterpret_cast<DWORD_PTR>(this));
    SetPropW(tab_, kTabOwnerProperty, this);
  }
  RebuildTabs();
}

LRESULT CALLBACK PageControlWindow::TabProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) noexcept {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &TabProc, 0);
    RemovePropW(window, kTabOwnerProperty);
    if (auto* self = reinterpret_cast<PageControlWindow*>(data)) self->tab_ = nullptr;
  }
  return DefSubclassProc(window, msg, wParam, lParam);
}

PageControlWindow* PageControlWindow::OfTab(HWND window) {
  return window ? static_cast<PageControlWindow*>(GetPropW(window, kTabOwnerProperty)) : nullptr;
}

void PageControlWindow::ApplyDpi() {
  if (!tab_) return;
  SendMessageW(tab_, WM_SETFONT, reinterpret_cast<WPARAM>(backend_.FontFor(control_)), TRUE);
  RECT client;
  GetClientRect(hwnd_, &client);
  Arrange(client.right, client.bottom);
}

void PageControlWindow::RebuildTabs() {
  if (!tab_) return;
  auto& pages = static_cast<PageControl&>(control_);
  SendMessageW(tab_, TCM_DELETEALLITEMS, 0, 0);
  int index = 0;
  for (int i = 0; i < pages.PageCount(); ++i) {
    TabSheet& page = pages.Page(i);
    if (!page.TabVisible()) continue;
    std::wstring text = Widen(page.Caption());
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = text.data();
    item.lParam = reinterpret_cast<LPARAM>(&page);
    SendMessageW(tab_, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
  }
  SelectCurrent();
}

void PageControlWindow::SelectCurrent() {
  auto& pages = static_cast<PageControl&>(control_);
  int current = -1;
  const int count = static_cast<int>(SendMessageW(tab_, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    SendMessageW(tab_, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    if (reinterpret_cast<TabSheet*>(item.lParam) == pages.ActivePage()) current = i;
  }
  SendMessageW(tab_, TCM_SETCURSEL, current, 0);
}

void PageControlWindow::CycleTab(bool backwards) {
  const int count = static_cast<int>(SendMessageW(tab_, TCM_GETITEMCOUNT, 0, 0));
  if (count < 2) return;
  const int current = static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0));
  const int next = ((current < 0 ? 0 : current) + (backwards ? count - 1 : 1)) % count;
  SendMessageW(tab_, TCM_SETCURSEL, next, 0);
  NMHDR header{tab_, static_cast<UINT_PTR>(GetDlgCtrlID(tab_)), static_cast<UINT>(TCN_SELCHANGE)};
  OnNotify(header);
}

void PageControlWindow::Update(Property what) {
  switch (what) {
    case Property::ActivePage:
      SelectCurrent();
      break;
    case Property::TabVisible:
    case Property::Caption:  // a page's caption (the backend hands it to its page control)
      RebuildTabs();
      break;
    case Property::TabStop:
      if (tab_) {
        const LONG_PTR style = GetWindowLongPtrW(tab_, GWL_STYLE);
        SetWindowLongPtrW(tab_, GWL_STYLE,
                          control_.TabStop() ? (style | WS_TABSTOP | WS_GROUP) : (style & ~(WS_TABSTOP | WS_GROUP)));
      }
      break;
    default:
      ContainerWindow::Update(what);
      break;
  }
}

Answer PageControlWindow::OnNotify(NMHDR& header) {
  if (header.hwndFrom != tab_) return {};
  if (header.code == static_cast<UINT>(TCN_SELCHANGE)) {
    const int current = static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0));
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (current >= 0 && SendMessageW(tab_, TCM_GETITEMW, current, reinterpret_cast<LPARAM>(&item))) {
      auto* page = reinterpret_cast<TabSheet*>(item.lParam);
      auto& pages = static_cast<PageControl&>(control_);
      if (page && page != pages.ActivePage()) pages.SelectPageByUser(*page);
    }
    // Whatever the core decided shows in the strip.
    SelectCurrent();
    return {true, 0};
  }
  if (header.code == static_cast<UINT>(TCN_SELCHANGING)) return {true, FALSE};
  return {};
}

PageControlWindow::~PageControlWindow() {
  if (theme_) CloseThemeData(static_cast<HTHEME>(theme_));
}

HANDLE PageControlWindow::Theme() {
  if (!themeOpened_ && tab_) {
    themeOpened_ = true;
    theme_ = IsAppThemed() ? OpenThemeData(tab_, L"TAB") : nullptr;
  }
  return theme_;
}

COLORREF PageControlWindow::PaneColor() {
  if (paneColor_ != CLR_INVALID) return paneColor_;
  paneColor_ = GetSysColor(COLOR_BTNFACE);
  if (HANDLE theme = Theme()) {
    // The pane's fill, read from a small drawing of it.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 40);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT rect{0, 0, 40, 40};
    DrawThemeBackground(static_cast<HTHEME>(theme), dc, TABP_PANE, 0, &rect, nullptr);
    paneColor_ = GetPixel(dc, 20, 20);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
  }
  return paneColor_;
}

// The tab strip covers only its row of tabs and the pane's top edge; the pane below is ours,
// so the pages (above the strip in tab order, below it in nothing) never overlap it.
void PageControlWindow::Arrange(int width, int height) {
  if (!tab_) return;
  RECT display{0, 0, width, height};
  SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const int edge = std::max<int>(1, display.left);
  paneTop_ = std::max<int>(0, display.top - edge);
  SetWindowPos(tab_, nullptr, 0, 0, width, std::min(height, paneTop_ + 1), SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void PageControlWindow::PaintPane(HDC dc) {
  RECT client;
  GetClientRect(hwnd_, &client);
  RECT above{0, 0, client.right, paneTop_};
  FillRect(dc, &above, backend_.BrushFor(backend_.BackgroundOf(*control_.Parent())));
  RECT pane{0, paneTop_, client.right, client.bottom};
  if (HANDLE theme = Theme()) {
    DrawThemeBackground(static_cast<HTHEME>(theme), dc, TABP_PANE, 0, &pane, nullptr);
  } else {
    FillRect(dc, &pane, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &pane, EDGE_RAISED, BF_RECT | BF_SOFT);
  }
}

Answer PageControlWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      Arrange(LOWORD(lParam), HIWORD(lParam));
      return {true, 0};
    case WM_ERASEBKGND:
      PaintPane(reinterpret_cast<HDC>(wParam));
      return {true, 1};
    case WM_PRINTCLIENT:
      PaintPane(reinterpret_cast<HDC>(wParam));
      return {true, 0};
    case WM_THEMECHANGED:
      if (theme_) CloseThemeData(static_cast<HTHEME>(theme_));
      theme_ = nullptr;
      themeOpened_ = false;
      paneColor_ = CLR_INVALID;
      break;
    default:
      break;
  }
  return ContainerWindow::OnMessage(msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Buttons and check boxes

void ButtonWindow::Create(HWND parent, int id) {
  auto& button = static_cast<Button&>(control_);
  const DWORD style = CommonStyle() | (button.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
  MakeWindow(parent, id, WC_BUTTONW, style, 0, true, CaptionText());
}

void ButtonWindow::Update(Property what) {
  if (what == Property::Default) {
    auto& button = static_cast<Button&>(control_);
    SendMessageW(hwnd_, BM_SETSTYLE, button.IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    return;
  }
  if (what == Property::Action) what = Property::Caption;
  NativeControl::Update(what);
}

Answer ButtonWindow::OnCommand(WORD code) {
  if (code != BN_CLICKED) return {};
  static_cast<Button&>(control_).Click();
  return {true, 0};
}

Answer ButtonWindow::OnMessage(UINT msg, WPARAM, LPARAM lParam) {
  if (msg != WM_CONTEXTMENU) return {};
  PopupMenu* menu = static_cast<Button&>(control_).GetPopupMenu();
  if (!menu) return {};
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (lParam == -1) {  // the context-menu key: below the button
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    at = {rect.left, rect.bottom};
  }
  backend_.TrackPopup(*menu, at, GetAncestor(hwnd_, GA_ROOT));
  return {true, 0};
}

void CheckBoxWindow::Create(HWND parent, int id) {
  // Not BS_AUTOCHECKBOX: the core holds the state, the window shows it.
  MakeWindow(parent, id, WC_BUTTONW, CommonStyle() | BS_CHECKBOX, 0, true, CaptionText());
  if (hwnd_) SendMessageW(hwnd_, BM_SETCHECK, static_cast<CheckBox&>(control_).Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBoxWindow::Update(Property what) {
  if (what == Property::Checked) {
    SendMessageW(hwnd_, BM_SETCHECK, static_cast<CheckBox&>(control_).Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    return;
  }
  NativeControl::Update(what);
}

Answer CheckBoxWindow::OnCommand(WORD code) {
  if (code != BN_CLICKED) return {};
  static_cast<CheckBox&>(control_).Click();
  return {true, 0};
}

Answer CheckBoxWindow::OnCtlColor(HDC dc) { return ColorAnswer(dc, false); }

// ---------------------------------------------------------------------------------------------
// Labels and images

DWORD LabelWindow::LabelStyle() const {
  auto& label = static_cast<Label&>(control_);
  DWORD style = SS_NOTIFY;  // mouse messages reach it (tooltips)
  switch (label.Alignment()) {
    case TextAlign::Left: style |= label.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP; break;
    case TextAlign::Center: style |= SS_CENTER; break;
    case TextAlign::Right: style |= SS_RIGHT; break;
  }
  if (label.Layout() == TextLayout::Center && !label.WordWrap()) style |= SS_CENTERIMAGE;
  if (label.EndEllipsis()) style |= SS_ENDELLIPSIS;
  return style;
}

void LabelWindow::Create(HWND parent, int id) {
  MakeWindow(parent, id, WC_STATICW, (CommonStyle() & ~(WS_TABSTOP | WS_GROUP)) | LabelStyle(), 0, true, CaptionText());
}

void LabelWindow::Update(Property what) {
  if (what == Property::TextAlignment || what == Property::WordWrap || what == Property::TextLayout ||
      what == Property::EndEllipsis) {
    const LONG_PTR style =
        GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(SS_TYPEMASK | SS_CENTERIMAGE | SS_ELLIPSISMASK);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style | static_cast<LONG_PTR>(LabelStyle()));
    InvalidateRect(hwnd_, nullptr, TRUE);
    return;
  }
  if (what == Property::TabStop) return;
  NativeControl::Update(what);
}

Answer LabelWindow::OnCtlColor(HDC dc) { return ColorAnswer(dc, false); }

ImageWindow::~ImageWindow() {
  if (icon_) DestroyIcon(icon_);
}

void ImageWindow::Create(HWND parent, int id) {
  auto& image = static_cast<Image&>(control_);
  DWORD style = (CommonStyle() & ~(WS_TABSTOP | WS_GROUP)) | SS_ICON | SS_NOTIFY;
  style |= image.Center() ? SS_CENTERIMAGE : SS_REALSIZECONTROL;
  MakeWindow(parent, id, WC_STATICW, style, 0, true);
}

void ImageWindow::LoadIcon() {
  if (!hwnd_) return;
  auto& image = static_cast<Image&>(control_);
  RECT rect;
  GetClientRect(hwnd_, &rect);
  const int dpi = Dpi();
  SIZE size{rect.right, rect.bottom};
  if (image.Center() || size.cx <= 0 || size.cy <= 0)
    size = {SystemMetricForDpi(SM_CXICON, dpi), SystemMetricForDpi(SM_CYICON, dpi)};
  std::string name = image.IsApplicationIcon() ? Application::Instance().IconResource() : image.IconResource();
  if (icon_ && size.cx == iconSize_.cx && size.cy == iconSize_.cy) return;
  HICON icon = nullptr;
  if (!name.empty())
    icon = static_cast<HICON>(LoadImageW(backend_.Instance(), Widen(name).c_str(), IMAGE_ICON, size.cx, size.cy, 0));
  if (!icon && image.IsApplicationIcon())
    icon = static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(32512) /* IDI_APPLICATION */, IMAGE_ICON, size.cx,
                                         size.cy, LR_SHARED));
  HICON old = reinterpret_cast<HICON>(SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0));
  if (icon_ && old == icon_) DestroyIcon(icon_);
  icon_ = icon;
  iconSize_ = size;
}

void ImageWindow::ApplyDpi() {
  iconSize_ = {};
  LoadIcon();
}

void ImageWindow::Update(Property what) {
  if (what == Property::Picture || what == Property::ImageCenter) {
    if (what == Property::ImageCenter) {
      const bool center = static_cast<Image&>(control_).Center();
      const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(SS_CENTERIMAGE | SS_REALSIZECONTROL);
      SetWindowLongPtrW(hwnd_, GWL_STYLE, style | (center ? SS_CENTERIMAGE : SS_REALSIZECONTROL));
    }
    iconSize_ = {};
    LoadIcon();
    return;
  }
  if (what == Property::TabStop || what == Property::Caption) return;
  NativeControl::Update(what);
}

Answer ImageWindow::OnMessage(UINT msg, WPARAM, LPARAM) {
  if (msg == WM_SIZE) LoadIcon();  // the icon of the new size
  return {};
}

Answer ImageWindow::OnCtlColor(HDC dc) { return ColorAnswer(dc, false); }

// ---------------------------------------------------------------------------------------------
// Shape

void ShapeWindow::Create(HWND parent, int id) {
  MakeWindow(parent, id, kShapeClass, (CommonStyle() & ~(WS_TABSTOP | WS_GROUP)), 0, false);
}

void ShapeWindow::Update(Property what) {
  if (what == Property::ShapeStyle) {
    InvalidateRect(hwnd_, nullptr, TRUE);
    return;
  }
  if (what == Property::TabStop || what == Property::Caption) return;
  NativeControl::Update(what);
}

void ShapeWindow::Paint(HDC dc) {
  auto& shape = static_cast<Shape&>(control_);
  RECT rect;
  GetClientRect(hwnd_, &rect);
  const COLORREF back = backend_.BackgroundOf(*control_.Parent());
  FillRect(dc, &rect, backend_.BrushFor(back));
  const COLORREF color = Resolve(shape.BrushColor(), COLOR_WINDOW);
  HBRUSH brush = nullptr;
  switch (shape.GetBrushStyle()) {
    case BrushStyle::Solid: brush = CreateSolidBrush(color); break;
    case BrushStyle::Clear: brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); break;
    case BrushStyle::Horizontal: brush = CreateHatchBrush(HS_HORIZONTAL, color); break;
    case BrushStyle::Vertical: brush = CreateHatchBrush(HS_VERTICAL, color); break;
    case BrushStyle::FDiagonal: brush = CreateHatchBrush(HS_FDIAGONAL, color); break;
    case BrushStyle::BDiagonal: brush = CreateHatchBrush(HS_BDIAGONAL, color); break;
    case BrushStyle::Cross: brush = CreateHatchBrush(HS_CROSS, color); break;
    case BrushStyle::DiagCross: brush = CreateHatchBrush(HS_DIAGCROSS, color); break;
  }
  // Hatches on the parent's background, as a transparent brush would show it.
  SetBkColor(dc, back);
  SetBkMode(dc, OPAQUE);
  const int penWidth = shape.PenVisible() ? std::max(1, MulDiv(1, Dpi(), 96)) : 0;
  HPEN pen = shape.PenVisible() ? CreatePen(PS_INSIDEFRAME, penWidth, RGB(0, 0, 0))
                                : static_cast<HPEN>(GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  // Without a pen GDI leaves out the right and bottom edge.
  const int extra = shape.PenVisible() ? 0 : 1;
  const int right = rect.right + extra;
  const int bottom = rect.bottom + extra;
  switch (shape.Kind()) {
    case ShapeKind::Rectangle:
      Rectangle(dc, 0, 0, right, bottom);
      break;
    case ShapeKind::RoundRect: {
      const int corner = std::min(rect.right, rect.bottom) / 4;
      RoundRect(dc, 0, 0, right, bottom, corner, corner);
      break;
    }
    case ShapeKind::Ellipse:
      Ellipse(dc, 0, 0, right, bottom);
      break;
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  if (shape.GetBrushStyle() != BrushStyle::Clear && brush) DeleteObject(brush);
  if (shape.PenVisible()) DeleteObject(pen);
}

Answer ShapeWindow::OnMessage(UINT msg, WPARAM, LPARAM) {
  if (msg == WM_ERASEBKGND) return {true, 1};
  if (msg != WM_PAINT) return {};
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  Paint(dc);
  EndPaint(hwnd_, &paint);
  return {true, 0};
}

// ---------------------------------------------------------------------------------------------
// Memo

DWORD MemoWindow::MemoStyle() const {
  auto& memo = static_cast<Memo&>(control_);
  DWORD style = CommonStyle() | ES_MULTILINE | ES_AUTOVSCROLL | ScrollBarStyle(memo.GetScrollBars());
  if (memo.ReadOnly()) style |= ES_READONLY;
  if (!memo.WordWrap()) style |= ES_AUTOHSCROLL;
  return style;
}

void MemoWindow::Create(HWND parent, int id) {
  auto& memo = static_cast<Memo&>(control_);
  MakeWindow(parent, id, WC_EDITW, MemoStyle(), memo.GetBorderStyle() == BorderStyle::Single ? WS_EX_CLIENTEDGE : 0,
             true, Widen(memo.Text()));
}

void MemoWindow::Recreate() {
  // Word wrap and scroll bars of an edit are fixed at creation: make it again in its place.
  HWND old = hwnd_;
  if (!old) return;
  RECT rect;
  GetWindowRect(old, &rect);
  HWND parent = GetParent(old);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  const bool focused = GetFocus() == old;
  const int id = GetDlgCtrlID(old);
  RemoveWindowSubclass(old, &SubclassProc, 0);
  RemovePropW(old, kWrapperProperty);
  hwnd_ = nullptr;
  Create(parent, id);
  if (hwnd_) {
    SetWindowPos(hwnd_, old, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOACTIVATE | ((GetWindowLongPtrW(old, GWL_STYLE) & WS_VISIBLE) ? SWP_SHOWWINDOW : 0));
    ApplyDpi();
    backend_.UpdateTooltip(*this);
    if (focused) ::SetFocus(hwnd_);
  }
  DestroyWindow(old);
}

void MemoWindow::ApplyDpi() {
  NativeControl::ApplyDpi();
  // WM_SETFONT resets the margins.
  const int margin = ScaleForDpi(static_cast<Memo&>(control_).InnerBorder(), Dpi());
  SendMessageW(hwnd_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
}

void MemoWindow::Update(Property what) {
  auto& memo = static_cast<Memo&>(control_);
  switch (what) {
    case Property::Lines:
      // What the user typed comes back as lines: the window has it already.
      if (!typing_) SetWindowTextW(hwnd_, Widen(memo.Text()).c_str());
      break;
    case Property::ReadOnly:
      SendMessageW(hwnd_, EM_SETREADONLY, memo.ReadOnly(), 0);
      break;
    case Property::WordWrap:
    case Property::ScrollBars:
      Recreate();
      break;
    case Property::InnerBorder:
      ApplyDpi();
      break;
    case Property::Caption:
      break;
    default:
      NativeControl::Update(what);
      break;
  }
}

Answer MemoWindow::OnCtlColor(HDC dc) {
  if (control_.GetColor().kind() == Color::Kind::Default && control_.GetFont().color.kind() == Color::Kind::Default)
    return {};
  return ColorAnswer(dc, true);
}

Answer MemoWindow::OnCommand(WORD code) {
  if (code != EN_CHANGE || typing_) return {};
  // The user's text goes back to the memo's lines.
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), length + 1)));
  auto& memo = static_cast<Memo&>(control_);
  typing_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{typing_};
  if (Narrow(text) != memo.Text()) memo.SetLines(SplitLines(Narrow(text)));
  return {true, 0};
}

Answer MemoWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_GETDLGCODE)
    return DialogCodeWithoutDialogKeys(hwnd_, wParam, lParam, !static_cast<Memo&>(control_).ReadOnly());
  return {};
}

// ---------------------------------------------------------------------------------------------
// Rich view

namespace {

struct StreamSource {
  const char* data;
  size_t size;
  size_t offset;
};

DWORD CALLBACK StreamFromString(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) noexcept {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const size_t left = source->size - source->offset;
  const size_t n = std::min(left, static_cast<size_t>(std::max<LONG>(wanted, 0)));
  std::memcpy(buffer, source->data + source->offset, n);
  source->offset += n;
  *given = static_cast<LONG>(n);
  return 0;
}

const wchar_t* RichEditClass() {
  // Msftedit.dll (RICHEDIT50W) is loaded at run time: only this control needs it.
  static const wchar_t* name = [] {
    if (LoadLibraryW(L"Msftedit.dll")) return MSFTEDIT_CLASS;
    if (LoadLibraryW(L"riched20.dll")) return RICHEDIT_CLASSW;
    return WC_EDITW;
  }();
  return name;
}

}  // namespace

void RichViewWindow::Create(HWND parent, int id) {
  auto& view = static_cast<RichView&>(control_);
  DWORD style = CommonStyle() | ES_MULTILINE | ES_AUTOVSCROLL | ScrollBarStyle(view.GetScrollBars());
  if (view.ReadOnly()) style |= ES_READONLY;
  MakeWindow(parent, id, RichEditClass(), style, view.GetBorderStyle() == BorderStyle::Single ? WS_EX_CLIENTEDGE : 0,
             true);
}

void RichViewWindow::StreamIn() {
  if (!hwnd_) return;
  auto& view = static_cast<RichView&>(control_);
  const std::string& text = view.RichText();
  EDITSTREAM stream{};
  stream.pfnCallback = &StreamFromString;
  if (text.rfind("{\\rtf", 0) == 0) {
    StreamSource source{text.data(), text.size(), 0};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    SendMessageW(hwnd_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  } else {
    // No RTF: plain text, as UTF-16.
    const std::wstring wide = Widen(text);
    StreamSource source{reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t), 0};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    SendMessageW(hwnd_, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
  }
  SendMessageW(hwnd_, EM_SETSEL, 0, 0);
  SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

void RichViewWindow::ApplyDpi() {
  if (!hwnd_) return;
  // WM_SETFONT wipes the document's formatting: font first, then the document again.
  NativeControl::ApplyDpi();
  if (control_.GetColor().kind() != Color::Kind::Default)
    SendMessageW(hwnd_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(Resolve(control_.GetColor(), COLOR_WINDOW)));
  StreamIn();
}

void RichViewWindow::Update(Property what) {
  auto& view = static_cast<RichView&>(control_);
  switch (what) {
    case Property::RichText:
      StreamIn();
      break;
    case Property::ReadOnly:
      SendMessageW(hwnd_, EM_SETREADONLY, view.ReadOnly(), 0);
      break;
    case Property::Color:
      SendMessageW(hwnd_, EM_SETBKGNDCOLOR, view.GetColor().kind() == Color::Kind::Default,
                   static_cast<LPARAM>(Resolve(view.GetColor(), COLOR_WINDOW)));
      break;
    case Property::ScrollBars:
      SetStyleBit(WS_VSCROLL, (ScrollBarStyle(view.GetScrollBars()) & WS_VSCROLL) != 0);
      SetStyleBit(WS_HSCROLL, (ScrollBarStyle(view.GetScrollBars()) & WS_HSCROLL) != 0);
      break;
    case Property::Caption:
      break;
    default:
      NativeControl::Update(what);
      break;
  }
}

Answer RichViewWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_GETDLGCODE)
    return DialogCodeWithoutDialogKeys(hwnd_, wParam, lParam, !static_cast<RichView&>(control_).ReadOnly());
  return {};
}

// ---------------------------------------------------------------------------------------------
// Progress bar

void ProgressBarWindow::MapRange(std::int64_t min, std::int64_t max, std::int64_t position, int& range, int& pos) {
  if (max <= min) {
    // An empty range draws an empty bar (a control with a range of 0 to 0 may draw it full).
    range = 1;
    pos = 0;
    return;
  }
  const std::uint64_t span = static_cast<std::uint64_t>(max) - static_cast<std::uint64_t>(min);
  const std::uint64_t divisor = span / static_cast<std::uint64_t>(INT_MAX) + 1;
  const std::int64_t clamped = std::clamp(position, min, max);
  range = static_cast<int>(span / divisor);
  pos = static_cast<int>((static_cast<std::uint64_t>(clamped) - static_cast<std::uint64_t>(min)) / divisor);
}

void ProgressBarWindow::Create(HWND parent, int id) {
  MakeWindow(parent, id, PROGRESS_CLASSW, (CommonStyle() & ~(WS_TABSTOP | WS_GROUP)) | PBS_SMOOTH, 0, true);
  ApplyRange();
  Update(Property::ProgressState);
}

void ProgressBarWindow::ApplyRange() {
  if (!hwnd_) return;
  auto& bar = static_cast<ProgressBar&>(control_);
  int range = 0;
  int pos = 0;
  MapRange(bar.Min(), bar.Max(), bar.Position(), range, pos);
  SendMessageW(hwnd_, PBM_SETRANGE32, 0, range);
  SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void ProgressBarWindow::Update(Property what) {
  auto& bar = static_cast<ProgressBar&>(control_);
  switch (what) {
    case Property::Range:
    case Property::Position:
      ApplyRange();
      break;
    case Property::ProgressState: {
      // PBM_SETSTATE: 1 normal, 2 error, 3 paused (Vista and later; older ones ignore it).
      const WPARAM state = bar.State() == ProgressState::Error ? 2 : bar.State() == ProgressState::Paused ? 3 : 1;
      SendMessageW(hwnd_, WM_USER + 16, state, 0);
      break;
    }
    case Property::TabStop:
    case Property::Caption:
      break;
    default:
      NativeControl::Update(what);
      break;
  }
}

// ---------------------------------------------------------------------------------------------
// Tree list: a report list view with check boxes, children indented under their parents.

TreeListWindow::~TreeListWindow() {
  if (images_) ImageList_Destroy(images_);
}

void TreeListWindow::Create(HWND parent, int id) {
  auto& tree = static_cast<TreeList&>(control_);
  const DWORD style = CommonStyle() | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_SHAREIMAGELISTS;
  MakeWindow(parent, id, WC_LISTVIEWW, style, tree.GetBorderStyle() == BorderStyle::Single ? WS_EX_CLIENTEDGE : 0,
             true);
  if (!hwnd_) return;
  DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP;
  if (tree.FullRowSelect()) ex |= LVS_EX_FULLROWSELECT;
  SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  ApplyColumns();
  ApplyImages();
  Populate();
}

void TreeListWindow::ApplyDpi() {
  NativeControl::ApplyDpi();
  ApplyColumns();
  ApplyImages();
  Populate();
}

void TreeListWindow::ApplyColumns() {
  if (!hwnd_) return;
  auto& tree = static_cast<TreeList&>(control_);
  HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
  const int existing = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (int i = existing - 1; i >= 0; --i) SendMessageW(hwnd_, LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
  const int dpi = Dpi();
  int index = 0;
  for (const TreeList::Column& column : tree.Columns()) {
    std::wstring text = Widen(column.caption);
    LVCOLUMNW lv{};
    lv.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lv.pszText = text.data();
    lv.cx = ScaleForDpi(column.width, dpi);
    lv.iSubItem = index;
    SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&lv));
  }
  if (index == 0) {
    LVCOLUMNW lv{};
    lv.mask = LVCF_WIDTH;
    lv.cx = ScaleForDpi(200, dpi);
    SendMessageW(hwnd_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&lv));
  }
}

void TreeListWindow::ApplyImages() {
  if (!hwnd_) return;
  auto& tree = static_cast<TreeList&>(control_);
  const int dpi = Dpi();
  const int cx = SystemMetricForDpi(SM_CXSMICON, dpi);
  const int cy = SystemMetricForDpi(SM_CYSMICON, dpi);
  // The list indents by image widths: an image list (empty when there are no images) sets
  // the step.
  HIMAGELIST list = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, static_cast<int>(tree.Images().size()), 1);
  for (const std::string& name : tree.Images()) {
    HICON icon = static_cast<HICON>(LoadImageW(backend_.Instance(), Widen(name).c_str(), IMAGE_ICON, cx, cy, 0));
    if (icon) {
      ImageList_AddIcon(list, icon);
      DestroyIcon(icon);
    } else {
      // Keep the indices of the later images.
      HICON blank = static_cast<HICON>(LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_ICON, cx, cy, LR_SHARED));
      ImageList_AddIcon(list, blank);
    }
  }
  SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(list));
  if (images_) ImageList_Destroy(images_);
  images_ = list;
}

void TreeListWindow::Populate() {
  if (!hwnd_) return;
  auto& tree = static_cast<TreeList&>(control_);
  filling_ = true;
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
  rows_.clear();
  const int columns = std::max<int>(1, static_cast<int>(tree.Columns().size()));
  struct Walker {
    TreeListWindow& self;
    TreeList& tree;
    int columns;
    void Add(const std::vector<std::unique_ptr<TreeList::Node>>& nodes, int depth) {
      for (const auto& node : nodes) {
        const int row = static_cast<int>(self.rows_.size());
        self.rows_.push_back(node.get());
        std::wstring text = Widen(tree.CellText(*node, 0));
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_INDENT | LVIF_PARAM | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = text.data();
        item.iIndent = depth;
        item.lParam = reinterpret_cast<LPARAM>(node.get());
        item.iImage = tree.onGetImageIndex ? tree.onGetImageIndex(*node, 0) : -1;
        SendMessageW(self.hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (int column = 1; column < columns; ++column) {
          std::wstring sub = Widen(tree.CellText(*node, column));
          LVITEMW cell{};
          cell.iSubItem = column;
          cell.pszText = sub.data();
          SendMessageW(self.hwnd_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
        }
        LVITEMW state{};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = INDEXTOSTATEIMAGEMASK(node->hasCheckBox ? (node->checked ? 2 : 1) : 0);
        SendMessageW(self.hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
        if (node->expanded) Add(node->children, depth + 1);
      }
    }
  } walker{*this, tree, columns};
  walker.Add(tree.Roots(), 0);
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
  filling_ = false;
}

void TreeListWindow::SelectRow(const TreeList::Node* node) {
  const auto it = std::find(rows_.begin(), rows_.end(), node);
  if (it == rows_.end()) return;
  const int row = static_cast<int>(it - rows_.begin());
  LVITEMW state{};
  state.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
  state.state = LVIS_FOCUSED | LVIS_SELECTED;
  SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  SendMessageW(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void TreeListWindow::Update(Property what) {
  auto& tree = static_cast<TreeList&>(control_);
  switch (what) {
    case Property::Nodes:
      Populate();
      break;
    case Property::Columns:
      ApplyColumns();
      Populate();
      break;
    case Property::Images:
      ApplyImages();
      Populate();
      break;
    case Property::FullRowSelect:
      SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                   tree.FullRowSelect() ? LVS_EX_FULLROWSELECT : 0);
      break;
    case Property::Caption:
      break;
    default:
      NativeControl::Update(what);
      break;
  }
}

Answer TreeListWindow::OnNotify(NMHDR& header) {
  auto& tree = static_cast<TreeList&>(control_);
  if (header.code == static_cast<UINT>(LVN_ITEMCHANGED) && !filling_) {
    auto& change = reinterpret_cast<NMLISTVIEW&>(header);
    if (!(change.uChanged & LVIF_STATE) || change.iItem < 0 || change.iItem >= static_cast<int>(rows_.size()))
      return {true, 0};
    if (((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) == 0) return {true, 0};
    TreeList::Node* node = rows_[static_cast<size_t>(change.iItem)];
    const UINT image = (change.uNewState & LVIS_STATEIMAGEMASK) >> 12;
    if (!node->hasCheckBox) {
      // A row without a check box keeps none (the space key would give it one).
      if (image != 0) {
        filling_ = true;
        LVITEMW state{};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = INDEXTOSTATEIMAGEMASK(0);
        SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(change.iItem), reinterpret_cast<LPARAM>(&state));
        filling_ = false;
      }
    } else {
      node->checked = image == 2;
    }
    return {true, 0};
  }
  if (header.code == static_cast<UINT>(LVN_KEYDOWN)) {
    // Right opens a node, Left closes it, as in a tree.
    const WORD key = reinterpret_cast<NMLVKEYDOWN&>(header).wVKey;
    const int row = static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if ((key == VK_RIGHT || key == VK_LEFT) && row >= 0 && row < static_cast<int>(rows_.size())) {
      TreeList::Node* node = rows_[static_cast<size_t>(row)];
      if (!node->children.empty() && node->expanded != (key == VK_RIGHT)) {
        tree.Expand(*node, key == VK_RIGHT);
        SelectRow(node);
      }
    }
    return {true, 0};
  }
  if (header.code == static_cast<UINT>(NM_DBLCLK)) {
    auto& activate = reinterpret_cast<NMITEMACTIVATE&>(header);
    if (activate.iItem >= 0 && activate.iItem < static_cast<int>(rows_.size())) {
      TreeList::Node* node = rows_[static_cast<size_t>(activate.iItem)];
      if (!node->children.empty()) {
        tree.Expand(*node, !node->expanded);
        SelectRow(node);
      }
      return {true, 0};
    }
  }
  return {};
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<NativeControl> MakeWrapper(Win32Backend& backend, Control& control) {
  if (dynamic_cast<PageControl*>(&control)) return std::make_unique<PageControlWindow>(backend, control);
  if (dynamic_cast<TabSheet*>(&control)) return std::make_unique<TabSheetWindow>(backend, control);
  if (dynamic_cast<ScrollBox*>(&control)) return std::make_unique<ScrollBoxWindow>(backend, control);
  if (dynamic_cast<Container*>(&control)) return std::make_unique<ContainerWindow>(backend, control);
  if (dynamic_cast<Button*>(&control)) return std::make_unique<ButtonWindow>(backend, control);
  if (dynamic_cast<CheckBox*>(&control)) return std::make_unique<CheckBoxWindow>(backend, control);
  if (dynamic_cast<Label*>(&control)) return std::make_unique<LabelWindow>(backend, control);
  if (dynamic_cast<Image*>(&control)) return std::make_unique<ImageWindow>(backend, control);
  if (dynamic_cast<Shape*>(&control)) return std::make_unique<ShapeWindow>(backend, control);
  if (dynamic_cast<Memo*>(&control)) return std::make_unique<MemoWindow>(backend, control);
  if (dynamic_cast<RichView*>(&control)) return std::make_unique<RichViewWindow>(backend, control);
  if (dynamic_cast<ProgressBar*>(&control)) return std::make_unique<ProgressBarWindow>(backend, control);
  if (dynamic_cast<TreeList*>(&control)) return std::make_unique<TreeListWindow>(backend, control);
  // A control kind of its own: a plain container window keeps its place.
  return std::make_unique<ContainerWindow>(backend, control);
}

}  // namespace ui::win32
