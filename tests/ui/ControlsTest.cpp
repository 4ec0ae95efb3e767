// Controls' events and properties on the headless backend: clicks, actions, check boxes,
// menus, pages, and what the backend is told.

#include "app/ui/Toolkit.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "tests/ui/UiTestPrinters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace ui;
using headless::HeadlessBackend;
using headless::ScopedHeadlessBackend;
using Kind = HeadlessBackend::Event::Kind;

class UiControlsTest : public ::testing::Test {
 protected:
  UiControlsTest() {
    form_.SetClientSize({300, 200});
  }
  ScopedHeadlessBackend backend_;
  Form form_{"form"};
  std::vector<std::string> log_;
};

TEST_F(UiControlsTest, AClickRunsOnClickElseTheActionThenSetsTheModalResult) {
  Action& action = form_.AddAction("aGo", "&Go");
  action.onExecute = [&] { log_.push_back("action"); };
  Button& button = form_.Add<Button>("bn");
  button.SetModalResult(ModalResult::Ok);
  button.SetAction(&action);

  backend_->onModal = [&](Form& form) {
    button.onClick = [&] { log_.push_back(form.GetModalResult() == ModalResult::None ? "click, no result yet" : "late"); };
    EXPECT_TRUE(backend_->UserClick(button));
    EXPECT_EQ(form.GetModalResult(), ModalResult::Ok);
  };
  EXPECT_EQ(form_.ShowModal(), ModalResult::Ok);
  EXPECT_EQ(log_, (std::vector<std::string>{"click, no result yet"}));

  // Without onClick the action runs; a disabled action does not.
  log_.clear();
  button.onClick = nullptr;
  button.SetModalResult(ModalResult::None);
  button.Click();
  action.SetEnabled(false);
  EXPECT_FALSE(action.Execute());
  button.Click();
  EXPECT_EQ(log_, (std::vector<std::string>{"action"}));
  // The button follows the action's enabled state, and a user cannot click it then.
  EXPECT_FALSE(button.Enabled());
  form_.Show();
  EXPECT_FALSE(backend_->UserClick(button));
}

TEST_F(UiControlsTest, AButtonCarryingAnActionShowsAndFollowsItsCaption) {
  Action& show = form_.AddAction("aShowOptions", "Show options");
  Action& hide = form_.AddAction("aHideOptions", "Hide options");
  Button& button = form_.Add<Button>("bnOptions");
  PopupMenu& menu = form_.AddPopupMenu("popupOptions");
  MenuItem& item = menu.Add("miShow");
  item.SetAction(&show);

  button.SetAction(&show);
  EXPECT_EQ(button.Caption(), "Show options");
  show.SetCaption("Sshow options");
  EXPECT_EQ(button.Caption(), "Sshow options");
  EXPECT_EQ(item.Caption(), "Sshow options");
  button.SetAction(&hide);  // the toggle: the button now offers the other action
  EXPECT_EQ(button.Caption(), "Hide options");
  show.SetCaption("Show options");
  EXPECT_EQ(button.Caption(), "Hide options");
  EXPECT_TRUE(backend_->WasChanged(button, Property::Action));

  {
    auto gone = std::make_unique<Action>("aGone");
    button.SetAction(gone.get());
  }
  EXPECT_EQ(button.GetAction(), nullptr);
}

TEST_F(UiControlsTest, ACheckBoxReportsOnlyRealChanges) {
  CheckBox& box = form_.Add<CheckBox>("cb");
  int changes = 0;
  box.onChange = [&] { ++changes; };
  box.SetChecked(false);
  EXPECT_EQ(changes, 0);
  box.SetChecked(true);
  box.SetChecked(true);
  EXPECT_EQ(changes, 1);
  form_.Show();
  EXPECT_TRUE(backend_->UserClick(box));
  EXPECT_FALSE(box.Checked());
  EXPECT_EQ(changes, 2);
  box.SetVisible(false);
  EXPECT_FALSE(backend_->UserClick(box));
  EXPECT_EQ(changes, 2);
}

