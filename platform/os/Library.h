#pragma once
// Modules loaded to read their resources: the string tables of system libraries that indirect
// display names ("@%SystemRoot%\system32\x.dll,-3001") point into, and the program's own
// resources (licence, change log). Method names avoid the
// windows.h macros (LoadLibraryEx, LoadString, FreeModule).

#include <cstdint>
#include <string>
#include <vector>

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

  // Resources of a module (0: the program's own). Types and names are texts; a number is
  // written "#10" (RT_RCDATA), as FindResourceA takes it.
  // EnumResourceNamesA: the names of every resource of the type, in the module's order,
  // appended to names; false when the module has none of that type.
  virtual bool EnumResourceNamesOf(ModuleHandle module, const std::string& type, std::vector<std::string>& names) = 0;
  // FindResourceA, LoadResource, LockResource, SizeofResource: the resource's bytes; false
  // when the module has no such resource.
  virtual bool ReadResource(ModuleHandle module, const std::string& name, const std::string& type,
                            std::string& data) = 0;
};

inline ILibrary& Library() { return Get<ILibrary>(); }

}  // namespace os
