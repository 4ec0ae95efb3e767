#include "app/ui/win32/Win32Backend.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "app/ui/win32/Win32Controls.h"

namespace ui::win32 {
namespace {

COLORREF ResolveColor(Color color) {
  if (color.kind() == Color::Kind::Rgb) return static_cast<COLORREF>(color.value());
  return GetSysColor(static_cast<int>(color.value()));
}

// The first line of a hint ("short|long": the short part shows).
std::string ShortHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }

LRESULT CALLBACK ApplicationProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  return DefWindowProcW(window, msg, wParam, lParam);
}

struct DisableState {
  HWND keep;
  std::vector<HWND>* disabled;
};

BOOL CALLBACK DisableOthers(HWND window, LPARAM param) noexcept {
  auto* state = reinterpret_cast<DisableState*>(param);
  if (window != state->keep && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    state->disabled->push_back(window);
  }
  return TRUE;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// FormWindow

FormWindow::~FormWindow() {
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

void FormWindow::Create(HWND owner, int) {
  const CreateParams params = form_.GetCreateParams();
  DWORD exStyle = params.exStyle;
  // The hidden application window owns the forms, so they have no taskbar button of their
  // own; the main form shows the program's one.
  if (Application::Instance().MainForm() == &form_ && !(exStyle & WS_EX_TOOLWINDOW)) exStyle |= WS_EX_APPWINDOW;
  const DWORD style = params.style & ~WS_VISIBLE;
  hwnd_ = nullptr;
  creating_ = true;
  CreateWindowExW(exStyle, kFormClass, Widen(form_.Caption()).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, backend_.Instance(), static_cast<NativeControl*>(this));
  creating_ = false;
  if (!hwnd_) return;
  dpi_ = WindowDpi(hwnd_);
  SetIcons();
}

void FormWindow::SetIcons() {
  if (!hwnd_) return;
  const std::string& name = Application::Instance().IconResource();
  if (name.empty()) return;
  const std::wstring wide = Widen(name);
  HICON big = static_cast<HICON>(LoadImageW(backend_.Instance(), wide.c_str(), IMAGE_ICON,
                                            SystemMetricForDpi(SM_CXICON, dpi_), SystemMetricForDpi(SM_CYICON, dpi_), 0));
  HICON small = static_cast<HICON>(LoadImageW(backend_.Instance(), wide.c_str(), IMAGE_ICON,
                                              SystemMetricForDpi(SM_CXSMICON, dpi_),
                                              SystemMetricForDpi(SM_CYSMICON, dpi_), 0));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  bigIcon_ = big;
  smallIcon_ = small;
}

HWND FormWindow::Tooltip() {
  if (!tooltip_ && hwnd_) {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               backend_.Instance(), nullptr);
    if (tooltip_) SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(400, dpi_));
  }
  return tooltip_;
}

void FormWindow::ApplyClientSize() {
  if (!hwnd_) return;
  const Size client = form_.ClientSize();
  RECT rect{0, 0, ScaleForDpi(client.width, dpi_), ScaleForDpi(client.height, dpi_)};
  AdjustWindowRectForDpi(rect, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)),
                         static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi_);
  RECT now;
  GetWindowRect(hwnd_, &now);
  if (now.right - now.left == rect.right - rect.left && now.bottom - now.top == rect.bottom - rect.top) return;
  SetWindowPos(hwnd_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void FormWindow::Update(Property what) {
  if (!hwnd_) return;
  switch (what) {
    case Property::Caption:
      SetWindowTextW(hwnd_, Widen(form_.Caption()).c_str());
      break;
    case Property::ClientSize:
      if (!inSize_) ApplyClientSize();
      break;
    case Property::Bounds:
      // The core placed the form (or a program moved it).
      if (!inSize_) {
        ApplyClientSize();
        backend_.PlaceForm(form_);
      }
      break;
    case Property::Enabled:
      EnableWindow(hwnd_, form_.Enabled());
      break;
    case Property::Font:
      backend_.RefontForm(form_);
      break;
    case Property::Color:
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case Property::FormBorder: {
      // The frame changes in place; the client area keeps its size.
      const CreateParams params = form_.GetCreateParams();
      const LONG_PTR keep = GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE;
      SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(params.style & ~WS_VISIBLE) | keep);
      const LONG_PTR app = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_APPWINDOW;
      SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, static_cast<LONG_PTR>(params.exStyle) | app);
      SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
      ApplyClientSize();
      break;
    }
    default:
      break;
  }
}

