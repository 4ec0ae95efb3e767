// The layout rules of the toolkit: alignment with spacing, stacking order, auto-size,
// anchors, constraints, scroll range, page areas, and DPI scaling without gaps or overlaps.

#include "app/ui/Toolkit.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "tests/ui/UiTestPrinters.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace ui;
using headless::FixedTextMeasurer;
using headless::ScopedHeadlessBackend;

constexpr int kDpis[] = {96, 120, 144, 192};

int S(int v, int dpi) { return ScaleForDpi(v, dpi); }

// The layout of a form at a DPI, by control.
std::map<const Control*, Rect> LayoutOf(const Form& form, int dpi, std::map<const Control*, LayoutResult>* infos = nullptr) {
  FixedTextMeasurer measurer;
  const Size client = form.ClientSize();
  std::map<const Control*, Rect> rects;
  for (const LayoutResult& r : ComputeLayout(form, Size{S(client.width, dpi), S(client.height, dpi)}, dpi, measurer)) {
    rects[r.control] = r.bounds;
    if (infos) (*infos)[r.control] = r;
  }
  return rects;
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
}

// No two laid-out children of one parent overlap (tab sheets share their page control's area).
void ExpectNoOverlaps(const std::map<const Control*, Rect>& rects, int dpi) {
  for (const auto& [a, ra] : rects) {
    for (const auto& [b, rb] : rects) {
      if (a >= b || a->Parent() != b->Parent() || dynamic_cast<const TabSheet*>(a)) continue;
      if (ra.width == 0 || ra.height == 0 || rb.width == 0 || rb.height == 0) continue;
      EXPECT_FALSE(Overlap(ra, rb)) << a->Name() << " and " << b->Name() << " at " << dpi << " DPI";
    }
  }
}

class UiLayoutTest : public ::testing::Test {
 protected:
  ScopedHeadlessBackend backend_;
};

Panel& AddPanel(Container& parent, const std::string& name, Align align, Rect bounds) {
  Panel& panel = parent.Add<Panel>(name);
  panel.SetBounds(bounds);
  panel.SetAlign(align);
  return panel;
}

TEST_F(UiLayoutTest, AlignedControlsShareTheirEdgesAtEveryDpi) {
  Form form("form");
  form.SetClientSize({300, 200});
  form.SetChildSizing({4, 4, 2, 2});
  Panel& top1 = AddPanel(form, "top1", Align::Top, {0, 0, 10, 20});
  Panel& top2 = AddPanel(form, "top2", Align::Top, {0, 50, 10, 10});
  top2.SetBorderSpacing({0, 0, 6, 0, 0});
  Panel& bottom = AddPanel(form, "bottom", Align::Bottom, {0, 0, 10, 30});
  Panel& left = AddPanel(form, "left", Align::Left, {0, 0, 40, 10});
  Panel& right = AddPanel(form, "right", Align::Right, {0, 0, 50, 10});
  right.SetBorderSpacing({3, 0, 0, 0, 0});
  Panel& client = AddPanel(form, "client", Align::Client, {0, 0, 1, 1});

  EXPECT_EQ(top1.Bounds(), (Rect{4, 4, 292, 20}));
  EXPECT_EQ(top2.Bounds(), (Rect{4, 30, 292, 10}));
  EXPECT_EQ(bottom.Bounds(), (Rect{4, 166, 292, 30}));
  EXPECT_EQ(left.Bounds(), (Rect{4, 42, 40, 122}));
  EXPECT_EQ(right.Bounds(), (Rect{246, 43, 50, 120}));
  EXPECT_EQ(client.Bounds(), (Rect{46, 42, 197, 122}));

  // At 120 DPI, where halves round up (2 is 3, 3 is 4, 6 is 8, 10 is 13): an aligned control's
  // size is scaled as a size, not as the distance of its scaled edges (top2 from 50 to 60 would
  // be 63 to 75, 12), so controls of one size stay of one size.
  auto at120 = LayoutOf(form, 120);
  EXPECT_EQ(at120[&top1], (Rect{5, 5, 365, 25}));
  EXPECT_EQ(at120[&top2], (Rect{5, 38, 365, 13}));
  EXPECT_EQ(at120[&bottom], (Rect{5, 207, 365, 38}));
  EXPECT_EQ(at120[&left], (Rect{5, 54, 50, 150}));
  EXPECT_EQ(at120[&right], (Rect{307, 55, 63, 148}));
  EXPECT_EQ(at120[&client], (Rect{58, 54, 245, 150}));

  for (const int dpi : kDpis) {
    auto r = LayoutOf(form, dpi);
    const int width = S(300, dpi), height = S(200, dpi);
    EXPECT_EQ(r[&top1].top, S(4, dpi)) << dpi;
    EXPECT_EQ(r[&top1].height, S(20, dpi)) << dpi;
    EXPECT_EQ(r[&top1].Right(), width - S(4, dpi)) << dpi;
    EXPECT_EQ(r[&top2].top, r[&top1].Bottom() + S(6, dpi)) << dpi;
    EXPECT_EQ(r[&bottom].Bottom(), height - S(4, dpi)) << dpi;
    EXPECT_EQ(r[&left].top, r[&top2].Bottom() + S(2, dpi)) << dpi;
    EXPECT_EQ(r[&left].Bottom(), r[&bottom].top - S(2, dpi)) << dpi;
    EXPECT_EQ(r[&client].left, r[&left].Right() + S(2, dpi)) << dpi;
    EXPECT_EQ(r[&client].Right(), r[&right].left - S(3, dpi)) << dpi;
    EXPECT_EQ(r[&right].Right(), width - S(4, dpi)) << dpi;
    EXPECT_EQ(r[&client].top, r[&left].top) << dpi;
    EXPECT_EQ(r[&client].Bottom(), r[&left].Bottom()) << dpi;
    ExpectNoOverlaps(r, dpi);
  }
}

