#pragma once
// The window toolkit the forms and frames are written in: a retained tree of controls with
// properties, alignment, auto-size, control order and events. The portable core decides the
// layout (in pixels at 96 DPI), captions, visibility, colours and the order events run in; a
// backend (app/ui/win32 for Windows, the headless one for tests) turns the tree into windows.
// No <windows.h> here.
//
// Since the first version of this interface (names and meanings kept):
// - changed: Action::Execute answers whether it ran (was void); Label::TextHeight measures
//   one line; Property has more values, all after FormPosition (a backend's switch over it
//   wants a default).
// - added: ITextMeasurer's control metrics (virtual, with defaults), ScaleForDpi,
//   StripAccelChars, SplitLines, TabOrder, LayoutBatch, WM_CLOSE_ and the WS_* constants;
//   Control::Repaint; ScrollBox::VertScrollBarVisible; PageControl::SelectPageByUser;
//   TabSheet::TabIndex; MenuItem::Find, Enabled; PopupMenu::Owner; Form::DoCreate,
//   GetCreateParams, InsertSystemMenuItem, DefaultButton, CancelButton, the lists of
//   actions and menus, and NewForm; Application::Initialized, ActiveForm, DestroyForms,
//   Reset, Guard; Backend::NonClientSize, ApplicationChanged, ControlDestroyed,
//   InsertSystemMenuItem (virtual, with defaults) and the protected CallWndProc and
//   CallFillCreateParams for backends; LayoutResult's clientSize, scrollRange and
//   vertScrollBar; the classes' private state.

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
// controls, or a control and its parent's edge, is the largest of the values that apply
// (the two controls' border spacings on the facing sides and the container's spacing).
// The layout places the top-aligned controls first (full width), then the bottom-aligned
// ones, then left- and right-aligned ones in the band between, then the client-aligned ones
// in what is left (they share it); controls that are not aligned go by bounds and anchors.
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
inline constexpr std::uint32_t WM_CLOSE_ = 0x0010;
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
class MenuItem;
enum class Property;

namespace detail {
struct Access;  // the core's own access to the controls' state (Layout.cpp, Controls.cpp)
}

// ---------------------------------------------------------------------------------------------
// Text metrics: layout measures text through this (fixed metrics in tests, the per-DPI font in
// the Win32 backend).

class ITextMeasurer {
 public:
  virtual ~ITextMeasurer() = default;
  // The size of text in font at dpi; wrapWidth > 0 wraps at that width (in pixels at dpi).
  // Lines are separated by "\r\n" or "\n". An empty text has the height of one line.
  virtual Size MeasureText(const Font& font, const std::string& text, int dpi, int wrapWidth) = 0;

  // The few sizes of the system's own controls that the layout needs, in pixels at dpi. The
  // defaults are the headless backend's metrics; the Win32 backend answers the system's.
  // Width of a vertical scroll bar (17 at 96 DPI).
  virtual int ScrollBarWidth(int dpi);
  // Width of a single border (panel, scroll box) on each side (2 at 96 DPI).
  virtual int BorderWidth(int dpi);
  // The area a page control gives its pages, relative to the page control: by default a
  // tab row one text line + 6 high, and a frame of 4 around the pages (all scaled by dpi).
  virtual Rect PageDisplayRect(Size pageControlSize, const Font& font, int dpi);
};

// Scales a length at 96 DPI to dpi (rounded half away from zero, as MulDiv does).
int ScaleForDpi(int value, int dpi);
// The text a caption shows: "&&" becomes "&", a single "&" (the access-key mark) goes.
std::string StripAccelChars(const std::string& caption);
// The lines of a text as a string list splits it: at CR LF, LF or CR; a line end at the
// very end adds no empty line, and the empty text has no lines.
std::vector<std::string> SplitLines(const std::string& text);

// ---------------------------------------------------------------------------------------------
// Controls

