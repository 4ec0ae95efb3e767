#include "app/ui/Toolkit.h"
#include "app/ui/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

namespace {

TEST(UiSmoke, FormWithStackedTopControls) {
  ui::headless::ScopedHeadlessBackend backend;
  ui::Form form("f");
  form.SetClientSize({200, 100});
  auto& a = form.Add<ui::Panel>("a");
  a.SetHeight(10);
  a.SetAlign(ui::Align::Top);
  auto& b = form.Add<ui::Panel>("b");
  b.SetHeight(20);
  b.SetAlign(ui::Align::Top);
  EXPECT_EQ(b.Bounds(), (ui::Rect{0, 0, 200, 20}));
  EXPECT_EQ(a.Bounds(), (ui::Rect{0, 20, 200, 10}));
  form.Show();
  EXPECT_NE(form.Handle(), 0u);
}

}  // namespace
