#pragma once
// The window toolkit the forms and frames are written in: a retained tree of controls with
// properties, alignment, auto-size, control order and events. The portable core decides the
// layout (in pixels at 96 DPI), captions, visibility, colours and the order events run in; a
// backend (app/ui/win32 for Windows, the headless one for tests) turns the tree into windows.
// No <windows.h> here.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui {

// ---------------------------------------------------------------------------------------------
// Basic types

// A window handle (HWND) as a number; 0 is none. The headless backend hands out its own.
using WindowHandle = std::uintptr_t;

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
  bool operator==(const Rect&) const = default;
};

// A colour: an RGB value, or one of the system's colours (resolved by the backend, so high
// contrast themes work), or the default of the control.
class Color {
 public:
  enum class Kind { Default, Rgb, System };
  constexpr Color() = default;
  static constexpr Color Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Color(Kind::Rgb, static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
                                (static_cast<std::uint32_t>(b) << 16));
  }
  // index: a COLOR_* number of GetSysColor (COLOR_WINDOW 5, COLOR_WINDOWTEXT 8,
  // COLOR_BTNFACE 15, COLOR_GRAYTEXT 17, ...).
  static constexpr Color System(int index) { return Color(Kind::System, static_cast<std::uint32_t>(index)); }
  constexpr Kind kind() const { return kind_; }
  // The COLORREF (0x00BBGGRR) for Rgb, the index for System, 0 for Default.
  constexpr std::uint32_t value() const { return value_; }
  bool operator==(const Color&) const = default;

 private:
  constexpr Color(Kind kind, std::uint32_t value) : kind_(kind), value_(value) {}
  Kind kind_ = Kind::Default;
  std::uint32_t value_ = 0;
};

inline constexpr int kColorWindow = 5;
inline constexpr int kColorWindowText = 8;
inline constexpr int kColorBtnFace = 15;
inline constexpr int kColorGrayText = 17;
inline constexpr Color clDefault{};
inline constexpr Color clWindow = Color::System(kColorWindow);
inline constexpr Color clWindowText = Color::System(kColorWindowText);
inline constexpr Color clGrayText = Color::System(kColorGrayText);
inline constexpr Color clBlack = Color::Rgb(0, 0, 0);
inline constexpr Color clGreen = Color::Rgb(0, 128, 0);
inline constexpr Color clRed = Color::Rgb(255, 0, 0);

// A font. An empty name and height 0 mean the system's message font (per DPI in the
// backend); height follows the negative-height convention of LOGFONT at 96 DPI (-11 is a font
// whose characters are 11 pixels high), scaled by the backend.
struct Font {
  std::string name;
  int height = 0;
  bool bold = false;
  bool italic = false;
  Color color;  // Default: the control's normal text colour
  bool operator==(const Font&) const = default;
};

enum class Align { None, Top, Bottom, Left, Right, Client };
enum class TextAlign { Left, Center, Right };
enum class TextLayout { Top, Center, Bottom };
enum class ScrollBars { None, Horizontal, Vertical, Both, AutoVertical, AutoHorizontal, AutoBoth };
enum class BorderStyle { None, Single };

// Anchors of a control that is not aligned: an edge anchored to the parent keeps its distance
// to the parent's same edge when the parent is resized (left + right stretches).
struct Anchors {
  bool left = true;
  bool top = true;
  bool right = false;
  bool bottom = false;
  bool operator==(const Anchors&) const = default;
};

// Space a control keeps around itself (all sides get `around` added).
struct BorderSpacing {
  int around = 0;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const BorderSpacing&) const = default;
};

// Space a container keeps between its client edges and its children (leftRight, topBottom)
// and between neighbouring children (horizontal, vertical). The distance between two
// controls, or a control and its parent's edge, is the largest of the values that apply.
struct ChildSizing {
  int leftRightSpacing = 0;
  int topBottomSpacing = 0;
  int horizontalSpacing = 0;
  int verticalSpacing = 0;
  bool operator==(const ChildSizing&) const = default;
};

struct SizeConstraints {
  int minWidth = 0;
  int minHeight = 0;
  int maxWidth = 0;  // 0: no limit
  int maxHeight = 0;
  bool operator==(const SizeConstraints&) const = default;
};