// Every control. Not copied, not moved; owned by its parent (or, for forms, by whoever made
// them). Bounds are in pixels at 96 DPI, relative to the parent's client area.
//
// Bounds() is where the last layout put the control; SetBounds (and SetLeft...) is what the
// owner asks for: an aligned control keeps only its size across the edge (a top-aligned
// one its height) and is placed by the layout; a control that is not aligned keeps the
// distances of its anchored edges to the parent's edges as they were when its bounds were
// set (or when it was added). The layout runs by itself when something changed (at once for
// a shown form, else when a bounds or size is next asked for).
//
// Defaults: visible (a form: hidden until shown), enabled, no hint, the parent's font until
// SetFont (GetFont answers the parent's), TabStop true for buttons, check boxes, memos, rich
// views, tree lists and page controls, AutoSize true for labels only.
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
  // Visible and every parent visible (a tab sheet: also the active page of its control).
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
  // no space and keep their place in the stack (shown again, they come back where they
  // were). The order is decided when a control is aligned or moved, from the positions the
  // others have then; so code that builds a column of top-aligned controls in reading order
  // gives each a top below the previous one's (its design top), or aligns them bottom-up.
  // The control order (ControlIndex, tab order) is not changed by any of this.
  Align GetAlign() const;
  void SetAlign(Align align);
  Anchors GetAnchors() const;
  void SetAnchors(Anchors anchors);
  const BorderSpacing& GetBorderSpacing() const;
  void SetBorderSpacing(BorderSpacing spacing);
  // An auto-sized control takes the size of its content: a label its text (its height only
  // when word-wrapped or aligned top/bottom), a container its children, a check box or button
  // its caption (a button: the text + 16 wide and + 10 high; a check box: a box of 17, 4,
  // then the text; scaled to the layout's DPI). A control anchored left and right still
  // stretches; an aligned one keeps the size its edge gives it.
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
  // Paints the control now (the backend's RepaintNow).
  void Repaint();

 protected:
  // Tells the backend and the layout that a property changed.
  void Changed(Property what);

 private:
  friend class Container;
  friend struct detail::Access;
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
  friend struct detail::Access;
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

 private:
  BorderStyle border_ = BorderStyle::None;
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
  // Kept within 0..(range - client height); the backend moves the children by it.
  void SetVertScrollPosition(int position);
  // Whether the vertical scroll bar shows (after the last layout).
  bool VertScrollBarVisible() const;

 private:
  friend struct detail::Access;
  BorderStyle border_ = BorderStyle::None;
  int position_ = 0;
  int range_ = 0;
  bool barVisible_ = false;
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
  int ActivePageIndex() const;  // -1: none
  std::function<void()> onChange;  // the user chose another tab
  // What the backend calls when the user chose a tab: activates the page and raises
  // onChange. A page whose tab is hidden cannot be chosen (false, nothing happens).
  bool SelectPageByUser(TabSheet& page);

 private:
  friend class TabSheet;
  TabSheet* active_ = nullptr;
};

class TabSheet : public Container {
 public:
  explicit TabSheet(std::string name = {});
  PageControl* GetPageControl() const;
  int PageIndex() const;
  // A hidden tab: the page exists but has no tab and cannot be chosen.
  // Hiding the tab of the active page activates the next page with a visible tab (else the
  // previous one, else none). SetActivePage also takes a page whose tab is hidden.
  bool TabVisible() const;
  void SetTabVisible(bool visible);
  // The position of its tab among the visible tabs (-1 when its tab is hidden).
  int TabIndex() const;

 private:
  bool tabVisible_ = true;
};

class Button : public Control {
 public:
  explicit Button(std::string name = {});
  ~Button() override;
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
  // What a click does: onClick, else the action; then the modal result. Exceptions go to
  // the caller (the backend's window procedure hands them to the application).
  void Click();

 private:
  friend class Action;
  Action* action_ = nullptr;
  PopupMenu* popup_ = nullptr;
  bool default_ = false;
  bool cancel_ = false;
  ModalResult modalResult_ = ModalResult::None;
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

 private:
  bool checked_ = false;
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
  // A single line that ends in "..." where it is cut; in a row of aligned controls it gives
  // way, so that a client-aligned label beside it keeps the width of its text.
  bool EndEllipsis() const;
  void SetEndEllipsis(bool ellipsis);
  // The height of one line of text in this label's font at 96 DPI (through the backend's
  // measurer; line ends in text do not add lines, as a canvas measures).
  int TextHeight(const std::string& text) const;

 private:
  TextAlign alignment_ = TextAlign::Left;
  TextLayout layout_ = TextLayout::Top;
  bool wordWrap_ = false;
  bool endEllipsis_ = false;
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
  bool IsApplicationIcon() const;

 private:
  std::string resource_;
  bool applicationIcon_ = false;
  bool center_ = false;
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

 private:
  ShapeKind kind_ = ShapeKind::Rectangle;
  bool penVisible_ = true;
  Color brushColor_ = Color::Rgb(255, 255, 255);
  BrushStyle brushStyle_ = BrushStyle::Solid;
};

