// Controls and containers: their properties, the tree, and the core's own layout at 96 DPI.

#include "app/ui/ToolkitInternal.h"

#include <algorithm>
#include <map>

namespace ui {

using detail::Access;

namespace {

const Font& DefaultFont() {
  static const Font font;
  return font;
}

bool AffectsLayout(Property what) {
  switch (what) {
    case Property::Caption:
    case Property::Visible:
    case Property::Font:
    case Property::Bounds:
    case Property::WordWrap:
    case Property::EndEllipsis:
    case Property::BorderStyle:
    case Property::Constraints:
    case Property::ClientSize:
    case Property::Align:
    case Property::Anchors:
    case Property::BorderSpacing:
    case Property::AutoSize:
    case Property::ChildSizing:
      return true;
    default:
      return false;
  }
}

// Tells the backend that the controls below container that take its font have a new one.
void FontInherited(Container& container) {
  for (int i = 0; i < container.ControlCount(); ++i) {
    Control& child = container.GetControl(i);
    if (Access::Of(child).fontSet) continue;
    CurrentBackend().ControlChanged(child, Property::Font);
    if (auto* inner = dynamic_cast<Container*>(&child)) FontInherited(*inner);
  }
}

// Puts a child into the stack of its alignment, by its position along that edge: before
// the first one at or past it, so between equal positions it goes nearest the edge.
void Restack(Container& parent, Control& child) {
  auto& stacks = Access::Kids(parent).stacks;
  for (auto& stack : stacks) stack.erase(std::remove(stack.begin(), stack.end(), &child), stack.end());
  const int k = detail::StackIndex(child.GetAlign());
  if (k < 0) return;
  auto& stack = stacks[static_cast<std::size_t>(k)];
  const Rect& b = Access::Of(child).bounds;
  const auto at = std::find_if(stack.begin(), stack.end(), [&](const Control* other) {
    const Rect& o = Access::Of(*other).bounds;
    switch (k) {
      case 0: return o.top >= b.top;
      case 1: return o.Bottom() <= b.Bottom();
      case 2: return o.left >= b.left;
      default: return o.Right() <= b.Right();
    }
  });
  stack.insert(at, &child);
}

Size RootClientSize(const Container& root) {
  const Rect& b = Access::Of(root).bounds;
  if (auto* form = dynamic_cast<const Form*>(&root)) {
    const Size frame = CurrentBackend().NonClientSize(*form);
    return Size{std::max(0, b.width - frame.width), std::max(0, b.height - frame.height)};
  }
  bool bar = false;
  if (auto* box = dynamic_cast<const ScrollBox*>(&root)) bar = box->VertScrollBarVisible();
  const Rect client = detail::ClientRectOf(root, Size{b.width, b.height}, 96, CurrentBackend().TextMeasurer(), bar);
  return Size{client.width, client.height};
}

// The core lays its trees out often while forms are built; the same captions are measured
// again and again, so their sizes are kept (per backend; fonts are part of the key).
class CachingMeasurer : public ITextMeasurer {
 public:
  ITextMeasurer& For(Backend& backend) {
    if (generation_ != detail::BackendGeneration() || sizes_.size() > 20000) {
      generation_ = detail::BackendGeneration();
      sizes_.clear();
    }
    inner_ = &backend.TextMeasurer();
    return *this;
  }
  Size MeasureText(const Font& font, const std::string& text, int dpi, int wrapWidth) override {
    std::string key = font.name;
    key += '\x1f' + std::to_string(font.height) + (font.bold ? "b" : "") + (font.italic ? "i" : "") + '\x1f' +
           std::to_string(dpi) + '\x1f' + std::to_string(wrapWidth) + '\x1f' + text;
    const auto it = sizes_.find(key);
    if (it != sizes_.end()) return it->second;
    const Size size = inner_->MeasureText(font, text, dpi, wrapWidth);
    sizes_.emplace(std::move(key), size);
    return size;
  }
  int ScrollBarWidth(int dpi) override { return inner_->ScrollBarWidth(dpi); }
  int BorderWidth(int dpi) override { return inner_->BorderWidth(dpi); }
  Rect PageDisplayRect(Size size, const Font& font, int dpi) override { return inner_->PageDisplayRect(size, font, dpi); }

