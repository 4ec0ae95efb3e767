#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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
#include "tests/ui/UiTestPrinters.h"

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
  // The control at a path of names ("sb/FrameTScriptedAImmunization/pg"), each found below
  // the one before: the frames' controls share their names.
  static ui::Control* At(ui::Container& root, const std::string& path) {
    ui::Control* control = &root;
    for (std::size_t start = 0; start <= path.size();) {
      const std::size_t end = std::min(path.find('/', start), path.size());
      auto* container = dynamic_cast<ui::Container*>(control);
      control = container ? container->FindControl(path.substr(start, end - start)) : nullptr;
      if (!control) return nullptr;
      start = end + 1;
    }
    return control;
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

// Where every control of the window stands once it is shown, in its parent's client area, at
// 96 and at 144 DPI (the default font's characters 6 x 15 at 96, 9 x 23 at 144).
TEST_F(MainWindowTest, TheLayoutPlacesEveryControlWhereTheDesignHasIt) {
  auto& form = Open();
  EXPECT_EQ(form.ClientSize(), (ui::Size{537, 639}));
  const std::string a = "sb/FrameTScriptedAImmunization/", d = "sbOptional/FrameTScriptedDImmunization/";
  struct Place {
    std::string path;
    ui::Rect at96, at144;
  } places[] = {
      // 8 around the page control and the button row, and between them.
      {"pcStillwater", {8, 8, 521, 590}, {12, 12, 782, 885}},
      {"panelButtons", {8, 606, 521, 25}, {12, 909, 782, 38}},
      {"panelButtons/bnAbout", {0, 0, 75, 25}, {0, 0, 113, 38}},
      {"panelButtons/bnClose", {444, 0, 75, 25}, {666, 0, 113, 38}},  // 2 from the right edge
      // Below the tab row, inside the page frame.
      {"tabProtection", {4, 25, 513, 561}, {6, 38, 770, 841}},
      {"tabOptional", {4, 25, 513, 561}, {6, 38, 770, 841}},
      // The status panel: 16 from the page's edges and from the frames below.
      {"panelStatus", {16, 16, 481, 64}, {24, 24, 722, 96}},
      {"imgComputer", {0, 0, 64, 64}, {0, 0, 96, 96}},
      {"imgNetwork", {417, 0, 64, 64}, {626, 0, 96, 96}},
      {"shapeTotalStatus", {72, 0, 337, 40}, {108, 0, 506, 60}},  // 8 from each picture
      {"labelTotalProtection", {72, 48, 337, 15}, {108, 72, 506, 23}},
      {"tabProtection/sb", {0, 96, 513, 408}, {0, 144, 770, 611}},
      // 16 from the box's edges, nothing between the frames: the spacer parts them.
      {"sb/FrameTScriptedAImmunization", {16, 16, 481, 44}, {24, 24, 722, 67}},
      {"sb/FrameTScriptedBImmunization", {16, 60, 481, 44}, {24, 91, 722, 67}},
      {"sb/FrameTScriptedCImmunization", {16, 104, 481, 44}, {24, 158, 722, 67}},
      {a + "panelLabels", {0, 0, 481, 17}, {0, 0, 722, 26}},
      {a + "pg", {0, 19, 481, 15}, {0, 29, 722, 23}},
      {a + "panelSpacer", {0, 36, 481, 8}, {0, 55, 722, 12}},
      // 16 from every side of the page, 8 between the buttons.
      {"panelButtonsProtection", {16, 520, 481, 25}, {24, 779, 722, 38}},
      {"panelButtonsProtection/bnOptions", {0, 0, 107, 25}, {0, 0, 161, 38}},
      {"panelButtonsProtection/bnImmunize", {259, 0, 107, 25}, {388, 0, 161, 38}},
      {"panelButtonsProtection/bnUndo", {374, 0, 107, 25}, {561, 0, 161, 38}},
      // The optional page.
      {"tabOptional/sbOptional", {0, 0, 513, 504}, {0, 0, 770, 755}},
      {"sbOptional/FrameTScriptedDImmunization", {16, 16, 481, 64}, {24, 24, 722, 97}},
      {"sbOptional/FrameTScriptedEImmunization", {16, 80, 481, 64}, {24, 121, 722, 97}},
      {d + "panelLabels", {0, 0, 481, 25}, {0, 0, 722, 38}},
      {d + "panelLabels/bnApply", {323, 0, 75, 25}, {484, 0, 113, 38}},
      {d + "panelLabels/bnUndo", {406, 0, 75, 25}, {609, 0, 113, 38}},
      {d + "pg", {0, 29, 481, 15}, {0, 44, 722, 23}},
      {d + "panelSpacer", {0, 48, 481, 16}, {0, 73, 722, 24}},
      {"panelButtons2", {16, 520, 481, 25}, {24, 779, 722, 38}},
      {"panelButtons2/bnOptionalDetails", {0, 0, 107, 25}, {0, 0, 161, 38}},
      {"tabFAQ/memoFAQ", {16, 16, 481, 529}, {24, 24, 722, 793}},
  };
  // The name and status labels share their row as they may; the row's other edges are fixed.
  struct Row {
    std::string path;
    int top96, height96, top144, height144;
    int statusRight96, statusRight144;  // the status text ends here
    int gap96, gap144;                  // between the name and the status label
  } rows[] = {
      {a + "panelLabels/", 2, 15, 3, 23, 481, 722, 8, 12},
      {d + "panelLabels/", 0, 25, 0, 38, 315, 472, 8, 12},
  };

  for (const Place& p : places) {
    SCOPED_TRACE(p.path);
    ui::Control* control = At(form, p.path);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Bounds(), p.at96);
  }
  for (const Row& r : rows) {
    SCOPED_TRACE(r.path);
    const ui::Rect name = At(form, r.path + "labelDisplayName")->Bounds();
    const ui::Rect status = At(form, r.path + "labelStatus")->Bounds();
    EXPECT_EQ(name.left, 0);
    EXPECT_EQ(status.left - name.Right(), r.gap96);
    EXPECT_EQ(status.Right(), r.statusRight96);
    for (const ui::Rect& label : {name, status}) {
      EXPECT_EQ(label.top, r.top96);
      EXPECT_EQ(label.height, r.height96);
    }
  }
  // The boxes end 16 below their last frame, so neither needs its scroll bar.
  EXPECT_EQ(form.sb->VertScrollRange(), 164);
  EXPECT_FALSE(form.sb->VertScrollBarVisible());
  EXPECT_EQ(form.sbOptional->VertScrollRange(), 160);

  backend->SetDpi(144);
  const std::vector<ui::LayoutResult> scaled = backend->LayoutAtDpi(form);
  auto boundsAt144 = [&](const ui::Control* control) -> const ui::LayoutResult* {
    for (const ui::LayoutResult& result : scaled) {
      if (result.control == control) return &result;
    }
    return nullptr;
  };
  for (const Place& p : places) {
    SCOPED_TRACE(p.path + " at 144 DPI");
    const ui::LayoutResult* result = boundsAt144(At(form, p.path));
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->bounds, p.at144);
  }
  for (const Row& r : rows) {
    SCOPED_TRACE(r.path + " at 144 DPI");
    const ui::Rect name = boundsAt144(At(form, r.path + "labelDisplayName"))->bounds;
    const ui::Rect status = boundsAt144(At(form, r.path + "labelStatus"))->bounds;
    EXPECT_EQ(name.left, 0);
    EXPECT_EQ(status.left - name.Right(), r.gap144);
    EXPECT_EQ(status.Right(), r.statusRight144);
    for (const ui::Rect& label : {name, status}) {
      EXPECT_EQ(label.top, r.top144);
      EXPECT_EQ(label.height, r.height144);
    }
  }
  EXPECT_EQ(boundsAt144(form.sb)->scrollRange, 249);
  EXPECT_EQ(boundsAt144(form.sbOptional)->scrollRange, 242);
  backend->SetDpi(96);

  // Options shown: the check box starts the row, the details sit between it and the bar, and
  // the frames below move down by what the details take.
  g_scripted[0].details = "Registry: a\r\nRegistry: b";
  std::int32_t immunized = 0, count = 0;
  static_cast<TFrameImmunizer*>(At(form, "sb/FrameTScriptedAImmunization"))->UpdateState(immunized, count);
  form.SetShowOptions(true);
  EXPECT_EQ(At(form, a + "panelLabels/cb")->Bounds(), (ui::Rect{0, 0, 20, 17}));
  EXPECT_EQ(At(form, a + "labelDetails")->Bounds(), (ui::Rect{0, 19, 481, 2 * 14 + 10}));
  EXPECT_EQ(At(form, a + "pg")->Bounds(), (ui::Rect{0, 59, 481, 15}));
  EXPECT_EQ(At(form, "sb/FrameTScriptedAImmunization")->Bounds(), (ui::Rect{16, 16, 481, 84}));
  EXPECT_EQ(At(form, "sb/FrameTScriptedBImmunization")->Bounds(), (ui::Rect{16, 100, 481, 44}));
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

