// The layout pass: the tree, a client size, a DPI and a text measurer in; rectangles out.
// Everything is computed at the target DPI (spacings and sizes scaled, positions accumulated
// there), so neighbours share their edges exactly whatever the rounding.

#include "app/ui/ToolkitInternal.h"

#include <algorithm>
#include <map>

namespace ui {

int ScaleForDpi(int value, int dpi) {
  const long long product = static_cast<long long>(value) * dpi;
  return product >= 0 ? static_cast<int>((product + 48) / 96) : -static_cast<int>((-product + 48) / 96);
}

std::string StripAccelChars(const std::string& caption) {
  std::string text;
  text.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        text += '&';
        ++i;
      }
      continue;
    }
    text += caption[i];
  }
  return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

int ITextMeasurer::ScrollBarWidth(int dpi) { return ScaleForDpi(17, dpi); }

int ITextMeasurer::BorderWidth(int dpi) { return ScaleForDpi(2, dpi); }

Rect ITextMeasurer::PageDisplayRect(Size pageControlSize, const Font& font, int dpi) {
  const int tabHeight = MeasureText(font, "", dpi, 0).height + ScaleForDpi(6, dpi);
  const int frame = ScaleForDpi(4, dpi);
  return Rect{frame, tabHeight + frame, std::max(0, pageControlSize.width - 2 * frame),
              std::max(0, pageControlSize.height - tabHeight - 2 * frame)};
}

namespace detail {

int StackIndex(Align align) {
  switch (align) {
    case Align::Top: return 0;
    case Align::Bottom: return 1;
    case Align::Left: return 2;
    case Align::Right: return 3;
    default: return -1;
  }
}

Rect ClientRectOf(const Container& container, Size size, int dpi, ITextMeasurer& measurer, bool vertBar) {
  if (auto* pages = dynamic_cast<const PageControl*>(&container)) {
    return measurer.PageDisplayRect(size, pages->GetFont(), dpi);
  }
  int border = 0;
  if (auto* panel = dynamic_cast<const Panel*>(&container)) {
    if (panel->GetBorderStyle() == BorderStyle::Single) border = measurer.BorderWidth(dpi);
  }
  int bar = 0;
  if (auto* box = dynamic_cast<const ScrollBox*>(&container)) {
    if (box->GetBorderStyle() == BorderStyle::Single) border = measurer.BorderWidth(dpi);
    if (vertBar) bar = measurer.ScrollBarWidth(dpi);
  }
  return Rect{border, border, std::max(0, size.width - 2 * border - bar), std::max(0, size.height - 2 * border)};
}

}  // namespace detail

namespace {

using detail::Access;

struct Sides {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class Engine {
 public:
  Engine(int dpi, ITextMeasurer& measurer) : dpi_(dpi), measurer_(measurer) {}

  std::vector<LayoutResult> Run(const Container& root, Size clientSize) {
    LayoutClient(root, clientSize, -1);
    return std::move(out_);
  }

 private:
  int S(int value) const { return ScaleForDpi(value, dpi_); }

  Sides SpacingOf(const Control& control) const {
    const BorderSpacing& b = control.GetBorderSpacing();
    return Sides{S(b.around + b.left), S(b.around + b.top), S(b.around + b.right), S(b.around + b.bottom)};
  }

  ChildSizing SizingOf(const Container& container) const {
    const ChildSizing& c = container.GetChildSizing();
    return ChildSizing{S(c.leftRightSpacing), S(c.topBottomSpacing), S(c.horizontalSpacing), S(c.verticalSpacing)};
  }

  Size Constrain(const Control& control, Size size) const {
    const SizeConstraints& c = control.Constraints();
    if (c.maxWidth > 0) size.width = std::min(size.width, S(c.maxWidth));
    if (c.maxHeight > 0) size.height = std::min(size.height, S(c.maxHeight));
    size.width = std::max({size.width, S(c.minWidth), 0});
    size.height = std::max({size.height, S(c.minHeight), 0});
    return size;
  }

  Size Text(const Control& control, int wrapWidth) const {
    return measurer_.MeasureText(control.GetFont(), StripAccelChars(control.Caption()), dpi_, wrapWidth);
  }