 private:
  int generation_ = -1;
  ITextMeasurer* inner_ = nullptr;
  std::map<std::string, Size> sizes_;
};

ITextMeasurer& CoreMeasurer() {
  static CachingMeasurer* cache = new CachingMeasurer();
  return cache->For(CurrentBackend());
}

void EnsureLayoutOf(const Control& control) {
  if (Container* root = detail::RootOf(control)) detail::EnsureLayout(*root);
}

}  // namespace

namespace detail {

Container* RootOf(const Control& control) {
  const Control* top = &control;
  while (top->Parent()) top = top->Parent();
  return const_cast<Container*>(dynamic_cast<const Container*>(top));
}

void LayoutChanged(const Control& control) {
  Container* root = RootOf(control);
  if (!root) return;
  Access::Kids(*root).layoutDirty = true;
  if (auto* form = dynamic_cast<Form*>(root)) {
    if (form->Visible() && Access::Kids(*root).suspended == 0) EnsureLayout(*root);
  }
}

void EnsureLayout(const Container& constRoot) {
  Container& root = const_cast<Container&>(constRoot);
  Access::ChildrenState& rootState = Access::Kids(root);
  if (!rootState.layoutDirty || rootState.inLayout) return;
  rootState.inLayout = true;
  struct InLayout {
    bool& flag;
    ~InLayout() { flag = false; }
  } inLayout{rootState.inLayout};
  Backend& backend = CurrentBackend();
  for (int pass = 0; pass < 8 && rootState.layoutDirty; ++pass) {
    rootState.layoutDirty = false;
    const auto results = ComputeLayout(root, RootClientSize(root), 96, CoreMeasurer());
    std::vector<Container*> moved;
    std::vector<ScrollBox*> ranges;
    for (const LayoutResult& r : results) {
      Control& control = const_cast<Control&>(*r.control);
      Access::ControlState& st = Access::Of(control);
      if (st.bounds != r.bounds) {
        st.bounds = r.bounds;
        if (std::find(moved.begin(), moved.end(), st.parent) == moved.end()) moved.push_back(st.parent);
      }
      if (auto* box = dynamic_cast<ScrollBox*>(&control)) {
        if (box->VertScrollRange() != r.scrollRange || box->VertScrollBarVisible() != r.vertScrollBar) {
          Access::SetScrollState(*box, r.scrollRange, r.vertScrollBar);
          ranges.push_back(box);
        }
      }
    }
    // Parents before children: the results come in that order.
    for (Container* parent : moved) backend.LayoutChanged(*parent);
    for (ScrollBox* box : ranges) {
      backend.ControlChanged(*box, Property::ScrollRange);
      box->SetVertScrollPosition(box->VertScrollPosition());
    }
  }
}

}  // namespace detail

LayoutBatch::LayoutBatch(Control& control) : root_(detail::RootOf(control)) {
  if (root_) ++Access::Kids(*root_).suspended;
}

LayoutBatch::~LayoutBatch() {
  if (root_ && --Access::Kids(*root_).suspended == 0) detail::LayoutChanged(*root_);
}

// ---------------------------------------------------------------------------------------------
// Control

Control::Control(std::string name) : state_(std::make_unique<State>()) { state_->name = std::move(name); }

Control::~Control() { CurrentBackend().ControlDestroyed(*this); }

const std::string& Control::Name() const { return state_->name; }

void Control::SetName(std::string name) {
  if (detail::Update(state_->name, std::move(name))) Changed(Property::Name);
}

Container* Control::Parent() const { return state_->parent; }

Form* Control::ParentForm() const {
  const Control* c = this;
  while (c) {
    if (auto* form = dynamic_cast<const Form*>(c)) return const_cast<Form*>(form);
    c = c->Parent();
  }
  return nullptr;
}

const std::string& Control::Caption() const { return state_->caption; }

void Control::SetCaption(std::string caption) {
  if (detail::Update(state_->caption, std::move(caption))) Changed(Property::Caption);
}

bool Control::Visible() const { return state_->visible; }

void Control::SetVisible(bool visible) {
  if (auto* form = dynamic_cast<Form*>(this)) {
    if (visible) form->Show();
    else form->Hide();
    return;
  }
  if (detail::Update(state_->visible, visible)) Changed(Property::Visible);
}

bool Control::Showing() const {
  if (!state_->visible) return false;
  const Container* parent = state_->parent;
  if (!parent) return true;
  if (auto* pages = dynamic_cast<const PageControl*>(parent)) {
    if (pages->ActivePage() != this) return false;
  }
  return parent->Showing();
}

bool Control::Enabled() const { return state_->enabled; }

void Control::SetEnabled(bool enabled) {
  if (detail::Update(state_->enabled, enabled)) Changed(Property::Enabled);
}

const std::string& Control::Hint() const { return state_->hint; }

void Control::SetHint(std::string hint) {
  if (detail::Update(state_->hint, std::move(hint))) Changed(Property::Hint);
}

bool Control::ShowHint() const { return state_->showHint; }

void Control::SetShowHint(bool show) {
  if (detail::Update(state_->showHint, show)) Changed(Property::Hint);
}

const Font& Control::GetFont() const {
  if (state_->fontSet) return state_->font;
  if (state_->parent) return state_->parent->GetFont();
  return DefaultFont();
}

void Control::SetFont(Font font) {
  if (state_->fontSet && state_->font == font) return;
  state_->font = std::move(font);
  state_->fontSet = true;
  Changed(Property::Font);
  if (auto* container = dynamic_cast<Container*>(this)) FontInherited(*container);
}

Color Control::GetColor() const { return state_->color; }

void Control::SetColor(Color color) {
  if (detail::Update(state_->color, color)) Changed(Property::Color);
}

Rect Control::Bounds() const {
  EnsureLayoutOf(*this);
  return state_->bounds;
}

namespace {

// A form's window keeps within its constraints (the window of a form whose minimum and
// maximum are equal cannot be resized).
Rect Constrained(const Control& control, Rect bounds) {
  if (!dynamic_cast<const Form*>(&control)) return bounds;
  const SizeConstraints& c = control.Constraints();
  if (c.maxWidth > 0) bounds.width = std::min(bounds.width, c.maxWidth);
  if (c.maxHeight > 0) bounds.height = std::min(bounds.height, c.maxHeight);
  bounds.width = std::max(bounds.width, c.minWidth);
  bounds.height = std::max(bounds.height, c.minHeight);
  return bounds;
}

void SetBoundsOf(Control& control, Access::ControlState& st, Rect bounds, bool moved) {
  bounds = Constrained(control, bounds);
  const Rect old = st.bounds;
  st.requested = bounds;
  st.bounds = bounds;
  st.anchorBase = st.parent ? st.parent->ClientSize() : Size{};
  if (st.parent && detail::StackIndex(st.align) >= 0 &&
      (moved || old.left != bounds.left || old.top != bounds.top)) {
    Restack(*st.parent, control);
  }
}

}  // namespace

void Control::SetBounds(Rect bounds) {
  EnsureLayoutOf(*this);
  if (bounds == state_->bounds && bounds == state_->requested) return;
  SetBoundsOf(*this, *state_, bounds, false);
  Changed(Property::Bounds);
}

int Control::Left() const { return Bounds().left; }
int Control::Top() const { return Bounds().top; }
int Control::Width() const { return Bounds().width; }
int Control::Height() const { return Bounds().height; }

void Control::SetLeft(int v) {
  Rect b = Bounds();
  b.left = v;
  SetBoundsOf(*this, *state_, b, GetAlign() == Align::Left || GetAlign() == Align::Right);
  Changed(Property::Bounds);
}

void Control::SetTop(int v) {
  Rect b = Bounds();
  b.top = v;
  SetBoundsOf(*this, *state_, b, GetAlign() == Align::Top || GetAlign() == Align::Bottom);
  Changed(Property::Bounds);
}

void Control::SetWidth(int v) {
  Rect b = Bounds();
  b.width = v;
  SetBounds(b);
}

void Control::SetHeight(int v) {
  Rect b = Bounds();
  b.height = v;
  SetBounds(b);
}

Align Control::GetAlign() const { return state_->align; }

void Control::SetAlign(Align align) {
  if (state_->align == align) return;
  EnsureLayoutOf(*this);
  state_->align = align;
  if (state_->parent) Restack(*state_->parent, *this);
  Changed(Property::Align);
}

Anchors Control::GetAnchors() const { return state_->anchors; }

void Control::SetAnchors(Anchors anchors) {
  if (state_->anchors == anchors) return;
  // The distances to the parent's edges are taken from where the control is now.
  const Rect now = Bounds();
  state_->anchors = anchors;
  SetBoundsOf(*this, *state_, now, false);
  Changed(Property::Anchors);
}

const BorderSpacing& Control::GetBorderSpacing() const { return state_->spacing; }

void Control::SetBorderSpacing(BorderSpacing spacing) {
  if (detail::Update(state_->spacing, spacing)) Changed(Property::BorderSpacing);
}

bool Control::AutoSize() const { return state_->autoSize; }

void Control::SetAutoSize(bool autoSize) {
  if (detail::Update(state_->autoSize, autoSize)) Changed(Property::AutoSize);
}

const SizeConstraints& Control::Constraints() const { return state_->constraints; }

void Control::SetConstraints(SizeConstraints constraints) {
  if (state_->constraints == constraints) return;
  state_->constraints = constraints;
  // A form's constraints hold its window at once.
  if (dynamic_cast<Form*>(this)) state_->bounds = state_->requested = Constrained(*this, state_->bounds);
  Changed(Property::Constraints);
}

bool Control::TabStop() const { return state_->tabStop; }

void Control::SetTabStop(bool tabStop) {
  if (detail::Update(state_->tabStop, tabStop)) Changed(Property::TabStop);
}

void Control::SetFocus() { CurrentBackend().SetFocus(*this); }

bool Control::Focused() const { return CurrentBackend().Focused(*this); }

int Control::ControlIndex() const {
  if (!state_->parent) return -1;
  const auto& children = Access::Kids(*state_->parent).children;
  for (std::size_t i = 0; i < children.size(); ++i) {
    if (children[i].get() == this) return static_cast<int>(i);
  }
  return -1;
}

WindowHandle Control::Handle() const { return CurrentBackend().HandleOf(*this); }

void Control::Repaint() { CurrentBackend().RepaintNow(*this); }

void Control::Changed(Property what) {
  CurrentBackend().ControlChanged(*this, what);
  if (AffectsLayout(what)) detail::LayoutChanged(*this);
}

namespace {

void CollectTabOrder(const Container& container, bool focusableOnly, std::vector<Control*>& out) {
  for (int i = 0; i < container.ControlCount(); ++i) {
    Control& child = container.GetControl(i);
    if (focusableOnly && (!child.Visible() || !child.Enabled())) continue;
    if (!focusableOnly || (child.TabStop() && child.Showing())) out.push_back(&child);
    if (auto* inner = dynamic_cast<const Container*>(&child)) {
      if (!focusableOnly || inner->Showing()) CollectTabOrder(*inner, focusableOnly, out);
    }
  }
}

}  // namespace

std::vector<Control*> TabOrder(const Container& root, bool focusableOnly) {
  std::vector<Control*> out;
  if (!focusableOnly || root.Enabled()) CollectTabOrder(root, focusableOnly, out);
  return out;
}

// ---------------------------------------------------------------------------------------------
// Container

Container::Container(std::string name) : Control(std::move(name)), children_(std::make_unique<ChildrenState>()) {}

Container::~Container() {
  // Children go while this is still a container (their destructors may look at the tree).
  for (auto& stack : children_->stacks) stack.clear();
  while (!children_->children.empty()) children_->children.pop_back();
}

Control& Container::Adopt(std::unique_ptr<Control> child) {
  EnsureLayoutOf(*this);
  Control& c = *child;
  Access::ControlState& st = Access::Of(c);
  st.parent = this;
  children_->children.push_back(std::move(child));
  st.anchorBase = ClientSize();
  Restack(*this, c);
  CurrentBackend().ControlAdded(c);
  // The first page with a tab becomes the active one (once the backend knows it).
  if (auto* pages = dynamic_cast<PageControl*>(this)) {
    if (auto* page = dynamic_cast<TabSheet*>(&c); page && !pages->ActivePage() && page->TabVisible()) {
      pages->SetActivePage(page);
    }
  }
  detail::LayoutChanged(c);
  return c;
}

void Container::Remove(Control& child) {
  auto& children = children_->children;
  const auto it = std::find_if(children.begin(), children.end(), [&](const auto& c) { return c.get() == &child; });
  if (it == children.end()) return;
  CurrentBackend().ControlRemoving(child);
  for (auto& stack : children_->stacks) stack.erase(std::remove(stack.begin(), stack.end(), &child), stack.end());
  std::unique_ptr<Control> doomed = std::move(*it);
  children.erase(it);
  if (auto* pages = dynamic_cast<PageControl*>(this); pages && pages->ActivePage() == &child) {
    TabSheet* next = nullptr;
    for (int i = 0; i < pages->PageCount() && !next; ++i) {
      if (pages->Page(i).TabVisible()) next = &pages->Page(i);
    }
    pages->SetActivePage(next);
  }
  doomed.reset();
  detail::LayoutChanged(*this);
}

int Container::ControlCount() const { return static_cast<int>(children_->children.size()); }

Control& Container::GetControl(int index) const { return *children_->children.at(static_cast<std::size_t>(index)); }

Control* Container::FindControl(const std::string& name) const {
  for (const auto& child : children_->children) {
    if (child->Name() == name) return child.get();
    if (auto* inner = dynamic_cast<const Container*>(child.get())) {
      if (Control* found = inner->FindControl(name)) return found;
    }
  }
  return nullptr;
}

const ChildSizing& Container::GetChildSizing() const { return children_->sizing; }

void Container::SetChildSizing(ChildSizing sizing) {
  if (detail::Update(children_->sizing, sizing)) Changed(Property::ChildSizing);
}

Size Container::ClientSize() const {
  EnsureLayoutOf(*this);
  if (!Parent()) return RootClientSize(*this);
  const Rect& b = Access::Of(*this).bounds;
  bool bar = false;
  if (auto* box = dynamic_cast<const ScrollBox*>(this)) bar = box->VertScrollBarVisible();
  const Rect client = detail::ClientRectOf(*this, Size{b.width, b.height}, 96, CurrentBackend().TextMeasurer(), bar);
  return Size{client.width, client.height};
}

void Container::Realign() {
  if (Container* root = detail::RootOf(*this)) {
    Access::Kids(*root).layoutDirty = true;
    detail::EnsureLayout(*root);
  }
}

// ---------------------------------------------------------------------------------------------
// Containers of their own kind

Frame::Frame(std::string name) : Container(std::move(name)) {}

Panel::Panel(std::string name) : Container(std::move(name)) {}

BorderStyle Panel::GetBorderStyle() const { return border_; }

void Panel::SetBorderStyle(BorderStyle style) {
  if (detail::Update(border_, style)) Changed(Property::BorderStyle);
}

ScrollBox::ScrollBox(std::string name) : Container(std::move(name)) {}

BorderStyle ScrollBox::GetBorderStyle() const { return border_; }

void ScrollBox::SetBorderStyle(BorderStyle style) {
  if (detail::Update(border_, style)) Changed(Property::BorderStyle);
}

int ScrollBox::VertScrollRange() const {
  EnsureLayoutOf(*this);
  return range_;
}

int ScrollBox::VertScrollPosition() const { return position_; }

void ScrollBox::SetVertScrollPosition(int position) {
  const int limit = std::max(0, VertScrollRange() - ClientSize().height);
  position = std::clamp(position, 0, limit);
  if (detail::Update(position_, position)) Changed(Property::ScrollPosition);
}

bool ScrollBox::VertScrollBarVisible() const {
  EnsureLayoutOf(*this);
  return barVisible_;
}

PageControl::PageControl(std::string name) : Container(std::move(name)) { SetTabStop(true); }

TabSheet& PageControl::AddPage(std::string name, std::string caption) {
  TabSheet& page = Add<TabSheet>(std::move(name));
  page.SetCaption(std::move(caption));
  return page;
}

int PageControl::PageCount() const {
  int count = 0;
  for (int i = 0; i < ControlCount(); ++i) count += dynamic_cast<TabSheet*>(&GetControl(i)) ? 1 : 0;
  return count;
}

TabSheet& PageControl::Page(int index) const {
  int n = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* page = dynamic_cast<TabSheet*>(&GetControl(i))) {
      if (n++ == index) return *page;
    }
  }
  throw std::out_of_range("page index out of range");
}

