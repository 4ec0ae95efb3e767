#include "platform/os/win32/Win32Windowing.h"

#include <windows.h>

#include "platform/os/win32/Text.h"

namespace os::win32 {

namespace {

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

// The signatures of the two functions of dwmapi.dll (MARGINS as that library lays it out).
struct DwmMargins {
  int cxLeftWidth;
  int cxRightWidth;
  int cyTopHeight;
  int cyBottomHeight;
};
using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
using DwmExtendFrameIntoClientAreaFn = HRESULT(WINAPI*)(HWND, const DwmMargins*);

template <class Fn>
Fn As(ProcAddress function) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(function));
}

}  // namespace

bool Win32Windowing::ShowWindowCmd(WindowHandle window, std::int32_t command) {
  return ShowWindow(Hwnd(window), command) != FALSE;
}

std::int32_t Win32Windowing::WindowLong(WindowHandle window, std::int32_t index) {
  return GetWindowLongA(Hwnd(window), index);
}

std::int32_t Win32Windowing::SetWindowLongValue(WindowHandle window, std::int32_t index, std::int32_t value) {
  return SetWindowLongA(Hwnd(window), index, value);
}

std::uint32_t Win32Windowing::RegisterMessage(const std::string& name) {
  return RegisterWindowMessageA(Utf8ToAnsi(name).c_str());
}

bool Win32Windowing::DrawMenuBarOf(WindowHandle window) { return DrawMenuBar(Hwnd(window)) != FALSE; }

LibraryHandle Win32DynamicLibrary::LoadLibraryNamed(const std::string& name) {
  return reinterpret_cast<LibraryHandle>(LoadLibraryA(Utf8ToAnsi(name).c_str()));
}

ProcAddress Win32DynamicLibrary::ProcAddressOf(LibraryHandle library, const std::string& name) {
  return reinterpret_cast<ProcAddress>(GetProcAddress(reinterpret_cast<HMODULE>(library), name.c_str()));
}

bool Win32DynamicLibrary::FreeLibraryHandle(LibraryHandle library) {
  return FreeLibrary(reinterpret_cast<HMODULE>(library)) != FALSE;
}

HResult Win32DynamicLibrary::CallDwmIsCompositionEnabled(ProcAddress function, std::int32_t& enabled) {
  BOOL value = FALSE;
  const HRESULT hr = As<DwmIsCompositionEnabledFn>(function)(&value);
  enabled = value;
  return hr;
}

HResult Win32DynamicLibrary::CallDwmExtendFrameIntoClientArea(ProcAddress function, WindowHandle window,
                                                              const Margins& margins) {
  const DwmMargins native{margins.cxLeftWidth, margins.cxRightWidth, margins.cyTopHeight, margins.cyBottomHeight};
  return As<DwmExtendFrameIntoClientAreaFn>(function)(Hwnd(window), &native);
}

}  // namespace os::win32