TEST_F(UiLayoutTest, TheLargestApplicableSpacingWins) {
  struct Case {
    ChildSizing sizing;
    BorderSpacing first, second;
    int firstTop, gap;
  } cases[] = {
      {{0, 0, 0, 0}, {}, {}, 0, 0},
      {{0, 0, 0, 5}, {}, {}, 0, 5},                              // between children
      {{0, 0, 0, 5}, {0, 0, 0, 0, 9}, {}, 0, 9},                 // the first's bottom
      {{0, 0, 0, 5}, {}, {0, 0, 7, 0, 0}, 0, 7},                 // the second's top
      {{0, 0, 0, 5}, {3, 0, 0, 0, 0}, {4, 0, 0, 0, 0}, 3, 5},    // around on both
      {{0, 6, 0, 1}, {0, 0, 2, 0, 0}, {8, 0, 0, 0, 0}, 6, 8},    // edge spacing
      {{0, 1, 0, 1}, {1, 0, 3, 0, 0}, {}, 4, 1},                 // around adds to a side
  };
  for (const Case& c : cases) {
    Form form("form");
    form.SetClientSize({100, 100});
    form.SetChildSizing(c.sizing);
    Panel& a = AddPanel(form, "a", Align::Top, {0, 0, 10, 10});
    a.SetBorderSpacing(c.first);
    Panel& b = AddPanel(form, "b", Align::Top, {0, 50, 10, 10});
    b.SetBorderSpacing(c.second);
    EXPECT_EQ(a.Top(), c.firstTop);
    EXPECT_EQ(b.Top() - a.Bounds().Bottom(), c.gap) << c.gap;
  }
}

// A top, a bottom, a left, a right and a client panel: each spacing of the container goes
// only where it is named (edges, or between children), and a child's own larger spacing wins.
TEST_F(UiLayoutTest, EachSpacingGoesOnlyWhereItIsSet) {
  struct Case {
    ChildSizing sizing;
    BorderSpacing spacing[5];  // top, bottom, left, right, client
    Rect expected[5];
  } cases[] = {
      {{0, 0, 0, 0},
       {{}, {}, {}, {}, {}},
       {{0, 0, 200, 10}, {0, 90, 200, 10}, {0, 10, 20, 80}, {180, 10, 20, 80}, {20, 10, 160, 80}}},
      // Edge spacing at the four edges only, none between the children.
      {{5, 0, 0, 0},
       {{}, {}, {}, {}, {}},
       {{5, 0, 190, 10}, {5, 90, 190, 10}, {5, 10, 20, 80}, {175, 10, 20, 80}, {25, 10, 150, 80}}},
      {{0, 3, 0, 0},
       {{}, {}, {}, {}, {}},
       {{0, 3, 200, 10}, {0, 87, 200, 10}, {0, 13, 20, 74}, {180, 13, 20, 74}, {20, 13, 160, 74}}},
      {{10, 10, 1, 1},
       {{}, {}, {}, {}, {}},
       {{10, 10, 180, 10}, {10, 80, 180, 10}, {10, 21, 20, 58}, {170, 21, 20, 58}, {31, 21, 138, 58}}},
      // Between-children spacing between the children only, none at the edges.
      {{0, 0, 4, 0},
       {{}, {}, {}, {}, {}},
       {{0, 0, 200, 10}, {0, 90, 200, 10}, {0, 10, 20, 80}, {180, 10, 20, 80}, {24, 10, 152, 80}}},
      {{0, 0, 0, 6},
       {{}, {}, {}, {}, {}},
       {{0, 0, 200, 10}, {0, 90, 200, 10}, {0, 16, 20, 68}, {180, 16, 20, 68}, {20, 16, 160, 68}}},
      // The children's own spacing on the facing sides, where larger than the container's.
      {{2, 2, 2, 2},
       {{0, 0, 0, 0, 5}, {0, 0, 3, 0, 0}, {0, 0, 0, 7, 0}, {0, 1, 0, 0, 0}, {0, 0, 9, 0, 0}},
       {{2, 2, 196, 10}, {2, 88, 196, 10}, {2, 17, 20, 68}, {178, 17, 20, 68}, {29, 21, 147, 64}}},
      // ... and at the edges.
      {{2, 2, 0, 0},
       {{0, 0, 6, 0, 0}, {0, 0, 0, 0, 4}, {0, 5, 0, 0, 0}, {0, 0, 0, 3, 0}, {}},
       {{2, 6, 196, 10}, {2, 86, 196, 10}, {5, 16, 20, 70}, {177, 16, 20, 70}, {25, 16, 152, 70}}},
      {{0, 0, 0, 0},
       {{}, {}, {}, {}, {3, 0, 0, 0, 0}},
       {{0, 0, 200, 10}, {0, 90, 200, 10}, {0, 10, 20, 80}, {180, 10, 20, 80}, {23, 13, 154, 74}}},
  };
  for (const Case& c : cases) {
    Form form("form");
    form.SetClientSize({200, 100});
    form.SetChildSizing(c.sizing);
    Panel& top = AddPanel(form, "top", Align::Top, {0, 0, 1, 10});
    Panel& bottom = AddPanel(form, "bottom", Align::Bottom, {0, 0, 1, 10});
    Panel& left = AddPanel(form, "left", Align::Left, {0, 0, 20, 1});
    Panel& right = AddPanel(form, "right", Align::Right, {0, 0, 20, 1});
    Panel& client = AddPanel(form, "client", Align::Client, {0, 0, 1, 1});
    Panel* panels[] = {&top, &bottom, &left, &right, &client};
    for (int i = 0; i < 5; ++i) panels[i]->SetBorderSpacing(c.spacing[i]);
    const ChildSizing& s = c.sizing;
    const std::string row = "spacing {" + std::to_string(s.leftRightSpacing) + ", " +
                            std::to_string(s.topBottomSpacing) + ", " + std::to_string(s.horizontalSpacing) + ", " +
                            std::to_string(s.verticalSpacing) + "}";
    for (int i = 0; i < 5; ++i) EXPECT_EQ(panels[i]->Bounds(), c.expected[i]) << panels[i]->Name() << ", " << row;
  }
}