TabSheet* PageControl::ActivePage() const { return active_; }

void PageControl::SetActivePage(TabSheet* page) {
  if (page && page->Parent() != this) return;
  if (detail::Update(active_, page)) Changed(Property::ActivePage);
}

int PageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

bool PageControl::SelectPageByUser(TabSheet& page) {
  if (page.Parent() != this || !page.TabVisible()) return false;
  if (active_ == &page) return true;
  SetActivePage(&page);
  if (onChange) {
    auto handler = onChange;
    handler();
  }
  return true;
}

TabSheet::TabSheet(std::string name) : Container(std::move(name)) {}

PageControl* TabSheet::GetPageControl() const { return dynamic_cast<PageControl*>(Parent()); }

int TabSheet::PageIndex() const {
  PageControl* pages = GetPageControl();
  if (!pages) return -1;
  for (int i = 0; i < pages->PageCount(); ++i) {
    if (&pages->Page(i) == this) return i;
  }
  return -1;
}

bool TabSheet::TabVisible() const { return tabVisible_; }

void TabSheet::SetTabVisible(bool visible) {
  if (!detail::Update(tabVisible_, visible)) return;
  Changed(Property::TabVisible);
  PageControl* pages = GetPageControl();
  if (pages && !visible && pages->ActivePage() == this) {
    const int index = PageIndex();
    TabSheet* next = nullptr;
    for (int i = index + 1; i < pages->PageCount() && !next; ++i) {
      if (pages->Page(i).TabVisible()) next = &pages->Page(i);
    }
    for (int i = index - 1; i >= 0 && !next; --i) {
      if (pages->Page(i).TabVisible()) next = &pages->Page(i);
    }
    pages->SetActivePage(next);
  } else if (pages && visible && !pages->ActivePage()) {
    pages->SetActivePage(this);
  }
}