// A multi-line text box. Lines are kept without their line ends (a line given with line
// ends becomes several lines).
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

 private:
  std::vector<std::string> lines_;
  bool readOnly_ = false;
  BorderStyle border_ = BorderStyle::Single;
  ScrollBars scrollBars_ = ScrollBars::None;
  bool wordWrap_ = true;
  int innerBorder_ = 0;
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

 private:
  std::string rtf_;
  bool readOnly_ = false;
  BorderStyle border_ = BorderStyle::Single;
  ScrollBars scrollBars_ = ScrollBars::None;
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

 private:
  std::int64_t min_ = 0;
  std::int64_t max_ = 100;
  std::int64_t position_ = 0;
  ProgressState state_ = ProgressState::Normal;
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
  bool FullRowSelect() const;
  const std::vector<std::string>& Images() const;

 private:
  std::vector<Column> columns_;
  std::vector<std::unique_ptr<Node>> roots_;
  bool fullRowSelect_ = false;
  std::vector<std::string> images_;
  BorderStyle border_ = BorderStyle::Single;
};

// ---------------------------------------------------------------------------------------------
// Actions and menus

class Action {
 public:
  explicit Action(std::string name = {});
  ~Action();
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
  // Runs onExecute when enabled; false when disabled or without handler.
  bool Execute();

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
  // The item (at any depth) of this name, or null.
  MenuItem* Find(const std::string& name);
  bool Enabled() const;  // follows the action when it carries one
  void SetEnabled(bool enabled);

 private:
  friend class Action;
  struct State;
  std::unique_ptr<State> state_;
};

// A popup menu: its items are the root item's children.
class PopupMenu : public MenuItem {
 public:
  explicit PopupMenu(std::string name = {});
  // Shows the menu at a point on the screen (logical pixels) and runs the chosen item (the
  // backend clicks it).
  void Popup(Point screenPoint);
  // The form that made it (Form::AddPopupMenu), or null.
  Form* Owner() const;

 private:
  friend class Form;
  Form* owner_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Forms

enum class FormPosition { Designed, ScreenCenter, MainFormCenter };
enum class FormBorder { Sizeable, Dialog };

// A top-level window. Derived forms build their layout in their constructor. The window is
// made when the form is first shown (or its handle is first needed). Bounds() of a form is
// its window on the screen (96 DPI): the client area plus the backend's non-client frame.
class Form : public Container {
 public:
  explicit Form(std::string name = {});
  ~Form() override;

  // The size of the client area (96 DPI); the layout's client area.
  void SetClientSize(Size size);
  // Raises onCreate; an exception it throws goes to Application::HandleException (so a
  // failing creation handler is reported and the form still exists). CreateForm and NewForm
  // call it once after construction.
  void DoCreate();
  // Raises onDestroy once (exceptions go to Application::HandleException), then destroys
  // the window (the backend's DestroyForm); the controls stay until the form is deleted.
  void DoDestroy();
  FormPosition Position() const;
  void SetPosition(FormPosition position);
  FormBorder Border() const;
  // The client area keeps its size; the window grows or shrinks by the change of frame.
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
  // Closes the form (a modal form with Cancel); closing the main form ends Run. A
  // non-modal form raises onClose and is hidden; a modal one raises onClose when its modal
  // loop ends.
  void Close();
  bool IsModal() const;

  // Action lists and popup menus belong to the form (in the order they were added).
  Action& AddAction(std::string name, std::string caption);
  PopupMenu& AddPopupMenu(std::string name);
  int ActionCount() const;
  Action& GetAction(int index) const;
  Action* FindAction(const std::string& name) const;
  int PopupMenuCount() const;
  PopupMenu& GetPopupMenu(int index) const;