// Each stack runs from its edge inward, a control going in by where it stands along that edge.
TEST_F(UiLayoutTest, StacksRunFromTheirEdgeInward) {
  Form form("form");
  form.SetClientSize({300, 100});
  form.SetChildSizing({0, 0, 4, 2});
  Panel& rightInner = AddPanel(form, "rightInner", Align::Right, {150, 0, 30, 1});
  Panel& leftInner = AddPanel(form, "leftInner", Align::Left, {100, 0, 30, 1});
  Panel& bottomOuter = AddPanel(form, "bottomOuter", Align::Bottom, {0, 90, 1, 10});
  Panel& leftOuter = AddPanel(form, "leftOuter", Align::Left, {0, 0, 20, 1});
  Panel& rightOuter = AddPanel(form, "rightOuter", Align::Right, {280, 0, 20, 1});
  Panel& bottomInner = AddPanel(form, "bottomInner", Align::Bottom, {0, 50, 1, 5});
  EXPECT_EQ(bottomOuter.Bounds(), (Rect{0, 90, 300, 10}));
  EXPECT_EQ(bottomInner.Bounds(), (Rect{0, 83, 300, 5}));
  EXPECT_EQ(leftOuter.Bounds(), (Rect{0, 0, 20, 81}));
  EXPECT_EQ(leftInner.Bounds(), (Rect{24, 0, 30, 81}));
  EXPECT_EQ(rightOuter.Bounds(), (Rect{280, 0, 20, 81}));
  EXPECT_EQ(rightInner.Bounds(), (Rect{246, 0, 30, 81}));
  // The results come in control order whatever the stacks' order.
  FixedTextMeasurer measurer;
  std::vector<std::string> names;
  for (const LayoutResult& r : ComputeLayout(form, {300, 100}, 96, measurer)) names.push_back(r.control->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"rightInner", "leftInner", "bottomOuter", "leftOuter", "rightOuter",
                                             "bottomInner"}));
}

TEST_F(UiLayoutTest, ANewTopAlignedControlAtTopZeroGoesAboveTheOthers) {
  Form form("form");
  form.SetClientSize({100, 300});
  ScrollBox& box = form.Add<ScrollBox>("box");
  box.SetAlign(Align::Client);
  // Added as the main window adds its frames: the list walked backwards, each at top 0.
  std::vector<Panel*> frames;
  for (const char* name : {"third", "second", "first"}) {
    Panel& frame = box.Add<Panel>(name);
    frame.SetHeight(30);
    frame.SetAlign(Align::Top);
    frames.push_back(&frame);
  }
  Panel& third = *frames[0];
  Panel& second = *frames[1];
  Panel& first = *frames[2];
  EXPECT_EQ(first.Top(), 0);
  EXPECT_EQ(second.Top(), 30);
  EXPECT_EQ(third.Top(), 60);
  // The control order stays the order of adding.
  EXPECT_EQ(third.ControlIndex(), 0);
  EXPECT_EQ(first.ControlIndex(), 2);

  // Setting a top to 0 brings that control to the top.
  third.SetTop(0);
  EXPECT_EQ(third.Top(), 0);
  EXPECT_EQ(first.Top(), 30);
  EXPECT_EQ(second.Top(), 60);

  // Hidden takes no space, and comes back to its place.
  first.SetVisible(false);
  EXPECT_EQ(second.Top(), 30);
  first.SetVisible(true);
  EXPECT_EQ(first.Top(), 30);
  EXPECT_EQ(second.Top(), 60);

  // A top set between two others puts it there.
  second.SetTop(10);
  EXPECT_EQ(third.Top(), 0);
  EXPECT_EQ(second.Top(), 30);
  EXPECT_EQ(first.Top(), 60);
}

TEST_F(UiLayoutTest, LabelsButtonsAndCheckBoxesTakeTheSizeOfTheirText) {
  struct Case {
    const char* caption;
    Align align;
    bool wrap;
    int fontHeight;
    Size expected;
  } cases[] = {
      {"Hello", Align::None, false, 0, {30, 15}},
      {"&Save", Align::None, false, 0, {24, 15}},        // the access-key mark takes no room
      {"A&&B", Align::None, false, 0, {18, 15}},
      {"ab\r\ncdef", Align::None, false, 0, {24, 30}},
      {"", Align::None, false, 0, {0, 15}},
      {"ab", Align::None, false, -24, {24, 30}},
      {"aaa bbb ccc ddd", Align::None, true, 0, {60, 30}},  // wrapped at its width 60
      {"Hello", Align::Top, false, 0, {200, 15}},          // aligned top: its height only
      {"Hello", Align::Left, false, 0, {30, 100}},         // aligned left: its width only
      {"aaa bbb ccc ddd", Align::Top, true, 0, {200, 15}},
  };
  for (const Case& c : cases) {
    Form form("form");
    form.SetClientSize({200, 100});
    Label& label = form.Add<Label>("label");
    label.SetBounds({0, 0, 60, 40});
    label.SetCaption(c.caption);
    label.SetWordWrap(c.wrap);
    if (c.fontHeight) { Font font; font.name = "Courier New"; font.height = c.fontHeight; label.SetFont(font); }
    label.SetAlign(c.align);
    EXPECT_EQ(label.Width(), c.expected.width) << c.caption;
    EXPECT_EQ(label.Height(), c.expected.height) << c.caption;
  }

  Form form("form");
  form.SetClientSize({200, 100});
  Button& button = form.Add<Button>("button");
  button.SetCaption("OK");
  button.SetAutoSize(true);
  EXPECT_EQ(button.Bounds(), (Rect{0, 0, 28, 25}));
  CheckBox& box = form.Add<CheckBox>("box");
  box.SetBounds({10, 40, 5, 5});
  box.SetCaption("Tick");
  box.SetAutoSize(true);
  EXPECT_EQ(box.Bounds(), (Rect{10, 40, 45, 17}));
  // Without auto-size the asked-for size stays.
  Label& fixed = form.Add<Label>("fixed");
  fixed.SetAutoSize(false);
  fixed.SetBounds({0, 0, 7, 55});
  fixed.SetCaption("a long caption");
  EXPECT_EQ(fixed.Bounds(), (Rect{0, 0, 7, 55}));
  EXPECT_EQ(fixed.TextHeight("one\r\ntwo"), 15);  // one line, as a canvas measures

  // A container aligned left takes the width and height of its row of buttons.
  Panel& row = AddPanel(form, "row", Align::Left, {0, 0, 1, 1});
  row.SetAutoSize(true);
  row.SetChildSizing({0, 0, 8, 0});
  for (const char* name : {"one", "two"}) {
    Button& b = row.Add<Button>(name);
    b.SetBounds({0, 0, 75, 25});
    b.SetAlign(Align::Left);
  }
  EXPECT_EQ(row.Width(), 75 + 8 + 75);
  // One not aligned: its right edge and the edge spacing.
  Panel& free = form.Add<Panel>("free");
  free.SetBounds({0, 0, 1, 1});
  free.SetAutoSize(true);
  free.SetChildSizing({5, 3, 0, 0});
  free.Add<Panel>("inner").SetBounds({10, 20, 30, 40});
  EXPECT_EQ(free.Bounds(), (Rect{0, 0, 10 + 30 + 5, 20 + 40 + 3}));
}