int TabSheet::TabIndex() const {
  PageControl* pages = GetPageControl();
  if (!pages || !tabVisible_) return -1;
  int n = 0;
  for (int i = 0; i < pages->PageCount(); ++i) {
    const TabSheet& page = pages->Page(i);
    if (&page == this) return n;
    if (page.TabVisible()) ++n;
  }
  return -1;
}

// ---------------------------------------------------------------------------------------------
// Simple controls

Button::Button(std::string name) : Control(std::move(name)) { SetTabStop(true); }

Button::~Button() { SetAction(nullptr); }

Action* Button::GetAction() const { return action_; }

PopupMenu* Button::GetPopupMenu() const { return popup_; }

void Button::SetPopupMenu(PopupMenu* menu) {
  if (detail::Update(popup_, menu)) Changed(Property::PopupMenu);
}

bool Button::IsDefault() const { return default_; }

void Button::SetDefault(bool isDefault) {
  if (detail::Update(default_, isDefault)) Changed(Property::Default);
}

bool Button::IsCancel() const { return cancel_; }

void Button::SetCancel(bool isCancel) {
  if (detail::Update(cancel_, isCancel)) Changed(Property::Cancel);
}

ModalResult Button::GetModalResult() const { return modalResult_; }

void Button::SetModalResult(ModalResult result) {
  if (detail::Update(modalResult_, result)) Changed(Property::ModalResult);
}