// Results of modal forms and message boxes (the IDOK... numbers of Windows).
enum class ModalResult { None = 0, Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// A window message as the form's window procedure sees it.
struct Message {
  std::uint32_t msg = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::intptr_t result = 0;
};

inline constexpr std::uint32_t WM_ACTIVATE_ = 0x0006;
inline constexpr std::uint32_t WM_PAINT_ = 0x000F;
inline constexpr std::uint32_t WM_SYSCOMMAND_ = 0x0112;
inline constexpr std::uint32_t WM_UPDATEUISTATE_ = 0x0128;

// Window-creation parameters a form may change before its window is made.
struct CreateParams {
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
};

class Control;
class Container;
class Form;
class Action;
class PopupMenu;
class Backend;
enum class Property;

// ---------------------------------------------------------------------------------------------
// Text metrics: layout measures text through this (fixed metrics in tests, the per-DPI font in
// the Win32 backend).

class ITextMeasurer {
 public:
  virtual ~ITextMeasurer() = default;
  // The size of text in font at dpi; wrapWidth > 0 wraps at that width (in pixels at dpi).
  // Lines are separated by "\r\n" or "\n". An empty text has the height of one line.
  virtual Size MeasureText(const Font& font, const std::string& text, int dpi, int wrapWidth) = 0;
};

// ---------------------------------------------------------------------------------------------
// Controls

// Every control. Not copied, not moved; owned by its parent (or, for forms, by whoever made
// them). Bounds are in pixels at 96 DPI, relative to the parent's client area.
class Control {
 public:
  explicit Control(std::string name = {});
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const;
  void SetName(std::string name);

  Container* Parent() const;
  Form* ParentForm() const;  // the form this control is on (itself for a form)

  // The caption (for a form its title, for a label its text). "&" marks the access key.
  const std::string& Caption() const;
  void SetCaption(std::string caption);

  bool Visible() const;
  void SetVisible(bool visible);
  // Visible and every parent visible.
  bool Showing() const;
  bool Enabled() const;
  void SetEnabled(bool enabled);

  const std::string& Hint() const;
  void SetHint(std::string hint);
  bool ShowHint() const;
  void SetShowHint(bool show);

  const Font& GetFont() const;
  void SetFont(Font font);
  Color GetColor() const;  // background; Default: the parent's
  void SetColor(Color color);

  Rect Bounds() const;
  void SetBounds(Rect bounds);
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int v);
  void SetTop(int v);
  void SetWidth(int v);
  void SetHeight(int v);

  // Aligned controls are stacked from the parent's edge inward in the order of their
  // position along that edge (Top: by top; Bottom: by bottom, lowest first; Left/Right
  // likewise); between equal positions, the control aligned or moved last goes nearest the
  // edge. So a new control aligned to the top at top 0 goes above those already there, and
  // setting a top-aligned control's top to 0 brings it back to the top. Hidden controls take
  // no space.
  Align GetAlign() const;
  void SetAlign(Align align);
  Anchors GetAnchors() const;
  void SetAnchors(Anchors anchors);
  const BorderSpacing& GetBorderSpacing() const;
  void SetBorderSpacing(BorderSpacing spacing);
  // An auto-sized control takes the size of its content: a label its text (its height only
  // when word-wrapped or aligned top/bottom), a container its children, a check box or button
  // its caption.
  bool AutoSize() const;
  void SetAutoSize(bool autoSize);
  const SizeConstraints& Constraints() const;
  void SetConstraints(SizeConstraints constraints);

  // Tab order follows control order; a control takes the focus by Tab when this is true.
  bool TabStop() const;
  void SetTabStop(bool tabStop);
  void SetFocus();
  bool Focused() const;

  // The index of this control among its parent's children (its control order).
  int ControlIndex() const;

  // The native window of the control once the backend made one; 0 before.
  WindowHandle Handle() const;

 protected:
  // Tells the backend and the layout that a property changed.
  void Changed(Property what);

 private:
  friend class Container;
  struct State;
  std::unique_ptr<State> state_;
};

// A control with children. Children are owned; their index order is the control order (the
// order they were added, unless moved), which is also the tab order.
class Container : public Control {
 public:
  explicit Container(std::string name = {});
  ~Container() override;

  // Creates a child of type T (constructed with args), makes this its parent and owner, and
  // appends it to the children. The child's name is set when name is not empty.
  template <class T, class... Args>
  T& Add(std::string name, Args&&... args) {
    auto child = std::make_unique<T>(std::forward<Args>(args)...);
    T& ref = *child;
    if (!name.empty()) ref.SetName(std::move(name));
    Adopt(std::move(child));
    return ref;
  }
  // Takes a control made elsewhere.
  Control& Adopt(std::unique_ptr<Control> child);
  // Destroys a child (and its window).
  void Remove(Control& child);