  // Sends a message to the form's window procedure (WndProc) at once, as SendMessage does.
  std::intptr_t Perform(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
  // The window's creation parameters as this form fills them (what the backend uses).
  CreateParams GetCreateParams();

  // The DPI the form's window is laid out at (96 in the headless backend unless set).
  int Dpi() const;

  // Inserts a command into the window's system menu at a position (counted from 0 among
  // its items) with the command id that WM_SYSCOMMAND will carry; makes the window first
  // when there is none. False when the window has no system menu.
  bool InsertSystemMenuItem(int position, std::uint32_t id, const std::string& caption);

  // The buttons Enter and Esc reach: the first showing, enabled default (cancel) button in
  // tab order, or null.
  Button* DefaultButton() const;
  Button* CancelButton() const;

  std::function<void()> onCreate;   // raised by the application after construction
  std::function<void()> onShow;     // each time the form is made visible
  std::function<void()> onClose;    // when the form closes
  // Before the form and its controls are destroyed: raised by DoDestroy, which the
  // application (for its forms) and FormPtr (for NewForm's) call before deleting the form.
  // A form destroyed otherwise raises it from ~Form, when the derived form's own members
  // are gone already; a derived form whose handler uses them calls DoDestroy() first thing
  // in its destructor.
  std::function<void()> onDestroy;
  std::function<void()> onPaint;

 protected:
  // Every message of the form's window comes here; the default (DefaultHandler) is the
  // toolkit's own handling (layout, reflection of control notifications, painting, closing)
  // and then the system's default window procedure. DefaultHandler: WM_PAINT runs Paint()
  // and then goes on to the default window procedure; WM_CLOSE runs Close() and stops there;
  // everything else goes to the backend's DefaultWindowProc, whose answer is the result.
  virtual void WndProc(Message& message);
  void DefaultHandler(Message& message);
  // Fills the parameters of the window about to be created. The toolkit's own: a sizeable
  // form WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, a dialog WS_POPUP | WS_CAPTION | WS_SYSMENU |
  // WS_CLIPCHILDREN with WS_EX_DLGMODALFRAME; both WS_EX_CONTROLPARENT.
  virtual void FillCreateParams(CreateParams& params);
  // The toolkit's painting of the form: raises onPaint. Called on WM_PAINT by DefaultHandler.
  virtual void Paint();

 private:
  friend class Application;
  friend class Backend;
  friend struct detail::Access;
  struct FormState;
  std::unique_ptr<FormState> form_;
};

// Deletes a form after raising its onDestroy (while the whole form still exists).
struct FormDeleter {
  void operator()(Form* form) const;
};
template <class F>
using FormPtr = std::unique_ptr<F, FormDeleter>;

// Makes a form that the caller owns (a dialog shown once, for instance) and raises its
// onCreate, as Application::CreateForm does for the forms the application owns.
template <class F, class... Args>
FormPtr<F> NewForm(Args&&... args) {
  FormPtr<F> form(new F(std::forward<Args>(args)...));
  form->DoCreate();
  return form;
}

// Window styles the toolkit uses (the WS_* numbers of Windows).
inline constexpr std::uint32_t kWsOverlappedWindow = 0x00CF0000;
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;
inline constexpr std::uint32_t kWsClipChildren = 0x02000000;
inline constexpr std::uint32_t kWsExDlgModalFrame = 0x00000001;
inline constexpr std::uint32_t kWsExToolWindow = 0x00000080;
inline constexpr std::uint32_t kWsExControlParent = 0x00010000;
inline constexpr std::uint32_t kWsExAppWindow = 0x00040000;

// ---------------------------------------------------------------------------------------------
// Message boxes

enum class DialogType { Warning, Error, Information, Confirmation, Custom };
enum class DialogButtons { Ok, OkCancel, YesNo, YesNoCancel };

// Shows a message box owned by the active form, titled with the application's title;
// returns the button pressed.
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
  bool Initialized() const;
  // The hidden application window (owner of the forms and of the taskbar button Windows
  // would give the process).
  WindowHandle Handle() const;

  // Creates a form (raising its onCreate); the first form created is the main form. The
  // application owns it until Run ends (Run destroys its forms when it returns) or until
  // DestroyForms.
  template <class F, class... Args>
  F& CreateForm(Args&&... args) {
    auto form = std::make_unique<F>(std::forward<Args>(args)...);
    F& ref = *form;
    AdoptForm(std::move(form));
    return ref;
  }
  Form* MainForm() const;
  // The modal form shown last and still open, else the main form (owner of message boxes).
  Form* ActiveForm() const;
  // Shows the main form and runs the message loop until it closes (Initialize first when
  // that was not done); then destroys the application's forms.
  void Run();
  // Destroys the forms the application owns (raising their onDestroy), last created first.
  void DestroyForms();
  // Back to the state of a new process (tests): forms destroyed, title, icon, handler and
  // the terminated and initialized flags cleared.
  void Reset();
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
  // The same for something that is no std::exception (the message "Unknown exception.").
  void HandleUnknownException();
  // Runs fn; an exception it throws goes to HandleException (what every entry from the
  // system does: window procedures, the headless backend's user actions).
  template <class Fn>
  void Guard(Fn&& fn) noexcept {
    try {
      fn();
    } catch (const std::exception& error) {
      HandleException(error);
    } catch (...) {
      HandleUnknownException();
    }
  }

