#pragma once
// The toolkit's backend for host tests: the tree in memory, no windows.
//
// Text metrics (FixedTextMeasurer): a font of height h (LOGFONT convention at 96 DPI; 0 is
// the default font, counted as -12) gives characters 6 x |h| / 12 pixels wide and lines
// 15 x |h| / 12 high, both times dpi / 96, rounded; bold and italic change nothing. A text's
// width is its widest line (characters are UTF-8 code points); its height is the number of
// lines (SplitLines, one for the empty text) times the line height.
// With a wrap width, words (split at blanks) are put on a line while they fit; a word wider
// than the width has a line of its own. The other metrics are the ITextMeasurer defaults:
// scroll bar 17, border 2, tab row one line + 6, page frame 4 (times dpi / 96).
//
// Windows: a form's window is made when it is first shown; it and every control on it then
// get handles (numbers from 0x1000 up, by 4), as do controls added later. Form::Show raises
// onShow, and then the form's window procedure receives WM_ACTIVATE (wParam 1) and WM_PAINT,
// as Windows delivers them. Whatever reaches the system's default window procedure is
// recorded. The DPI of every form and the work area are settable.
//
// What the user does: the User* operations enter the core as Windows enters a window
// procedure, so an exception goes to Application::HandleException. They refuse (false) what
// a user could not do: a click on a hidden or disabled control, a tab that is hidden.
//
// Message boxes are recorded and answered from a queue (when it is empty: OK for OK and
// OK/Cancel, Yes for Yes/No and Yes/No/Cancel). A modal form runs onModal (when set) and is
// closed with Cancel if the hook left no modal result; meanwhile the user cannot reach the
// other forms. Popup menus are recorded and the
// queued item (by name) is clicked; an empty name or an empty queue dismisses the menu.
// The message loop runs the posted tasks; when none are left it closes the main form as a
// user would.
//
// A window with WS_SYSMENU has a system menu of the standard items (Restore, Move, Size,
// Minimize, Maximize, a separator with id 0, Close: positions 0 to 6) that insertions change;
// choosing an item sends WM_SYSCOMMAND with its id. Enter and Esc click the form's default
// and cancel buttons; Tab moves the focus along TabOrder.

#include "app/ui/Toolkit.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace ui::headless {

class FixedTextMeasurer : public ITextMeasurer {
 public:
  Size MeasureText(const Font& font, const std::string& text, int dpi, int wrapWidth) override;
  static int CharWidth(const Font& font, int dpi);
  static int LineHeight(const Font& font, int dpi);
};

class HeadlessBackend : public Backend {
 public:
  struct Event {
    enum class Kind { Added, Removing, Changed, Layout };
    Kind kind;
    const Control* control;
    std::string name;
    Property property;
  };
  struct MessageBoxCall {
    std::string title;
    std::string text;
    DialogType type;
    DialogButtons buttons;
    Form* owner;
  };
  struct PopupCall {
    PopupMenu* menu;
    Point point;
    Form* owner;
  };
  struct DefaultProcCall {
    Form* form;
    std::string formName;
    Message message;
  };

  HeadlessBackend();

  // Settings.
  void SetDpi(int dpi) { dpi_ = dpi; }
  void SetWorkArea(Rect area) { workArea_ = area; }

  // The tree changes the core told (Changed: ControlChanged, Layout: LayoutChanged).
  std::vector<Event> events;
  int CountEvents(Event::Kind kind, const Control* control = nullptr) const;
  bool WasChanged(const Control& control, Property what) const;

  // Message boxes.
  void QueueMessageBoxAnswer(ModalResult answer) { messageBoxAnswers_.push_back(answer); }
  std::vector<MessageBoxCall> messageBoxes;

  // Modal forms: the hook runs inside ShowModal's loop; the names of the forms shown modally.
  std::function<void(Form&)> onModal;
  std::vector<std::string> modalForms;

  // Popup menus.
  void QueuePopupChoice(std::string itemName) { popupChoices_.push_back(std::move(itemName)); }
  std::vector<PopupCall> popups;

  // Messages that reached the default window procedure.
  std::vector<DefaultProcCall> defaultProcCalls;