void FormWindow::Activate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
    return;
  }
  HWND target = lastFocus_;
  if (!target || !IsWindow(target) || !IsChild(hwnd_, target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
    target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (target) ::SetFocus(target);
}

void FormWindow::ClickDefault(bool cancel) {
  // Enter on a focused push button presses that one, as in dialogs.
  if (!cancel) {
    if (NativeControl* focused = Win32Backend::WrapperOfWindow(GetFocus())) {
      if (auto* button = dynamic_cast<Button*>(&focused->GetControl()); button && button->ParentForm() == &form_) {
        button->Click();
        return;
      }
    }
  }
  if (Button* button = cancel ? form_.CancelButton() : form_.DefaultButton()) button->Click();
}

void FormWindow::OnSize() {
  if (creating_ || IsIconic(hwnd_)) return;
  RECT rect;
  GetClientRect(hwnd_, &rect);
  const Size size96{MulDiv(rect.right, 96, dpi_), MulDiv(rect.bottom, 96, dpi_)};
  if (form_.ClientSize() != size96) {
    inSize_ = true;
    try {
      form_.SetClientSize(size96);
    } catch (...) {
      inSize_ = false;
      throw;
    }
    inSize_ = false;
  }
  backend_.LayoutForm(form_);
}

LRESULT FormWindow::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  const Answer reflected = backend_.Reflect(msg, wParam, lParam);
  if (reflected.handled) return reflected.result;
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == 0) {
        // IsDialogMessage turns Enter and Esc into IDOK and IDCANCEL.
        if (LOWORD(wParam) == IDOK) {
          ClickDefault(false);
          return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          ClickDefault(true);
          return 0;
        }
      }
      break;
    case WM_SIZE:
      OnSize();
      break;
    case WM_DPICHANGED: {
      // It can come before the children exist; then only the window follows.
      dpi_ = HIWORD(wParam);
      backend_.RefontForm(form_);
      SetIcons();
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
      backend_.LayoutForm(form_);
      return 0;
    }
    case WM_GETMINMAXINFO: {
      const SizeConstraints& limits = form_.Constraints();
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      if (limits.minWidth > 0) info->ptMinTrackSize.x = ScaleForDpi(limits.minWidth, dpi_);
      if (limits.minHeight > 0) info->ptMinTrackSize.y = ScaleForDpi(limits.minHeight, dpi_);
      if (limits.maxWidth > 0) info->ptMaxTrackSize.x = ScaleForDpi(limits.maxWidth, dpi_);
      if (limits.maxHeight > 0) info->ptMaxTrackSize.y = ScaleForDpi(limits.maxHeight, dpi_);
      return 0;
    }
    case WM_ACTIVATE:
      Activate(LOWORD(wParam) != WA_INACTIVE);
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) return 0;
      break;
    case WM_SETFOCUS:
      Activate(true);
      return 0;
    case WM_ERASEBKGND: {
      RECT rect;
      GetClientRect(hwnd_, &rect);
      FillRect(reinterpret_cast<HDC>(wParam), &rect, backend_.BrushFor(backend_.BackgroundOf(form_)));
      return 1;
    }
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETNONCLIENTMETRICS) backend_.RefontForm(form_);
      break;
    case WM_SYSCOLORCHANGE:
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case WM_CLOSE:
      // The toolkit closes (hides, ends the modal loop, or ends the program); never destroy.
      form_.Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK FormWindow::FormProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<NativeControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) {
      static_cast<FormWindow*>(self)->hwnd_ = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      EnableNonClientScaling(window);
    }
  }
  auto* self = static_cast<FormWindow*>(reinterpret_cast<NativeControl*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
  if (!self) return DefWindowProcW(window, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->Detach();
    return DefWindowProcW(window, msg, wParam, lParam);
  }
  return Trampoline(0, [&]() -> LRESULT { return self->backend_.CallForm(self->form_, msg, wParam, lParam); });
}

// ---------------------------------------------------------------------------------------------
// Win32Backend

Win32Backend::Win32Backend() : instance_(GetModuleHandleW(nullptr)) {
  EnableDpiAwareness();
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_TAB_CLASSES |
                                              ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&init);
  RegisterWindowClasses(instance_);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance_;
  wc.lpfnWndProc = &ApplicationProc;
  wc.lpszClassName = kApplicationClass;
  RegisterClassExW(&wc);
}

Win32Backend::~Win32Backend() {
  // Windows still open lose their wrappers (each cuts its link) before the wrappers go.
  wrappers_.clear();
  if (appWindow_) DestroyWindow(appWindow_);
  for (auto& [color, brush] : brushes_) DeleteObject(brush);
}

LRESULT Win32Backend::CallForm(Form& form, UINT msg, WPARAM wParam, LPARAM lParam) {
  Message message{msg, wParam, lParam, 0};
  Backend::CallWndProc(form, message);
  return message.result;
}

NativeControl* Win32Backend::WrapperOf(const Control& control) const {
  auto it = wrappers_.find(&control);
  return it == wrappers_.end() ? nullptr : it->second.get();
}