Button& AddButton(Container& parent, const std::string& name, Align align, int width, int height) {
  Button& button = parent.Add<Button>(name);
  button.SetBounds({0, 0, width, height});
  button.SetAlign(align);
  return button;
}

Label& AddLabel(Container& parent, const std::string& name, const std::string& caption, Align align) {
  Label& label = parent.Add<Label>(name);
  label.SetCaption(caption);
  label.SetAlign(align);
  return label;
}

// An auto-sized panel takes the size its children need, spacing included, as the layout then
// places them: so nothing in it is cut and nothing is added.
TEST_F(UiLayoutTest, AnAutoSizedPanelTakesTheSizeOfItsContent) {
  struct Case {
    const char* what;
    Align align;
    ChildSizing sizing;
    void (*fill)(Panel&);
    Rect expected;
  } cases[] = {
      {"edge spacing around a button",
       Align::None,
       {5, 3, 0, 0},
       [](Panel& p) { AddButton(p, "b", Align::Left, 75, 25); },
       {0, 0, 85, 31}},
      {"a border",
       Align::None,
       {},
       [](Panel& p) {
         p.SetBorderStyle(BorderStyle::Single);
         AddButton(p, "b", Align::Left, 75, 25);
       },
       {0, 0, 79, 29}},
      {"right-aligned buttons",
       Align::None,
       {3, 0, 6, 0},
       [](Panel& p) {
         AddButton(p, "b1", Align::Right, 75, 25);
         AddButton(p, "b2", Align::Right, 75, 25);
       },
       {0, 0, 162, 25}},
      {"a left and a right button",
       Align::None,
       {3, 0, 6, 0},
       [](Panel& p) {
         AddButton(p, "b1", Align::Left, 75, 25);
         AddButton(p, "b2", Align::Right, 75, 25);
       },
       {0, 0, 162, 25}},
      {"a button's own right spacing",
       Align::None,
       {5, 0, 0, 0},
       [](Panel& p) {
         AddButton(p, "b", Align::Left, 75, 25).SetBorderSpacing({0, 0, 0, 10, 0});
       },
       {0, 0, 90, 25}},
      {"left buttons' own spacing",
       Align::None,
       {2, 0, 4, 0},
       [](Panel& p) {
         AddButton(p, "b1", Align::Left, 75, 25).SetBorderSpacing({0, 7, 0, 10, 0});
         AddButton(p, "b2", Align::Left, 75, 25);
       },
       {0, 0, 169, 25}},
      {"a right button's own spacing towards a left one",
       Align::None,
       {0, 0, 2, 0},
       [](Panel& p) {
         AddButton(p, "b1", Align::Left, 75, 25);
         AddButton(p, "b2", Align::Right, 75, 25).SetBorderSpacing({0, 9, 0, 0, 0});
       },
       {0, 0, 159, 25}},
      {"a client panel by its size",
       Align::None,
       {},
       [](Panel& p) {
         AddPanel(p, "inner", Align::Client, {0, 0, 40, 30});
       },
       {0, 0, 40, 30}},
      {"a name and a status label",
       Align::None,
       {0, 0, 8, 0},
       [](Panel& p) {
         AddLabel(p, "name", "Block", Align::Left);
         AddLabel(p, "status", "pending...", Align::Client);
       },
       {0, 0, 98, 15}},
      {"top labels",
       Align::None,
       {4, 2, 0, 3},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Top);
         AddLabel(p, "b", "Hi", Align::Top);
       },
       {0, 0, 38, 37}},
      {"a hidden label",
       Align::Top,
       {},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Top).SetVisible(false);
         AddLabel(p, "b", "Hi", Align::Top);
       },
       {0, 0, 400, 15}},
      {"own top and bottom spacing",
       Align::Top,
       {0, 3, 0, 0},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Top).SetBorderSpacing({0, 0, 6, 0, 0});
         AddLabel(p, "b", "Hi", Align::Bottom).SetBorderSpacing({0, 0, 0, 0, 5});
       },
       {0, 0, 400, 41}},
      {"a top label's own bottom spacing",
       Align::Top,
       {0, 0, 0, 3},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Top).SetBorderSpacing({0, 0, 0, 0, 6});
         AddLabel(p, "b", "Hi", Align::Top).SetTop(50);  // below a
       },
       {0, 0, 400, 36}},
      {"a top and a bottom label",
       Align::Top,
       {0, 0, 0, 2},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Top).SetBorderSpacing({0, 0, 0, 0, 5});
         AddLabel(p, "b", "Hi", Align::Bottom);
       },
       {0, 0, 400, 35}},
      {"a client label's own bottom spacing above a bottom one",
       Align::Top,
       {0, 0, 0, 2},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Client).SetBorderSpacing({0, 0, 0, 0, 6});
         AddLabel(p, "b", "Hi", Align::Bottom);
       },
       {0, 0, 400, 36}},
      {"bottom labels",
       Align::Top,
       {0, 3, 0, 2},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Bottom);
         AddLabel(p, "b", "Hi", Align::Bottom);
       },
       {0, 0, 400, 38}},
      {"a top and a client label",
       Align::Top,
       {0, 0, 0, 2},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Top);
         AddLabel(p, "b", "Hi", Align::Client);
       },
       {0, 0, 400, 32}},
      {"a client label's own top spacing",
       Align::Top,
       {0, 0, 0, 2},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Top);
         AddLabel(p, "b", "Hi", Align::Client).SetBorderSpacing({0, 0, 5, 0, 0});
       },
       {0, 0, 400, 35}},
      {"a left button under a top label",
       Align::Top,
       {0, 0, 0, 2},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Top);
         AddButton(p, "b", Align::Left, 75, 25).SetBorderSpacing({0, 0, 0, 0, 4});
       },
       {0, 0, 400, 46}},
      // 26 words of 24 pixels: two lines at 400 (13 a line), three at 380.
      {"a wrapped label within the edge spacing",
       Align::Top,
       {10, 0, 0, 0},
       [](Panel& p) {
         std::string text;
         for (int i = 0; i < 26; ++i) text += i ? " abcd" : "abcd";
         AddLabel(p, "hint", text, Align::Top).SetWordWrap(true);
       },
       {0, 0, 400, 45}},
      {"a wrapped client label within the edge spacing",
       Align::Top,
       {10, 0, 0, 0},
       [](Panel& p) {
         std::string text;
         for (int i = 0; i < 26; ++i) text += i ? " abcd" : "abcd";
         AddLabel(p, "hint", text, Align::Client).SetWordWrap(true);
       },
       {0, 0, 400, 45}},
      {"a label's constraints",
       Align::None,
       {},
       [](Panel& p) {
         AddLabel(p, "a", "Hello", Align::Top).SetConstraints({0, 20, 20, 0});
       },
       {0, 0, 20, 20}},
      {"its own constraints",
       Align::None,
       {},
       [](Panel& p) {
         p.SetConstraints({0, 40, 50, 0});
         AddButton(p, "b", Align::Left, 75, 25);
       },
       {0, 0, 50, 40}},
      {"an auto-sized panel in it",
       Align::Left,
       {},
       [](Panel& p) {
         Panel& inner = AddPanel(p, "inner", Align::Left, {0, 0, 1, 1});
         inner.SetAutoSize(true);
         AddButton(inner, "b", Align::Left, 75, 25);
       },
       {0, 0, 75, 300}},
      {"a control placed by its bounds",
       Align::None,
       {5, 3, 0, 0},
       [](Panel& p) {
         p.Add<Panel>("inner").SetBounds({10, 20, 30, 40});
         p.GetControl(0).SetBorderSpacing({0, 0, 0, 9, 0});
       },
       {0, 0, 49, 63}},
  };
  for (const Case& c : cases) {
    Form form("form");
    form.SetClientSize({400, 300});
    Panel& panel = AddPanel(form, "panel", c.align, {0, 0, 1, 1});
    panel.SetChildSizing(c.sizing);
    c.fill(panel);
    panel.SetAutoSize(true);
    EXPECT_EQ(panel.Bounds(), c.expected) << c.what;
  }
}

