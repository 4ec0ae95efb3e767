#pragma once
// The state behind the toolkit's public classes, shared by its sources (not for the forms).

#include "app/ui/Toolkit.h"

#include <array>

namespace ui {

struct Control::State {
  std::string name;
  Container* parent = nullptr;
  std::string caption;
  bool visible = true;
  bool enabled = true;
  std::string hint;
  bool showHint = false;
  Font font;
  bool fontSet = false;  // false: the parent's font
  Color color;
  // What the owner asked for (96 DPI) and the parent's client size at that moment (anchors
  // keep their distances to it); bounds is where the last layout at 96 DPI put the control.
  Rect requested;
  Size anchorBase;
  Rect bounds;
  Align align = Align::None;
  Anchors anchors;
  BorderSpacing spacing;
  bool autoSize = false;
  SizeConstraints constraints;
  bool tabStop = false;
};

struct Container::ChildrenState {
  std::vector<std::unique_ptr<Control>> children;
  ChildSizing sizing;
  // The stacks of aligned children, from the parent's edge inward (Top, Bottom, Left, Right).
  std::array<std::vector<Control*>, 4> stacks;
  // Set on a root container when its layout is out of date; inLayout while it is laid out;
  // suspended counts the LayoutBatch objects alive on it.
  bool layoutDirty = true;
  bool inLayout = false;
  int suspended = 0;
};

struct Form::FormState {
  FormPosition position = FormPosition::Designed;
  FormBorder border = FormBorder::Sizeable;
  ModalResult modalResult = ModalResult::None;
  bool modal = false;
  bool windowMade = false;
  bool positioned = false;
  bool created = false;
  bool destroyed = false;
  std::vector<std::unique_ptr<Action>> actions;
  std::vector<std::unique_ptr<PopupMenu>> menus;
};

namespace detail {

// Sets field to value; true when that changed it (the setters tell the backend only then).
template <class T, class U>
bool Update(T& field, U&& value) {
  if (field == value) return false;
  field = std::forward<U>(value);
  return true;
}

// Counts the backends installed (caches made for one backend are dropped with it).
int BackendGeneration();

// Which stack an alignment uses (-1: none).
int StackIndex(Align align);

struct Access {
  using ControlState = Control::State;
  using ChildrenState = Container::ChildrenState;
  using FormState = Form::FormState;
  static ControlState& Of(Control& control) { return *control.state_; }
  static const ControlState& Of(const Control& control) { return *control.state_; }
  static ChildrenState& Kids(Container& container) { return *container.children_; }
  static const ChildrenState& Kids(const Container& container) { return *container.children_; }
  static FormState& OfForm(Form& form) { return *form.form_; }
  static void SetScrollState(ScrollBox& box, int range, bool bar) {
    box.range_ = range;
    box.barVisible_ = bar;
  }
};

// The topmost container above (or at) control.
Container* RootOf(const Control& control);
// Marks the layout of control's tree out of date; lays it out at once when the tree is a
// shown form.
void LayoutChanged(const Control& control);
// Lays the tree of root out at 96 DPI now when it is out of date (writes the bounds back and
// tells the backend).
void EnsureLayout(const Container& root);
// The client area of a container of this size at dpi (relative to the container).
Rect ClientRectOf(const Container& container, Size size, int dpi, ITextMeasurer& measurer, bool vertBar);

}  // namespace detail
}  // namespace ui
