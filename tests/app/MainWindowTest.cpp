#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/FormUnitQuietmarkMain.h"
#include "app/bmrUIDlgAbout.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "engine/tvqmCommandLine.h"
#include "engine/tvqmVorletsList.h"
#include "platform/bmrConsoleHelp.h"
#include "platform/bmrCredits.h"
#include "platform/bmrWindows.h"
#include "tests/app/ScriptedImmunizers.h"
#include "tests/fakes/DebugEntryRecorder.h"
#include "tests/fakes/FakeWindows.h"

namespace {

using tests::g_scripted;
using tests::g_scriptedCalls;
using tests::Scripted;

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    tests::ResetScripted();
    CurrentOperatingSystems = {osWinNTSeries, osWindows10};
    StandardImmunizations = {Scripted<0>(), Scripted<1>(), Scripted<2>()};
    OptionalImmunizations = {Scripted<3>(), Scripted<4>()};
    windows.resources.rcData["FAQ"] = "{\\rtf1 questions}";
    InitializeBmrCredits();
  }
  ~MainWindowTest() override {
    CloseWindow();
    StandardImmunizations = savedStandard_;
    OptionalImmunizations = savedOptional_;
    CurrentOperatingSystems = savedSystems_;
    FinalizeBmrCredits();
  }

  // The window as the program makes it, not shown yet, with these switches on the command line.
  TFormTolvexQuietmark& Create(std::vector<std::string> switches = {}) {
    windows.process.SetCommandLine(std::move(switches));
    InitializeBmrConsoleHelp();
    InitializeTvqmCommandLine();
    return ui::Application::Instance().CreateForm<TFormTolvexQuietmark>();
  }
  // Made and shown: its first show has run.
  TFormTolvexQuietmark& Open(std::vector<std::string> switches = {}) {
    auto& form = Create(std::move(switches));
    form.Show();
    return form;
  }
  // Closes the window and forgets the command line, for the next Open.
  void CloseWindow() {
    ui::Application::Instance().DestroyForms();
    FinalizeTvqmCommandLine();
    FinalizeBmrConsoleHelp();
  }
  static std::vector<std::string> FrameNames(ui::ScrollBox& box) {
    std::vector<std::string> names;
    for (int i = 0; i < box.ControlCount(); ++i) names.push_back(box.GetControl(i).Name());
    return names;
  }

  fakes::FakeWindows windows;
  fakes::DebugEntryRecorder recorder;
  ui::headless::ScopedHeadlessBackend backend;

 private:
  TAWindows10ImmunizationClass savedStandard_ = StandardImmunizations;
  TAWindows10ImmunizationClass savedOptional_ = OptionalImmunizations;
  TOperatingSystems savedSystems_ = CurrentOperatingSystems;
};

TEST_F(MainWindowTest, FramesStandInListOrderOnThePageAndInReverseControlOrder) {
  auto& form = Open();
  EXPECT_EQ(FrameNames(*form.sb), (std::vector<std::string>{"FrameTScriptedCImmunization",
                                                             "FrameTScriptedBImmunization",
                                                             "FrameTScriptedAImmunization"}));
  auto* top = form.sb->FindControl("FrameTScriptedAImmunization");
  auto* bottom = form.sb->FindControl("FrameTScriptedCImmunization");
  ASSERT_NE(top, nullptr);
  EXPECT_LT(top->Top(), bottom->Top());
  EXPECT_EQ(form.panelStatus->Bounds().Bottom() + 16, form.sb->Top());
  EXPECT_EQ(FrameNames(*form.sbOptional),
            (std::vector<std::string>{"FrameTScriptedEImmunization", "FrameTScriptedDImmunization"}));
  EXPECT_NE(dynamic_cast<TFrameOptionalImmunizer*>(form.sbOptional->FindControl("FrameTScriptedDImmunization")),
            nullptr);
  // Every immunizer was made while its frame was added, and the test tree lists them.
  for (const auto& state : g_scripted) EXPECT_EQ(state.created, 1);
  const auto& roots = form.vstImmunizers->Roots();
  ASSERT_EQ(roots.size(), 2u);
  EXPECT_EQ(form.vstImmunizers->CellText(*roots[0], 0), "Immunizers");
  EXPECT_EQ(form.vstImmunizers->CellText(*roots[1], 0), "Optional Immunizers");
  ASSERT_EQ(roots[0]->children.size(), 3u);
  EXPECT_TRUE(roots[0]->expanded && roots[1]->expanded);
  EXPECT_TRUE(roots[0]->children[0]->hasCheckBox);
  EXPECT_EQ(form.vstImmunizers->CellText(*roots[0]->children[0], 0), "Scripted C");
  EXPECT_EQ(form.vstImmunizers->CellText(*roots[0]->children[0], 1), "all blocked.");
  EXPECT_EQ(form.vstImmunizers->CellText(*roots[0], 1), "");
  EXPECT_EQ(form.vstImmunizersGetImageIndex(*roots[0], 0), 0);
  EXPECT_EQ(form.vstImmunizersGetImageIndex(*roots[0]->children[0], 0), 1);
  EXPECT_EQ(form.vstImmunizersGetImageIndex(*roots[0]->children[0], 1), -1);
  EXPECT_FALSE(form.tabTest->TabVisible());
  EXPECT_EQ(form.pcStillwater->ActivePage(), form.tabProtection);
  EXPECT_EQ(form.memoFAQ->RichText(), "{\\rtf1 questions}");
  EXPECT_EQ(RegisteredCredits().at(0).Name, kIconSetCreditName);
  EXPECT_EQ(RegisteredCredits().at(0).Category, 2);
}