// An auto-sized control's natural size gives way to its constraints, however it is aligned.
TEST_F(UiLayoutTest, AutoSizeGivesWayToConstraints) {
  enum Kind { kLabel, kButton, kPanel };
  struct Case {
    Kind kind;
    Align align;
    SizeConstraints constraints;
    Rect expected;
  } cases[] = {
      {kLabel, Align::None, {50, 0, 0, 0}, {0, 0, 50, 15}},  // "Hello": 30 x 15
      {kLabel, Align::None, {0, 20, 0, 0}, {0, 0, 30, 20}},
      {kLabel, Align::None, {0, 0, 20, 0}, {0, 0, 20, 15}},
      {kLabel, Align::None, {0, 0, 0, 10}, {0, 0, 30, 10}},
      {kLabel, Align::Left, {0, 0, 0, 32}, {0, 0, 30, 32}},  // at the top of its band
      {kLabel, Align::Left, {40, 0, 0, 0}, {0, 0, 40, 100}},
      {kLabel, Align::Right, {0, 0, 20, 0}, {180, 0, 20, 100}},
      {kButton, Align::None, {75, 0, 0, 0}, {0, 0, 75, 25}},  // "OK": 28 x 25
      {kButton, Align::None, {0, 0, 0, 20}, {0, 0, 28, 20}},
      {kButton, Align::Top, {0, 0, 120, 0}, {0, 0, 120, 25}},
      {kButton, Align::Top, {0, 30, 0, 0}, {0, 0, 200, 30}},
      {kPanel, Align::None, {0, 0, 50, 0}, {0, 0, 50, 25}},  // one 75 x 25 button
      {kPanel, Align::None, {0, 40, 0, 0}, {0, 0, 75, 40}},
      {kPanel, Align::Left, {0, 0, 0, 32}, {0, 0, 75, 32}},
      {kPanel, Align::Client, {0, 0, 0, 20}, {0, 0, 200, 20}},
  };
  for (const Case& c : cases) {
    Form form("form");
    form.SetClientSize({200, 100});
    Control* control = nullptr;
    if (c.kind == kLabel) {
      control = &form.Add<Label>("label");
      control->SetCaption("Hello");
    } else if (c.kind == kButton) {
      control = &form.Add<Button>("button");
      control->SetCaption("OK");
    } else {
      Panel& panel = form.Add<Panel>("panel");
      AddButton(panel, "b", Align::Left, 75, 25);
      control = &panel;
    }
    control->SetBounds({0, 0, 5, 5});
    control->SetAutoSize(true);
    control->SetConstraints(c.constraints);
    control->SetAlign(c.align);
    EXPECT_EQ(control->Bounds(), c.expected)
        << control->Name() << " " << c.constraints.minWidth << " " << c.constraints.minHeight << " "
        << c.constraints.maxWidth << " " << c.constraints.maxHeight;
  }
}

// The standard immunizer frame: a column sized to its content.
struct ImmunizerFrame {
  explicit ImmunizerFrame(Container& parent) : frame(parent.Add<Frame>("frame")) {
    frame.SetAutoSize(true);
    frame.SetChildSizing({0, 0, 0, 2});
    labels = &AddPanel(frame, "panelLabels", Align::Top, {0, 0, 100, 10});
    labels->SetAutoSize(true);
    cb = &labels->Add<CheckBox>("cb");
    cb->SetBounds({0, 0, 20, 17});
    cb->SetAlign(Align::Left);
    cb->SetVisible(false);
    name = &labels->Add<Label>("labelDisplayName");
    name->SetCaption("Block");
    name->SetBorderSpacing({0, 0, 2, 0, 0});
    name->SetBounds({30, 0, 10, 10});
    name->SetAlign(Align::Left);
    status = &labels->Add<Label>("labelStatus");
    status->SetCaption("pending...");
    status->SetAlignment(TextAlign::Right);
    status->SetBorderSpacing({0, 0, 2, 0, 0});
    status->SetAlign(Align::Client);
    details = &frame.Add<Label>("labelDetails");
    details->SetAutoSize(false);
    details->SetBounds({0, 20, 100, 20});
    details->SetAlign(Align::Top);
    details->SetVisible(false);
    pg = &frame.Add<ProgressBar>("pg");
    pg->SetBounds({0, 40, 100, 15});
    pg->SetAlign(Align::Top);
    spacer = &AddPanel(frame, "panelSpacer", Align::Top, {0, 60, 100, 8});
    frame.SetAlign(Align::Top);
  }
  Frame& frame;
  Panel* labels;
  CheckBox* cb;
  Label* name;
  Label* status;
  Label* details;
  ProgressBar* pg;
  Panel* spacer;
};