NativeControl* Win32Backend::WrapperOfWindow(HWND window) {
  if (!window) return nullptr;
  const LONG_PTR proc = GetWindowLongPtrW(window, GWLP_WNDPROC);
  if (proc == reinterpret_cast<LONG_PTR>(&NativeControl::OwnWindowProc) ||
      proc == reinterpret_cast<LONG_PTR>(&FormWindow::FormProc))
    return reinterpret_cast<NativeControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (auto* wrapper = static_cast<NativeControl*>(GetPropW(window, kWrapperProperty))) return wrapper;
  return PageControlWindow::OfTab(window);
}

FormWindow* Win32Backend::FormWindowOf(const Control& control) const {
  const Form* form = control.ParentForm();
  return form ? static_cast<FormWindow*>(WrapperOf(*form)) : nullptr;
}

int Win32Backend::DpiOf(const Control& control) const {
  if (FormWindow* window = FormWindowOf(control); window && window->Window()) return window->FormDpi();
  return SystemDpi();
}

HFONT Win32Backend::FontFor(const Control& control) { return fonts_.Get(control.GetFont(), DpiOf(control)); }

COLORREF Win32Backend::BackgroundOf(const Control& control) const {
  for (const Control* at = &control; at; at = at->Parent()) {
    if (at->GetColor().kind() != Color::Kind::Default) return ResolveColor(at->GetColor());
    // Pages lie on their page control's pane.
    if (auto* page = dynamic_cast<const TabSheet*>(at); page && page->GetPageControl()) {
      if (auto* pages = dynamic_cast<PageControlWindow*>(WrapperOf(*page->GetPageControl()))) return pages->PaneColor();
    }
  }
  return GetSysColor(COLOR_BTNFACE);
}

HBRUSH Win32Backend::BrushFor(COLORREF color) {
  auto it = brushes_.find(color);
  if (it != brushes_.end()) return it->second;
  HBRUSH brush = CreateSolidBrush(color);
  brushes_.emplace(color, brush);
  return brush;
}

Answer Win32Backend::Reflect(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (lParam) {
        if (NativeControl* wrapper = WrapperOfWindow(reinterpret_cast<HWND>(lParam)))
          return wrapper->OnCommand(HIWORD(wParam));
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header && header->hwndFrom) {
        if (NativeControl* wrapper = WrapperOfWindow(header->hwndFrom)) return wrapper->OnNotify(*header);
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (NativeControl* wrapper = WrapperOfWindow(reinterpret_cast<HWND>(lParam)))
        return wrapper->OnCtlColor(reinterpret_cast<HDC>(wParam));
      break;
    default:
      break;
  }
  return {};
}

// ---------------------------------------------------------------------------------------------
// The tree

void Win32Backend::CreateWindowFor(Control& control) {
  if (WrapperOf(control) || dynamic_cast<Form*>(&control)) return;
  Container* parent = control.Parent();
  NativeControl* parentWrapper = parent ? WrapperOf(*parent) : nullptr;
  if (!parentWrapper || !parentWrapper->ChildParent()) return;
  auto wrapper = MakeWrapper(*this, control);
  NativeControl& made = *wrapper;
  wrappers_[&control] = std::move(wrapper);
  made.Create(parentWrapper->ChildParent(), nextId_++);
  if (!made.Window()) {
    wrappers_.erase(&control);
    return;
  }
  made.ApplyDpi();
  UpdateTooltip(made);
  if (auto* container = dynamic_cast<Container*>(&control)) CreateChildren(*container);
}

void Win32Backend::CreateChildren(Container& container) {
  // Parents first, in control order: the z-order is the tab order.
  for (int i = 0; i < container.ControlCount(); ++i) CreateWindowFor(container.GetControl(i));
  if (auto* pages = dynamic_cast<PageControl*>(&container)) {
    if (auto* window = dynamic_cast<PageControlWindow*>(WrapperOf(*pages))) window->RebuildTabs();
  }
}