  // The size a control wants; fixedWidth >= 0 when its width is already decided (its
  // height may follow from it). Not constrained.
  Size Natural(const Control& control, int fixedWidth) const {
    const Access::ControlState& st = Access::Of(control);
    // An aligned control's place comes from the layout, so only its size scales: buttons of
    // one width stay of one width. A placed one keeps its scaled edges, shared with neighbours.
    const Size requested = control.GetAlign() != Align::None ? Size{S(st.requested.width), S(st.requested.height)}
                                                             : Size{S(st.requested.Right()) - S(st.requested.left),
                                                                    S(st.requested.Bottom()) - S(st.requested.top)};
    const int width = fixedWidth >= 0 ? fixedWidth : requested.width;
    if (!st.autoSize) return Size{width, requested.height};
    if (auto* label = dynamic_cast<const Label*>(&control)) {
      if (label->WordWrap()) return Size{width, Text(control, std::max(1, width)).height};
      return Text(control, 0);
    }
    if (dynamic_cast<const Button*>(&control)) {
      const Size text = Text(control, 0);
      return Size{text.width + S(16), text.height + S(10)};
    }
    if (dynamic_cast<const CheckBox*>(&control)) {
      const Size text = Text(control, 0);
      const int box = S(17);
      return Size{control.Caption().empty() ? box : box + S(4) + text.width, std::max(box, text.height)};
    }
    if (auto* container = dynamic_cast<const Container*>(&control)) {
      const int probe = 10000;
      const Rect client = detail::ClientRectOf(*container, Size{fixedWidth >= 0 ? fixedWidth : probe, probe}, dpi_,
                                               measurer_, false);
      const int insetWidth = (fixedWidth >= 0 ? fixedWidth : probe) - client.width;
      const int insetHeight = probe - client.height;
      const Size content = ContentSize(*container, fixedWidth >= 0 ? client.width : -1);
      return Size{fixedWidth >= 0 ? fixedWidth : content.width + insetWidth, content.height + insetHeight};
    }
    return requested;
  }