TEST_F(UiLayoutTest, AFrameSizesItselfToItsVisibleChildren) {
  Form form("form");
  form.SetClientSize({300, 400});
  ImmunizerFrame f(form);
  EXPECT_EQ(f.labels->Height(), 17);  // the labels 2 from the top, 15 high
  EXPECT_EQ(f.frame.Bounds(), (Rect{0, 0, 300, 17 + 2 + 15 + 2 + 8}));
  EXPECT_EQ(f.status->Bounds(), (Rect{30, 2, 270, 15}));

  f.cb->SetVisible(true);
  EXPECT_EQ(f.name->Left(), 20);
  f.details->SetCaption("a\r\nb\r\nc");
  f.details->SetHeight(3 * f.details->TextHeight(f.details->Caption()) + 10);
  f.details->SetVisible(true);
  EXPECT_EQ(f.details->Bounds(), (Rect{0, 19, 300, 55}));
  EXPECT_EQ(f.pg->Top(), 76);
  EXPECT_EQ(f.frame.Height(), 17 + 2 + 55 + 2 + 15 + 2 + 8);

  f.pg->SetVisible(false);
  EXPECT_EQ(f.frame.Height(), 17 + 2 + 55 + 2 + 8);

  for (const int dpi : kDpis) {
    auto r = LayoutOf(form, dpi);
    EXPECT_EQ(r[&f.frame].height, r[f.spacer].Bottom()) << dpi;
    EXPECT_EQ(r[f.details].top, r[f.labels].Bottom() + S(2, dpi)) << dpi;
    EXPECT_EQ(r[f.labels].height, S(2, dpi) + FixedTextMeasurer::LineHeight(Font{}, dpi)) << dpi;
    ExpectNoOverlaps(r, dpi);
  }
}

TEST_F(UiLayoutTest, AnchoredEdgesKeepTheirDistanceToTheParent) {
  struct Case {
    Anchors anchors;
    Rect expected;
  } cases[] = {
      {{true, true, false, false}, {10, 10, 50, 20}},
      {{true, true, true, false}, {10, 10, 150, 20}},
      {{false, true, true, false}, {110, 10, 50, 20}},
      {{true, false, false, true}, {10, 60, 50, 20}},
      {{true, true, true, true}, {10, 10, 150, 70}},
      {{false, false, true, true}, {110, 60, 50, 20}},   // a dialog's OK button
      {{false, false, false, false}, {60, 35, 50, 20}},  // keeps its place relative to the centre
  };
  for (const Case& c : cases) {
    Form form("form");
    form.SetClientSize({200, 100});
    Panel& panel = form.Add<Panel>("panel");
    panel.SetBounds({10, 10, 50, 20});
    panel.SetAnchors(c.anchors);
    form.SetClientSize({300, 150});
    EXPECT_EQ(panel.Bounds(), c.expected);
  }

  // An auto-sized label anchored on both sides stretches and keeps its text's height.
  Form form("form");
  form.SetClientSize({200, 100});
  Label& label = form.Add<Label>("labelTotalProtection");
  label.SetCaption("Test pending...");
  label.SetAlignment(TextAlign::Center);
  label.SetAnchors({true, true, true, false});
  label.SetBounds({72, 48, 56, 10});
  form.SetClientSize({400, 100});
  EXPECT_EQ(label.Bounds(), (Rect{72, 48, 256, 15}));

  // A word-wrapped one: its height follows the width it stretches to.
  form.SetClientSize({200, 100});
  Label& wrapped = AddLabel(form, "wrapped", "aaa bbb ccc ddd", Align::None);
  wrapped.SetWordWrap(true);
  wrapped.SetAnchors({true, true, true, false});
  wrapped.SetBounds({10, 10, 50, 10});
  EXPECT_EQ(wrapped.Bounds(), (Rect{10, 10, 50, 30}));
  form.SetClientSize({300, 100});
  EXPECT_EQ(wrapped.Bounds(), (Rect{10, 10, 150, 15}));
}

TEST_F(UiLayoutTest, ConstraintsLimitTheLaidOutSize) {
  Form form("form");
  form.SetClientSize({300, 200});
  Label& label = form.Add<Label>("label");
  label.SetCaption("x");
  label.SetConstraints({0, 30, 0, 0});
  label.SetAlign(Align::Top);
  Panel& client = form.Add<Panel>("client");
  client.SetConstraints({0, 0, 100, 50});
  client.SetAlign(Align::Client);
  EXPECT_EQ(label.Height(), 30);
  EXPECT_EQ(client.Bounds(), (Rect{0, 30, 100, 50}));
  // A form's constraints hold its window.
  form.SetConstraints({480, 360, 480, 360});
  EXPECT_EQ(form.Width(), 480);
  EXPECT_EQ(form.Height(), 360);
}

// A label that ends in an ellipsis gives way in its row, as far as the client-aligned label
// beside it lacks its text's width and no further; one that does not keeps its text's width.
TEST_F(UiLayoutTest, AnEllipsisLabelGivesWaySoTheClientLabelKeepsItsText) {
  struct Case {
    int width, dpi;
    bool ellipsis;
    Rect name, status, button;  // the band's height, each
  } cases[] = {
      // Room enough: both whole, the status fills the rest.
      {400, 96, true, {0, 0, 120, 25}, {128, 0, 189, 25}, {325, 0, 75, 25}},
      // The name gives the 45 pixels the status lacks.
      {250, 96, true, {0, 0, 75, 25}, {83, 0, 84, 25}, {175, 0, 75, 25}},
      {250, 144, true, {0, 0, 112, 38}, {124, 0, 126, 38}, {262, 0, 113, 38}},
      // Nothing left to give: the name is gone, the status has what remains.
      {100, 96, true, {0, 0, 0, 25}, {8, 0, 9, 25}, {25, 0, 75, 25}},
      // Without the ellipsis the name keeps its text and the status is cut.
      {250, 96, false, {0, 0, 120, 25}, {128, 0, 39, 25}, {175, 0, 75, 25}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " wide at " << c.dpi << " DPI, ellipsis " << c.ellipsis);
    Form form("form");
    form.SetClientSize({c.width, 25});
    form.SetChildSizing({0, 0, 8, 0});
    Label& name = form.Add<Label>("name");
    name.SetCaption("Name of twenty chars");  // 120 wide at 96 DPI
    name.SetAlign(Align::Left);
    name.SetEndEllipsis(c.ellipsis);
    Label& status = form.Add<Label>("status");
    status.SetCaption("no blocks yet!");  // 84
    status.SetAlignment(TextAlign::Right);
    status.SetAlign(Align::Client);
    Button& button = form.Add<Button>("button");
    button.SetAutoSize(false);
    button.SetBounds({0, 0, 75, 25});
    button.SetAlign(Align::Right);
    auto at = LayoutOf(form, c.dpi);
    EXPECT_EQ(at[&name], c.name);
    EXPECT_EQ(at[&status], c.status);
    EXPECT_EQ(at[&button], c.button);
  }
}