TEST_F(MainWindowTest, TheCaptionNamesTheProductAndVersionOfTheVersionBlock) {
  EXPECT_EQ(Open().Caption(), " ");  // no version block
  CloseWindow();

  windows.versionInfo.SetBlock(windows.process.moduleFileName,
                               fakes::BuildVersionBlock({{{"040904E4", {{"ProductName", "Tolvex Quietmark"},
                                                                        {"ProductVersion", "1.0.0.0"}}}}}));
  auto& form = Open();
  EXPECT_EQ(form.Caption(), "Tolvex Quietmark 1.0.0.0");
}

TEST_F(MainWindowTest, OnWindows7OnlyItsClassesGetFramesAndTheOthersALineEach) {
  CurrentOperatingSystems = {osWinNTSeries, osWindows7};
  g_scripted[0].systems = {osWindows10};
  g_scripted[2].systems = {osWindows10};
  g_scripted[4].systems = {osWindows10};
  auto& form = Open();
  EXPECT_EQ(FrameNames(*form.sb), std::vector<std::string>{"FrameTScriptedBImmunization"});
  EXPECT_EQ(FrameNames(*form.sbOptional), std::vector<std::string>{"FrameTScriptedDImmunization"});
  EXPECT_EQ(form.memoLog->Lines(), (std::vector<std::string>{
                                       "[i] TScriptedCImmunization is not supported on your OS.",
                                       "[i] TScriptedAImmunization is not supported on your OS.",
                                       "[i] TScriptedEImmunization is not supported on your OS.",
                                   }));
  EXPECT_FALSE(form.tabLog->TabVisible());
  EXPECT_EQ(g_scripted[0].created, 0);
}

