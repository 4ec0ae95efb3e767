#pragma once
// os::IWindowing over user32 and os::IDynamicLibrary over LoadLibraryA and GetProcAddress.

#include "platform/os/DynamicLibrary.h"
#include "platform/os/Windowing.h"

namespace os::win32 {

class Win32Windowing final : public os::IWindowing {
 public:
  bool ShowWindowCmd(WindowHandle window, std::int32_t command) override;
  std::int32_t WindowLong(WindowHandle window, std::int32_t index) override;
  std::int32_t SetWindowLongValue(WindowHandle window, std::int32_t index, std::int32_t value) override;
  std::uint32_t RegisterMessage(const std::string& name) override;
  bool DrawMenuBarOf(WindowHandle window) override;
};

class Win32DynamicLibrary final : public os::IDynamicLibrary {
 public:
  LibraryHandle LoadLibraryNamed(const std::string& name) override;
  ProcAddress ProcAddressOf(LibraryHandle library, const std::string& name) override;
  bool FreeLibraryHandle(LibraryHandle library) override;
  HResult CallDwmIsCompositionEnabled(ProcAddress function, std::int32_t& enabled) override;
  HResult CallDwmExtendFrameIntoClientArea(ProcAddress function, WindowHandle window, const Margins& margins) override;
};

}  // namespace os::win32