  int ControlCount() const;
  Control& GetControl(int index) const;
  // The child (at any depth) of this name, or null.
  Control* FindControl(const std::string& name) const;

  const ChildSizing& GetChildSizing() const;
  void SetChildSizing(ChildSizing sizing);

  // The client area, in pixels at 96 DPI, after the last layout.
  Size ClientSize() const;
  // Lays the children out again now (it also happens by itself when something changed).
  void Realign();

 private:
  struct ChildrenState;
  std::unique_ptr<ChildrenState> children_;
};

// A container of its own kind that forms place inside themselves (TFrame).
class Frame : public Container {
 public:
  explicit Frame(std::string name = {});
};

class Panel : public Container {
 public:
  explicit Panel(std::string name = {});
  BorderStyle GetBorderStyle() const;  // None: borderless (the default)
  void SetBorderStyle(BorderStyle style);
};

// A scroll box: children laid out in a virtual area as high as they need; its vertical scroll
// range is the height of that area (the bottom of the lowest child plus the spacing), and a
// vertical scroll bar appears when that is more than the box's height.
class ScrollBox : public Container {
 public:
  explicit ScrollBox(std::string name = {});
  BorderStyle GetBorderStyle() const;
  void SetBorderStyle(BorderStyle style);
  int VertScrollRange() const;
  int VertScrollPosition() const;
  void SetVertScrollPosition(int position);
};

class TabSheet;

class PageControl : public Container {
 public:
  explicit PageControl(std::string name = {});
  // Pages are its TabSheet children, in control order.
  TabSheet& AddPage(std::string name, std::string caption);
  int PageCount() const;
  TabSheet& Page(int index) const;
  TabSheet* ActivePage() const;
  void SetActivePage(TabSheet* page);
  int ActivePageIndex() const;
  std::function<void()> onChange;  // the user chose another tab
};

class TabSheet : public Container {
 public:
  explicit TabSheet(std::string name = {});
  PageControl* GetPageControl() const;
  int PageIndex() const;
  // A hidden tab: the page exists but has no tab and cannot be chosen.
  bool TabVisible() const;
  void SetTabVisible(bool visible);
};

class Button : public Control {
 public:
  explicit Button(std::string name = {});
  // A button that carries an action shows the action's caption (also when it changes later)
  // and runs it when clicked. Null removes it.
  Action* GetAction() const;
  void SetAction(Action* action);
  PopupMenu* GetPopupMenu() const;  // shown on right click / the context-menu key
  void SetPopupMenu(PopupMenu* menu);
  bool IsDefault() const;  // Enter
  void SetDefault(bool isDefault);
  bool IsCancel() const;  // Esc
  void SetCancel(bool isCancel);
  // When not None, a click sets the form's modal result (and so closes a modal form).
  ModalResult GetModalResult() const;
  void SetModalResult(ModalResult result);
  std::function<void()> onClick;
  // What a click does: onClick, else the action; then the modal result.
  void Click();
};

class CheckBox : public Control {
 public:
  explicit CheckBox(std::string name = {});
  bool Checked() const;
  // onChange runs when the value changes, by the user or by this call.
  void SetChecked(bool checked);
  std::function<void()> onChange;
  // A user's click: toggles.
  void Click();
};

class Label : public Control {
 public:
  explicit Label(std::string name = {});
  TextAlign Alignment() const;
  void SetAlignment(TextAlign alignment);
  TextLayout Layout() const;
  void SetLayout(TextLayout layout);
  bool WordWrap() const;
  void SetWordWrap(bool wrap);
  // The height of text in this label's font at 96 DPI (through the application's measurer).
  int TextHeight(const std::string& text) const;
};

// An icon from the program's resources (or the application's icon), drawn at the image's size.
class Image : public Control {
 public:
  explicit Image(std::string name = {});
  const std::string& IconResource() const;
  void SetIconResource(std::string resourceName);
  void SetApplicationIcon();
  bool Center() const;
  void SetCenter(bool center);
};

enum class ShapeKind { Rectangle, RoundRect, Ellipse };
enum class BrushStyle { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };

