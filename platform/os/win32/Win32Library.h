#pragma once
// os::ILibrary over LoadLibraryExA, LoadStringW, FreeLibrary and the resource calls.

#include "platform/os/Library.h"

namespace os::win32 {

class Win32Library final : public os::ILibrary {
 public:
  ModuleHandle LoadModuleEx(const std::string& fileName, std::uint32_t flags) override;
  std::int32_t LoadStringText(ModuleHandle module, std::uint32_t id, std::string& text,
                              std::int32_t bufferChars) override;
  bool ReleaseModule(ModuleHandle module) override;
  bool EnumResourceNamesOf(ModuleHandle module, const std::string& type, std::vector<std::string>& names) override;
  bool ReadResource(ModuleHandle module, const std::string& name, const std::string& type,
                    std::string& data) override;
};

}  // namespace os::win32