TEST_F(UiControlsTest, APopupMenuRunsTheChosenItem) {
  Action& selectAll = form_.AddAction("aSelectAll", "Select all");
  selectAll.onExecute = [&] { log_.push_back("select all"); };
  PopupMenu& menu = form_.AddPopupMenu("popupOptions");
  menu.Add("miSelectAll").SetAction(&selectAll);
  MenuItem& deselect = menu.Add("miDeselectAll");
  deselect.SetCaption("Deselect all");
  deselect.onClick = [&] { log_.push_back("deselect all"); };
  Button& button = form_.Add<Button>("bnOptions");
  button.SetPopupMenu(&menu);
  form_.Show();

  backend_->QueuePopupChoice("miSelectAll");
  backend_->QueuePopupChoice("miDeselectAll");
  backend_->QueuePopupChoice("");  // dismissed
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(backend_->UserRightClick(button));
  EXPECT_EQ(log_, (std::vector<std::string>{"select all", "deselect all"}));
  ASSERT_EQ(backend_->popups.size(), 3u);
  EXPECT_EQ(backend_->popups[0].menu, &menu);
  EXPECT_EQ(backend_->popups[0].owner, &form_);
  EXPECT_EQ(menu.Item(0).Caption(), "Select all");
  EXPECT_EQ(menu.Find("miDeselectAll"), &deselect);
}

TEST_F(UiControlsTest, PagesWithHiddenTabs) {
  PageControl& pages = form_.Add<PageControl>("pc");
  int changes = 0;
  pages.onChange = [&] { ++changes; };
  TabSheet& protection = pages.AddPage("tabProtection", "&Protection");
  TabSheet& log = pages.AddPage("tabLog", "&Log");
  TabSheet& faq = pages.AddPage("tabFAQ", "FAQ");
  Label& onLog = log.Add<Label>("onLog");
  log.SetTabVisible(false);
  form_.Show();

  EXPECT_EQ(pages.ActivePage(), &protection);  // the first page added
  EXPECT_EQ(pages.PageCount(), 3);
  EXPECT_EQ(log.PageIndex(), 1);
  EXPECT_EQ(log.TabIndex(), -1);
  EXPECT_EQ(faq.TabIndex(), 1);
  EXPECT_FALSE(backend_->UserChooseTab(log));
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(onLog.Showing());

  log.SetTabVisible(true);
  EXPECT_EQ(faq.TabIndex(), 2);
  EXPECT_TRUE(backend_->UserChooseTab(log));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(onLog.Showing());
  EXPECT_FALSE(protection.Showing());

  // Hiding the active page's tab moves to the next page with a tab, else the one before.
  log.SetTabVisible(false);
  EXPECT_EQ(pages.ActivePage(), &faq);
  faq.SetTabVisible(false);
  EXPECT_EQ(pages.ActivePage(), &protection);
  pages.SetActivePage(&protection);
  EXPECT_EQ(changes, 1);  // only the user's choice raises onChange
}