  // The message loop and ProcessMessages run these in order.
  void Post(std::function<void()> task) { tasks_.push_back(std::move(task)); }

  struct SystemMenuItem {
    std::uint32_t id;
    std::string caption;
  };
  // The system menu of a form's window (empty when it has none).
  std::vector<SystemMenuItem> SystemMenu(const Form& form) const;

  // What the user does.
  bool UserClick(Button& button);
  bool UserClick(CheckBox& box);
  bool UserRightClick(Button& button);  // its popup menu, at the button
  bool UserChooseTab(TabSheet& page);
  bool UserChooseMenuItem(MenuItem& item);
  void UserClose(Form& form);
  std::intptr_t UserSendMessage(Form& form, std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
  void UserScroll(ScrollBox& box, int position);
  bool UserChooseSystemMenuItem(Form& form, std::uint32_t id);  // false: no such item
  bool UserPressEnter(Form& form);   // false: no default button to click
  bool UserPressEscape(Form& form);  // false: no cancel button to click
  Control* UserPressTab(Form& form, bool backwards = false);  // the control focused then

  // What the windows are.
  bool IsWindowShown(const Form& form) const;
  bool HasWindow(const Form& form) const;
  CreateParams CreateParamsOf(const Form& form) const;  // as filled when the window was made
  int RepaintCount(const Control& control) const;
  const Control* FocusedControl() const { return focused_; }
  bool ApplicationInitialized() const { return appHandle_ != 0; }
  bool LoopRan() const { return loopRuns_ > 0; }
  // The layout of a form at the backend's DPI (as a Win32 backend would place the windows).
  std::vector<LayoutResult> LayoutAtDpi(const Form& form);

  // Backend.
  ITextMeasurer& TextMeasurer() override { return measurer_; }
  void ControlAdded(Control& control) override;
  void ControlRemoving(Control& control) override;
  void ControlChanged(Control& control, Property what) override;
  void LayoutChanged(Container& container) override;
  void ControlDestroyed(const Control& control) override;
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
  WindowHandle ApplicationHandle() override { return appHandle_; }
  void RunMessageLoop(Application& application) override;
  void ProcessMessages() override;
  void Terminate() override {}
  Rect WorkArea() override { return workArea_; }
  bool InsertSystemMenuItem(Form& form, int position, std::uint32_t id, const std::string& caption) override;
  ModalResult ShowMessageBox(const std::string& title, const std::string& text, DialogType type,
                             DialogButtons buttons, Form* owner) override;
  void ShowPopupMenu(PopupMenu& menu, Point screenPoint, Form* owner) override;

 private:
  void MakeHandles(const Control& control);
  void MakeWindow(Form& form);
  bool Usable(const Control& control) const;

  FixedTextMeasurer measurer_;
  int dpi_ = 96;
  Rect workArea_{0, 0, 1920, 1040};
  WindowHandle nextHandle_ = 0x1000;
  WindowHandle appHandle_ = 0;
  std::map<const Control*, WindowHandle> handles_;
  std::map<const Control*, bool> shown_;
  std::map<const Control*, CreateParams> createParams_;
  std::map<const Control*, int> repaints_;
  std::map<const Control*, std::vector<SystemMenuItem>> systemMenus_;
  const Control* focused_ = nullptr;
  std::deque<ModalResult> messageBoxAnswers_;
  std::deque<std::string> popupChoices_;
  std::deque<std::function<void()>> tasks_;
  std::vector<const Form*> modalStack_;
  int loopRuns_ = 0;
};

// Installs a fresh headless backend and a fresh application for one test; puts the previous
// backend back at the end (the application's forms are destroyed first).
class ScopedHeadlessBackend {
 public:
  ScopedHeadlessBackend();
  ~ScopedHeadlessBackend();
  ScopedHeadlessBackend(const ScopedHeadlessBackend&) = delete;
  ScopedHeadlessBackend& operator=(const ScopedHeadlessBackend&) = delete;
  HeadlessBackend& operator*() const { return *backend_; }
  HeadlessBackend* operator->() const { return backend_; }

 private:
  HeadlessBackend* backend_;
  std::unique_ptr<Backend> previous_;
};

}  // namespace ui::headless