TEST_F(MainWindowTest, TheOverallStateAndTheTaskbarFollowTheItemsOfTheTickedStandardFrames) {
  constexpr int normal = 2, error = 4;  // the taskbar's flags
  struct Case {
    const char* name;
    std::vector<std::int32_t> immunized, count;
    std::vector<bool> ticked;
    const char* text;
    ui::Color color;
    ui::BrushStyle brush;
    int taskbarFlag;
    std::int64_t progressMax, progressValue;
  } cases[] = {
      {"nothing ticked", {1, 0, 0}, {4, 4, 4}, {false, false, false}, "full protection in place.", ui::clGreen,
       ui::BrushStyle::Vertical, error, 0, 0},
      {"none of 12", {0, 0, 0}, {4, 4, 4}, {true, true, true}, "no protection applied yet!", ui::clRed,
       ui::BrushStyle::Solid, error, 12, 12},
      {"2 of 3", {2, 0, 0}, {3, 0, 0}, {true, true, true}, "67% protected (2 of 3).", ui::clRed,
       ui::BrushStyle::FDiagonal, normal, 3, 2},
      {"3 of 3", {3, 0, 0}, {3, 0, 0}, {true, true, true}, "full protection in place.", ui::clGreen,
       ui::BrushStyle::Vertical, normal, 3, 3},
      {"unticked frames weigh nothing", {2, 0, 0}, {2, 5, 5}, {true, false, false}, "full protection in place.",
       ui::clGreen, ui::BrushStyle::Vertical, normal, 2, 2},
      {"items, not immunizers", {1, 9, 0}, {1, 10, 1}, {true, true, true}, "83% protected (10 of 12).",
       ui::clRed, ui::BrushStyle::FDiagonal, normal, 12, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tests::ResetScripted();
    windows.taskbar.calls.clear();
    auto& form = Open();
    for (int i = 0; i < 3; ++i) {
      g_scripted[i].immunized = c.immunized[i];
      g_scripted[i].count = c.count[i];
      auto* frame = static_cast<TFrameImmunizer*>(form.sb->FindControl(
          "FrameTScripted" + std::string(1, static_cast<char>('A' + i)) + "Immunization"));
      frame->cb->SetChecked(c.ticked[i]);
    }
    form.UpdateProtectionState();
    EXPECT_EQ(form.labelTotalProtection->Caption(), c.text);
    EXPECT_EQ(form.shapeTotalStatus->BrushColor(), c.color);
    EXPECT_EQ(form.shapeTotalStatus->GetBrushStyle(), c.brush);
    EXPECT_EQ(form.GetTaskbarProgressMax(), c.progressMax);
    EXPECT_EQ(form.GetTaskbarProgressValue(), c.progressValue);
    std::string lastState;
    for (const auto& call : windows.taskbar.calls) {
      if (call.rfind("ITaskbarList3::SetProgressState", 0) == 0) lastState = call;
    }
    ASSERT_FALSE(lastState.empty());
    EXPECT_EQ(lastState.substr(lastState.rfind(' ') + 1), std::to_string(c.taskbarFlag));
    CloseWindow();
  }
}

TEST_F(MainWindowTest, LogLinesOfImmunizerMessagesAndDebugErrors) {
  auto& form = Open();
  auto& frame = *static_cast<TCustomFrameImmunizer*>(form.sb->FindControl("FrameTScriptedAImmunization"));
  form.memoLog->Clear();
  ASSERT_FALSE(form.tabLog->TabVisible());

  // Debug entries: errors only, and they do not show the tab.
  DebugLogger()->LogError("Something failed", 4);
  DebugLogger()->LogInfo("Just so", 4);
  EXPECT_EQ(form.memoLog->Lines(), std::vector<std::string>{"[-] Something failed"});
  EXPECT_FALSE(form.tabLog->TabVisible());

  form.memoLog->Clear();
  struct Case {
    int level;
    const char* line;
  } cases[] = {{0, "[+] Scripted A: hello"}, {1, "[-] Scripted A: hello"}, {2, "[i] Scripted A: hello"},
               {7, "[?] Scripted A: hello"}};
  for (const Case& c : cases) frame.GetImmunizer().DoLog(static_cast<TImmunizationLogLevel>(c.level), "hello");
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    expected.push_back(c.line);
    expected.push_back("[.] (TScriptedAImmunization)");
  }
  EXPECT_EQ(form.memoLog->Lines(), expected);
  EXPECT_TRUE(form.tabLog->TabVisible());

  // An exception caught and logged: its class name, then the operation that caught it.
  form.memoLog->Clear();
  DebugLogger()->LogException(rtl::EConvertError("bad"), "TFoo.Bar", 5);
  EXPECT_EQ(form.memoLog->Lines(), std::vector<std::string>{"[-] EConvertError: TFoo.Bar"});
}

