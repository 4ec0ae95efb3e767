// The main window under Wine, x86-64: the real window over the real immunizers (Wine's
// registry, services, tasks and hosts file), read back through its windows. Its first show is
// timed inside the process, from the window's creation to the end of the first-show work
// (every immunizer created and counted, the hosts file read).
//
// Arguments (after gtest's): --ready=FILE and --done=FILE, the hand-shake with
// run_window_test.sh, which takes a screenshot of each page.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

#include "app/FormUnitQuietmarkMain.h"
#include "app/ui/Toolkit.h"
#include "engine/tvqmVorletsList.h"
#include "tests/wine/ui/WineProgramSession.h"
#include "tests/wine/ui/WineUiSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string g_readyFile;
std::string g_doneFile;

// Just before the window is created.
Clock::time_point g_creating;

// The window, its first show timed.
class TTimedFormTolvexQuietmark : public TFormTolvexQuietmark {
 public:
  Clock::time_point firstShowEnded;
  bool firstShowRan = false;

  void AfterFirstShow() override {
    // Reached from the first paint or activation only.
    TFormTolvexQuietmark::AfterFirstShow();
    firstShowEnded = Clock::now();
    firstShowRan = true;
  }
};

TTimedFormTolvexQuietmark* g_form = nullptr;

using wineui::Hwnd;
using wineui::TextOf;
using wineui::Pump;