class Shape : public Control {
 public:
  explicit Shape(std::string name = {});
  ShapeKind Kind() const;
  void SetKind(ShapeKind kind);
  bool PenVisible() const;  // false: no outline
  void SetPenVisible(bool visible);
  Color BrushColor() const;
  void SetBrushColor(Color color);
  BrushStyle GetBrushStyle() const;
  void SetBrushStyle(BrushStyle style);
};

// A multi-line text box. Lines are kept without their line ends.
class Memo : public Control {
 public:
  explicit Memo(std::string name = {});
  const std::vector<std::string>& Lines() const;
  void AddLine(std::string line);
  void SetLines(std::vector<std::string> lines);
  void Clear();
  std::string Text() const;  // the lines joined with "\r\n"
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);
  BorderStyle GetBorderStyle() const;
  void SetBorderStyle(BorderStyle style);
  ScrollBars GetScrollBars() const;
  void SetScrollBars(ScrollBars bars);
  bool WordWrap() const;
  void SetWordWrap(bool wrap);
  int InnerBorder() const;
  void SetInnerBorder(int pixels);
};

// A rich-text view (RICHEDIT50W in Windows).
class RichView : public Control {
 public:
  explicit RichView(std::string name = {});
  // Loads rich text (an RTF document); text that is no RTF shows as plain text.
  void LoadRichText(std::string rtf);
  const std::string& RichText() const;
  bool ReadOnly() const;
  void SetReadOnly(bool readOnly);
  BorderStyle GetBorderStyle() const;
  void SetBorderStyle(BorderStyle style);
  ScrollBars GetScrollBars() const;
  void SetScrollBars(ScrollBars bars);
};

enum class ProgressState { Normal, Error, Paused };

class ProgressBar : public Control {
 public:
  explicit ProgressBar(std::string name = {});
  std::int64_t Min() const;
  std::int64_t Max() const;
  std::int64_t Position() const;
  void SetMin(std::int64_t v);
  void SetMax(std::int64_t v);
  void SetPosition(std::int64_t v);  // kept within Min..Max
  ProgressState State() const;
  void SetState(ProgressState state);
  // Paints the bar now (a long synchronous job calls it after each step).
  void Repaint();
};

// A tree with columns and check boxes (a report list whose rows can have children).
class TreeList : public Control {
 public:
  struct Column {
    std::string caption;
    int width = 0;
  };
  struct Node {
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;
    bool hasCheckBox = false;
    bool checked = false;
    bool expanded = false;
    std::uintptr_t data = 0;  // the owner's record for this node
  };

  explicit TreeList(std::string name = {});
  void SetColumns(std::vector<Column> columns);
  const std::vector<Column>& Columns() const;
  // Adds a node under parent (null: a root); data is the owner's.
  Node& AddChild(Node* parent, std::uintptr_t data = 0);
  const std::vector<std::unique_ptr<Node>>& Roots() const;
  void Expand(Node& node, bool expanded = true);
  void SetCheckBox(Node& node, bool hasCheckBox);
  void SetFullRowSelect(bool fullRow);
  // Images of the nodes: icon resource names, indexed by what onGetImageIndex answers.
  void SetImages(std::vector<std::string> iconResources);
  BorderStyle GetBorderStyle() const;
  void SetBorderStyle(BorderStyle style);
  // What a node shows: text per column, and the image of column 0 (-1: none).
  std::function<std::string(const Node&, int column)> onGetText;
  std::function<int(const Node&, int column)> onGetImageIndex;
  // The text a cell shows now (onGetText, else "Node").
  std::string CellText(const Node& node, int column) const;
  // Shows the nodes' texts again.
  void Invalidate();
};

// ---------------------------------------------------------------------------------------------
// Actions and menus

class Action {
 public:
  explicit Action(std::string name = {});
  Action(const Action&) = delete;
  Action& operator=(const Action&) = delete;
  const std::string& Name() const;
  const std::string& Caption() const;
  void SetCaption(std::string caption);  // controls that carry the action follow
  const std::string& Hint() const;
  void SetHint(std::string hint);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  std::function<void()> onExecute;
  void Execute();

 private:
  friend class Button;
  friend class MenuItem;
  struct State;
  std::unique_ptr<State> state_;
};

