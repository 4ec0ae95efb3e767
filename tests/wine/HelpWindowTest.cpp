// The command-line help window class as Windows holds it after the program's start-up work,
// and its window procedure called as Windows calls it.

#include <gtest/gtest.h>
#include <windows.h>

#include "app/bmrConsoleHelpUIWinAPI.h"

namespace {

int g_haltCode = -1;

TEST(Win32HelpWindowClass, RegisteredInTheProgramsModuleWithItsProcedure) {
  InitializeBmrConsoleHelpUIWinAPI();
  EXPECT_TRUE(HelpWindowClassRegistered());
  EXPECT_NE(0u, HelpWindowTextFont());
  EXPECT_NE(0u, HelpWindowFixedFont());

  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "CommandLineHelp", &info)) << GetLastError();
  EXPECT_EQ(0u, info.style);
  EXPECT_EQ(0, info.cbClsExtra);
  EXPECT_EQ(0, info.cbWndExtra);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHTTEXT + 1), info.hbrBackground);
  EXPECT_EQ(LoadIconA(nullptr, IDI_APPLICATION), info.hIcon);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), info.hCursor);
  EXPECT_EQ(nullptr, FindWindowA("CommandLineHelp", nullptr)) << "no window of the class exists";

  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(nullptr, dc);
  SetBkMode(dc, OPAQUE);
  EXPECT_NE(0, CallWindowProcA(info.lpfnWndProc, nullptr, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0));
  EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
  DeleteDC(dc);

  SetHelpWindowHaltHandler([](int code) { g_haltCode = code; });
  CallWindowProcA(info.lpfnWndProc, nullptr, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0);
  EXPECT_EQ(-1, g_haltCode);
  CallWindowProcA(info.lpfnWndProc, nullptr, WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 0);
  EXPECT_EQ(0, g_haltCode);
  SetHelpWindowHaltHandler(nullptr);
  FinalizeBmrConsoleHelpUIWinAPI();
}

}  // namespace