void Button::Click() {
  const ModalResult result = modalResult_;
  Form* form = ParentForm();
  if (onClick) {
    auto handler = onClick;
    handler();
  } else if (action_) {
    action_->Execute();
  }
  if (result != ModalResult::None && form) form->SetModalResult(result);
}

CheckBox::CheckBox(std::string name) : Control(std::move(name)) { SetTabStop(true); }

bool CheckBox::Checked() const { return checked_; }

void CheckBox::SetChecked(bool checked) {
  if (!detail::Update(checked_, checked)) return;
  Changed(Property::Checked);
  if (onChange) {
    auto handler = onChange;
    handler();
  }
}

void CheckBox::Click() { SetChecked(!checked_); }

Label::Label(std::string name) : Control(std::move(name)) { SetAutoSize(true); }

TextAlign Label::Alignment() const { return alignment_; }

void Label::SetAlignment(TextAlign alignment) {
  if (detail::Update(alignment_, alignment)) Changed(Property::TextAlignment);
}

TextLayout Label::Layout() const { return layout_; }

void Label::SetLayout(TextLayout layout) {
  if (detail::Update(layout_, layout)) Changed(Property::TextLayout);
}

bool Label::WordWrap() const { return wordWrap_; }

void Label::SetWordWrap(bool wrap) {
  if (detail::Update(wordWrap_, wrap)) Changed(Property::WordWrap);
}

