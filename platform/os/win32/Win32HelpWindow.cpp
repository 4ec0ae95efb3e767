#include "platform/os/win32/Win32HelpWindow.h"

#include <windows.h>

#include <cstring>

namespace os::win32 {

namespace {

// The one registered class's handler and halt (the class is registered once per process).
HelpMessageAnswer (*g_handler)(std::uint32_t, std::uintptr_t) = nullptr;
void (*g_halt)() = nullptr;

LRESULT CALLBACK HelpWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    const HelpMessageAnswer answer =
        g_handler != nullptr ? g_handler(message, static_cast<std::uintptr_t>(wParam)) : HelpMessageAnswer::Default;
    switch (answer) {
      case HelpMessageAnswer::Halt:
        if (g_halt != nullptr) g_halt();
        return 0;
      case HelpMessageAnswer::TransparentText:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_HIGHLIGHTTEXT));
      case HelpMessageAnswer::Default:
        break;
    }
  } catch (...) {
    // Nothing unwinds through user32's frames.
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

ModuleHandle Win32HelpWindowApi::ProgramModule() { return reinterpret_cast<ModuleHandle>(GetModuleHandleA(nullptr)); }

std::uintptr_t Win32HelpWindowApi::LoadSystemIcon(std::uintptr_t id) {
  return reinterpret_cast<std::uintptr_t>(LoadIconA(nullptr, MAKEINTRESOURCEA(id)));
}

std::uintptr_t Win32HelpWindowApi::LoadSystemCursor(std::uintptr_t id) {
  return reinterpret_cast<std::uintptr_t>(LoadCursorA(nullptr, MAKEINTRESOURCEA(id)));
}

std::uintptr_t Win32HelpWindowApi::CreateFontWithFace(const std::string& face, std::uint8_t charSet) {
  LOGFONTA font{};
  font.lfCharSet = charSet;
  std::strncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return reinterpret_cast<std::uintptr_t>(CreateFontIndirectA(&font));
}

std::uint16_t Win32HelpWindowApi::RegisterHelpClass(const WindowClassRecord& record) {
  g_handler = record.handler;
  g_halt = record.halt;
  WNDCLASSA windowClass{};
  windowClass.style = record.style;
  windowClass.lpfnWndProc = HelpWindowProcedure;
  windowClass.cbClsExtra = record.classExtra;
  windowClass.cbWndExtra = record.windowExtra;
  windowClass.hInstance = reinterpret_cast<HINSTANCE>(record.instance);
  windowClass.hIcon = reinterpret_cast<HICON>(record.icon);
  windowClass.hCursor = reinterpret_cast<HCURSOR>(record.cursor);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(record.background);
  windowClass.lpszMenuName = record.menuName.empty() ? nullptr : record.menuName.c_str();
  windowClass.lpszClassName = record.className.c_str();
  return RegisterClassA(&windowClass);
}

std::uint32_t Win32HelpWindowApi::LastError() { return GetLastError(); }

}  // namespace os::win32