class MenuItem {
 public:
  explicit MenuItem(std::string name = {});
  virtual ~MenuItem();
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;
  const std::string& Name() const;
  const std::string& Caption() const;  // an item that carries an action shows its caption
  void SetCaption(std::string caption);
  Action* GetAction() const;
  void SetAction(Action* action);
  std::function<void()> onClick;
  void Click();  // onClick, else the action
  // Children, owned, in order.
  MenuItem& Add(std::string name = {});
  int Count() const;
  MenuItem& Item(int index) const;
  MenuItem* Parent() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A popup menu: its items are the root item's children.
class PopupMenu : public MenuItem {
 public:
  explicit PopupMenu(std::string name = {});
  // Shows the menu at a point on the screen (logical pixels) and runs the chosen item.
  void Popup(Point screenPoint);
};

// ---------------------------------------------------------------------------------------------
// Forms

enum class FormPosition { Designed, ScreenCenter, MainFormCenter };
enum class FormBorder { Sizeable, Dialog };

// A top-level window. Derived forms build their layout in their constructor. The window is
// made when the form is first shown (or its handle is first needed).
class Form : public Container {
 public:
  explicit Form(std::string name = {});
  ~Form() override;

  // The size of the client area (96 DPI); the layout's client area.
  void SetClientSize(Size size);
  FormPosition Position() const;
  void SetPosition(FormPosition position);
  FormBorder Border() const;
  void SetBorder(FormBorder border);

  // Shows the form (not modal): sets the visible flag, raises onShow, and makes and shows
  // its window.
  void Show();
  void Hide();
  // Shows the form modally: the other forms are disabled until it closes; returns its
  // modal result (Cancel when it was closed without one).
  ModalResult ShowModal();
  ModalResult GetModalResult() const;
  // Setting a result other than None closes a modal form.
  void SetModalResult(ModalResult result);
  // Closes the form (a modal form with Cancel); closing the main form ends Run.
  void Close();
  bool IsModal() const;

  // Action lists and popup menus belong to the form.
  Action& AddAction(std::string name, std::string caption);
  PopupMenu& AddPopupMenu(std::string name);

  // Sends a message to the form's window procedure (WndProc) at once, as SendMessage does.
  std::intptr_t Perform(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

  // The DPI the form's window is laid out at (96 in the headless backend unless set).
  int Dpi() const;

  std::function<void()> onCreate;   // raised by the application after construction
  std::function<void()> onShow;     // each time the form is made visible
  std::function<void()> onClose;    // when the form closes
  std::function<void()> onDestroy;  // before the controls are destroyed
  std::function<void()> onPaint;

 protected:
  // Every message of the form's window comes here; the default (DefaultHandler) is the
  // toolkit's own handling (layout, reflection of control notifications, painting, closing)
  // and then the system's default window procedure.
  virtual void WndProc(Message& message);
  void DefaultHandler(Message& message);
  // Fills the parameters of the window about to be created.
  virtual void FillCreateParams(CreateParams& params);
  // The toolkit's painting of the form: raises onPaint. Called on WM_PAINT by DefaultHandler.
  virtual void Paint();

 private:
  friend class Application;
  friend class Backend;
  struct FormState;
  std::unique_ptr<FormState> form_;
};

// ---------------------------------------------------------------------------------------------
// Message boxes

enum class DialogType { Warning, Error, Information, Confirmation, Custom };
enum class DialogButtons { Ok, OkCancel, YesNo, YesNoCancel };

// Shows a message box owned by the active form; returns the button pressed.
ModalResult MessageDlg(const std::string& text, DialogType type, DialogButtons buttons);

// ---------------------------------------------------------------------------------------------
// The application

class Application {
 public:
  static Application& Instance();

  const std::string& Title() const;
  void SetTitle(std::string title);

  // Makes the hidden application window that owns the forms.
  void Initialize();
  // The hidden application window (owner of the forms and of the taskbar button Windows
  // would give the process).
  WindowHandle Handle() const;

  // Creates a form (raising its onCreate); the first form created is the main form. The
  // application owns it until Run ends.
  template <class F, class... Args>
  F& CreateForm(Args&&... args) {
    auto form = std::make_unique<F>(std::forward<Args>(args)...);
    F& ref = *form;
    AdoptForm(std::move(form));
    return ref;
  }
  Form* MainForm() const;
  // Shows the main form and runs the message loop until it closes.
  void Run();
  // Handles the messages that are waiting and returns.
  void ProcessMessages();
  void Terminate();
  bool Terminated() const;

  // The work area of the screen the main form is on (96 DPI pixels).
  Rect WorkArea() const;

