// The toolkit's Win32 backend under Wine: a form with every control kind, driven with window
// messages as a user's keys and clicks arrive, read back through the windows themselves.
//
// Arguments (after gtest's): --dpi=N, the DPI the session runs at (the layout is checked
// against it); --ready=FILE and --done=FILE, a hand-shake with the script that takes the
// screenshots: each page is shown, FILE-<page> is written, and the test waits for the other.

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "app/ui/Toolkit.h"
#include "app/ui/win32/Win32Backend.h"
#include "tests/wine/ui/WineUiSupport.h"

namespace {

int g_expectedDpi = 96;
std::string g_readyFile;
std::string g_doneFile;

using wineui::Hwnd;
using wineui::TextOf;
using wineui::Pump;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// The window's rectangle in its parent's client area.
RECT RectInParent(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// A key as it arrives from the keyboard: posted to the focus, with the key state the dialog
// manager reads (Shift, Ctrl) set for the thread.
void PressKey(UINT key, bool shift = false, bool control = false) {
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_SHIFT] = shift ? 0x80 : 0;
  state[VK_CONTROL] = control ? 0x80 : 0;
  SetKeyboardState(state);
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, key, 1);
  PostMessageW(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  Pump();
  state[VK_SHIFT] = 0;
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
}

// Alt + a letter: the access key.
void PressAccessKey(wchar_t letter) {
  HWND focus = GetFocus();
  PostMessageW(focus, WM_SYSCHAR, letter, static_cast<LPARAM>(0x20000001));
  Pump();
}

// ---------------------------------------------------------------------------------------------
// The form with every control kind.

struct Counters {
  int ok = 0;
  int cancel = 0;
  int other = 0;
  int pageChanges = 0;
  int menuChosen = 0;
  int checkChanges = 0;
};

class EveryControlForm : public ui::Form {
 public:
  explicit EveryControlForm(Counters& counters) : ui::Form("EveryControlForm"), counters_(counters) {
    SetCaption("Toolkit test");
    SetClientSize({560, 420});
    SetPosition(ui::FormPosition::ScreenCenter);
    SetChildSizing({8, 8, 6, 6});

    heading = &Add<ui::Label>("lbHeading");
    heading->SetCaption("Every control kind of the toolkit");
    heading->SetFont({"", -16, true, false, ui::clGreen});
    heading->SetAlign(ui::Align::Top);
    heading->SetAutoSize(true);

    buttons = &Add<ui::Panel>("pnButtons");
    buttons->SetAlign(ui::Align::Bottom);
    buttons->SetHeight(32);
    ok = &buttons->Add<ui::Button>("bnOk");
    ok->SetCaption("&OK");
    ok->SetDefault(true);
    ok->SetBounds({300, 4, 80, 25});
    ok->onClick = [this] { ++counters_.ok; };
    other = &buttons->Add<ui::Button>("bnOther");
    other->SetCaption("&Menu");
    other->SetBounds({200, 4, 80, 25});
    other->onClick = [this] { ++counters_.other; };
    other->SetHint("Shows a menu|Right click for the menu");
    other->SetShowHint(true);
    cancel = &buttons->Add<ui::Button>("bnCancel");
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->SetBounds({400, 4, 80, 25});
    cancel->onClick = [this] { ++counters_.cancel; };
    raise = &buttons->Add<ui::Button>("bnRaise");
    raise->SetCaption("&Raise");
    raise->SetBounds({8, 4, 80, 25});
    raise->onClick = [] { throw std::runtime_error("raised in a click"); };

    menu = &AddPopupMenu("pmButtons");
    auto& first = menu->Add("miFirst");
    first.SetCaption("&First");
    auto& second = menu->Add("miSecond");
    second.SetCaption("&Second");
    second.onClick = [this] { ++counters_.menuChosen; };
    other->SetPopupMenu(menu);

    pages = &Add<ui::PageControl>("pcPages");
    pages->SetAlign(ui::Align::Client);
    pages->onChange = [this] { ++counters_.pageChanges; };
    general = &pages->AddPage("tsGeneral", "General");
    hidden = &pages->AddPage("tsHidden", "Hidden");
    hidden->SetTabVisible(false);
    list = &pages->AddPage("tsList", "List");
    scrolling = &pages->AddPage("tsScroll", "Scrolling");

    // General: check boxes, labels, image, shapes, a progress bar, memo and rich text.
    check = &general->Add<ui::CheckBox>("cbTick");
    check->SetCaption("&Tick me");
    check->SetBounds({8, 8, 160, 20});
    check->onChange = [this] { ++counters_.checkChanges; };
    second_check = &general->Add<ui::CheckBox>("cbSecond");
    second_check->SetCaption("Second box");
    second_check->SetBounds({8, 32, 160, 20});
    wrapped = &general->Add<ui::Label>("lbWrapped");
    wrapped->SetCaption("A label that wraps its words over more than one line when it is narrow.");
    wrapped->SetWordWrap(true);
    wrapped->SetBounds({180, 8, 150, 60});
    right = &general->Add<ui::Label>("lbRight");
    right->SetCaption("Right aligned");
    right->SetAlignment(ui::TextAlign::Right);
    right->SetBounds({340, 8, 150, 20});
    right->SetFont({"", 0, false, false, ui::clRed});
    icon = &general->Add<ui::Image>("imIcon");
    icon->SetApplicationIcon();
    icon->SetBounds({8, 60, 32, 32});
    rect = &general->Add<ui::Shape>("shRect");
    rect->SetBounds({50, 60, 40, 32});
    rect->SetBrushColor(ui::Color::Rgb(0x40, 0x80, 0xC0));
    round = &general->Add<ui::Shape>("shRound");
    round->SetKind(ui::ShapeKind::RoundRect);
    round->SetBrushStyle(ui::BrushStyle::DiagCross);
    round->SetBrushColor(ui::clRed);
    round->SetBounds({100, 60, 40, 32});
    ellipse = &general->Add<ui::Shape>("shEllipse");
    ellipse->SetKind(ui::ShapeKind::Ellipse);
    ellipse->SetPenVisible(false);
    ellipse->SetBrushColor(ui::clGreen);
    ellipse->SetBounds({150, 60, 24, 24});
    progress = &general->Add<ui::ProgressBar>("pbProgress");
    progress->SetBounds({8, 100, 480, 18});
    progress->SetMax(10'000'000'000LL);
    progress->SetPosition(2'500'000'000LL);
    memo = &general->Add<ui::Memo>("mmMemo");
    memo->SetBounds({8, 124, 240, 90});
    memo->SetReadOnly(true);
    memo->SetScrollBars(ui::ScrollBars::Vertical);
    memo->SetLines({"First line", "Second line", "Third line"});
    rich = &general->Add<ui::RichView>("reRich");
    rich->SetBounds({256, 124, 232, 90});
    rich->SetReadOnly(true);
    rich->LoadRichText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Plain and {\\b bold} text.\\par}");

    // List: the tree list.
    tree = &list->Add<ui::TreeList>("tlTree");
    tree->SetAlign(ui::Align::Client);
    tree->SetColumns({{"Name", 180}, {"State", 120}});
    tree->onGetText = [](const ui::TreeList::Node& node, int column) {
      return std::string(column == 0 ? "Item " : "State ") + std::to_string(node.data);
    };
    auto& root = tree->AddChild(nullptr, 1);
    tree->SetCheckBox(root, true);
    tree->AddChild(&root, 2);
    auto& leaf = tree->AddChild(&root, 3);
    tree->SetCheckBox(leaf, true);
    tree->Expand(root);
    tree->AddChild(nullptr, 4);

    // Scrolling: a scroll box taller inside than outside.
    box = &scrolling->Add<ui::ScrollBox>("sbBox");
    box->SetAlign(ui::Align::Client);
    box->SetBorderStyle(ui::BorderStyle::Single);
    for (int i = 0; i < 12; ++i) {
      auto* row = &box->Add<ui::Panel>("pnRow" + std::to_string(i));
      row->SetAlign(ui::Align::Top);
      row->SetHeight(40);
      row->SetTop(10000);  // each one below the last
      row->SetBorderStyle(ui::BorderStyle::Single);
      auto* text = &row->Add<ui::Label>("lbRow" + std::to_string(i));
      text->SetCaption("Row " + std::to_string(i));
      text->SetBounds({8, 8, 100, 20});
      rows[i] = row;
    }
  }

 protected:
  // Every message of the window comes through here.
  void WndProc(ui::Message& message) override {
    if (message.msg == ui::WM_SYSCOMMAND_ && message.wParam == kAboutCommand) {
      lastSysCommand = static_cast<std::uint32_t>(message.wParam);
      message.result = 0;
      return;
    }
    ui::Form::WndProc(message);
  }

 public:
  static constexpr std::uint32_t kAboutCommand = 0x0F10;

  std::uint32_t lastSysCommand = 0;
  Counters& counters_;
  ui::Label* heading;
  ui::Panel* buttons;
  ui::Button* ok;
  ui::Button* other;
  ui::Button* cancel;
  ui::Button* raise;
  ui::PopupMenu* menu;
  ui::PageControl* pages;
  ui::TabSheet* general;
  ui::TabSheet* hidden;
  ui::TabSheet* list;
  ui::TabSheet* scrolling;
  ui::CheckBox* check;
  ui::CheckBox* second_check;
  ui::Label* wrapped;
  ui::Label* right;
  ui::Image* icon;
  ui::Shape* rect;
  ui::Shape* round;
  ui::Shape* ellipse;
  ui::ProgressBar* progress;
  ui::Memo* memo;
  ui::RichView* rich;
  ui::TreeList* tree;
  ui::ScrollBox* box;
  ui::Panel* rows[12] = {};
};

class Win32BackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& app = ui::Application::Instance();
    app.onException = [this](const std::exception& error) { exceptions_.push_back(error.what()); };
    form_ = ui::NewForm<EveryControlForm>(counters_);
    form_->Show();
    Pump();
  }
  void TearDown() override {
    form_.reset();
    ui::Application::Instance().onException = nullptr;
  }
  int Scale(int value) const { return ui::ScaleForDpi(value, g_expectedDpi); }

