#pragma once
// os::IHelpWindowApi over GetModuleHandleA, LoadIconA, LoadCursorA, CreateFontIndirectA and
// RegisterClassA.

#include "platform/os/HelpWindow.h"

namespace os::win32 {

class Win32HelpWindowApi final : public os::IHelpWindowApi {
 public:
  ModuleHandle ProgramModule() override;
  std::uintptr_t LoadSystemIcon(std::uintptr_t id) override;
  std::uintptr_t LoadSystemCursor(std::uintptr_t id) override;
  std::uintptr_t CreateFontWithFace(const std::string& face, std::uint8_t charSet) override;
  std::uint16_t RegisterHelpClass(const WindowClassRecord& record) override;
  std::uint32_t LastError() override;
};

}  // namespace os::win32