  // The client size a container's visible children need (fixedWidth: the client width
  // when known).
  Size ContentSize(const Container& container, int fixedWidth) const {
    const Access::ChildrenState& ch = Access::Kids(container);
    const ChildSizing cs = SizingOf(container);
    // Stacks along the vertical axis.
    int topExtent = 0, bottomExtent = 0;
    const Control* lastTop = nullptr;
    const Control* lastBottom = nullptr;
    int needWidth = 0, needHeight = 0;
    for (int stack = 0; stack < 2; ++stack) {
      int extent = 0;
      const Control* last = nullptr;
      for (const Control* c : ch.stacks[stack]) {
        if (!c->Visible()) continue;
        const Sides s = SpacingOf(*c);
        const int gapL = std::max(s.left, cs.leftRightSpacing), gapR = std::max(s.right, cs.leftRightSpacing);
        const int width = fixedWidth >= 0 ? std::max(0, fixedWidth - gapL - gapR) : -1;
        const Size size = Constrain(*c, Natural(*c, width));
        const int before = stack == 0 ? s.top : s.bottom;
        const int after = last ? std::max(stack == 0 ? SpacingOf(*last).bottom : SpacingOf(*last).top, cs.verticalSpacing)
                               : cs.topBottomSpacing;
        extent += std::max(before, after) + size.height;
        last = c;
        if (c->AutoSize()) needWidth = std::max(needWidth, gapL + Constrain(*c, Natural(*c, -1)).width + gapR);
      }
      (stack == 0 ? topExtent : bottomExtent) = extent;
      (stack == 0 ? lastTop : lastBottom) = last;
    }
    const auto gapBelowTop = [&](int ownTop) {
      return lastTop ? std::max({SpacingOf(*lastTop).bottom, ownTop, cs.verticalSpacing}) : std::max(ownTop, cs.topBottomSpacing);
    };
    const auto gapAboveBottom = [&](int ownBottom) {
      return lastBottom ? std::max({SpacingOf(*lastBottom).top, ownBottom, cs.verticalSpacing})
                        : std::max(ownBottom, cs.topBottomSpacing);
    };
    // The middle row: left and right stacks, then the client-aligned controls.
    int rowWidth = 0;
    bool middle = false;
    // What each stack keeps towards the middle (as the client-aligned controls get it), and its
    // innermost control's own spacing on that side (-1: an empty stack).
    int inner[2] = {cs.leftRightSpacing, cs.leftRightSpacing};
    int innerOwn[2] = {-1, -1};
    for (int stack = 2; stack < 4; ++stack) {
      int& spacing = inner[stack - 2];
      for (const Control* c : ch.stacks[stack]) {
        if (!c->Visible()) continue;
        const Sides s = SpacingOf(*c);
        const Size size = Constrain(*c, Natural(*c, -1));
        rowWidth += std::max(spacing, stack == 2 ? s.left : s.right) + size.width;
        spacing = std::max(stack == 2 ? s.right : s.left, cs.horizontalSpacing);
        innerOwn[stack - 2] = stack == 2 ? s.right : s.left;
        needHeight = std::max(needHeight, topExtent + gapBelowTop(s.top) + size.height + gapAboveBottom(s.bottom) + bottomExtent);
        middle = true;
      }
    }
    int clientWidth = -1;
    for (const auto& child : ch.children) {
      const Control& c = *child;
      if (!c.Visible() || c.GetAlign() != Align::Client) continue;
      const Sides s = SpacingOf(c);
      const int gaps = std::max(inner[0], s.left) + std::max(inner[1], s.right);
      const int remaining = fixedWidth >= 0 ? std::max(0, fixedWidth - rowWidth - gaps) : -1;
      const Size size = c.AutoSize() || dynamic_cast<const Container*>(&c) ? Constrain(c, Natural(c, remaining)) : Size{};
      clientWidth = std::max(clientWidth, gaps + size.width);
      needHeight = std::max(needHeight, topExtent + gapBelowTop(s.top) + size.height + gapAboveBottom(s.bottom) + bottomExtent);
      middle = true;
    }
    if (clientWidth < 0 && middle) {
      // No client-aligned control: the stacks' own spacing between them, or the far edge's.
      clientWidth = innerOwn[0] >= 0 && innerOwn[1] >= 0 ? std::max(inner[0], inner[1])
                                                         : std::max({innerOwn[0], innerOwn[1], cs.leftRightSpacing});
    }
    needWidth = std::max(needWidth, rowWidth + std::max(clientWidth, 0));
    if (!middle) {
      int joint = 0;
      if (lastTop && lastBottom) {
        joint = std::max({SpacingOf(*lastTop).bottom, SpacingOf(*lastBottom).top, cs.verticalSpacing});
      } else if (lastTop) {
        joint = std::max(SpacingOf(*lastTop).bottom, cs.topBottomSpacing);
      } else if (lastBottom) {
        joint = std::max(SpacingOf(*lastBottom).top, cs.topBottomSpacing);
      }
      needHeight = std::max(needHeight, topExtent + joint + bottomExtent);
    }
    // Controls placed by their own bounds.
    for (const auto& child : ch.children) {
      const Control& c = *child;
      if (!c.Visible() || c.GetAlign() != Align::None) continue;
      const Access::ControlState& st = Access::Of(c);
      const Sides s = SpacingOf(c);
      const Size size = Constrain(c, Natural(c, -1));
      needWidth = std::max(needWidth, S(st.requested.left) + size.width + std::max(s.right, cs.leftRightSpacing));
      needHeight = std::max(needHeight, S(st.requested.top) + size.height + std::max(s.bottom, cs.topBottomSpacing));
    }
    return Size{needWidth, needHeight};
  }

  // Records a control's place and lays out what it holds.
  void Emit(const Control& control, Rect bounds) {
    out_.push_back(LayoutResult{&control, bounds, {}, 0, false});
    const int index = static_cast<int>(out_.size()) - 1;
    auto* container = dynamic_cast<const Container*>(&control);
    if (!container) return;
    const Size size{bounds.width, bounds.height};
    if (auto* pages = dynamic_cast<const PageControl*>(container)) {
      out_[index].clientSize = size;
      const Rect display = measurer_.PageDisplayRect(size, pages->GetFont(), dpi_);
      for (int i = 0; i < pages->ControlCount(); ++i) {
        const Control& page = pages->GetControl(i);
        if (page.Visible()) Emit(page, display);
      }
      return;
    }
    const Rect client = detail::ClientRectOf(*container, size, dpi_, measurer_, false);
    LayoutClient(*container, Size{client.width, client.height}, index);
  }

  LayoutResult& Info(int index) { return index >= 0 ? out_[static_cast<std::size_t>(index)] : rootInfo_; }

