#include "platform/os/win32/Win32Launcher.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/os/win32/Text.h"

namespace os::win32 {

// The wide call: the desktop folder of a user whose name the ANSI code page cannot spell
// would not be found through the narrow one.
std::intptr_t Win32Launcher::Execute(std::uintptr_t owner, const std::string& verb, const std::string& file,
                                     const std::string& parameters, const std::string& directory, int showCommand) {
  const std::wstring wideVerb = Utf8ToWide(verb);
  const std::wstring wideFile = Utf8ToWide(file);
  const std::wstring wideParameters = Utf8ToWide(parameters);
  const std::wstring wideDirectory = Utf8ToWide(directory);
  HINSTANCE result = ShellExecuteW(reinterpret_cast<HWND>(owner), wideVerb.empty() ? nullptr : wideVerb.c_str(),
                                   wideFile.c_str(), wideParameters.empty() ? nullptr : wideParameters.c_str(),
                                   wideDirectory.empty() ? nullptr : wideDirectory.c_str(), showCommand);
  return reinterpret_cast<std::intptr_t>(result);
}

}  // namespace os::win32