TEST_F(UiControlsTest, TheBackendIsToldEveryChange) {
  Panel& panel = form_.Add<Panel>("panel");
  panel.SetAlign(Align::Top);
  Label& label = panel.Add<Label>("label");
  EXPECT_EQ(backend_->CountEvents(Kind::Added, &label), 1);
  EXPECT_EQ(label.Handle(), 0u);  // no window before the form's
  form_.Show();
  EXPECT_NE(label.Handle(), 0u);
  EXPECT_NE(label.Handle(), panel.Handle());

  backend_->events.clear();
  label.SetCaption("longer caption");
  EXPECT_TRUE(backend_->WasChanged(label, Property::Caption));
  EXPECT_EQ(backend_->CountEvents(Kind::Layout, &panel), 1);  // the auto-sized label grew
  label.SetCaption("longer caption");
  EXPECT_EQ(backend_->CountEvents(Kind::Changed, &label), 1);  // no change, nothing told

  Button& later = panel.Add<Button>("later");
  EXPECT_NE(later.Handle(), 0u);
  backend_->events.clear();
  panel.Remove(later);
  ASSERT_EQ(backend_->CountEvents(Kind::Removing), 1);
  EXPECT_EQ(backend_->events[0].name, "later");
  EXPECT_EQ(panel.ControlCount(), 1);
  EXPECT_EQ(form_.FindControl("later"), nullptr);
  EXPECT_EQ(form_.FindControl("label"), &label);

  // A frame built apart and then placed is told once, with what it holds.
  auto built = std::make_unique<Frame>("FrameTWindows10TelemetryHostsImmunization");
  Label& inside = built->Add<Label>("inside");
  Frame& frame = static_cast<Frame&>(panel.Adopt(std::move(built)));
  EXPECT_EQ(backend_->CountEvents(Kind::Added, &frame), 1);
  EXPECT_NE(inside.Handle(), 0u);
  EXPECT_EQ(inside.ParentForm(), &form_);
  backend_->events.clear();
  panel.Remove(frame);
  EXPECT_EQ(backend_->CountEvents(Kind::Removing), 1);

  // A batch lays the shown form out once, at its end; asking for a place still lays it out.
  Label& other = panel.Add<Label>("other");
  backend_->events.clear();
  {
    LayoutBatch batch(label);
    label.SetCaption("a");
    other.SetCaption("bb");
    EXPECT_EQ(backend_->CountEvents(Kind::Layout), 0);
    label.SetCaption("ccc");
  }
  EXPECT_EQ(backend_->CountEvents(Kind::Layout, &panel), 1);
  EXPECT_EQ(label.Width(), 18);

  // A font set on a container reaches the children that take their parent's font.
  backend_->events.clear();
  Font font;
  font.name = "Segoe UI";
  font.height = -12;
  form_.SetFont(font);
  EXPECT_EQ(label.GetFont(), font);
  EXPECT_TRUE(backend_->WasChanged(label, Property::Font));
}

TEST_F(UiControlsTest, MemoLinesProgressAndTree) {
  Memo& memo = form_.Add<Memo>("memo");
  memo.AddLine("[i] one");
  memo.AddLine("two\r\nthree\nfour");
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"[i] one", "two", "three", "four"}));
  EXPECT_EQ(memo.Text(), "[i] one\r\ntwo\r\nthree\r\nfour");
  memo.Clear();
  EXPECT_TRUE(memo.Lines().empty());
  // Lines as a string list splits them (the details label counts its lines so).
  EXPECT_EQ(SplitLines(""), (std::vector<std::string>{}));
  EXPECT_EQ(SplitLines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitLines("a\n\rb\rc"), (std::vector<std::string>{"a", "", "b", "c"}));
  EXPECT_EQ(SplitLines("\r\n"), (std::vector<std::string>{""}));
  memo.AddLine("");
  EXPECT_EQ(memo.Lines(), (std::vector<std::string>{""}));
  memo.Clear();

  ProgressBar& pg = form_.Add<ProgressBar>("pg");
  pg.SetMax(5);
  pg.SetPosition(3);
  EXPECT_EQ(pg.Position(), 3);
  pg.SetPosition(9);
  EXPECT_EQ(pg.Position(), 5);
  pg.SetMax(0);  // an immunizer without items
  EXPECT_EQ(pg.Position(), 0);
  pg.Repaint();
  EXPECT_EQ(backend_->RepaintCount(pg), 1);

  TreeList& tree = form_.Add<TreeList>("vst");
  TreeList::Node& root = tree.AddChild(nullptr);
  TreeList::Node& child = tree.AddChild(&root, 42);
  EXPECT_EQ(tree.CellText(child, 0), "Node");
  tree.onGetText = [](const TreeList::Node& node, int column) {
    return std::to_string(node.data) + ":" + std::to_string(column);
  };
  EXPECT_EQ(tree.CellText(child, 1), "42:1");
  EXPECT_EQ(child.parent, &root);
  tree.Expand(root);
  EXPECT_TRUE(root.expanded);
}

}  // namespace
