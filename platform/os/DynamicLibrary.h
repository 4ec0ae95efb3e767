#pragma once
// A library loaded at run time and the functions looked up in it: the desktop window manager
// ("dwmapi.dll"), which systems before Vista lack. The two functions found are called through
// the seam too, since only the implementation knows their signatures.

#include <cstdint>
#include <string>

#include "platform/os/Seams.h"

namespace os {

using HResult = std::int32_t;
using WindowHandle = std::uintptr_t;
// An HMODULE and a FARPROC as numbers; 0 is none.
using LibraryHandle = std::uintptr_t;
using ProcAddress = std::uintptr_t;

// MARGINS.
struct Margins {
  std::int32_t cxLeftWidth = 0;
  std::int32_t cxRightWidth = 0;
  std::int32_t cyTopHeight = 0;
  std::int32_t cyBottomHeight = 0;
  bool operator==(const Margins&) const = default;
};

class IDynamicLibrary {
 public:
  virtual ~IDynamicLibrary() = default;
  // LoadLibraryA; 0 on failure.
  virtual LibraryHandle LoadLibraryNamed(const std::string& name) = 0;
  // GetProcAddress; 0 when the library lacks the function.
  virtual ProcAddress ProcAddressOf(LibraryHandle library, const std::string& name) = 0;
  // FreeLibrary.
  virtual bool FreeLibraryHandle(LibraryHandle library) = 0;
  // Calls a DwmIsCompositionEnabled found by ProcAddressOf: HRESULT (BOOL* enabled).
  virtual HResult CallDwmIsCompositionEnabled(ProcAddress function, std::int32_t& enabled) = 0;
  // Calls a DwmExtendFrameIntoClientArea: HRESULT (HWND, const MARGINS*).
  virtual HResult CallDwmExtendFrameIntoClientArea(ProcAddress function, WindowHandle window,
                                                    const Margins& margins) = 0;
};

inline IDynamicLibrary& DynamicLibrary() { return Get<IDynamicLibrary>(); }

}  // namespace os
