#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/FrameUnitQuietmarkOptionalImmunizer.h"
#include "app/FrameUnitQuietmarkStandardImmunizer.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "tests/app/ScriptedImmunizers.h"
#include "tests/ui/UiTestPrinters.h"

namespace {

using tests::g_scripted;
using tests::Scripted;

class ImmunizerFramesTest : public ::testing::Test {
 protected:
  ImmunizerFramesTest() {
    tests::ResetScripted();
    form.SetClientSize({500, 600});
  }
  template <class F>
  F& AddFrame() {
    auto& frame = static_cast<F&>(form.Adopt(F::Make(Scripted<0>())));
    frame.SetAlign(ui::Align::Top);
    return frame;
  }
  ui::headless::ScopedHeadlessBackend backend;
  ui::Form form{"form"};
};

TEST_F(ImmunizerFramesTest, StatusNameHintProgressAndOptionalButtonsFollowTheCounts) {
  struct Case {
    std::int32_t immunized, count;
    const char* status;
    const char* hint;
    bool applyEnabled, undoEnabled;
  } cases[] = {
      {0, 0, "all blocked.", "0 of 0 blocked currently.", false, false},
      {3, 5, "3 of 5 blocked currently.", "3 of 5 blocked currently.", true, true},
      {0, 5, "no blocks yet!", "0 of 5 blocked currently.", true, false},
      {5, 5, "all blocked.", "5 of 5 blocked currently.", false, true},
  };
  auto& standard = AddFrame<TFrameImmunizer>();
  auto& optional = AddFrame<TFrameOptionalImmunizer>();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.immunized << " of " << c.count);
    g_scripted[0].immunized = c.immunized;
    g_scripted[0].count = c.count;
    for (TCustomFrameImmunizer* frame : {static_cast<TCustomFrameImmunizer*>(&standard),
                                         static_cast<TCustomFrameImmunizer*>(&optional)}) {
      std::int32_t immunized = -1, count = -1;
      frame->UpdateState(immunized, count);
      EXPECT_EQ(immunized, c.immunized);
      EXPECT_EQ(count, c.count);
      EXPECT_EQ(frame->labelStatus->Caption(), c.status);
      EXPECT_EQ(frame->GetStatusText(), c.status);
      EXPECT_EQ(frame->labelStatus->Hint(), c.hint);
      EXPECT_EQ(frame->labelDisplayName->Caption(), "Scripted A:");
      EXPECT_EQ(frame->pg->Max(), c.count);
      EXPECT_EQ(frame->pg->Position(), c.immunized);
    }
    EXPECT_EQ(optional.bnApply->Enabled(), c.applyEnabled);
    EXPECT_EQ(optional.bnUndo->Enabled(), c.undoEnabled);
  }
}