bool Label::EndEllipsis() const { return endEllipsis_; }

void Label::SetEndEllipsis(bool ellipsis) {
  if (detail::Update(endEllipsis_, ellipsis)) Changed(Property::EndEllipsis);
}

int Label::TextHeight(const std::string& text) const {
  std::string line = text;
  std::replace(line.begin(), line.end(), '\r', ' ');
  std::replace(line.begin(), line.end(), '\n', ' ');
  return CurrentBackend().TextMeasurer().MeasureText(GetFont(), line, 96, 0).height;
}

Image::Image(std::string name) : Control(std::move(name)) {}

const std::string& Image::IconResource() const { return resource_; }

void Image::SetIconResource(std::string resourceName) {
  resource_ = std::move(resourceName);
  applicationIcon_ = false;
  Changed(Property::Picture);
}

void Image::SetApplicationIcon() {
  resource_ = Application::Instance().IconResource();
  applicationIcon_ = true;
  Changed(Property::Picture);
}

bool Image::IsApplicationIcon() const { return applicationIcon_; }

bool Image::Center() const { return center_; }

void Image::SetCenter(bool center) {
  if (detail::Update(center_, center)) Changed(Property::ImageCenter);
}

Shape::Shape(std::string name) : Control(std::move(name)) {}

ShapeKind Shape::Kind() const { return kind_; }