TEST(MainWindowOnWine, TheFirstShowCountsEveryImmunizerOnce) {
  ASSERT_NE(g_form, nullptr);
  ASSERT_TRUE(g_form->firstShowRan);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(g_form->firstShowEnded - g_creating);
  std::printf("first show: %lld ms from the window's creation to the end of its first show\n",
              static_cast<long long>(ms.count()));
  const auto standard = g_form->FramesOf<TFrameImmunizer>(*g_form->sb);
  const auto optional = g_form->FramesOf<TFrameOptionalImmunizer>(*g_form->sbOptional);
  std::printf("frames: %zu standard, %zu optional\n", standard.size(), optional.size());
  auto supported = [](const TAWindows10ImmunizationClass& list) {
    std::size_t count = 0;
    for (const auto& immunizerClass : list) {
      count += immunizerClass.SupportedWindowsVersions().SharesMemberWith(CurrentOperatingSystems) ? 1 : 0;
    }
    return count;
  };
  EXPECT_EQ(standard.size(), supported(StandardImmunizations));
  EXPECT_EQ(optional.size(), supported(OptionalImmunizations));
  EXPECT_GT(standard.size(), 0u);
  for (TCustomFrameImmunizer* frame : standard) EXPECT_NE(frame->GetStatusText(), "pending...") << frame->Name();
  for (TCustomFrameImmunizer* frame : optional) EXPECT_NE(frame->GetStatusText(), "pending...") << frame->Name();
  // Each frame counted once more: the count changed nothing, so it shows what the first
  // show showed (and where a count's time goes, the slow ones named).
  for (auto* box : {g_form->sb, g_form->sbOptional}) {
    for (TCustomFrameImmunizer* frame : g_form->FramesOf<TCustomFrameImmunizer>(*box)) {
      const std::string status = frame->GetStatusText();
      const int shownMax = frame->pg->Max(), shownPosition = frame->pg->Position();
      std::int32_t immunized = 0, count = 0;
      const auto started = Clock::now();
      frame->UpdateState(immunized, count);
      const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
      if (took >= 20) std::printf("count of %s: %lld ms\n", frame->ImmunizerClass.ClassName().c_str(), static_cast<long long>(took));
      EXPECT_EQ(frame->GetStatusText(), status) << frame->Name();
      EXPECT_EQ(count, shownMax) << frame->Name();
      EXPECT_EQ(immunized, shownPosition) << frame->Name();
    }
  }
  EXPECT_NE(g_form->labelTotalProtection->Caption(), "Test pending...");
  // Protection, Optional and the questions: the log and test tabs are hidden.
  HWND tabs = FindWindowExW(Hwnd(*g_form->pcStillwater), nullptr, L"SysTabControl32", nullptr);
  const int visibleTabs = 3 + (g_form->tabLog->TabVisible() ? 1 : 0);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), visibleTabs);
  // A page with nothing to count draws an empty bar.
  for (TCustomFrameImmunizer* frame : standard) {
    if (frame->pg->Max() == 0) {
      PBRANGE range{};
      SendMessageW(Hwnd(*frame->pg), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
      EXPECT_LT(SendMessageW(Hwnd(*frame->pg), PBM_GETPOS, 0, 0), range.iHigh) << frame->Name();
    }
  }
  EXPECT_TRUE(IsWindowVisible(Hwnd(*g_form)));
  // Grown for its frames, the window stays on the work area.
  RECT window{}, work{};
  GetWindowRect(Hwnd(*g_form), &window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  std::printf("window: %ld,%ld to %ld,%ld on the work area %ld,%ld to %ld,%ld (form top %d, height %d)\n", window.left,
              window.top, window.right, window.bottom, work.left, work.top, work.right, work.bottom, g_form->Top(),
              g_form->Height());
  // (A work area in 96-DPI units scales back to the screen within a pixel.)
  EXPECT_GE(window.top, work.top);
  EXPECT_LE(window.bottom, work.bottom + 1);

}

TEST(MainWindowOnWine, TheOptionsButtonShowsTheCheckBoxesAndOffersToHideThem) {
  ASSERT_NE(g_form, nullptr);
  TFrameImmunizer* frame = g_form->FramesOf<TFrameImmunizer>(*g_form->sb).front();
  EXPECT_FALSE(IsWindowVisible(Hwnd(*frame->cb)));
  SendMessageW(Hwnd(*g_form->bnOptions), BM_CLICK, 0, 0);
  Pump();
  EXPECT_TRUE(IsWindowVisible(Hwnd(*frame->cb)));
  EXPECT_EQ(TextOf(Hwnd(*g_form->bnOptions)), L"Hide options");
  SendMessageW(Hwnd(*g_form->bnOptions), BM_CLICK, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindowVisible(Hwnd(*frame->cb)));
  EXPECT_EQ(TextOf(Hwnd(*g_form->bnOptions)), L"Show options");
}

TEST(MainWindowOnWine, TheQuestionsPageShowsTheRichText) {
  ASSERT_NE(g_form, nullptr);
  const std::wstring text = TextOf(Hwnd(*g_form->memoFAQ));
  EXPECT_NE(text.find(L"Windows Mail"), std::wstring::npos);
  EXPECT_EQ(text.find(L"\\rtf1"), std::wstring::npos);  // read as rich text, not shown as code
}

// The width of a window's text in the font it draws with.
int TextWidthOf(HWND window) {
  const std::wstring text = TextOf(window);
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return size.cx;
}

RECT RectIn(HWND window, HWND parent) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Every status is read whole beside its name, on both pages and with the check boxes shown:
// where the row is too narrow the name is cut, never the status.
TEST(MainWindowOnWine, EveryStatusIsWholeBesideItsName) {
  ASSERT_NE(g_form, nullptr);
  for (const bool options : {false, true}) {
    g_form->SetShowOptions(options);
    Pump();
    for (auto* box : {g_form->sb, g_form->sbOptional}) {
      for (TCustomFrameImmunizer* frame : g_form->FramesOf<TCustomFrameImmunizer>(*box)) {
        HWND row = Hwnd(*frame->panelLabels);
        HWND status = Hwnd(*frame->labelStatus);
        const RECT statusRect = RectIn(status, row);
        const RECT nameRect = RectIn(Hwnd(*frame->labelDisplayName), row);
        RECT rowRect{};
        GetClientRect(row, &rowRect);
        EXPECT_GE(statusRect.right - statusRect.left, TextWidthOf(status)) << frame->Name();
        EXPECT_LE(nameRect.right, statusRect.left) << frame->Name();
        EXPECT_LE(statusRect.right, rowRect.right) << frame->Name();
        // One line: the style that wraps is not left to break the text.
        EXPECT_EQ(GetWindowLongPtrW(Hwnd(*frame->labelDisplayName), GWL_STYLE) & SS_ELLIPSISMASK, SS_ENDELLIPSIS);
      }
    }
  }
  g_form->SetShowOptions(false);
  Pump();
}

// Shows each page for a screenshot: "<ready>-<page>" when it is painted, then waits for
// "<done>-<page>".
TEST(MainWindowOnWine, ShowsEachPageForTheScreenshots) {
  if (g_readyFile.empty()) GTEST_SKIP() << "no screenshots asked for";
  ASSERT_NE(g_form, nullptr);
  TTimedFormTolvexQuietmark& f = *g_form;
  f.SetShowOptions(true);
  f.SetShowOptionalDetails(true);
  const std::pair<const char*, ui::TabSheet*> pages[] = {
      {"protection", f.tabProtection}, {"optional", f.tabOptional}, {"log", f.tabLog},
      {"faq", f.tabFAQ},               {"test", f.tabTest}};
  for (const auto& [name, page] : pages) {
    f.pcStillwater->SetActivePage(page);
    RedrawWindow(Hwnd(f), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    // The page in the picture is the one asked for, alone.
    for (const auto& [otherName, other] : pages) EXPECT_EQ(IsWindowVisible(Hwnd(*other)) != 0, other == page) << otherName;
    EXPECT_TRUE(wineui::AwaitScreenshot(g_readyFile, g_doneFile, name)) << name;
  }
  // The end of the optional page: the Office rows.
  f.pcStillwater->SetActivePage(f.tabOptional);
  f.sbOptional->SetVertScrollPosition(f.sbOptional->VertScrollRange());
  RedrawWindow(Hwnd(f), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  EXPECT_GT(f.sbOptional->VertScrollPosition(), 0);
  EXPECT_TRUE(wineui::AwaitScreenshot(g_readyFile, g_doneFile, "optional-end"));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const wineui::ProgramSession session(argc, argv);
  g_readyFile = session.ReadyFile();
  g_doneFile = session.DoneFile();
  g_creating = Clock::now();
  g_form = &ui::Application::Instance().CreateForm<TTimedFormTolvexQuietmark>();
  g_form->Show();
  // The first paint or activation runs the first-show work.
  for (int i = 0; i < 400 && !g_form->firstShowRan; ++i) Pump();
  return RUN_ALL_TESTS();
}