  void LayoutClient(const Container& container, Size client, int index) {
    auto* box = dynamic_cast<const ScrollBox*>(&container);
    if (!box) {
      Stack(container, client);
      Info(index).clientSize = client;
      return;
    }
    const std::size_t start = out_.size();
    Stack(container, client);
    int range = RangeOf(container, start);
    const bool bar = range > client.height;
    if (bar) {
      out_.resize(start);
      client.width = std::max(0, client.width - measurer_.ScrollBarWidth(dpi_));
      Stack(container, client);
      range = RangeOf(container, start);
    }
    LayoutResult& info = Info(index);
    info.clientSize = client;
    info.scrollRange = range;
    info.vertScrollBar = bar;
  }

  int RangeOf(const Container& container, std::size_t start) const {
    const int edge = SizingOf(container).topBottomSpacing;
    int range = 0;
    for (std::size_t i = start; i < out_.size(); ++i) {
      const Control& c = *out_[i].control;
      if (c.Parent() != &container) continue;
      range = std::max(range, out_[i].bounds.Bottom() + std::max(SpacingOf(c).bottom, edge));
    }
    return range;
  }

  void Stack(const Container& container, Size client) {
    const Access::ChildrenState& ch = Access::Kids(container);
    const ChildSizing cs = SizingOf(container);
    int top = 0, bottom = client.height, left = 0, right = client.width;
    int topSpacing = cs.topBottomSpacing, bottomSpacing = cs.topBottomSpacing;
    int leftSpacing = cs.leftRightSpacing, rightSpacing = cs.leftRightSpacing;
    // Results are given in control order: collect, then sort by index.
    std::vector<std::pair<const Control*, Rect>> placed;

    // Top, then bottom: full width, each stacked on the one before.
    for (int stack = 0; stack < 2; ++stack) {
      const bool fromTop = stack == 0;
      for (const Control* c : ch.stacks[static_cast<std::size_t>(stack)]) {
        if (!c->Visible()) continue;
        const Sides s = SpacingOf(*c);
        const int x = std::max(s.left, cs.leftRightSpacing);
        const int width = std::max(0, client.width - x - std::max(s.right, cs.leftRightSpacing));
        const Size size = Constrain(*c, Size{width, Natural(*c, width).height});
        const int y = fromTop ? top + std::max(topSpacing, s.top) : bottom - std::max(bottomSpacing, s.bottom) - size.height;
        placed.push_back({c, Rect{x, y, size.width, size.height}});
        (fromTop ? top : bottom) = fromTop ? y + size.height : y;
        (fromTop ? topSpacing : bottomSpacing) = std::max(fromTop ? s.bottom : s.top, cs.verticalSpacing);
      }
    }
    // The band between them.
    const auto band = [&](const Sides& s, int& y) {
      y = top + std::max(topSpacing, s.top);
      return std::max(0, bottom - std::max(bottomSpacing, s.bottom) - y);
    };
    const std::map<const Control*, int> givenWay = GivenWay(container, client.width);
    // Left, then right: the band's height, each beside the one before.
    for (int stack = 2; stack < 4; ++stack) {
      const bool fromLeft = stack == 2;
      for (const Control* c : ch.stacks[static_cast<std::size_t>(stack)]) {
        if (!c->Visible()) continue;
        const Sides s = SpacingOf(*c);
        int y = 0;
        const int height = band(s, y);
        const auto shrunk = givenWay.find(c);
        const int width = shrunk != givenWay.end() ? shrunk->second : Natural(*c, -1).width;
        const Size size = Constrain(*c, Size{width, height});
        const int x = fromLeft ? left + std::max(leftSpacing, s.left) : right - std::max(rightSpacing, s.right) - size.width;
        placed.push_back({c, Rect{x, y, size.width, size.height}});
        (fromLeft ? left : right) = fromLeft ? x + size.width : x;
        (fromLeft ? leftSpacing : rightSpacing) = std::max(fromLeft ? s.right : s.left, cs.horizontalSpacing);
      }
    }
    for (const auto& child : ch.children) {
      const Control& c = *child;
      if (!c.Visible()) continue;
      const Sides s = SpacingOf(c);
      if (c.GetAlign() == Align::Client) {
        int y = 0;
        const int height = band(s, y);
        const int x = left + std::max(leftSpacing, s.left);
        const int width = std::max(0, right - std::max(rightSpacing, s.right) - x);
        const Size size = Constrain(c, Size{width, height});
        placed.push_back({&c, Rect{x, y, size.width, size.height}});
      } else if (c.GetAlign() == Align::None) {
        placed.push_back({&c, Anchored(c, client)});
      }
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first->ControlIndex() < b.first->ControlIndex(); });
    for (const auto& [control, bounds] : placed) Emit(*control, bounds);
  }