void Win32Backend::ApplyZOrder(Container& container) {
  // Windows' z-order among siblings is the tab order: keep it the control order.
  NativeControl* parent = WrapperOf(container);
  if (!parent) return;
  HWND after = HWND_TOP;
  if (auto* pages = dynamic_cast<PageControlWindow*>(parent); pages && pages->TabWindow()) after = pages->TabWindow();
  for (int i = 0; i < container.ControlCount(); ++i) {
    NativeControl* child = WrapperOf(container.GetControl(i));
    if (!child || !child->Window()) continue;
    const HWND expected = after == HWND_TOP ? GetWindow(GetParent(child->Window()), GW_CHILD) : GetWindow(after, GW_HWNDNEXT);
    if (expected != child->Window())
      SetWindowPos(child->Window(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    after = child->Window();
  }
}

void Win32Backend::DropWrappers(Control&) {
  // Windows that went (with their parent) left their wrappers without a window.
  for (auto it = wrappers_.begin(); it != wrappers_.end();) {
    if (!it->second->Window())
      it = wrappers_.erase(it);
    else
      ++it;
  }
}

void Win32Backend::ControlAdded(Control& control) {
  if (dynamic_cast<Form*>(&control)) return;
  FormWindow* form = FormWindowOf(control);
  if (!form || !form->Window()) return;
  CreateWindowFor(control);
  if (Container* parent = control.Parent()) {
    ApplyZOrder(*parent);
    if (auto* pages = dynamic_cast<PageControl*>(parent)) {
      if (auto* window = dynamic_cast<PageControlWindow*>(WrapperOf(*pages))) window->RebuildTabs();
    }
  }
  LayoutForm(form->GetForm());
}

void Win32Backend::ControlRemoving(Control& control) {
  NativeControl* wrapper = WrapperOf(control);
  if (!wrapper || dynamic_cast<Form*>(&control)) return;
  if (FormWindow* form = FormWindowOf(control); form && form->Window() && form->Tooltip()) {
    // Tools of the windows that go.
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    for (auto& [c, w] : wrappers_) {
      if (!w->Window() || (w->Window() != wrapper->Window() && !IsChild(wrapper->Window(), w->Window()))) continue;
      info.hwnd = form->Window();
      info.uId = reinterpret_cast<UINT_PTR>(w->Window());
      SendMessageW(form->Tooltip(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
  }
  HWND window = wrapper->Window();
  const bool page = dynamic_cast<TabSheet*>(&control) != nullptr;
  Container* parent = control.Parent();
  DestroyWindow(window);
  wrappers_.erase(&control);
  DropWrappers(control);
  if (page && parent) {
    if (auto* pages = dynamic_cast<PageControlWindow*>(WrapperOf(*parent))) pages->RebuildTabs();
  }
}

void Win32Backend::ControlDestroyed(const Control& control) {
  auto it = wrappers_.find(&control);
  if (it == wrappers_.end()) return;
  // Normally its window went with its parent's or its form's; a window still there loses its
  // wrapper first, so none of its last messages reach the control.
  std::unique_ptr<NativeControl> wrapper = std::move(it->second);
  wrappers_.erase(it);
  if (HWND window = wrapper->Window()) {
    wrapper.reset();
    DestroyWindow(window);
  }
}

void Win32Backend::ControlChanged(Control& control, Property what) {
  NativeControl* wrapper = WrapperOf(control);
  if (!wrapper) return;
  wrapper->Update(what);
  switch (what) {
    case Property::Hint:
      UpdateTooltip(*wrapper);
      break;
    case Property::Caption:
    case Property::TabVisible:
      // A page's tab is in its page control's strip.
      if (auto* page = dynamic_cast<TabSheet*>(&control); page && page->GetPageControl()) {
        if (NativeControl* pages = WrapperOf(*page->GetPageControl())) pages->Update(what);
      }
      break;
    case Property::ActivePage:
    case Property::Visible:
      if (FormWindow* form = FormWindowOf(control); form && !dynamic_cast<Form*>(&control)) LayoutForm(form->GetForm());
      break;
    case Property::Font:
      if (dynamic_cast<Container*>(&control)) {
        for (auto& [c, w] : wrappers_) {
          if (w.get() != wrapper && w->Window() && IsChild(wrapper->Window(), w->Window())) w->ApplyDpi();
        }
      }
      break;
    case Property::Focus:
      SetFocus(control);
      break;
    default:
      break;
  }
}

void Win32Backend::UpdateTooltip(NativeControl& wrapper) {
  FormWindow* form = FormWindowOf(wrapper.GetControl());
  if (!form || !form->Window() || !wrapper.Window() || &wrapper == form) return;
  const Control& control = wrapper.GetControl();
  const std::string hint = ShortHint(control.Hint());
  const bool wanted = control.ShowHint() && !hint.empty();
  HWND tip = wanted ? form->Tooltip() : nullptr;
  if (!tip) {
    // No tool was ever made when no tooltip window exists.
    return;
  }
  std::wstring text = Widen(hint);
  TOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = form->Window();
  info.uId = reinterpret_cast<UINT_PTR>(wrapper.Window());
  info.lpszText = text.data();
  SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  if (wanted) SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

// ---------------------------------------------------------------------------------------------
// Layout

void Win32Backend::LayoutChanged(Container& container) {
  if (FormWindow* form = FormWindowOf(container); form && form->Window()) LayoutForm(form->GetForm());
}

void Win32Backend::ScrollChildren(ScrollBox& box) {
  if (FormWindow* form = FormWindowOf(box)) LayoutForm(form->GetForm());
}

void Win32Backend::LayoutForm(Form& form) {
  auto* window = static_cast<FormWindow*>(WrapperOf(form));
  if (!window || !window->Window() || IsIconic(window->Window())) return;
  if (layoutDepth_ > 0) {
    layoutAgain_ = true;
    return;
  }
  ++layoutDepth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{layoutDepth_};
  do {
    layoutAgain_ = false;
    RECT client;
    GetClientRect(window->Window(), &client);
    const int dpi = window->FormDpi();
    const std::vector<LayoutResult> results = ComputeLayout(form, {client.right, client.bottom}, dpi, measurer_);

    struct Batch {
      HWND parent;
      std::vector<std::pair<HWND, std::pair<RECT, UINT>>> moves;
    };
    std::vector<Batch> batches;
    std::unordered_map<const Control*, bool> placed;
    for (const LayoutResult& result : results) {
      NativeControl* wrapper = WrapperOf(*result.control);
      if (!wrapper || !wrapper->Window() || wrapper == window) continue;
      placed[result.control] = true;
      RECT target{result.bounds.left, result.bounds.top, result.bounds.Right(), result.bounds.Bottom()};
      if (auto* box = dynamic_cast<ScrollBox*>(result.control->Parent())) {
        if (auto* boxWindow = dynamic_cast<ScrollBoxWindow*>(WrapperOf(*box))) OffsetRect(&target, 0, -boxWindow->PositionPixels());
      }
      if (auto* boxWindow = dynamic_cast<ScrollBoxWindow*>(wrapper))
        boxWindow->SetScrollInfo(result.scrollRange, result.clientSize.height, result.vertScrollBar);
      HWND hwnd = wrapper->Window();
      HWND parent = GetParent(hwnd);
      RECT now;
      GetWindowRect(hwnd, &now);
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&now), 2);
      UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
      if (now.left == target.left && now.top == target.top) flags |= SWP_NOMOVE;
      if (now.right - now.left == target.right - target.left && now.bottom - now.top == target.bottom - target.top)
        flags |= SWP_NOSIZE;
      const bool show = wrapper->ShouldShow();
      const bool shown = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
      if (show != shown) flags |= show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
      // Moves that change nothing are skipped.
      if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) == (SWP_NOMOVE | SWP_NOSIZE) && show == shown) continue;
      auto batch = std::find_if(batches.begin(), batches.end(), [&](const Batch& b) { return b.parent == parent; });
      if (batch == batches.end()) batch = batches.insert(batches.end(), Batch{parent, {}});
      batch->moves.push_back({hwnd, {target, flags}});
    }
    for (const Batch& batch : batches) {
      HDWP defer = BeginDeferWindowPos(static_cast<int>(batch.moves.size()));
      for (const auto& [hwnd, move] : batch.moves) {
        const RECT& r = move.first;
        if (defer) defer = DeferWindowPos(defer, hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, move.second);
        if (!defer) SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, move.second);
      }
      if (defer) EndDeferWindowPos(defer);
    }
    // Controls out of the layout (hidden themselves or in a hidden parent): hidden ones go.
    for (auto& [control, wrapper] : wrappers_) {
      if (!wrapper->Window() || wrapper.get() == window || placed.count(control) || control->ParentForm() != &form)
        continue;
      if (!wrapper->ShouldShow() && (GetWindowLongPtrW(wrapper->Window(), GWL_STYLE) & WS_VISIBLE))
        ShowWindow(wrapper->Window(), SW_HIDE);
    }
  } while (layoutAgain_);
  // The focus does not stay on a window that went out of sight (a page turned away).
  HWND focus = GetFocus();
  if (focus && IsChild(window->Window(), focus) && !IsWindowVisible(focus)) {
    HWND next = GetNextDlgTabItem(window->Window(), focus, FALSE);
    ::SetFocus(next && IsWindowVisible(next) ? next : window->Window());
  }
}

void Win32Backend::RefontForm(Form& form) {
  for (auto& [control, wrapper] : wrappers_) {
    if (wrapper->Window() && control->ParentForm() == &form && control != &form) wrapper->ApplyDpi();
  }
  if (auto* window = static_cast<FormWindow*>(WrapperOf(form))) {
    if (window->Tooltip()) SendMessageW(window->Tooltip(), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(form)), FALSE);
  }
  LayoutForm(form);
}