TEST_F(MainWindowTest, TheButtonsRunTheTickedFramesInControlOrder) {
  for (auto& state : g_scripted) state.count = 2;
  auto& form = Open();
  form.SetShowOptions(true);
  auto& b = *static_cast<TFrameImmunizer*>(form.sb->FindControl("FrameTScriptedBImmunization"));
  ASSERT_TRUE(backend->UserClick(*b.cb));
  ASSERT_TRUE(backend->UserClick(*form.bnImmunize));
  EXPECT_EQ(g_scriptedCalls,
            (std::vector<std::string>{"TScriptedCImmunization.Immunize", "TScriptedAImmunization.Immunize"}));
  EXPECT_EQ(form.labelTotalProtection->Caption(), "full protection in place.");
  EXPECT_EQ(b.GetStatusText(), "no blocks yet!");
  // The log of the run: only its own lines, and the tab shows.
  EXPECT_EQ(form.memoLog->Lines().front(), "[+] Scripted C: applied");
  EXPECT_TRUE(form.tabLog->TabVisible());
  EXPECT_EQ(g_scripted[3].immunizeCalls, 0);

  g_scriptedCalls.clear();
  ASSERT_TRUE(backend->UserClick(*form.bnUndo));
  EXPECT_EQ(g_scriptedCalls,
            (std::vector<std::string>{"TScriptedCImmunization.Remove", "TScriptedAImmunization.Remove"}));
  EXPECT_EQ(b.GetStatusText(), "no blocks yet!");
  EXPECT_EQ(form.labelTotalProtection->Caption(), "no protection applied yet!");
  EXPECT_TRUE(form.memoLog->Lines().empty());
}

TEST_F(MainWindowTest, SelectAllAndDeselectAllFromThePopupMenuShowTheBoxesAndTickThem) {
  for (auto& state : g_scripted) state.count = 1;
  auto& form = Open();
  backend->QueuePopupChoice("pmiDeselectAll");
  ASSERT_TRUE(backend->UserRightClick(*form.bnOptions));
  EXPECT_EQ(form.bnOptions->Caption(), "Hide options");
  for (auto* frame : form.FramesOf<TFrameImmunizer>(*form.sb)) {
    EXPECT_TRUE(frame->cb->Visible());
    EXPECT_FALSE(frame->cb->Checked());
    EXPECT_FALSE(frame->Selected());
  }
  ASSERT_TRUE(backend->UserClick(*form.bnImmunize));
  EXPECT_TRUE(g_scriptedCalls.empty());
  EXPECT_EQ(form.labelTotalProtection->Caption(), "full protection in place.");

  backend->QueuePopupChoice("pmiSelectAll");
  ASSERT_TRUE(backend->UserChooseTab(*form.tabOptional));
  ASSERT_TRUE(backend->UserRightClick(*form.bnOptionalDetails));
  EXPECT_EQ(form.popupOptions->Find("pmiSelectAll")->Caption(), "Sselect all");
  EXPECT_EQ(form.labelTotalProtection->Caption(), "full protection in place.");  // not recomputed
  for (auto* frame : form.FramesOf<TFrameImmunizer>(*form.sb)) EXPECT_TRUE(frame->Selected());
  ASSERT_TRUE(backend->UserChooseTab(*form.tabProtection));
  ASSERT_TRUE(backend->UserClick(*form.bnImmunize));
  EXPECT_EQ(g_scriptedCalls.size(), 3u);
}

TEST_F(MainWindowTest, TheToggleButtonsOfferTheOppositeAction) {
  g_scripted[0].details = "Registry: x";
  auto& form = Open();
  auto& a = *static_cast<TFrameImmunizer*>(form.sb->FindControl("FrameTScriptedAImmunization"));
  auto& b = *static_cast<TFrameImmunizer*>(form.sb->FindControl("FrameTScriptedBImmunization"));
  EXPECT_FALSE(a.cb->Visible());
  ASSERT_TRUE(backend->UserClick(*form.bnOptions));
  EXPECT_EQ(form.bnOptions->GetAction(), form.aHideOptions);
  EXPECT_TRUE(a.cb->Visible() && a.labelDetails->Visible());
  EXPECT_TRUE(b.cb->Visible());
  EXPECT_FALSE(b.labelDetails->Visible());  // no details
  ASSERT_TRUE(backend->UserClick(*form.bnOptions));
  EXPECT_EQ(form.bnOptions->Caption(), "Show options");
  EXPECT_FALSE(a.cb->Visible());

  auto& d = *static_cast<TFrameOptionalImmunizer*>(form.sbOptional->FindControl("FrameTScriptedDImmunization"));
  ASSERT_TRUE(backend->UserChooseTab(*form.tabOptional));
  ASSERT_TRUE(backend->UserClick(*form.bnOptionalDetails));
  EXPECT_EQ(form.bnOptionalDetails->Caption(), "Hide details");
  EXPECT_TRUE(d.labelDetails->Visible());
  ASSERT_TRUE(backend->UserClick(*form.bnOptionalDetails));
  EXPECT_EQ(form.bnOptionalDetails->Caption(), "Show details");
  EXPECT_FALSE(d.labelDetails->Visible());
}

