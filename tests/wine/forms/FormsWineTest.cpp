// The form bases, the main window and the about dialog on the real Win32 backend under Wine,
// built x86-64 with the program's own resources (version block, icons, licence, change log):
// the taskbar and jump-list calls as the system answers them, the main window's caption,
// taskbar button and system menu, each tab of the about dialog (with a screenshot), and the
// dialog opened from the system menu and closed with its OK button.
//
// Arguments (after gtest's): --ready=FILE and --done=FILE, a hand-shake with the script that
// takes the screenshots: for each picture FILE-<name> is written when it is painted, and the
// test waits for the script's "<done>-<name>".

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/FormUnitQuietmarkMain.h"
#include "app/bmrUIDlgAbout.h"
#include "app/bmrUIWindows7.h"
#include "platform/bmrDebug.h"
#include "platform/os/Process.h"
#include "platform/os/win32/Win32Taskbar.h"
#include "tests/wine/ui/WineProgramSession.h"
#include "tests/wine/ui/WineUiSupport.h"
#include "tvqmVersion.h"

namespace {

std::string g_readyFile;
std::string g_doneFile;
std::vector<std::string> g_logged;

using wineui::Hwnd;
using wineui::TextOf;

void Pump() { wineui::Pump(4); }

void RecordEntry(TDebugEntryKind, TDebugType, const TDebugSender*, const std::string& message,
                 const TDebugArguments&) {
  g_logged.push_back(message);
}

bool Logged(const std::string& prefix) {
  for (const auto& message : g_logged) {
    if (message.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

// Paints the window and waits for the script's picture of it.
void Screenshot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  RECT rect{};
  GetWindowRect(window, &rect);
  std::printf("window \"%s\" at %ld,%ld %ldx%ld, %s\n", name.c_str(), rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top, IsWindowVisible(window) ? "visible" : "hidden");
  if (g_readyFile.empty()) return;
  wineui::AwaitScreenshot(g_readyFile, g_doneFile, name);
}

// A form of the chain that counts the taskbar's "TaskbarButtonCreated".
class ButtonCountingForm : public TWindows7Form {
 public:
  ButtonCountingForm() : TWindows7Form("jumplist") {}
  int buttonsCreated = 0;
  void TaskbarButtonCreated() override { ++buttonsCreated; }
};

// What Wine answers, as WINE.md records it: the taskbar takes every call with S_OK and never
// sends "TaskbarButtonCreated"; the jump list's object is made but refuses every method with
// E_NOTIMPL; the object collection is not registered; shell links and their property store
// work. A change of Wine shows here first.
TEST(FormsWineTest, TaskbarAndJumpListCallsAsTheSystemAnswersThem) {
  os::win32::Win32TaskbarLibrary library;
  std::shared_ptr<os::ITaskbarList3> taskbar;
  ASSERT_EQ(library.CreateTaskbarList(taskbar), S_OK);
  ui::Form& probe = ui::Application::Instance().CreateForm<ui::Form>("probe");
  probe.Show();
  EXPECT_EQ(taskbar->SetProgressValue(probe.Handle(), 1, 2), S_OK);
  EXPECT_EQ(taskbar->SetProgressState(probe.Handle(), os::taskbar::kTbpfNormal), S_OK);

  std::shared_ptr<os::IShellLinkA> link;
  ASSERT_EQ(library.CreateShellLink(link), S_OK);
  EXPECT_EQ(link->SetPath("C:\\windows\\notepad.exe"), S_OK);
  EXPECT_EQ(link->SetArguments("/apply"), S_OK);
  EXPECT_EQ(link->SetDescription("&Immunize"), S_OK);
  std::shared_ptr<os::IPropertyStore> store;
  ASSERT_EQ(link->QueryPropertyStore(store), S_OK);
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store->SetTitle("&Immunize"), S_OK);

  std::shared_ptr<os::IObjectCollection> collection;
  EXPECT_EQ(library.CreateObjectCollection(collection), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(collection, nullptr);

  std::shared_ptr<os::ICustomDestinationList> list;
  ASSERT_EQ(library.CreateDestinationList(list), S_OK);
  std::uint32_t slots = 0;
  std::shared_ptr<os::IObjectArray> removed;
  EXPECT_EQ(list->BeginList(slots, removed), E_NOTIMPL);
  EXPECT_EQ(list->CommitList(), E_NOTIMPL);

  // A form's first show takes the same path: BeginList refused gives one level-4 entry and
  // no commit; the form stays usable, its progress calls and jump-list links succeed.
  g_logged.clear();
  auto& form = ui::Application::Instance().CreateForm<ButtonCountingForm>();
  form.Show();
  Pump();
  EXPECT_FALSE(form.FirstShowPending());
  EXPECT_TRUE(form.HasTaskbarList());
  EXPECT_EQ(g_logged.size(), 1u);
  EXPECT_TRUE(Logged("ICustomDestinationList.BeginList (error code -2147467263"));
  EXPECT_EQ(form.buttonsCreated, 0);
  g_logged.clear();
  form.SetTaskbarProgressValue(30);
  form.SetTaskBarProgressState(2);
  std::shared_ptr<os::IShellLinkA> task;
  form.CreateJumpListShellLink("/apply", "&Immunize", "", 0, task);
  EXPECT_NE(task, nullptr);
  EXPECT_TRUE(g_logged.empty()) << g_logged.front();
  ui::Application::Instance().DestroyForms();
}

TEST(FormsWineTest, TheMainWindowHasTheVersionCaptionItsOwnTaskbarButtonAndTheAboutItem) {
  auto& main = ui::Application::Instance().CreateForm<TFormTolvexQuietmark>();
  FormTolvexQuietmark = &main;
  main.Show();
  Pump();
  HWND window = Hwnd(main);
  ASSERT_TRUE(window);
  EXPECT_EQ(TextOf(window), L"Tolvex Quietmark " TVQM_VERSION_TEXT);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  HWND app = reinterpret_cast<HWND>(ui::Application::Instance().Handle());
  EXPECT_FALSE(IsWindowVisible(app));
  EXPECT_TRUE(GetWindowLongW(app, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongW(app, GWL_EXSTYLE) & WS_EX_APPWINDOW);

  HMENU menu = GetSystemMenu(window, FALSE);
  ASSERT_TRUE(menu);
  EXPECT_EQ(GetMenuItemID(menu, 6), 5681u);
  wchar_t caption[128] = {};
  GetMenuStringW(menu, 6, caption, 128, MF_BYPOSITION);
  EXPECT_STREQ(caption, L"&About Tolvex Quietmark...");
  Screenshot(window, "main");
}

// Presses the about dialog's OK once it is there.
HWND g_about = nullptr;
bool g_aboutHadButton = false;

BOOL CALLBACK FindAbout(HWND window, LPARAM found) noexcept {
  if (IsWindowVisible(window) && TextOf(window) == L"About Tolvex Quietmark") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK PressOk(HWND child, LPARAM) noexcept {
  if (TextOf(child) == L"OK") {
    PostMessageW(child, BM_CLICK, 0, 0);
    return FALSE;
  }
  return TRUE;
}

void CALLBACK CloseAbout(HWND, UINT, UINT_PTR id, DWORD) noexcept {
  HWND about = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindAbout, reinterpret_cast<LPARAM>(&about));
  if (!about) return;
  KillTimer(nullptr, id);
  g_about = about;
  g_aboutHadButton = (GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0;
  EnumChildWindows(about, &PressOk, 0);
}

TEST(FormsWineTest, TheSystemMenusAboutItemOpensTheDialogModallyAndOkClosesIt) {
  ASSERT_NE(FormTolvexQuietmark, nullptr);
  HWND window = Hwnd(*FormTolvexQuietmark);
  SetTimer(nullptr, 0, 100, &CloseAbout);
  SendMessageW(window, WM_SYSCOMMAND, 5681, 0);
  ASSERT_TRUE(g_about) << "no about dialog";
  EXPECT_TRUE(g_aboutHadButton);
  EXPECT_FALSE(IsWindow(g_about));  // freed when closed
  EXPECT_TRUE(IsWindowEnabled(window));
}

TEST(FormsWineTest, EachTabOfTheAboutDialogIsFilled) {
  auto dialog = ui::NewForm<TdlgAbout>();
  dialog->SetProductID(UpdateProductID);
  dialog->SetFileName(os::Process().ModuleFileName());
  dialog->imgIcon->SetApplicationIcon();
  dialog->Show();
  Pump();
  HWND window = Hwnd(*dialog);
  EXPECT_EQ(TextOf(window), L"About Tolvex Quietmark");
  // A dialog frame keeps the layout's client area, scaled to the DPI.
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, MulDiv(600, dialog->Dpi(), 96));
  EXPECT_EQ(client.bottom, MulDiv(340, dialog->Dpi(), 96));
  EXPECT_EQ(TextOf(Hwnd(*dialog->labelVersion)), L"Version " TVQM_VERSION_TEXT);
  EXPECT_TRUE(IsWindowVisible(Hwnd(*dialog->bnUpdates)));  // update product number 55
  // The licence is the rich text of the program's resource, shown as text.
  const std::wstring licence = TextOf(Hwnd(*dialog->LicenceMemo()));
  EXPECT_NE(licence.find(L"licence for private users"), std::wstring::npos);
  EXPECT_EQ(licence.find(L"\\rtf"), std::wstring::npos);
  EXPECT_NE(TextOf(Hwnd(*dialog->memoChangeLog)).find(L"First release."), std::wstring::npos);
  EXPECT_NE(TextOf(Hwnd(*dialog->memoParameters)).find(L"youtube"), std::wstring::npos);
  // The program's help text, line by line (the padding's trailing blanks kept).
  EXPECT_EQ(TextOf(Hwnd(*dialog->memoParameters)),
            L"\r\n"
            L"Basic               \r\n"
            L"  /help                 - shows this page\r\n"
            L"  /verbose              - displays more output\r\n"
            L"  /youtube              - Adds options to system menu that allows to resize window to standard "
            L"YouTube video sizes.\r\n"
            L"\r\n"
            L"Automation              - Options to automate this program\r\n"
            L"  /silent               - avoid unnecessary output\r\n"
            L"  /apply                - Applies all immunization\r\n"
            L"  /undo                 - Removes changes, back to defaults\r\n"
            L"  /setuptask            - Setup Scheduled Task");
  EXPECT_NE(TextOf(Hwnd(*dialog->memoCredits)).find(L"Credits go to"), std::wstring::npos);
  EXPECT_FALSE(dialog->tabTranslators->TabVisible());
  EXPECT_TRUE(dialog->imgBMRLogo->Visible());

  const std::pair<const char*, ui::TabSheet*> tabs[] = {
      {"product", dialog->tabAboutProduct}, {"parameters", dialog->tabParameters},
      {"license", dialog->tabLicense},      {"credits", dialog->tabCredits},
      {"changelog", dialog->tabChangeLog},  {"author", dialog->tabAboutAuthor},
  };
  for (const auto& [name, tab] : tabs) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(tab->TabVisible());
    dialog->pcAbout->SetActivePage(tab);
    Screenshot(window, std::string("about-") + name);
  }
  dialog->Close();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const wineui::ProgramSession session(argc, argv);
  g_readyFile = session.ReadyFile();
  g_doneFile = session.DoneFile();
  RegisterLogHandler(RecordEntry);
  return RUN_ALL_TESTS();
}