void Shape::SetKind(ShapeKind kind) {
  if (detail::Update(kind_, kind)) Changed(Property::ShapeStyle);
}

bool Shape::PenVisible() const { return penVisible_; }

void Shape::SetPenVisible(bool visible) {
  if (detail::Update(penVisible_, visible)) Changed(Property::ShapeStyle);
}

Color Shape::BrushColor() const { return brushColor_; }

void Shape::SetBrushColor(Color color) {
  if (detail::Update(brushColor_, color)) Changed(Property::ShapeStyle);
}

BrushStyle Shape::GetBrushStyle() const { return brushStyle_; }

void Shape::SetBrushStyle(BrushStyle style) {
  if (detail::Update(brushStyle_, style)) Changed(Property::ShapeStyle);
}

Memo::Memo(std::string name) : Control(std::move(name)) { SetTabStop(true); }

const std::vector<std::string>& Memo::Lines() const { return lines_; }

namespace {

// A line given with line ends becomes several; an empty one stays a line.
void AppendLines(std::vector<std::string>& lines, const std::string& text) {
  const std::vector<std::string> parts = SplitLines(text);
  if (parts.empty()) lines.emplace_back();
  lines.insert(lines.end(), parts.begin(), parts.end());
}

}  // namespace

void Memo::AddLine(std::string line) {
  AppendLines(lines_, line);
  Changed(Property::Lines);
}

void Memo::SetLines(std::vector<std::string> lines) {
  lines_.clear();
  for (const std::string& line : lines) AppendLines(lines_, line);
  Changed(Property::Lines);
}

void Memo::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed(Property::Lines);
}

std::string Memo::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += "\r\n";
    text += lines_[i];
  }
  return text;
}

bool Memo::ReadOnly() const { return readOnly_; }

void Memo::SetReadOnly(bool readOnly) {
  if (detail::Update(readOnly_, readOnly)) Changed(Property::ReadOnly);
}

BorderStyle Memo::GetBorderStyle() const { return border_; }

void Memo::SetBorderStyle(BorderStyle style) {
  if (detail::Update(border_, style)) Changed(Property::BorderStyle);
}

ScrollBars Memo::GetScrollBars() const { return scrollBars_; }

void Memo::SetScrollBars(ScrollBars bars) {
  if (detail::Update(scrollBars_, bars)) Changed(Property::ScrollBars);
}

bool Memo::WordWrap() const { return wordWrap_; }

void Memo::SetWordWrap(bool wrap) {
  if (detail::Update(wordWrap_, wrap)) Changed(Property::WordWrap);
}

int Memo::InnerBorder() const { return innerBorder_; }