// ---------------------------------------------------------------------------------------------
// Handles and focus

WindowHandle Win32Backend::HandleOf(const Control& control) {
  // The window is made when it is first needed.
  if (Form* form = control.ParentForm()) EnsureFormWindow(*form);
  NativeControl* wrapper = WrapperOf(control);
  return wrapper ? reinterpret_cast<WindowHandle>(wrapper->Window()) : 0;
}

void Win32Backend::RepaintNow(Control& control) {
  NativeControl* wrapper = WrapperOf(control);
  if (!wrapper || !wrapper->Window()) return;
  RedrawWindow(wrapper->Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Win32Backend::SetFocus(Control& control) {
  NativeControl* wrapper = WrapperOf(control);
  if (!wrapper || !wrapper->Window()) return;
  HWND target = wrapper->Window();
  if (auto* pages = dynamic_cast<PageControlWindow*>(wrapper); pages && pages->TabWindow()) target = pages->TabWindow();
  ::SetFocus(target);
}

bool Win32Backend::Focused(const Control& control) {
  NativeControl* wrapper = WrapperOf(control);
  if (!wrapper || !wrapper->Window()) return false;
  HWND focus = GetFocus();
  if (auto* pages = dynamic_cast<PageControlWindow*>(wrapper); pages && focus == pages->TabWindow()) return true;
  return focus == wrapper->Window();
}

// ---------------------------------------------------------------------------------------------
// Forms

HWND Win32Backend::OwnerFor(Form& form) const {
  // A modal form stays above the form that opened it; the rest belong to the application.
  if (form.IsModal()) {
    HWND active = GetActiveWindow();
    if (active && WrapperOfWindow(active) && active != reinterpret_cast<HWND>(HandleOfExisting(form))) return active;
    if (Form* main = Application::Instance().MainForm(); main && main != &form) {
      if (NativeControl* wrapper = WrapperOf(*main); wrapper && wrapper->Window()) return wrapper->Window();
    }
  }
  return appWindow_;
}

WindowHandle Win32Backend::HandleOfExisting(const Control& control) const {
  NativeControl* wrapper = WrapperOf(control);
  return wrapper ? reinterpret_cast<WindowHandle>(wrapper->Window()) : 0;
}

FormWindow& Win32Backend::EnsureFormWindow(Form& form) {
  if (auto* existing = static_cast<FormWindow*>(WrapperOf(form)); existing && existing->Window()) return *existing;
  if (!appWindow_) InitializeApplication(Application::Instance());
  wrappers_.erase(&form);
  auto made = std::make_unique<FormWindow>(*this, form);
  FormWindow& window = *made;
  wrappers_[&form] = std::move(made);
  window.Create(OwnerFor(form), 0);
  if (!window.Window()) return window;
  CreateChildren(form);
  ApplyZOrder(form);
  window.ApplyClientSize();
  PositionForm(form, window);
  // The window may have landed on a monitor of another DPI.
  if (const int dpi = WindowDpi(window.Window()); dpi != window.FormDpi()) {
    window.SetDpi(dpi);
    window.ApplyClientSize();
    RefontForm(form);
  }
  LayoutForm(form);
  return window;
}

void Win32Backend::PlaceForm(Form& form) {
  if (auto* window = static_cast<FormWindow*>(WrapperOf(form)); window && window->Window()) PositionForm(form, *window);
}

void Win32Backend::PositionForm(Form& form, FormWindow& window) {
  // The core decided where the form goes (96 DPI, on the work area it was told).
  HWND hwnd = window.Window();
  RECT rect;
  GetWindowRect(hwnd, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int dpi = window.FormDpi();
  int left = ScaleForDpi(form.Left(), dpi);
  int top = ScaleForDpi(form.Top(), dpi);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromPoint(POINT{left + width / 2, top + height / 2}, MONITOR_DEFAULTTONEAREST), &info);
  // Keep the caption on the work area.
  left = std::max<int>(info.rcWork.left, std::min<int>(left, info.rcWork.right - width));
  top = std::max<int>(info.rcWork.top, std::min<int>(top, info.rcWork.bottom - height));
  if (left == rect.left && top == rect.top) return;
  SetWindowPos(hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Win32Backend::ShowForm(Form& form) {
  FormWindow& window = EnsureFormWindow(form);
  // No window (a session without a display refuses every one): the caller is told.
  if (!window.Window()) throw std::runtime_error("Error creating window handle.");
  LayoutForm(form);
  ShowWindow(window.Window(), SW_SHOW);
  SetForegroundWindow(window.Window());
}

bool Win32Backend::InsertSystemMenuItem(Form& form, int position, std::uint32_t id, const std::string& caption) {
  FormWindow& window = EnsureFormWindow(form);
  HMENU menu = window.Window() ? GetSystemMenu(window.Window(), FALSE) : nullptr;
  if (!menu) return false;
  if (caption == "-") return InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_SEPARATOR, id, nullptr) != FALSE;
  return InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_STRING, id, Widen(caption).c_str()) != FALSE;
}

void Win32Backend::HideForm(Form& form) {
  NativeControl* window = WrapperOf(form);
  if (window && window->Window()) ShowWindow(window->Window(), SW_HIDE);
}

void Win32Backend::RunModal(Form& form) {
  ShowForm(form);
  NativeControl* window = WrapperOf(form);
  if (!window || !window->Window()) return;
  HWND self = window->Window();
  // Other windows of the thread take no input until the modal form is done.
  std::vector<HWND> disabled;
  DisableState state{self, &disabled};
  EnumThreadWindows(GetCurrentThreadId(), &DisableOthers, reinterpret_cast<LPARAM>(&state));
  MSG msg;
  while (form.GetModalResult() == ModalResult::None && IsWindow(self) && !quit_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // WM_QUIT ends the modal loop and then the program's own.
      quit_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    Dispatch(msg);
  }
  // Enabled again before the modal form hides, so the owner is activated again.
  for (HWND other : disabled) {
    if (IsWindow(other)) EnableWindow(other, TRUE);
  }
  if (IsWindow(self)) ShowWindow(self, SW_HIDE);
}

void Win32Backend::DestroyForm(Form& form) {
  NativeControl* window = WrapperOf(form);
  if (!window) return;
  HWND hwnd = window->Window();
  if (hwnd) {
    // The form may be half destroyed: its last messages go to the default procedure.
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->Detach();
    DestroyWindow(hwnd);
  }
  wrappers_.erase(&form);
  DropWrappers(form);
}

std::intptr_t Win32Backend::DefaultWindowProc(Form& form, const Message& message) {
  auto* window = static_cast<FormWindow*>(WrapperOf(form));
  if (!window || !window->Window()) return 0;
  return window->Default(message.msg, message.wParam, message.lParam);
}

int Win32Backend::FormDpi(const Form& form) {
  if (NativeControl* window = WrapperOf(form); window && window->Window()) return static_cast<FormWindow*>(window)->FormDpi();
  // Not made yet: the DPI of the monitor it will show on.
  if (Form* main = Application::Instance().MainForm(); main && main != &form) {
    if (NativeControl* mainWindow = WrapperOf(*main); mainWindow && mainWindow->Window())
      return static_cast<FormWindow*>(mainWindow)->FormDpi();
  }
  return DpiAtPoint(POINT{0, 0});
}

Size Win32Backend::NonClientSize(const Form& form) {
  const CreateParams params = const_cast<Form&>(form).GetCreateParams();
  const int dpi = FormDpi(form);
  RECT rect{0, 0, 0, 0};
  AdjustWindowRectForDpi(rect, params.style, params.exStyle, dpi);
  return {MulDiv(rect.right - rect.left, 96, dpi), MulDiv(rect.bottom - rect.top, 96, dpi)};
}

// ---------------------------------------------------------------------------------------------
// The application

void Win32Backend::InitializeApplication(Application& application) {
  if (appWindow_) return;
  appWindow_ = CreateWindowExW(WS_EX_TOOLWINDOW, kApplicationClass, Widen(application.Title()).c_str(),
                               WS_POPUP | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr,
                               instance_, nullptr);
}

void Win32Backend::ApplicationChanged(Application& application) {
  if (appWindow_) SetWindowTextW(appWindow_, Widen(application.Title()).c_str());
  for (auto& [control, wrapper] : wrappers_) {
    if (auto* form = dynamic_cast<FormWindow*>(wrapper.get()); form && form->Window()) form->SetIcons();
  }
}

void Win32Backend::Dispatch(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root && dynamic_cast<FormWindow*>(WrapperOfWindow(root))) {
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages of the page control that holds the focus.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000)) {
      for (HWND at = GetFocus(); at && at != root; at = GetParent(at)) {
        if (auto* pages = dynamic_cast<PageControlWindow*>(WrapperOfWindow(at))) {
          Trampoline(0, [&]() -> LRESULT {
            pages->CycleTab((GetKeyState(VK_SHIFT) & 0x8000) != 0);
            return 0;
          });
          return;
        }
        if (auto* pages = PageControlWindow::OfTab(at)) {
          Trampoline(0, [&]() -> LRESULT {
            pages->CycleTab((GetKeyState(VK_SHIFT) & 0x8000) != 0);
            return 0;
          });
          return;
        }
      }
    }
    // Tab, Shift+Tab, arrows, access keys, Enter and Esc, as in dialogs.
    if (IsDialogMessageW(root, &msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void Win32Backend::RunMessageLoop(Application& application) {
  // A main form without a window could never be closed: there is nothing to wait for.
  if (Form* main = application.MainForm(); !main || !HandleOfExisting(*main)) return;
  MSG msg;
  while (!quit_ && !application.Terminated()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit_ = true;
      break;
    }
    Dispatch(msg);
  }
}

void Win32Backend::ProcessMessages() {
  MSG msg;
  while (!quit_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit_ = true;
      break;
    }
    Dispatch(msg);
  }
}

void Win32Backend::Terminate() { PostQuitMessage(0); }

Rect Win32Backend::WorkArea() {
  HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (Form* main = Application::Instance().MainForm()) {
    if (NativeControl* window = WrapperOf(*main); window && window->Window())
      monitor = MonitorFromWindow(window->Window(), MONITOR_DEFAULTTONEAREST);
  }
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return {};
  const RECT& work = info.rcWork;
  const int dpi = DpiAtPoint(POINT{work.left, work.top});
  return {MulDiv(work.left, 96, dpi), MulDiv(work.top, 96, dpi), MulDiv(work.right - work.left, 96, dpi),
          MulDiv(work.bottom - work.top, 96, dpi)};
}

ModalResult Win32Backend::ShowMessageBox(const std::string& title, const std::string& text, DialogType type,
                                         DialogButtons buttons, Form* owner) {
  UINT flags = 0;
  switch (type) {
    case DialogType::Warning: flags |= MB_ICONWARNING; break;
    case DialogType::Error: flags |= MB_ICONERROR; break;
    case DialogType::Information: flags |= MB_ICONINFORMATION; break;
    case DialogType::Confirmation: flags |= MB_ICONQUESTION; break;
    case DialogType::Custom: break;
  }
  ModalResult fallback = ModalResult::Ok;
  switch (buttons) {
    case DialogButtons::Ok: flags |= MB_OK; break;
    case DialogButtons::OkCancel: flags |= MB_OKCANCEL; fallback = ModalResult::Cancel; break;
    case DialogButtons::YesNo: flags |= MB_YESNO; fallback = ModalResult::No; break;
    case DialogButtons::YesNoCancel: flags |= MB_YESNOCANCEL; fallback = ModalResult::Cancel; break;
  }
  HWND ownerWindow = nullptr;
  if (owner) {
    if (NativeControl* window = WrapperOf(*owner); window && window->Window() && IsWindowVisible(window->Window()))
      ownerWindow = window->Window();
  }
  // No form given (none made by the application): the active one of ours.
  if (HWND active = GetActiveWindow(); !ownerWindow && active && dynamic_cast<FormWindow*>(WrapperOfWindow(active)))
    ownerWindow = active;
  if (!ownerWindow) flags |= MB_TASKMODAL;
  const int answer = MessageBoxW(ownerWindow, Widen(text).c_str(), Widen(title).c_str(), flags);
  switch (answer) {
    case IDOK: return ModalResult::Ok;
    case IDCANCEL: return ModalResult::Cancel;
    case IDYES: return ModalResult::Yes;
    case IDNO: return ModalResult::No;
    case IDABORT: return ModalResult::Abort;
    case IDRETRY: return ModalResult::Retry;
    case IDIGNORE: return ModalResult::Ignore;
    default: return fallback;  // no box could be shown: the answer that changes nothing
  }
}

namespace {

void AppendItems(HMENU menu, MenuItem& parent, std::vector<MenuItem*>& items) {
  for (int i = 0; i < parent.Count(); ++i) {
    MenuItem& item = parent.Item(i);
    if (item.Caption() == "-") {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT state = item.Enabled() ? MF_ENABLED : MF_GRAYED;
    const std::wstring caption = Widen(item.Caption());
    if (item.Count() > 0) {
      HMENU sub = CreatePopupMenu();
      AppendItems(sub, item, items);
      AppendMenuW(menu, MF_POPUP | MF_STRING | state, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
    } else {
      items.push_back(&item);
      AppendMenuW(menu, MF_STRING | state, items.size(), caption.c_str());
    }
  }
}

}  // namespace

void Win32Backend::TrackPopup(PopupMenu& menu, POINT screen, HWND owner) {
  if (!owner) owner = appWindow_;
  HMENU popup = CreatePopupMenu();
  if (!popup) return;
  std::vector<MenuItem*> items;
  AppendItems(popup, menu, items);
  // The menu closes when the user clicks elsewhere only while its owner is in front.
  SetForegroundWindow(owner);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(popup);
  if (chosen >= 1 && chosen <= items.size()) items[chosen - 1]->Click();
}

void Win32Backend::ShowPopupMenu(PopupMenu& menu, Point screenPoint, Form* owner) {
  HWND ownerWindow = nullptr;
  int dpi = SystemDpi();
  if (owner) {
    if (auto* window = static_cast<FormWindow*>(WrapperOf(*owner)); window && window->Window()) {
      ownerWindow = window->Window();
      dpi = window->FormDpi();
    }
  }
  TrackPopup(menu, POINT{ScaleForDpi(screenPoint.x, dpi), ScaleForDpi(screenPoint.y, dpi)}, ownerWindow);
}

void InstallWin32Backend() {
  EnableDpiAwareness();
  SetBackend(std::make_unique<Win32Backend>());
}

}  // namespace ui::win32