TEST_F(UiLayoutTest, AScrollBoxKnowsItsVerticalScrollRange) {
  Form form("form");
  form.SetClientSize({300, 200});
  ScrollBox& box = form.Add<ScrollBox>("sb");
  box.SetAlign(Align::Client);
  box.SetChildSizing({16, 16, 16, 16});
  std::vector<Panel*> panels;
  for (int i = 0; i < 2; ++i) panels.push_back(&AddPanel(box, "p" + std::to_string(i), Align::Top, {0, 100 * i, 10, 50}));
  EXPECT_EQ(box.VertScrollRange(), 16 + 50 + 16 + 50 + 16);
  EXPECT_FALSE(box.VertScrollBarVisible());
  EXPECT_EQ(panels[0]->Width(), 300 - 32);

  for (int i = 2; i < 5; ++i) panels.push_back(&AddPanel(box, "p" + std::to_string(i), Align::Top, {0, 100 * i, 10, 50}));
  EXPECT_EQ(box.VertScrollRange(), 16 + 5 * 50 + 4 * 16 + 16);
  EXPECT_TRUE(box.VertScrollBarVisible());
  EXPECT_EQ(panels[0]->Width(), 300 - 17 - 32);  // the bar takes its width
  EXPECT_EQ(box.ClientSize(), (Size{283, 200}));
  // The excess the main window grows by: range minus the box's height.
  EXPECT_EQ(box.VertScrollRange() - box.Height(), 146);

  box.SetVertScrollPosition(1000);
  EXPECT_EQ(box.VertScrollPosition(), 146);
  box.SetVertScrollPosition(-5);
  EXPECT_EQ(box.VertScrollPosition(), 0);

  for (const int dpi : kDpis) {
    std::map<const Control*, LayoutResult> infos;
    auto r = LayoutOf(form, dpi, &infos);
    EXPECT_TRUE(infos[&box].vertScrollBar);
    EXPECT_EQ(r[panels[4]].Bottom() + S(16, dpi), infos[&box].scrollRange) << dpi;
    ExpectNoOverlaps(r, dpi);
  }

  // Hidden children take no range; an empty box has none.
  for (Panel* p : panels) p->SetVisible(false);
  EXPECT_EQ(box.VertScrollRange(), 0);
  EXPECT_FALSE(box.VertScrollBarVisible());
}

// The range: the lowest child's bottom and the larger of its own bottom spacing and the edge
// spacing; the bar shows only when the range is more than the client's height, and narrows
// the client the children are laid out in.
TEST_F(UiLayoutTest, TheScrollRangeDecidesTheBarAndTheClientWidth) {
  struct Case {
    ChildSizing sizing;
    BorderStyle border;
    int firstHeight, secondHeight;
    BorderSpacing second;
    int range;
    bool bar;
    int childWidth;
  } cases[] = {
      {{16, 16, 0, 0}, BorderStyle::None, 50, 50, {}, 132, false, 268},
      {{16, 16, 0, 0}, BorderStyle::None, 50, 50, {0, 0, 0, 0, 20}, 136, false, 268},
      {{16, 16, 0, 0}, BorderStyle::None, 100, 100, {}, 232, true, 251},
      {{0, 0, 0, 0}, BorderStyle::None, 100, 100, {}, 200, false, 300},  // exactly the height
      {{0, 0, 0, 0}, BorderStyle::None, 100, 101, {}, 201, true, 283},
      {{0, 0, 0, 0}, BorderStyle::Single, 100, 97, {}, 197, true, 279},  // the border takes 2 a side
      {{0, 0, 0, 0}, BorderStyle::Single, 100, 96, {}, 196, false, 296},
  };
  for (const Case& c : cases) {
    Form form("form");
    form.SetClientSize({300, 200});
    ScrollBox& box = form.Add<ScrollBox>("sb");
    box.SetAlign(Align::Client);
    box.SetBorderStyle(c.border);
    box.SetChildSizing(c.sizing);
    Panel& first = AddPanel(box, "first", Align::Top, {0, 0, 10, c.firstHeight});
    AddPanel(box, "second", Align::Top, {0, 300, 10, c.secondHeight}).SetBorderSpacing(c.second);
    EXPECT_EQ(box.VertScrollRange(), c.range) << c.range;
    EXPECT_EQ(box.VertScrollBarVisible(), c.bar) << c.range;
    EXPECT_EQ(first.Width(), c.childWidth) << c.range;
    EXPECT_EQ(box.ClientSize().width, c.childWidth + 2 * c.sizing.leftRightSpacing) << c.range;
  }

  // A wrapped label in a frame in the box: the bar's width makes it wrap again, and the
  // frame and the range grow with it. 13 words of 24 pixels fill 384; 383 holds 12.
  Form form("form");
  form.SetClientSize({400, 100});
  ScrollBox& box = form.Add<ScrollBox>("sb");
  box.SetAlign(Align::Client);
  Panel& frame = AddPanel(box, "frame", Align::Top, {0, 0, 1, 1});
  frame.SetAutoSize(true);
  std::string text;
  for (int i = 0; i < 13; ++i) text += i ? " abcd" : "abcd";
  AddLabel(frame, "hint", text, Align::Top).SetWordWrap(true);
  AddPanel(frame, "spacer", Align::Top, {0, 100, 1, 70});
  EXPECT_EQ(frame.Height(), 15 + 70);
  AddPanel(box, "more", Align::Top, {0, 200, 1, 20});
  EXPECT_TRUE(box.VertScrollBarVisible());
  EXPECT_EQ(frame.Bounds(), (Rect{0, 0, 383, 30 + 70}));
  EXPECT_EQ(box.VertScrollRange(), 100 + 20);
}

