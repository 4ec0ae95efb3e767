#pragma once
// DPI, fonts and text metrics of the Win32 backend. Every call that Windows 7 lacks is
// looked up at run time, so the exe loads there and falls back to the system DPI.

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "app/ui/Toolkit.h"

namespace ui::win32 {

// Makes the process per-monitor aware where Windows 10 offers it (V2, else V1), system aware
// on Windows 7 and 8. Failing (Wine, or a manifest that already decided) is harmless.
void EnableDpiAwareness();
// The DPI the system was started with (the screen DC's LOGPIXELSY).
int SystemDpi();
// The window's DPI (GetDpiForWindow where present, else the system DPI).
int WindowDpi(HWND window);
// The DPI of the monitor that holds the point (GetDpiForMonitor where present).
int DpiAtPoint(POINT point);
// AdjustWindowRectExForDpi where present, else AdjustWindowRectEx.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
// GetSystemMetricsForDpi where present, else the system's value scaled from the system DPI.
int SystemMetricForDpi(int index, int dpi);
// Lets Windows 10 1607 scale a V1-aware window's caption and menus (no-op elsewhere).
void EnableNonClientScaling(HWND window);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// Fonts per (font, DPI), made from the system's message font for that DPI, kept until the
// cache is cleared (a change of the system's fonts) or destroyed.
class FontCache {
 public:
  FontCache() = default;
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;
  ~FontCache();
  HFONT Get(const Font& font, int dpi);
  void Clear();
  // The message font of that DPI as a LOGFONT.
  static LOGFONTW MessageFont(int dpi);

 private:
  using Key = std::tuple<std::string, int, bool, bool, int>;
  std::map<Key, HFONT> fonts_;
};

// Measures text with GDI in the cached font (DrawText, as STATIC and BUTTON draw it), and
// answers the sizes of the system's controls at a DPI.
class GdiTextMeasurer : public ITextMeasurer {
 public:
  explicit GdiTextMeasurer(FontCache& fonts) : fonts_(fonts) {}
  GdiTextMeasurer(const GdiTextMeasurer&) = delete;
  GdiTextMeasurer& operator=(const GdiTextMeasurer&) = delete;
  ~GdiTextMeasurer() override;
  Size MeasureText(const Font& font, const std::string& text, int dpi, int wrapWidth) override;
  int ScrollBarWidth(int dpi) override;
  int BorderWidth(int dpi) override;
  Rect PageDisplayRect(Size pageControlSize, const Font& font, int dpi) override;
  void Clear();

 private:
  HDC Dc();
  FontCache& fonts_;
  HDC dc_ = nullptr;
  // The tab control's frame (left, top, right, bottom insets) per font and DPI, measured
  // once on a hidden tab control.
  std::map<std::tuple<std::string, int, bool, bool, int>, RECT> tabInsets_;
};

}  // namespace ui::win32