TEST_F(ImmunizerFramesTest, AnUntickedStandardFrameIsGreyedCountsNothingAndRunsNothing) {
  g_scripted[0].count = 5;
  g_scripted[0].immunized = 2;
  auto& frame = AddFrame<TFrameImmunizer>();
  std::int32_t immunized = 0, count = 0;
  frame.UpdateState(immunized, count);
  ASSERT_EQ(frame.GetStatusText(), "2 of 5 blocked currently.");

  frame.cb->SetVisible(true);
  form.Show();
  ASSERT_TRUE(backend->UserClick(*frame.cb));
  EXPECT_FALSE(frame.Selected());
  EXPECT_FALSE(frame.pg->Visible());
  EXPECT_EQ(frame.labelDisplayName->GetFont().color, ui::clGrayText);
  EXPECT_EQ(frame.labelStatus->GetFont().color, ui::clGrayText);
  g_scripted[0].immunized = 4;
  frame.UpdateState(immunized, count);
  EXPECT_EQ(immunized, 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(frame.GetStatusText(), "2 of 5 blocked currently.");  // kept
  frame.Immunize();
  frame.Remove();
  EXPECT_EQ(g_scripted[0].immunizeCalls + g_scripted[0].removeCalls, 0);

  ASSERT_TRUE(backend->UserClick(*frame.cb));
  EXPECT_TRUE(frame.Selected());
  EXPECT_TRUE(frame.pg->Visible());
  EXPECT_EQ(frame.labelStatus->GetFont().color, ui::clDefault);
  frame.UpdateState(immunized, count);
  EXPECT_EQ(frame.GetStatusText(), "4 of 5 blocked currently.");
  frame.Immunize();
  EXPECT_EQ(g_scripted[0].immunizeCalls, 1);
  EXPECT_EQ(frame.GetStatusText(), "all blocked.");  // the frame recounts after its run
}

TEST_F(ImmunizerFramesTest, DetailsAreSizedToTheirLinesAndShownOnRequest) {
  auto& standard = AddFrame<TFrameImmunizer>();
  auto& optional = AddFrame<TFrameOptionalImmunizer>();
  std::int32_t immunized = 0, count = 0;

  // Empty details: the standard frame shows only its check box, the optional one the label.
  standard.UpdateState(immunized, count);
  optional.UpdateState(immunized, count);
  standard.SetShowOptions(true);
  EXPECT_TRUE(standard.cb->Visible());
  EXPECT_FALSE(standard.labelDetails->Visible());
  optional.SetShowDetails(true);
  EXPECT_TRUE(optional.labelDetails->Visible());
  optional.SetShowDetails(false);
  EXPECT_FALSE(optional.labelDetails->Visible());

  g_scripted[0].details = "Registry: a\r\nRegistry: b\r\nRegistry: c";
  standard.UpdateState(immunized, count);
  standard.SetShowOptions(true);
  const int line = standard.labelDetails->TextHeight(g_scripted[0].details);
  EXPECT_EQ(line, ui::headless::FixedTextMeasurer::LineHeight(ui::Font{"Courier New", -11, false, false, ui::clGrayText}, 96));
  EXPECT_TRUE(standard.labelDetails->Visible());
  EXPECT_EQ(standard.labelDetails->Height(), 3 * line + 10);
  EXPECT_EQ(standard.labelDetails->Hint(), g_scripted[0].details);
  EXPECT_EQ(standard.labelDetails->Top(), standard.panelLabels->Bounds().Bottom() + 2);
  standard.SetShowOptions(false);
  EXPECT_FALSE(standard.cb->Visible());
  EXPECT_FALSE(standard.labelDetails->Visible());
}

TEST_F(ImmunizerFramesTest, BeforeTheirFirstCountFramesShowTheLayoutsCaptions) {
  g_scripted[0].count = 4;
  g_scripted[0].details = "Registry: a";
  auto& standard = AddFrame<TFrameImmunizer>();
  auto& optional = AddFrame<TFrameOptionalImmunizer>();
  form.Show();
  for (TCustomFrameImmunizer* frame :
       {static_cast<TCustomFrameImmunizer*>(&standard), static_cast<TCustomFrameImmunizer*>(&optional)}) {
    SCOPED_TRACE(frame == &standard ? "standard" : "optional");
    EXPECT_EQ(frame->labelDisplayName->Caption(), "Block");
    EXPECT_EQ(frame->labelStatus->Caption(), "pending...");
    EXPECT_EQ(frame->GetStatusText(), "pending...");
    EXPECT_EQ(frame->labelDetails->Caption(), "...");
    EXPECT_FALSE(frame->labelDetails->Visible());
  }
  EXPECT_TRUE(standard.cb->Checked());
  EXPECT_FALSE(standard.cb->Visible());
  EXPECT_EQ(optional.labelHint->Caption(), "");
  EXPECT_FALSE(optional.labelHint->Visible());
  EXPECT_EQ(optional.bnApply->Caption(), "Apply");
  EXPECT_EQ(optional.bnUndo->Caption(), "Undo");
}

// Hovering a control shows its hint when ShowHint is set and the hint is not empty (the Win32
// backend makes a tooltip of it; the headless one has no mouse): the details carry their own
// text as the hint.
TEST_F(ImmunizerFramesTest, TheDetailsCarryTheirTextAsTheirHoverHint) {
  g_scripted[0].details = "Registry: a\r\nRegistry: b";
  g_scripted[0].hint = "Bing may fail.";
  auto& standard = AddFrame<TFrameImmunizer>();
  auto& optional = AddFrame<TFrameOptionalImmunizer>();
  std::int32_t immunized = 0, count = 0;
  standard.UpdateState(immunized, count);
  optional.UpdateState(immunized, count);
  for (TCustomFrameImmunizer* frame :
       {static_cast<TCustomFrameImmunizer*>(&standard), static_cast<TCustomFrameImmunizer*>(&optional)}) {
    SCOPED_TRACE(frame == &standard ? "standard" : "optional");
    EXPECT_TRUE(frame->labelDetails->ShowHint());
    EXPECT_EQ(frame->labelDetails->Hint(), "Registry: a\r\nRegistry: b");
  }
  EXPECT_TRUE(optional.labelHint->ShowHint());
}

TEST_F(ImmunizerFramesTest, TheOptionalFrameShowsTheClassHintInItalics) {
  auto& frame = AddFrame<TFrameOptionalImmunizer>();
  std::int32_t immunized = 0, count = 0;
  frame.UpdateState(immunized, count);
  EXPECT_FALSE(frame.labelHint->Visible());

  g_scripted[0].hint = "Bing may fail.";
  frame.UpdateState(immunized, count);
  EXPECT_TRUE(frame.labelHint->Visible());
  EXPECT_EQ(frame.labelHint->Caption(), "Hint: Bing may fail.");
  EXPECT_TRUE(frame.labelHint->GetFont().italic);
  // Its tooltip shows it on hover.
  EXPECT_EQ(frame.labelHint->Hint(), "Hint: Bing may fail.");
  EXPECT_TRUE(frame.labelHint->ShowHint());
}

TEST_F(ImmunizerFramesTest, TheOptionalButtonsRunTheImmunizerAndRecount) {
  g_scripted[0].count = 3;
  auto& frame = AddFrame<TFrameOptionalImmunizer>();
  std::vector<std::string> log;
  frame.OnLog = [&](TWindows10Immunization& sender, TImmunizationLogLevel, const std::string& msg) {
    log.push_back(sender.ClassName() + ": " + msg);
  };
  std::int32_t immunized = 0, count = 0;
  frame.UpdateState(immunized, count);
  form.Show();
  ASSERT_TRUE(backend->UserClick(*frame.bnApply));
  EXPECT_EQ(frame.GetStatusText(), "all blocked.");
  EXPECT_FALSE(frame.bnApply->Enabled());
  EXPECT_EQ(log, std::vector<std::string>{"TScriptedAImmunization: applied"});
  ASSERT_TRUE(backend->UserClick(*frame.bnUndo));
  EXPECT_EQ(frame.GetStatusText(), "no blocks yet!");
  EXPECT_EQ(g_scripted[0].removeCalls, 1);
}

TEST_F(ImmunizerFramesTest, TheImmunizerIsMadeOnFirstUseOnlyAndItsMessagesNeedAListener) {
  {
    ui::Form other("other");
    other.Adopt(TFrameImmunizer::Make(Scripted<0>()));
  }
  EXPECT_EQ(g_scripted[0].created, 0);

  g_scripted[0].count = 1;
  auto& frame = AddFrame<TFrameImmunizer>();
  frame.Immunize();  // no listener: the message is dropped
  EXPECT_EQ(g_scripted[0].created, 1);
  EXPECT_TRUE(frame.HasImmunizer());
}

}  // namespace