  // The handler of exceptions raised in event handlers (and anywhere a window procedure is
  // entered from Windows). Default: a message box with the exception's message.
  std::function<void(const std::exception&)> onException;
  void HandleException(const std::exception& error);
  // The same for something that is no std::exception.
  void HandleUnknownException();

  // The icon resource of the application (the main icon).
  const std::string& IconResource() const;
  void SetIconResource(std::string name);

 private:
  Application();
  void AdoptForm(std::unique_ptr<Form> form);
  struct State;
  std::unique_ptr<State> state_;
};

// ---------------------------------------------------------------------------------------------
// Backends

// What changed on a control, as the core tells the backend.
enum class Property {
  Caption, Visible, Enabled, Hint, Font, Color, Bounds, TabStop, Focus,
  Checked,                      // check box
  Action, Default,              // button
  TextAlignment, WordWrap,      // label, memo
  Lines, ReadOnly, ScrollBars,  // memo, rich view
  RichText,                     // rich view
  Range, Position, ProgressState,  // progress bar (Range: min or max)
  ActivePage, TabVisible,       // page control, tab sheet
  ScrollPosition, ScrollRange,  // scroll box
  Picture,                      // image
  ShapeStyle,                   // shape (kind, pen, brush)
  Nodes, Columns,               // tree list
  BorderStyle, Constraints, ClientSize, FormPosition,  // controls and forms
};

// What the core needs from the system that shows the tree. The Win32 backend makes real
// windows; the headless one (tests) keeps everything in memory with fixed text metrics. The
// core calls these; the backend calls back into the controls' public operations for what the
// user does (Button::Click, CheckBox::Click, PageControl::SetActivePage and onChange,
// ScrollBox::SetVertScrollPosition, Form::Close, the form's window procedure).
class Backend {
 public:
  virtual ~Backend() = default;
  virtual ITextMeasurer& TextMeasurer() = 0;

  // The tree changed: a control was added to its parent's children (the backend makes its
  // window when the form's window exists), or is about to be destroyed.
  virtual void ControlAdded(Control& control) = 0;
  virtual void ControlRemoving(Control& control) = 0;
  virtual void ControlChanged(Control& control, Property what) = 0;
  // The children of container were laid out again (their Bounds changed).
  virtual void LayoutChanged(Container& container) = 0;
  virtual WindowHandle HandleOf(const Control& control) = 0;
  // Paints a control at once (during a long synchronous job).
  virtual void RepaintNow(Control& control) = 0;
  virtual void SetFocus(Control& control) = 0;
  virtual bool Focused(const Control& control) = 0;

  // Forms: make the window (with the form's FillCreateParams) and show it; hide it; run a
  // modal loop until the form's modal result is set; close it.
  virtual void ShowForm(Form& form) = 0;
  virtual void HideForm(Form& form) = 0;
  virtual void RunModal(Form& form) = 0;
  virtual void DestroyForm(Form& form) = 0;
  // The system's default handling of a form's window message (DefWindowProc), after the
  // toolkit's own.
  virtual std::intptr_t DefaultWindowProc(Form& form, const Message& message) = 0;
  virtual int FormDpi(const Form& form) = 0;

  // The application: its hidden window, the message loop, the screen.
  virtual void InitializeApplication(Application& application) = 0;
  virtual WindowHandle ApplicationHandle() = 0;
  virtual void RunMessageLoop(Application& application) = 0;  // until the main form closes
  virtual void ProcessMessages() = 0;
  virtual void Terminate() = 0;
  virtual Rect WorkArea() = 0;

  virtual ModalResult ShowMessageBox(const std::string& title, const std::string& text, DialogType type,
                                     DialogButtons buttons, Form* owner) = 0;
  virtual void ShowPopupMenu(PopupMenu& menu, Point screenPoint, Form* owner) = 0;
};

// Installs the backend for the process (the previous one is given back).
std::unique_ptr<Backend> SetBackend(std::unique_ptr<Backend> backend);
Backend& CurrentBackend();

// ---------------------------------------------------------------------------------------------
// Layout: a pure pass over a tree at a DPI, rectangles out (relative to each parent's client
// area, in pixels at that DPI). The core runs it at 96 DPI for the bounds it reports; the
// Win32 backend at the window's DPI.

struct LayoutResult {
  const Control* control = nullptr;
  Rect bounds;
};
std::vector<LayoutResult> ComputeLayout(const Container& root, Size clientSize, int dpi,
                                        ITextMeasurer& measurer);

}  // namespace ui