// The state goes first, then the maximum (with the value still shown), then the value; each
// setter reaches the taskbar only when its value changes.
TEST_F(MainWindowTest, TheTaskbarTakesTheStateThenTheMaximumThenTheValue) {
  for (auto& state : g_scripted) state.count = 4;
  auto& form = Open();  // 0 of 12: the error state with a full bar
  char window[32];
  std::snprintf(window, sizeof window, "0x%llx", static_cast<unsigned long long>(form.Handle()));
  const std::string state = std::string("ITaskbarList3::SetProgressState ") + window + " ";
  const std::string value = std::string("ITaskbarList3::SetProgressValue ") + window + " ";
  struct Case {
    const char* name;
    std::int32_t immunizedA, countA;
    std::vector<std::string> calls;
  } cases[] = {
      {"1 of 13", 1, 5, {state + "2", value + "12 13", value + "1 13"}},
      {"0 of 14", 0, 6, {state + "4", value + "1 14", value + "14 14"}},
      {"2 of 14", 2, 6, {state + "2", value + "2 14"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_scripted[0].immunized = c.immunizedA;
    g_scripted[0].count = c.countA;
    windows.taskbar.calls.clear();
    form.UpdateProtectionState();
    std::vector<std::string> progress;
    for (const std::string& call : windows.taskbar.calls) {
      if (call.rfind("ITaskbarList3::SetProgress", 0) == 0) progress.push_back(call);
    }
    EXPECT_EQ(progress, c.calls);
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
  g_scripted[0].details = "Registry: x";
  auto& form = Open();
  auto& a = *static_cast<TFrameImmunizer*>(form.sb->FindControl("FrameTScriptedAImmunization"));
  ASSERT_FALSE(a.cb->Visible());
  backend->QueuePopupChoice("pmiDeselectAll");
  ASSERT_TRUE(backend->UserRightClick(*form.bnOptions));
  EXPECT_EQ(form.bnOptions->Caption(), "Hide options");
  for (auto* frame : form.FramesOf<TFrameImmunizer>(*form.sb)) {
    EXPECT_TRUE(frame->cb->Visible());
    EXPECT_FALSE(frame->cb->Checked());
    EXPECT_FALSE(frame->Selected());
  }
  EXPECT_TRUE(a.labelDetails->Visible());
  ASSERT_TRUE(backend->UserClick(*form.bnImmunize));
  EXPECT_TRUE(g_scriptedCalls.empty());
  EXPECT_EQ(form.labelTotalProtection->Caption(), "full protection in place.");

  // Select all, too, shows the hidden options first.
  ASSERT_TRUE(backend->UserClick(*form.bnOptions));
  ASSERT_FALSE(a.cb->Visible());
  backend->QueuePopupChoice("pmiSelectAll");
  ASSERT_TRUE(backend->UserChooseTab(*form.tabOptional));
  ASSERT_TRUE(backend->UserRightClick(*form.bnOptionalDetails));
  EXPECT_EQ(form.popupOptions->Find("pmiSelectAll")->Caption(), "Sselect all");
  EXPECT_EQ(form.bnOptions->GetAction(), form.aHideOptions);
  EXPECT_TRUE(a.cb->Visible() && a.labelDetails->Visible());
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
  // The steps after the run were skipped: the layout's captions and state stay, also on the
  // frame the run did not reach.
  EXPECT_EQ(form.labelTotalProtection->Caption(), "Test pending...");
  EXPECT_EQ(form.aSelectAll->Caption(), "Select all");
  auto& unreached = *static_cast<TFrameImmunizer*>(form.sb->FindControl("FrameTScriptedAImmunization"));
  EXPECT_EQ(unreached.labelDisplayName->Caption(), "Block");
  EXPECT_EQ(unreached.labelStatus->Caption(), "pending...");
  EXPECT_EQ(form.vstImmunizers->CellText(*form.vstImmunizers->Roots()[0]->children[2], 1), "pending...");
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
  // The window is 678 high (639 inside); its box 408. Twelve frames of 44 with 16 above and
  // below need 560: 152 more, so 830.
  struct Case {
    int frames;
    int workAreaHeight;
    int height;
    bool scrollBar;
  } cases[] = {
      {1, 1040, 678, false},                          // the frames fit: the window keeps its height
      {12, 2000, 830, false}, {12, 831, 830, false},  // one pixel below the work area's height
      {12, 830, 830, false},                          // exactly the work area's height
      {12, 829, 829, true},                           // one pixel too many: the work area's height, and the box scrolls
      {12, 700, 700, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.frames << " frames, work area " << c.workAreaHeight);
    StandardImmunizations.assign(1, Scripted<0>());
    // Many frames of the same classes: what counts is their height.
    for (int i = 1; i < c.frames; ++i) StandardImmunizations.push_back(i % 2 ? Scripted<1>() : Scripted<2>());
    backend->SetWorkArea({0, 0, 1920, c.workAreaHeight});
    auto& form = Create();
    EXPECT_EQ(form.Height(), 678);
    form.Show();
    EXPECT_EQ(form.Height(), c.height);
    EXPECT_EQ(form.sb->VertScrollBarVisible(), c.scrollBar);
    if (c.height > 678 && !c.scrollBar) {
      EXPECT_EQ(form.sb->VertScrollRange(), form.sb->Height());  // grown by exactly what they lacked
    }
    EXPECT_GE(form.Top(), 0);
    EXPECT_LE(form.Top() + form.Height(), c.workAreaHeight);
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