TEST_F(MainWindowTest, AnExceptionEndsTheRunAtItsFrame) {
  for (auto& state : g_scripted) state.count = 1;
  g_scripted[1].throwOnImmunize = true;
  auto& form = Open();
  std::vector<std::string> reported;
  ui::Application::Instance().onException = [&](const std::exception& e) { reported.push_back(e.what()); };
  ASSERT_TRUE(backend->UserClick(*form.bnImmunize));
  EXPECT_EQ(reported, std::vector<std::string>{"scripted failure"});
  EXPECT_EQ(g_scriptedCalls,
            (std::vector<std::string>{"TScriptedCImmunization.Immunize", "TScriptedBImmunization.Immunize"}));
  EXPECT_EQ(form.labelTotalProtection->Caption(), "no protection applied yet!");  // not recomputed
}

TEST_F(MainWindowTest, TheFirstShowRunsTheSwitchAndSetsTheCaptions) {
  struct Case {
    std::vector<std::string> switches;
    const char* firstLine;
    const char* call;
  } cases[] = {
      {{"/apply", "/undo"}, "[i] processing parameter /apply...", "TScriptedCImmunization.Immunize"},
      {{"/undo"}, "[i] processing parameter /undo...", "TScriptedCImmunization.Remove"},
      {{}, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.switches.size());
    tests::ResetScripted();
    g_scripted[0].count = 1;
    auto& form = Create(c.switches);
    EXPECT_EQ(form.aSelectAll->Caption(), "Select all");
    EXPECT_EQ(form.labelTotalProtection->Caption(), "Test pending...");
    EXPECT_EQ(form.shapeTotalStatus->BrushColor(), ui::clBlack);
    form.Show();
    if (c.call != nullptr) {
      ASSERT_FALSE(form.memoLog->Lines().empty());
      EXPECT_EQ(form.memoLog->Lines().front(), c.firstLine);
      ASSERT_EQ(g_scriptedCalls.size(), 3u);
      EXPECT_EQ(g_scriptedCalls.front(), c.call);
    } else {
      EXPECT_TRUE(g_scriptedCalls.empty());
    }
    EXPECT_NE(form.labelTotalProtection->Caption(), "Test pending...");
    EXPECT_EQ(form.aSelectAll->Caption(), "Sselect all");
    EXPECT_EQ(form.tabFAQ->Caption(), "Frequently Asked &Questions");
    EXPECT_EQ(form.bnImmunize->Caption(), "&Immunize");
    EXPECT_EQ(form.bnClose->Caption(), "&Close");
    EXPECT_EQ(form.FramesOf<TFrameImmunizer>(*form.sb).front()->GetStatusText(), "all blocked.");
    CloseWindow();
  }
}

TEST_F(MainWindowTest, TheFirstShowCommitsTheTwoTasksAndAJumpListFailureCostsNotTheRun) {
  Open();
  ASSERT_EQ(windows.taskbar.jumpListTasks.size(), 2u);
  EXPECT_EQ(windows.taskbar.jumpListTasks[0]->title, "&Immunize");
  EXPECT_EQ(windows.taskbar.jumpListTasks[0]->arguments, "/apply");
  EXPECT_EQ(windows.taskbar.jumpListTasks[1]->title, "&Undo");
  EXPECT_EQ(windows.taskbar.jumpListTasks[1]->arguments, "/undo");
  EXPECT_EQ(windows.taskbar.jumpListTasks[0]->path, windows.process.moduleFileName);
  CloseWindow();

  // The object collection cannot be made: logged, and the /apply run still happens.
  windows.taskbar.failures.Fail("CoCreateInstance", os::taskbar::kEClassNotRegistered, "EnumerableObjectCollection");
  recorder.Clear();
  g_scripted[0].count = 1;
  auto& form = Open({"/apply"});
  EXPECT_EQ(g_scripted[0].immunizeCalls, 1);
  EXPECT_EQ(form.aSelectAll->Caption(), "Sselect all");
  bool logged = false;
  for (const auto& entry : recorder.Entries()) logged |= entry.message == "TFormTolvexQuietmark.AfterFirstShow";
  EXPECT_TRUE(logged);
}