void Memo::SetInnerBorder(int pixels) {
  if (detail::Update(innerBorder_, pixels)) Changed(Property::InnerBorder);
}

RichView::RichView(std::string name) : Control(std::move(name)) { SetTabStop(true); }

void RichView::LoadRichText(std::string rtf) {
  rtf_ = std::move(rtf);
  Changed(Property::RichText);
}

const std::string& RichView::RichText() const { return rtf_; }

bool RichView::ReadOnly() const { return readOnly_; }

void RichView::SetReadOnly(bool readOnly) {
  if (detail::Update(readOnly_, readOnly)) Changed(Property::ReadOnly);
}

BorderStyle RichView::GetBorderStyle() const { return border_; }

void RichView::SetBorderStyle(BorderStyle style) {
  if (detail::Update(border_, style)) Changed(Property::BorderStyle);
}

ScrollBars RichView::GetScrollBars() const { return scrollBars_; }

void RichView::SetScrollBars(ScrollBars bars) {
  if (detail::Update(scrollBars_, bars)) Changed(Property::ScrollBars);
}

ProgressBar::ProgressBar(std::string name) : Control(std::move(name)) {}

std::int64_t ProgressBar::Min() const { return min_; }
std::int64_t ProgressBar::Max() const { return max_; }
std::int64_t ProgressBar::Position() const { return position_; }

void ProgressBar::SetMin(std::int64_t v) {
  if (min_ == v) return;
  min_ = v;
  if (max_ < min_) max_ = min_;
  Changed(Property::Range);
  SetPosition(position_);
}

void ProgressBar::SetMax(std::int64_t v) {
  if (max_ == v) return;
  max_ = v;
  if (min_ > max_) min_ = max_;
  Changed(Property::Range);
  SetPosition(position_);
}

void ProgressBar::SetPosition(std::int64_t v) {
  v = std::clamp(v, min_, max_);
  if (detail::Update(position_, v)) Changed(Property::Position);
}

ProgressState ProgressBar::State() const { return state_; }

void ProgressBar::SetState(ProgressState state) {
  if (detail::Update(state_, state)) Changed(Property::ProgressState);
}

void ProgressBar::Repaint() { CurrentBackend().RepaintNow(*this); }

TreeList::TreeList(std::string name) : Control(std::move(name)) { SetTabStop(true); }

void TreeList::SetColumns(std::vector<Column> columns) {
  columns_ = std::move(columns);
  Changed(Property::Columns);
}

const std::vector<TreeList::Column>& TreeList::Columns() const { return columns_; }

TreeList::Node& TreeList::AddChild(Node* parent, std::uintptr_t data) {
  auto node = std::make_unique<Node>();
  node->parent = parent;
  node->data = data;
  Node& ref = *node;
  (parent ? parent->children : roots_).push_back(std::move(node));
  Changed(Property::Nodes);
  return ref;
}

const std::vector<std::unique_ptr<TreeList::Node>>& TreeList::Roots() const { return roots_; }

void TreeList::Expand(Node& node, bool expanded) {
  if (node.expanded == expanded) return;
  node.expanded = expanded;
  Changed(Property::Nodes);
}

void TreeList::SetCheckBox(Node& node, bool hasCheckBox) {
  if (node.hasCheckBox == hasCheckBox) return;
  node.hasCheckBox = hasCheckBox;
  Changed(Property::Nodes);
}

void TreeList::SetFullRowSelect(bool fullRow) {
  if (detail::Update(fullRowSelect_, fullRow)) Changed(Property::FullRowSelect);
}

bool TreeList::FullRowSelect() const { return fullRowSelect_; }

void TreeList::SetImages(std::vector<std::string> iconResources) {
  images_ = std::move(iconResources);
  Changed(Property::Images);
}

const std::vector<std::string>& TreeList::Images() const { return images_; }

BorderStyle TreeList::GetBorderStyle() const { return border_; }

void TreeList::SetBorderStyle(BorderStyle style) {
  if (detail::Update(border_, style)) Changed(Property::BorderStyle);
}

std::string TreeList::CellText(const Node& node, int column) const {
  if (onGetText) return onGetText(node, column);
  return "Node";
}

void TreeList::Invalidate() { Changed(Property::Nodes); }

}  // namespace ui