TEST_F(UiLayoutTest, PagesFillThePageControlsDisplayArea) {
  Form form("form");
  form.SetClientSize({300, 200});
  PageControl& pages = form.Add<PageControl>("pc");
  pages.SetAlign(Align::Client);
  TabSheet& a = pages.AddPage("a", "A");
  TabSheet& b = pages.AddPage("b", "B");
  Panel& onB = AddPanel(b, "onB", Align::Client, {});
  EXPECT_EQ(a.Bounds(), (Rect{4, 25, 292, 171}));
  EXPECT_EQ(b.Bounds(), a.Bounds());  // an inactive page is laid out too
  EXPECT_EQ(onB.Bounds(), (Rect{0, 0, 292, 171}));
  EXPECT_EQ(pages.ClientSize(), (Size{292, 171}));
  for (const int dpi : kDpis) {
    auto r = LayoutOf(form, dpi);
    const int tabRow = FixedTextMeasurer::LineHeight(Font{}, dpi) + S(6, dpi);
    EXPECT_EQ(r[&a], (Rect{S(4, dpi), tabRow + S(4, dpi), S(300, dpi) - 2 * S(4, dpi),
                           S(200, dpi) - tabRow - 2 * S(4, dpi)}))
        << dpi;
  }
}

// The main window's frame: a page control above a row of buttons, a status panel, a scroll
// box and a bottom row of buttons on the first page.
TEST_F(UiLayoutTest, TheMainWindowLayoutScalesWithoutGapsOrOverlaps) {
  Form form("main");
  form.SetClientSize({537, 639});
  form.SetChildSizing({8, 8, 8, 8});
  PageControl& pages = form.Add<PageControl>("pcStillwater");
  Panel& buttons = AddPanel(form, "panelButtons", Align::Bottom, {0, 600, 537, 10});
  buttons.SetAutoSize(true);
  buttons.SetChildSizing({0, 0, 8, 0});
  Button& about = buttons.Add<Button>("bnAbout");
  about.SetBounds({0, 0, 75, 25});
  about.SetAlign(Align::Left);
  Button& close = buttons.Add<Button>("bnClose");
  close.SetBounds({400, 0, 75, 25});
  close.SetBorderSpacing({0, 0, 0, 2, 0});
  close.SetAlign(Align::Right);
  pages.SetAlign(Align::Client);
  TabSheet& protection = pages.AddPage("tabProtection", "&Protection");
  Panel& status = AddPanel(protection, "panelStatus", Align::Top, {0, 0, 100, 64});
  status.SetBorderSpacing({16, 0, 0, 0, 0});
  Panel& row = AddPanel(protection, "panelButtonsProtection", Align::Bottom, {0, 500, 100, 10});
  row.SetBorderSpacing({16, 0, 0, 0, 0});
  row.SetAutoSize(true);
  row.SetChildSizing({0, 0, 8, 0});
  for (const char* name : {"bnOptions"}) {
    Button& b = row.Add<Button>(name);
    b.SetBounds({0, 0, 107, 25});
    b.SetAlign(Align::Left);
  }
  Button& undo = row.Add<Button>("bnUndo");
  undo.SetBounds({400, 0, 107, 25});
  undo.SetAlign(Align::Right);
  Button& immunize = row.Add<Button>("bnImmunize");
  immunize.SetBounds({200, 0, 107, 25});
  immunize.SetAlign(Align::Right);
  ScrollBox& sb = protection.Add<ScrollBox>("sb");
  sb.SetAlign(Align::Client);
  sb.SetChildSizing({16, 16, 16, 16});
  Image& computer = status.Add<Image>("imgComputer");
  computer.SetBounds({0, 0, 64, 64});
  computer.SetAlign(Align::Left);
  Image& network = status.Add<Image>("imgNetwork");
  network.SetBounds({0, 0, 64, 64});
  network.SetAlign(Align::Right);
  Shape& shape = status.Add<Shape>("shapeTotalStatus");
  shape.SetBounds({72, 0, status.Width() - 144, 40});
  shape.SetAnchors({true, true, true, false});
  for (int i = 0; i < 12; ++i) {
    ImmunizerFrame f(sb);
    f.frame.SetName("frame" + std::to_string(i));
  }

  EXPECT_EQ(buttons.Bounds(), (Rect{8, 639 - 8 - 25, 521, 25}));
  EXPECT_EQ(close.Bounds().Right(), 521 - 2);
  EXPECT_EQ(pages.Bounds(), (Rect{8, 8, 521, 639 - 8 - 25 - 8 - 8}));
  EXPECT_EQ(shape.Bounds(), (Rect{72, 0, status.Width() - 144, 40}));
  EXPECT_EQ(immunize.Bounds().Right() + 8, undo.Left());
  EXPECT_EQ(row.Height(), 25);
  EXPECT_TRUE(sb.VertScrollBarVisible());

  for (const int dpi : kDpis) {
    auto r = LayoutOf(form, dpi);
    const int width = S(537, dpi), height = S(639, dpi), eight = S(8, dpi), sixteen = S(16, dpi);
    EXPECT_EQ(r[&pages].top, eight) << dpi;
    EXPECT_EQ(r[&pages].Bottom() + eight, r[&buttons].top) << dpi;
    EXPECT_EQ(r[&buttons].Bottom(), height - eight) << dpi;
    EXPECT_EQ(r[&buttons].height, S(25, dpi)) << dpi;
    EXPECT_EQ(r[&close].Right(), r[&buttons].width - S(2, dpi)) << dpi;
    EXPECT_EQ(r[&pages].Right(), width - eight) << dpi;
    const Rect page = r[&protection];
    EXPECT_EQ(r[&status].top, sixteen) << dpi;
    EXPECT_EQ(r[&sb].top, r[&status].Bottom() + sixteen) << dpi;
    EXPECT_EQ(r[&row].top, r[&sb].Bottom() + sixteen) << dpi;
    EXPECT_EQ(r[&row].Bottom(), page.height - sixteen) << dpi;
    EXPECT_EQ(r[&network].Right(), r[&status].width) << dpi;
    EXPECT_EQ(r[&shape].Right(), r[&status].width - S(72, dpi)) << dpi;
    ExpectNoOverlaps(r, dpi);
  }
}

}  // namespace