  // The icon resource of the application (the main icon).
  const std::string& IconResource() const;
  void SetIconResource(std::string name);

 private:
  friend class Form;
  Application();
  void AdoptForm(std::unique_ptr<Form> form);
  void PushModal(Form& form);
  void PopModal(Form& form);
  void FormDestroyed(Form& form);
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
  // Added later:
  Name,
  Align, Anchors, BorderSpacing, AutoSize, ChildSizing,  // layout (bounds follow)
  PopupMenu, Cancel, ModalResult,  // button
  TextLayout,                      // label
  InnerBorder,                     // memo
  ImageCenter,                     // image
  Images, FullRowSelect,           // tree list
  FormBorder,                      // form
  EndEllipsis,                     // label
};

// What the core needs from the system that shows the tree. ControlAdded is told once for a
// control added with whatever it already holds (the backend walks it); ControlRemoving once
// for a control removed, its children going with it; a destroyed form is told by
// DestroyForm only. LayoutChanged follows each layout of a form that changed bounds (parents
// before children); while a form is not shown the core lays it out when asked (Bounds(),
// ClientSize(), Realign, Show), so building a form does not lay it out at every step. The Win32 backend makes real
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

  // Added later (with defaults, so a backend need not answer them):
  // The frame around a form's client area (96 DPI): width and height the window adds. The
  // default, 16 x 39, is a sizeable window of Windows 10 at 96 DPI.
  virtual Size NonClientSize(const Form& form);
  // The application's title or icon changed.
  virtual void ApplicationChanged(Application& application);
  // Form::InsertSystemMenuItem (default: no system menu, false).
  virtual bool InsertSystemMenuItem(Form& form, int position, std::uint32_t id, const std::string& caption);
  // A control is being destroyed (every control, also those that go with their parent or
  // form): the backend drops what it keeps of it. Only its address may be used.
  virtual void ControlDestroyed(const Control& control);

 protected:
  // The form's protected operations, for the backends.
  static void CallWndProc(Form& form, Message& message);
  static void CallFillCreateParams(Form& form, CreateParams& params);
};

// Installs the backend for the process (the previous one is given back). The installed one
// is never destroyed by the toolkit itself.
std::unique_ptr<Backend> SetBackend(std::unique_ptr<Backend> backend);
// The backend in use; when none was installed, a headless one (app/ui/headless) is made.
Backend& CurrentBackend();

// ---------------------------------------------------------------------------------------------
// Layout: a pure pass over a tree at a DPI, rectangles out (relative to each parent's client
// area, in pixels at that DPI). The core runs it at 96 DPI for the bounds it reports; the
// Win32 backend at the window's DPI.

// Every control below root that takes part in the layout (visible, and every parent up to
// root visible) comes out, parents before their children, in control order; root itself
// does not (its size is the caller's). Children of a scroll box are placed
// in its virtual area (the backend moves them up by the scroll position). Inactive pages are
// laid out like the active one.
struct LayoutResult {
  const Control* control = nullptr;
  Rect bounds;
  // Containers: the client area the children were laid out in (a scroll box: the visible
  // part), and for a scroll box the height of its virtual area and whether its bar shows.
  Size clientSize;
  int scrollRange = 0;
  bool vertScrollBar = false;
};
std::vector<LayoutResult> ComputeLayout(const Container& root, Size clientSize, int dpi,
                                        ITextMeasurer& measurer);

// While one is alive, a shown form whose tree holds control is not laid out at every change
// but once when the last batch on it ends (asking for a bounds still lays it out first). For
// handlers that change many controls at once; Form::Show holds one around onShow.
class LayoutBatch {
 public:
  explicit LayoutBatch(Control& control);
  ~LayoutBatch();
  LayoutBatch(const LayoutBatch&) = delete;
  LayoutBatch& operator=(const LayoutBatch&) = delete;

 private:
  Container* root_;
};

// The controls below root in tab order (control order, depth first: a container before its
// children); with focusableOnly, only those Tab stops at (TabStop, showing, enabled with
// every parent).
std::vector<Control*> TabOrder(const Container& root, bool focusableOnly);

}  // namespace ui
