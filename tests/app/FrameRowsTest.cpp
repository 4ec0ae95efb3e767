// The rows of the real frames in the main window at several DPIs: the status is the row's
// answer and is read whole beside every display name; a name that does not fit gives way.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/FormUnitQuietmarkMain.h"
#include "app/FrameUnitQuietmarkOptionalImmunizer.h"
#include "app/FrameUnitQuietmarkStandardImmunizer.h"
#include "app/ui/headless/HeadlessBackend.h"
#include "engine/tvqmCommandLine.h"
#include "engine/tvqmVorletsList.h"
#include "platform/bmrConsoleHelp.h"
#include "platform/bmrCredits.h"
#include "platform/bmrWindows.h"
#include "tests/fakes/FakeWindows.h"
#include "tests/ui/UiTestPrinters.h"

namespace {

class FrameRowsTest : public ::testing::Test {
 protected:
  FrameRowsTest() {
    CurrentOperatingSystems = {osWinNTSeries, osWindows10};
    windows.resources.rcData["FAQ"] = "{\\rtf1 questions}";
    InitializeBmrCredits();
    InitializeBmrConsoleHelp();
    InitializeTvqmCommandLine();
    InitializeTvqmVorletsList();
  }
  ~FrameRowsTest() override {
    ui::Application::Instance().DestroyForms();
    FinalizeTvqmCommandLine();
    FinalizeBmrConsoleHelp();
    FinalizeBmrCredits();
    CurrentOperatingSystems = savedSystems_;
    StandardImmunizations = savedStandard_;
    OptionalImmunizations = savedOptional_;
  }

  fakes::FakeWindows windows;
  ui::headless::ScopedHeadlessBackend backend;

 private:
  TOperatingSystems savedSystems_ = CurrentOperatingSystems;
  TAWindows10ImmunizationClass savedStandard_ = StandardImmunizations;
  TAWindows10ImmunizationClass savedOptional_ = OptionalImmunizations;
};

TEST_F(FrameRowsTest, EveryStatusIsWholeBesideTheLongestNamesAtEveryDpi) {
  auto& form = ui::Application::Instance().CreateForm<TFormTolvexQuietmark>();
  form.Show();
  std::vector<TCustomFrameImmunizer*> frames;
  for (ui::ScrollBox* box : {form.sb, form.sbOptional}) {
    for (int i = 0; i < box->ControlCount(); ++i) frames.push_back(dynamic_cast<TCustomFrameImmunizer*>(&box->GetControl(i)));
  }
  ASSERT_EQ(frames.size(), 21u);
  // As counted on an empty machine, then the longest status there is.
  for (const bool counted : {true, false}) {
    if (!counted) {
      for (TCustomFrameImmunizer* frame : frames) frame->labelStatus->SetCaption("888 of 888 blocked currently.");
    }
    for (const bool options : {false, true}) {
      form.SetShowOptions(options);
      for (const int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI, options " << (options ? "shown" : "hidden"));
        backend->SetDpi(dpi);
        std::map<const ui::Control*, ui::Rect> at;
        for (const ui::LayoutResult& r : backend->LayoutAtDpi(form)) at[r.control] = r.bounds;
        for (TCustomFrameImmunizer* frame : frames) {
          SCOPED_TRACE(frame->Name() + ": " + frame->labelStatus->Caption());
          ASSERT_EQ(frame->labelDisplayName->Caption(), frame->ImmunizerClass.GetDisplayName() + ":");
          const ui::Rect status = at[frame->labelStatus];
          const ui::Rect name = at[frame->labelDisplayName];
          const int textWidth = backend->TextMeasurer()
                                    .MeasureText(frame->labelStatus->GetFont(), frame->labelStatus->Caption(), dpi, 0)
                                    .width;
          EXPECT_GE(status.width, textWidth);
          EXPECT_LE(name.Right(), status.left);
          // Nothing else of the row covers the labels: the check box and the buttons stand
          // beside them.
          for (int i = 0; i < frame->panelLabels->ControlCount(); ++i) {
            const ui::Control& c = frame->panelLabels->GetControl(i);
            if (&c == frame->labelStatus || &c == frame->labelDisplayName || !c.Visible()) continue;
            const ui::Rect r = at[&c];
            EXPECT_TRUE(r.Right() <= status.left || r.left >= status.Right()) << c.Name();
            EXPECT_TRUE(r.Right() <= name.left || r.left >= name.Right()) << c.Name();
          }
          EXPECT_LE(status.Right(), at[frame->panelLabels].width);
          // Whole where there is room, cut where not: the hint holds the name.
          EXPECT_EQ(frame->labelDisplayName->Hint(), frame->ImmunizerClass.GetDisplayName());
          EXPECT_TRUE(frame->labelDisplayName->ShowHint());
        }
      }
    }
  }
  backend->SetDpi(96);
}

// The names give way only as far as the status needs: a short status leaves a long name whole.
TEST_F(FrameRowsTest, ANameGivesWayOnlyWhereTheStatusNeedsTheRoom) {
  auto& form = ui::Application::Instance().CreateForm<TFormTolvexQuietmark>();
  form.Show();
  std::map<const ui::Control*, ui::Rect> at;
  for (const ui::LayoutResult& r : backend->LayoutAtDpi(form)) at[r.control] = r.bounds;
  int whole = 0, cut = 0;
  for (int i = 0; i < form.sbOptional->ControlCount(); ++i) {
    auto& frame = dynamic_cast<TFrameOptionalImmunizer&>(form.sbOptional->GetControl(i));
    const int nameText =
        backend->TextMeasurer().MeasureText(frame.labelDisplayName->GetFont(), frame.labelDisplayName->Caption(), 96, 0).width;
    const ui::Rect name = at[frame.labelDisplayName];
    const ui::Rect status = at[frame.labelStatus];
    const int statusText =
        backend->TextMeasurer().MeasureText(frame.labelStatus->GetFont(), frame.labelStatus->Caption(), 96, 0).width;
    if (name.width == nameText) {
      ++whole;
    } else {
      ++cut;
      // Cut by exactly what the status lacked: it has its text's width, not more.
      EXPECT_EQ(status.width, statusText) << frame.Name();
      EXPECT_LT(name.width, nameText) << frame.Name();
    }
  }
  // The optional page has names of both kinds at 96 DPI.
  EXPECT_GT(whole, 0);
  EXPECT_GT(cut, 0);
}

}  // namespace