TEST_F(MainWindowTest, AFailingRunAtTheFirstShowIsLoggedAndTheWindowStaysUsable) {
  g_scripted[1].count = 1;
  g_scripted[1].throwOnImmunize = true;
  recorder.Clear();
  auto& form = Open({"/apply"});
  bool logged = false;
  for (const auto& entry : recorder.Entries()) logged |= entry.message == "TSimpleTolvexForm.WndProc";
  EXPECT_TRUE(logged);
  // The steps after the run were skipped: the layout's captions and state stay.
  EXPECT_EQ(form.labelTotalProtection->Caption(), "Test pending...");
  EXPECT_EQ(form.aSelectAll->Caption(), "Select all");
  g_scripted[1].throwOnImmunize = false;
  ASSERT_TRUE(backend->UserClick(*form.bnImmunize));
  EXPECT_EQ(form.labelTotalProtection->Caption(), "full protection in place.");
}

TEST_F(MainWindowTest, AboutOpensTheDialogModallyAndCloseClosesTheWindow) {
  auto& form = Open();
  int aboutItems = 0;
  for (const auto& item : backend->SystemMenu(form)) aboutItems += item.id == 5681 ? 1 : 0;
  EXPECT_EQ(aboutItems, 1);
  ASSERT_TRUE(backend->UserClick(*form.bnAbout));
  ASSERT_EQ(backend->modalForms.size(), 1u);
  ASSERT_TRUE(backend->UserClick(*form.bnClose));
  EXPECT_FALSE(backend->IsWindowShown(form));
}

TEST_F(MainWindowTest, TheWindowGrowsByWhatTheFramesNeedButNotPastTheWorkArea) {
  struct Case {
    int frames;
    int workAreaHeight;
    bool grows;
    bool capped;
  } cases[] = {{1, 1040, false, false}, {12, 2000, true, false}, {12, 700, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    StandardImmunizations.assign(1, Scripted<0>());
    // Many frames of the same classes: what counts is their height.
    for (int i = 1; i < c.frames; ++i) StandardImmunizations.push_back(i % 2 ? Scripted<1>() : Scripted<2>());
    backend->SetWorkArea({0, 0, 1920, c.workAreaHeight});
    auto& form = Create();
    const int designed = form.Height();
    form.Show();
    if (!c.grows) {
      EXPECT_EQ(form.Height(), designed);
      EXPECT_FALSE(form.sb->VertScrollBarVisible());
    } else if (!c.capped) {
      // Grown by exactly what the frames lacked: they fit now, without a scroll bar.
      EXPECT_GT(form.Height(), designed);
      EXPECT_EQ(form.sb->VertScrollRange(), form.sb->Height());
      EXPECT_FALSE(form.sb->VertScrollBarVisible());
    } else {
      EXPECT_EQ(form.Height(), 700);
      EXPECT_GE(form.Top(), 0);
      EXPECT_TRUE(form.sb->VertScrollBarVisible());
    }
    CloseWindow();
  }
}

}  // namespace

namespace {

// The rich text the FAQ page loads: a view shows a document with an unbalanced group or a
// character outside its code page as raw text or garbage.
TEST(MainWindowFaqTest, TheFaqIsOneWellFormedRtfGroupInPlainAscii) {
  const std::string path = std::string(__FILE__).substr(0, std::string(__FILE__).rfind("/tests/")) + "/resources/faq.rtf";
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << path;
  const std::string rtf((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
  int depth = 0;
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(rtf[i]);
    ASSERT_LT(c, 0x80u) << "at " << i;
    if (c == '\\' && i + 1 < rtf.size() && std::string("{}\\").find(rtf[i + 1]) != std::string::npos) {
      ++i;
      continue;
    }
    if (c == '{') ++depth;
    if (c == '}' && --depth == 0) {
      EXPECT_EQ(rtf.find_first_not_of("\r\n", i + 1), std::string::npos) << "text after the document";
    }
    ASSERT_GE(depth, 0) << "at " << i;
  }
  EXPECT_EQ(depth, 0);
  // What the OneDrive immunizer's hint sends the user here for.
  EXPECT_NE(rtf.find("Windows Mail"), std::string::npos);
}

}  // namespace
