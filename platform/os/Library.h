#pragma once
// Modules loaded to read their resources: the string tables of system libraries that indirect
// display names ("@%SystemRoot%\system32\x.dll,-3001") point into. Method names avoid the
// windows.h macros (LoadLibraryEx, LoadString, FreeModule).

#include <cstdint>
#include <string>

#include "platform/os/Seams.h"

namespace os {

// An HMODULE; 0 is none.
using ModuleHandle = std::uintptr_t;

// LoadLibraryEx flags.
inline constexpr std::uint32_t kLoadLibraryAsDatafile = 0x0002;

class ILibrary {
 public:
  virtual ~ILibrary() = default;

  // LoadLibraryExA (the path converted to the ANSI code page); 0 on failure. A load as a data
  // file sees the real system folder, not the 32-bit one a WOW64 process is redirected to.
  virtual ModuleHandle LoadModuleEx(const std::string& fileName, std::uint32_t flags) = 0;
  // LoadStringW into a buffer of bufferChars wide characters: the number of characters
  // copied (the text cut to bufferChars - 1), 0 when the module has no such string. text
  // receives them in UTF-8.
  virtual std::int32_t LoadStringText(ModuleHandle module, std::uint32_t id, std::string& text,
                                      std::int32_t bufferChars) = 0;
  // FreeLibrary.
  virtual bool ReleaseModule(ModuleHandle module) = 0;
};

inline ILibrary& Library() { return Get<ILibrary>(); }

}  // namespace os
