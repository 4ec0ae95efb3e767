#include "app/ui/win32/Win32Dpi.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

namespace ui::win32 {
namespace {

// Declared here: the SDK declares them only for Windows 10 targets, and they must not be
// imported (Windows 7 lacks them).
using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using EnableNonClientDpiScalingFn = BOOL(WINAPI*)(HWND);
using SetProcessDPIAwareFn = BOOL(WINAPI*)();
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3));

template <class Fn>
Fn User32(const char* name) {
  static HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

struct DpiApi {
  GetDpiForWindowFn getDpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
  AdjustWindowRectExForDpiFn adjustWindowRectExForDpi = User32<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  SystemParametersInfoForDpiFn systemParametersInfoForDpi =
      User32<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
  GetSystemMetricsForDpiFn getSystemMetricsForDpi = User32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  EnableNonClientDpiScalingFn enableNonClientDpiScaling =
      User32<EnableNonClientDpiScalingFn>("EnableNonClientDpiScaling");
  GetDpiForMonitorFn getDpiForMonitor = nullptr;
  bool perMonitor = false;  // the process is per-monitor aware (Windows 10)
};

DpiApi& Api() {
  static DpiApi api;
  return api;
}

}  // namespace

void EnableDpiAwareness() {
  static bool done = false;
  if (done) return;
  done = true;
  DpiApi& api = Api();
  if (auto setContext = User32<SetProcessDpiAwarenessContextFn>("SetProcessDpiAwarenessContext")) {
    // Windows 10: V2 from 1703, V1 before; fails when the manifest already chose (harmless).
    if (!setContext(kPerMonitorAwareV2)) setContext(kPerMonitorAware);
    api.perMonitor = true;
  } else if (auto setAware = User32<SetProcessDPIAwareFn>("SetProcessDPIAware")) {
    // Windows 7 and 8: the system DPI for every window.
    setAware();
  }
  if (api.perMonitor) {
    if (HMODULE shcore = LoadLibraryW(L"shcore.dll")) {
      api.getDpiForMonitor =
          reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
    }
  }
}

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int value = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return value > 0 ? value : 96;
  }();
  return dpi;
}

int WindowDpi(HWND window) {
  if (window && Api().getDpiForWindow) {
    const UINT dpi = Api().getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

int DpiAtPoint(POINT point) {
  if (Api().getDpiForMonitor) {
    UINT x = 0;
    UINT y = 0;
    HMONITOR monitor = MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY);
    if (SUCCEEDED(Api().getDpiForMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && y > 0)
      return static_cast<int>(y);
  }
  return SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
  if (Api().adjustWindowRectExForDpi &&
      Api().adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    return;
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

int SystemMetricForDpi(int index, int dpi) {
  if (Api().getSystemMetricsForDpi) return Api().getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

void EnableNonClientScaling(HWND window) {
  if (Api().enableNonClientDpiScaling) Api().enableNonClientDpiScaling(window);
}

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
  return utf8;
}

// ---------------------------------------------------------------------------------------------

FontCache::~FontCache() { Clear(); }

void FontCache::Clear() {
  for (auto& [key, font] : fonts_) DeleteObject(font);
  fonts_.clear();
}

LOGFONTW FontCache::MessageFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (Api().systemParametersInfoForDpi &&
      Api().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi)))
    return metrics.lfMessageFont;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, SystemDpi());
    return metrics.lfMessageFont;
  }
  LOGFONTW fallback{};
  fallback.lfHeight = -MulDiv(12, dpi, 96);
  fallback.lfWeight = FW_NORMAL;
  fallback.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(fallback.lfFaceName, L"Segoe UI", LF_FACESIZE);
  return fallback;
}

HFONT FontCache::Get(const Font& font, int dpi) {
  const Key key{font.name, font.height, font.bold, font.italic, dpi};
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  LOGFONTW log = MessageFont(dpi);
  if (!font.name.empty()) {
    lstrcpynW(log.lfFaceName, Widen(font.name).c_str(), LF_FACESIZE);
    log.lfCharSet = DEFAULT_CHARSET;
  }
  // Heights follow LOGFONT's signs: negative is the character height, positive the cell.
  if (font.height != 0) log.lfHeight = font.height < 0 ? -MulDiv(-font.height, dpi, 96) : MulDiv(font.height, dpi, 96);
  if (font.bold) log.lfWeight = FW_BOLD;
  if (font.italic) log.lfItalic = TRUE;
  HFONT made = CreateFontIndirectW(&log);
  if (!made) made = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_.emplace(key, made);
  return made;
}

// ---------------------------------------------------------------------------------------------

GdiTextMeasurer::~GdiTextMeasurer() {
  if (dc_) DeleteDC(dc_);
}

HDC GdiTextMeasurer::Dc() {
  if (!dc_) dc_ = CreateCompatibleDC(nullptr);
  return dc_;
}

void GdiTextMeasurer::Clear() { tabInsets_.clear(); }

Size GdiTextMeasurer::MeasureText(const Font& font, const std::string& text, int dpi, int wrapWidth) {
  HDC dc = Dc();
  if (!dc) return {static_cast<int>(text.size()) * ScaleForDpi(7, dpi), ScaleForDpi(15, dpi)};
  HGDIOBJ old = SelectObject(dc, fonts_.Get(font, dpi));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  Size size{0, metrics.tmHeight};
  if (!text.empty()) {
    const std::wstring wide = Widen(text);
    RECT rect{0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
    // The texts come without their access-key marks; STATIC and BUTTON draw the same way.
    UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
    if (wrapWidth > 0) flags |= DT_WORDBREAK;
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, flags);
    size = {static_cast<int>(rect.right - rect.left), std::max<int>(static_cast<int>(rect.bottom - rect.top),
                                                                   static_cast<int>(metrics.tmHeight))};
  }
  SelectObject(dc, old);
  return size;
}

int GdiTextMeasurer::ScrollBarWidth(int dpi) { return SystemMetricForDpi(SM_CXVSCROLL, dpi); }

int GdiTextMeasurer::BorderWidth(int dpi) { return SystemMetricForDpi(SM_CXEDGE, dpi); }

Rect GdiTextMeasurer::PageDisplayRect(Size pageControlSize, const Font& font, int dpi) {
  const auto key = std::make_tuple(font.name, font.height, font.bold, font.italic, dpi);
  auto it = tabInsets_.find(key);
  if (it == tabInsets_.end()) {
    // A hidden tab control with one tab in this font tells where its pages go.
    RECT insets{ScaleForDpi(4, dpi), ScaleForDpi(4, dpi) + MeasureText(font, "X", dpi, 0).height + ScaleForDpi(6, dpi),
                ScaleForDpi(4, dpi), ScaleForDpi(4, dpi)};
    const int probe = 400;
    HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_POPUP, 0, 0, probe, probe, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (tab) {
      SendMessageW(tab, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(font, dpi)), FALSE);
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      wchar_t text[] = L"X";
      item.pszText = text;
      SendMessageW(tab, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      RECT rect{0, 0, probe, probe};
      SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
      if (rect.right > rect.left && rect.bottom > rect.top)
        insets = {rect.left, rect.top, probe - rect.right, probe - rect.bottom};
      DestroyWindow(tab);
    }
    it = tabInsets_.emplace(key, insets).first;
  }
  const RECT& in = it->second;
  return {static_cast<int>(in.left), static_cast<int>(in.top),
          std::max(0, pageControlSize.width - static_cast<int>(in.left + in.right)),
          std::max(0, pageControlSize.height - static_cast<int>(in.top + in.bottom))};
}

}  // namespace ui::win32