  // The widths that the row's ellipsis labels give way to (left stack first, each down to
  // nothing), so that the client-aligned labels beside them keep their text's width: a row's
  // answer is read whole, a name may end in "...".
  std::map<const Control*, int> GivenWay(const Container& container, int clientWidth) const {
    const Access::ChildrenState& ch = Access::Kids(container);
    const ChildSizing cs = SizingOf(container);
    std::map<const Control*, int> widths;
    std::vector<const Control*> yielding;
    int left = 0, right = clientWidth;
    int leftSpacing = cs.leftRightSpacing, rightSpacing = cs.leftRightSpacing;
    for (int stack = 2; stack < 4; ++stack) {
      const bool fromLeft = stack == 2;
      for (const Control* c : ch.stacks[static_cast<std::size_t>(stack)]) {
        if (!c->Visible()) continue;
        const Sides s = SpacingOf(*c);
        const int width = Constrain(*c, Natural(*c, -1)).width;
        if (auto* label = dynamic_cast<const Label*>(c); label && label->EndEllipsis()) {
          widths[c] = width;
          yielding.push_back(c);
        }
        if (fromLeft) {
          left += std::max(leftSpacing, s.left) + width;
          leftSpacing = std::max(s.right, cs.horizontalSpacing);
        } else {
          right -= std::max(rightSpacing, s.right) + width;
          rightSpacing = std::max(s.left, cs.horizontalSpacing);
        }
      }
    }
    if (yielding.empty()) return {};
    int lacking = 0;
    for (const auto& child : ch.children) {
      const Control& c = *child;
      auto* label = dynamic_cast<const Label*>(&c);
      if (!label || !c.Visible() || c.GetAlign() != Align::Client || !c.AutoSize() || label->WordWrap()) continue;
      const Sides s = SpacingOf(c);
      const int room = right - std::max(rightSpacing, s.right) - (left + std::max(leftSpacing, s.left));
      lacking = std::max(lacking, Constrain(c, Natural(c, -1)).width - room);
    }
    for (const Control* c : yielding) {
      if (lacking <= 0) break;
      const int given = std::min(lacking, widths[c]);
      widths[c] -= given;
      lacking -= given;
    }
    return widths;
  }

  // A control that is not aligned: its bounds, its edges kept at their distances from the
  // anchored sides of the parent.
  Rect Anchored(const Control& control, Size client) const {
    const Access::ControlState& st = Access::Of(control);
    const Rect& r = st.requested;
    const Anchors a = st.anchors;
    const Size base{S(st.anchorBase.width), S(st.anchorBase.height)};
    const Size natural = Natural(control, -1);
    Rect out;
    // Horizontal.
    int width = natural.width;
    if (a.left && a.right) {
      out.left = S(r.left);
      // Anchored on both sides it stretches, auto-sized or not (an auto-sized label then
      // takes only its height from its text).
      width = client.width - S(st.anchorBase.width - r.Right()) - out.left;
    } else if (a.right) {
      const int rightEdge = client.width - S(st.anchorBase.width - r.Right());
      out.left = rightEdge - width;
    } else if (a.left) {
      out.left = S(r.left);
    } else {
      out.left = S(r.left) + (client.width - base.width) / 2;
    }
    // Vertical (a word-wrapped label's height follows its width).
    int height = st.autoSize ? Natural(control, std::max(0, width)).height : natural.height;
    if (a.top && a.bottom) {
      out.top = S(r.top);
      height = client.height - S(st.anchorBase.height - r.Bottom()) - out.top;
    } else if (a.bottom) {
      const int bottomEdge = client.height - S(st.anchorBase.height - r.Bottom());
      out.top = bottomEdge - height;
    } else if (a.top) {
      out.top = S(r.top);
    } else {
      out.top = S(r.top) + (client.height - base.height) / 2;
    }
    const Size size = Constrain(control, Size{width, height});
    out.width = size.width;
    out.height = size.height;
    return out;
  }

  int dpi_;
  ITextMeasurer& measurer_;
  std::vector<LayoutResult> out_;
  LayoutResult rootInfo_;
};

}  // namespace

std::vector<LayoutResult> ComputeLayout(const Container& root, Size clientSize, int dpi, ITextMeasurer& measurer) {
  return Engine(dpi, measurer).Run(root, clientSize);
}

}  // namespace ui