  Counters counters_;
  std::vector<std::string> exceptions_;
  ui::FormPtr<EveryControlForm> form_;
};

TEST_F(Win32BackendTest, EveryControlKindIsARealControl) {
  EveryControlForm& f = *form_;
  EXPECT_EQ(ClassOf(Hwnd(f)), L"TvqmForm");
  EXPECT_EQ(ClassOf(Hwnd(*f.ok)), L"Button");
  EXPECT_EQ(GetWindowLongPtrW(Hwnd(*f.ok), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongPtrW(Hwnd(*f.check), GWL_STYLE) & BS_TYPEMASK, BS_CHECKBOX);
  EXPECT_EQ(ClassOf(Hwnd(*f.heading)), L"Static");
  EXPECT_EQ(GetWindowLongPtrW(Hwnd(*f.right), GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
  EXPECT_EQ(GetWindowLongPtrW(Hwnd(*f.icon), GWL_STYLE) & SS_TYPEMASK, SS_ICON);
  EXPECT_NE(SendMessageW(Hwnd(*f.icon), STM_GETICON, 0, 0), 0);
  EXPECT_EQ(ClassOf(Hwnd(*f.rect)), L"TvqmShape");
  EXPECT_EQ(ClassOf(Hwnd(*f.memo)), L"Edit");
  EXPECT_EQ(_wcsicmp(ClassOf(Hwnd(*f.rich)).c_str(), L"RICHEDIT50W"), 0);
  EXPECT_EQ(ClassOf(Hwnd(*f.progress)), L"msctls_progress32");
  EXPECT_EQ(ClassOf(Hwnd(*f.tree)), L"SysListView32");
  EXPECT_TRUE(FindWindowExW(Hwnd(*f.pages), nullptr, L"SysTabControl32", nullptr));
  // Nested containers take part in Tab and access keys.
  for (const ui::Control* container : {static_cast<const ui::Control*>(f.buttons), static_cast<const ui::Control*>(f.general),
                                       static_cast<const ui::Control*>(f.box), static_cast<const ui::Control*>(f.pages)})
    EXPECT_TRUE(GetWindowLongPtrW(Hwnd(*container), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
  EXPECT_TRUE(GetWindowLongPtrW(Hwnd(*f.box), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // The hidden application window owns the form; the form alone is on the taskbar.
  EXPECT_EQ(GetWindow(Hwnd(f), GW_OWNER), reinterpret_cast<HWND>(ui::Application::Instance().Handle()));
  EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(ui::Application::Instance().Handle())));
  // A command of the system menu reaches the form's window procedure.
  ASSERT_TRUE(f.InsertSystemMenuItem(0, EveryControlForm::kAboutCommand, "&About..."));
  HMENU menu = GetSystemMenu(Hwnd(f), FALSE);
  wchar_t text[32] = {};
  GetMenuStringW(menu, 0, text, 32, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&About...");
  EXPECT_EQ(GetMenuItemID(menu, 0), EveryControlForm::kAboutCommand);
  SendMessageW(Hwnd(f), WM_SYSCOMMAND, EveryControlForm::kAboutCommand, 0);
  EXPECT_EQ(f.lastSysCommand, EveryControlForm::kAboutCommand);
}

TEST_F(Win32BackendTest, TextsAndValuesReadBack) {
  EveryControlForm& f = *form_;
  EXPECT_EQ(TextOf(Hwnd(f)), L"Toolkit test");
  EXPECT_EQ(TextOf(Hwnd(*f.ok)), L"&OK");
  EXPECT_EQ(TextOf(Hwnd(*f.memo)), L"First line\r\nSecond line\r\nThird line");
  // The rich view holds the document's text, not its RTF.
  GETTEXTLENGTHEX length{GTL_DEFAULT, 1200};
  EXPECT_GT(SendMessageW(Hwnd(*f.rich), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0), 0);
  EXPECT_EQ(TextOf(Hwnd(*f.rich)).rfind(L"Plain and bold text.", 0), 0u);
  f.heading->SetCaption("Changed");
  EXPECT_EQ(TextOf(Hwnd(*f.heading)), L"Changed");
  f.memo->AddLine("Fourth");
  EXPECT_EQ(TextOf(Hwnd(*f.memo)), L"First line\r\nSecond line\r\nThird line\r\nFourth");
  // What is typed comes back as lines.
  SendMessageW(Hwnd(*f.memo), EM_SETSEL, 0, -1);
  SendMessageW(Hwnd(*f.memo), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"Typed\r\nover"));
  EXPECT_EQ(f.memo->Lines(), (std::vector<std::string>{"Typed", "over"}));
  // A 64-bit range: the bar shows the same fraction.
  PBRANGE range{};
  SendMessageW(Hwnd(*f.progress), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const auto pos = static_cast<int>(SendMessageW(Hwnd(*f.progress), PBM_GETPOS, 0, 0));
  ASSERT_GT(range.iHigh, 0);
  EXPECT_NEAR(static_cast<double>(pos) / range.iHigh, 0.25, 1e-6);
  f.progress->SetPosition(20'000'000'000LL);  // past the end: kept at the end
  EXPECT_EQ(SendMessageW(Hwnd(*f.progress), PBM_GETPOS, 0, 0), range.iHigh);
  {
    // Nothing to show (0 of 0): an empty bar, not a full one.
    const auto max = f.progress->Max();
    const auto position = f.progress->Position();
    f.progress->SetMax(f.progress->Min());
    PBRANGE empty{};
    SendMessageW(Hwnd(*f.progress), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&empty));
    EXPECT_GT(empty.iHigh, empty.iLow);
    EXPECT_EQ(SendMessageW(Hwnd(*f.progress), PBM_GETPOS, 0, 0), empty.iLow);
    f.progress->SetMax(max);
    f.progress->SetPosition(position);
  }
  f.ok->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(Hwnd(*f.ok)));
  f.ok->SetEnabled(true);
  f.heading->SetVisible(false);
  Pump();
  EXPECT_FALSE(IsWindowVisible(Hwnd(*f.heading)));
}

TEST_F(Win32BackendTest, ClicksAndTicksReachTheControls) {
  EveryControlForm& f = *form_;
  SendMessageW(Hwnd(*f.ok), BM_CLICK, 0, 0);
  EXPECT_EQ(counters_.ok, 1);
  SendMessageW(Hwnd(*f.check), BM_CLICK, 0, 0);
  EXPECT_TRUE(f.check->Checked());
  EXPECT_EQ(SendMessageW(Hwnd(*f.check), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(counters_.checkChanges, 1);
  f.check->SetChecked(false);
  EXPECT_EQ(SendMessageW(Hwnd(*f.check), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // An exception in a handler goes to the application's handler; the program goes on.
  SendMessageW(Hwnd(*f.raise), BM_CLICK, 0, 0);
  ASSERT_EQ(exceptions_.size(), 1u);
  EXPECT_EQ(exceptions_[0], "raised in a click");
  SendMessageW(Hwnd(*f.ok), BM_CLICK, 0, 0);
  EXPECT_EQ(counters_.ok, 2);
}

TEST_F(Win32BackendTest, KeyboardFollowsControlOrder) {
  EveryControlForm& f = *form_;
  f.check->SetFocus();
  ASSERT_EQ(GetFocus(), Hwnd(*f.check));
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), Hwnd(*f.second_check));
  PressKey(VK_TAB, true);
  EXPECT_EQ(GetFocus(), Hwnd(*f.check));
  // Enter goes to the default button, Esc to the cancel button.
  PressKey(VK_RETURN);
  EXPECT_EQ(counters_.ok, 1);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(counters_.cancel, 1);
  // Enter on another push button presses that one.
  f.other->SetFocus();
  PressKey(VK_RETURN);
  EXPECT_EQ(counters_.other, 1);
  EXPECT_EQ(counters_.ok, 1);
  // Access keys: "&Tick me" ticks, "&OK" presses.
  f.second_check->SetFocus();
  PressAccessKey(L't');
  EXPECT_TRUE(f.check->Checked());
  PressAccessKey(L'o');
  EXPECT_EQ(counters_.ok, 2);
  // Ctrl+Tab turns the page.
  f.check->SetFocus();
  PressKey(VK_TAB, false, true);
  EXPECT_EQ(f.pages->ActivePage(), f.list);
}

TEST_F(Win32BackendTest, HiddenTabsAreLeftOutAndTabsSwitchPages) {
  EveryControlForm& f = *form_;
  HWND tab = FindWindowExW(Hwnd(*f.pages), nullptr, L"SysTabControl32", nullptr);
  ASSERT_TRUE(tab);
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_TRUE(IsWindowVisible(Hwnd(*f.general)));
  EXPECT_FALSE(IsWindowVisible(Hwnd(*f.list)));
  // The user picks the second tab (List: the hidden page has none), the focus on a page
  // that goes out of sight.
  f.check->SetFocus();
  SendMessageW(tab, TCM_SETCURSEL, 1, 0);
  NMHDR header{tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(GetParent(tab), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  Pump();
  EXPECT_EQ(f.pages->ActivePage(), f.list);
  EXPECT_EQ(counters_.pageChanges, 1);
  EXPECT_TRUE(IsWindowVisible(Hwnd(*f.tree)));
  EXPECT_FALSE(IsWindowVisible(Hwnd(*f.general)));
  EXPECT_TRUE(IsWindowVisible(GetFocus()));
  // The tree list: rows of the expanded nodes, check boxes where nodes have them.
  HWND lv = Hwnd(*f.tree);
  EXPECT_EQ(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(lv, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK) >> 12, 1);  // unticked box
  EXPECT_EQ(SendMessageW(lv, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK) >> 12, 0);  // no box
  LVITEMW tick{};
  tick.stateMask = LVIS_STATEIMAGEMASK;
  tick.state = INDEXTOSTATEIMAGEMASK(2);
  SendMessageW(lv, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&tick));
  EXPECT_TRUE(f.tree->Roots()[0]->children[1]->checked);
  // Left closes the node, Right opens it again.
  SetFocus(lv);
  LVITEMW focus{};
  focus.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
  focus.state = LVIS_FOCUSED | LVIS_SELECTED;
  SendMessageW(lv, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
  PressKey(VK_LEFT);
  EXPECT_FALSE(f.tree->Roots()[0]->expanded);
  EXPECT_EQ(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0), 2);
  PressKey(VK_RIGHT);
  EXPECT_EQ(SendMessageW(lv, LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_TRUE(f.tree->Roots()[0]->children[1]->checked);
  // Showing the hidden tab puts it back in the strip, in page order.
  f.hidden->SetTabVisible(true);
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 2);
}

TEST_F(Win32BackendTest, ScrollBoxScrollsItsChildren) {
  EveryControlForm& f = *form_;
  f.pages->SetActivePage(f.scrolling);
  Pump();
  HWND box = Hwnd(*f.box);
  ASSERT_TRUE(IsWindowVisible(box));
  EXPECT_TRUE(GetWindowLongPtrW(box, GWL_STYLE) & WS_VSCROLL);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(box, SB_VERT, &info));
  RECT client;
  GetClientRect(box, &client);
  EXPECT_EQ(static_cast<int>(info.nPage), client.bottom);
  EXPECT_NEAR(info.nMax + 1, Scale(f.box->VertScrollRange()), 2);
  const RECT before = RectInParent(Hwnd(*f.rows[0]));
  SendMessageW(box, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_GT(f.box->VertScrollPosition(), 0);
  const RECT after = RectInParent(Hwnd(*f.rows[0]));
  EXPECT_EQ(before.top - after.top, Scale(16));
  SendMessageW(box, WM_VSCROLL, SB_BOTTOM, 0);
  GetScrollInfo(box, SB_VERT, &info);
  EXPECT_EQ(info.nPos, info.nMax + 1 - static_cast<int>(info.nPage));
  // The last row's bottom is at the box's bottom (less the spacing).
  const RECT last = RectInParent(Hwnd(*f.rows[11]));
  EXPECT_LE(last.bottom, client.bottom);
  EXPECT_GE(last.bottom, client.bottom - Scale(10));
  SendMessageW(box, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 50), 0);
  EXPECT_EQ(f.box->VertScrollPosition(), 0);
}

TEST_F(Win32BackendTest, LayoutIsScaledToTheWindowsDpi) {
  EveryControlForm& f = *form_;
  EXPECT_EQ(f.Dpi(), g_expectedDpi);
  RECT client;
  GetClientRect(Hwnd(f), &client);
  EXPECT_NEAR(client.right, Scale(560), 1);
  EXPECT_NEAR(client.bottom, Scale(420), 1);
  // Controls of a fixed size sit where the 96-DPI layout puts them, scaled.
  for (const ui::Control* control : {static_cast<const ui::Control*>(f.check), static_cast<const ui::Control*>(f.ok),
                                     static_cast<const ui::Control*>(f.memo), static_cast<const ui::Control*>(f.progress),
                                     static_cast<const ui::Control*>(f.rect)}) {
    const RECT r = RectInParent(Hwnd(*control));
    const ui::Rect b = control->Bounds();
    EXPECT_NEAR(r.left, Scale(b.left), 1) << control->Name();
    EXPECT_NEAR(r.top, Scale(b.top), 1) << control->Name();
    EXPECT_NEAR(r.right - r.left, Scale(b.width), 1) << control->Name();
    EXPECT_NEAR(r.bottom - r.top, Scale(b.height), 1) << control->Name();
  }
  // Top, client and bottom aligned: no gap and no overlap beyond the spacing.
  const RECT heading = RectInParent(Hwnd(*f.heading));
  const RECT pages = RectInParent(Hwnd(*f.pages));
  const RECT buttons = RectInParent(Hwnd(*f.buttons));
  EXPECT_EQ(heading.top, Scale(8));
  EXPECT_EQ(pages.top - heading.bottom, Scale(6));
  EXPECT_EQ(buttons.top - pages.bottom, Scale(6));
  EXPECT_EQ(client.bottom - buttons.bottom, Scale(8));
  // The pages fill the tab control's display area; the strip covers only its row of tabs.
  HWND tab = FindWindowExW(Hwnd(*f.pages), nullptr, L"SysTabControl32", nullptr);
  RECT display;
  GetClientRect(Hwnd(*f.pages), &display);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const RECT page = RectInParent(Hwnd(*f.general));
  EXPECT_EQ(page.left, display.left);
  EXPECT_EQ(page.top, display.top);
  EXPECT_EQ(page.right, display.right);
  EXPECT_EQ(page.bottom, display.bottom);
  EXPECT_LE(RectInParent(tab).bottom, page.top);
  // Every control has the message font of this DPI, or its own font scaled.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Hwnd(*f.check), WM_GETFONT, 0, 0)), sizeof(font), &font);
  EXPECT_EQ(font.lfHeight, metrics.lfMessageFont.lfHeight);
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Hwnd(*f.heading), WM_GETFONT, 0, 0)), sizeof(font), &font);
  EXPECT_EQ(font.lfHeight, -Scale(16));
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  // Resizing the window lays it out again.
  RECT window;
  GetWindowRect(Hwnd(f), &window);
  SetWindowPos(Hwnd(f), nullptr, 0, 0, window.right - window.left + Scale(100), window.bottom - window.top,
               SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  EXPECT_NEAR(f.ClientSize().width, 660, 1);
  const RECT wider = RectInParent(Hwnd(*f.pages));
  EXPECT_EQ(wider.right - wider.left, pages.right - pages.left + Scale(100));
}

// Wine sends no WM_DPICHANGED (one monitor): sent by hand, as Windows 10 sends it when the
// window moves to a monitor of another DPI.
TEST_F(Win32BackendTest, DpiChangeRebuildsFontsAndLayout) {
  EveryControlForm& f = *form_;
  const int from = f.Dpi();
  const int to = from == 96 ? 120 : 96;
  LOGFONTW before{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Hwnd(*f.check), WM_GETFONT, 0, 0)), sizeof(before), &before);
  RECT window;
  GetWindowRect(Hwnd(f), &window);
  RECT suggested{window.left, window.top, window.left + MulDiv(window.right - window.left, to, from),
                 window.top + MulDiv(window.bottom - window.top, to, from)};
  SendMessageW(Hwnd(f), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  Pump();
  EXPECT_EQ(f.Dpi(), to);
  GetWindowRect(Hwnd(f), &window);
  EXPECT_EQ(window.right - window.left, suggested.right - suggested.left);
  EXPECT_NEAR(f.ClientSize().width, 560, 3);
  LOGFONTW after{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Hwnd(*f.check), WM_GETFONT, 0, 0)), sizeof(after), &after);
  EXPECT_NEAR(after.lfHeight, MulDiv(before.lfHeight, to, from), 1);
  const RECT check = RectInParent(Hwnd(*f.check));
  EXPECT_NEAR(check.right - check.left, ui::ScaleForDpi(160, to), 1);
  EXPECT_NEAR(check.top, ui::ScaleForDpi(8, to), 1);
}

// A form shown modally over the main one: the others take no input until its result is set.
class SmallDialog : public ui::Form {
 public:
  SmallDialog() : ui::Form("SmallDialog") {
    SetCaption("Modal");
    SetBorder(ui::FormBorder::Dialog);
    SetClientSize({240, 80});
    SetPosition(ui::FormPosition::MainFormCenter);
    ok = &Add<ui::Button>("bnOk");
    ok->SetCaption("OK");
    ok->SetBounds({80, 40, 80, 25});
    ok->SetModalResult(ui::ModalResult::Ok);
  }
  ui::Button* ok;
};

HWND g_mainWindow = nullptr;
HWND g_modalButton = nullptr;
bool g_mainEnabledDuringModal = true;
HWND g_boxOwner = nullptr;

void CALLBACK PressModalOk(HWND, UINT, UINT_PTR id, DWORD) noexcept {
  KillTimer(nullptr, id);
  g_mainEnabledDuringModal = IsWindowEnabled(g_mainWindow) != FALSE;
  PostMessageW(g_modalButton, BM_CLICK, 0, 0);
}

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) noexcept {
  if (ClassOf(window) == L"#32770" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR id, DWORD) noexcept {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindMessageBox, reinterpret_cast<LPARAM>(&box));
  if (!box) return;  // not there yet: the timer comes again
  KillTimer(nullptr, id);
  g_boxOwner = GetWindow(box, GW_OWNER);
  PostMessageW(box, WM_COMMAND, IDNO, 0);
}

void CALLBACK ChooseSecondItem(HWND, UINT, UINT_PTR id, DWORD) noexcept {
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu || !IsWindowVisible(menu)) return;
  KillTimer(nullptr, id);
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(Win32BackendTest, ModalFormsMessageBoxesAndMenus) {
  EveryControlForm& f = *form_;
  g_mainWindow = Hwnd(f);
  {
    auto dialog = ui::NewForm<SmallDialog>();
    g_modalButton = Hwnd(*dialog->ok);
    SetTimer(nullptr, 0, 200, &PressModalOk);
    EXPECT_EQ(dialog->ShowModal(), ui::ModalResult::Ok);
    EXPECT_FALSE(g_mainEnabledDuringModal);
    EXPECT_TRUE(IsWindowEnabled(Hwnd(f)));
    EXPECT_FALSE(IsWindowVisible(Hwnd(*dialog)));
  }
  SetTimer(nullptr, 0, 100, &AnswerMessageBox);
  EXPECT_EQ(ui::MessageDlg("Go on?", ui::DialogType::Confirmation, ui::DialogButtons::YesNo), ui::ModalResult::No);
  EXPECT_EQ(g_boxOwner, Hwnd(f));
  // The button's menu, opened by the context-menu key, runs the chosen item.
  SetTimer(nullptr, 0, 100, &ChooseSecondItem);
  SendMessageW(Hwnd(*f.other), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Hwnd(*f.other)), -1);
  Pump();
  EXPECT_EQ(counters_.menuChosen, 1);
  // The hinted button has a tool in the form's tooltip.
  HWND tip = nullptr;
  while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) && GetWindow(tip, GW_OWNER) != Hwnd(f)) {
  }
  ASSERT_TRUE(tip);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

// Shows each page for a screenshot: "<ready>-<page>" when it is painted, then waits for
// "<done>-<page>" (run_window_test.sh takes the pictures).
TEST_F(Win32BackendTest, ShowsEachPageForTheScreenshots) {
  if (g_readyFile.empty()) GTEST_SKIP() << "no screenshots asked for";
  EveryControlForm& f = *form_;
  const std::pair<const char*, ui::TabSheet*> pages[] = {{"general", f.general}, {"list", f.list}, {"scrolling", f.scrolling}};
  for (const auto& [name, page] : pages) {
    f.pages->SetActivePage(page);
    RedrawWindow(Hwnd(f), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    wineui::AwaitScreenshot(g_readyFile, g_doneFile, name);
  }
  SUCCEED();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--dpi=", 0) == 0) g_expectedDpi = std::stoi(arg.substr(6));
    if (arg.rfind("--ready=", 0) == 0) g_readyFile = arg.substr(8);
    if (arg.rfind("--done=", 0) == 0) g_doneFile = arg.substr(7);
  }
  ui::win32::InstallWin32Backend();
  ui::Application::Instance().SetTitle("Toolkit test");
  ui::Application::Instance().Initialize();
  return RUN_ALL_TESTS();
}
